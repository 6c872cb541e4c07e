// The creatures in the running saver: frame ticks on the virtual clock, each
// creature switched by its key, their sounds at their moments, their depth
// in the scene on the real pictures, and long runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "animation/creature.h"
#include "animation/properties.h"
#include "display/clock_message.h"
#include "display/screen_saver.h"
#include "os/event_loop.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "support/saver_harness.h"

namespace vex {
namespace {

using test::all_creatures_ini;

// The sanitizer build runs the long runs shorter.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kLongRunScale = 20;
#else
constexpr int kLongRunScale = 1;
#endif

std::string only(const std::string& keys, const std::string& extra = {}) {
  std::string ini = "[Vexmoor]\nfirstrun=1\nspeed=10\n" + extra;
  std::size_t from = 0;
  while (from < keys.size()) {
    std::size_t to = keys.find(' ', from);
    if (to == std::string::npos) to = keys.size();
    ini += keys.substr(from, to - from) + "=1\n";
    from = to + 1;
  }
  return ini;
}

class Creatures : public test::SaverHarness {
 protected:
  Scene& s = scene();
  FrameCounters& c = counters();
};

TEST_F(Creatures, TheFirstSkeletonsPassesAndItsFootsteps) {
  start(only("skeleton1", "sound5=1\n"));
  Creature& k = s.Skeleton1;
  std::vector<int> resets;
  int in_view = 0;
  std::vector<int> in_view_per_pass;
  for (int t = 1; t <= 161 + 3 * 187; ++t) {
    const int32_t drawn_at = k.X;
    if (drawn_at > -151 && drawn_at < 800) ++in_view;
    ticks(1);
    if (k.X == -400 && drawn_at != -400) {
      resets.push_back(t);
      if (resets.size() > 1) in_view_per_pass.push_back(in_view);
      in_view = 0;
    }
    // Footsteps on the frames 4 and 9 of its stride, while some of it shows.
    const bool step = (k.Frame == 4 || k.Frame == 9) && k.X > -151 && k.X < 800;
    ASSERT_EQ(plays(), step ? std::vector<int>{5} : std::vector<int>{}) << "tick " << t << " x " << k.X;
  }
  EXPECT_EQ(resets, (std::vector<int>{161, 161 + 187, 161 + 2 * 187, 161 + 3 * 187}));
  EXPECT_EQ(in_view_per_pass, (std::vector<int>{63, 63, 63}));
}

TEST_F(Creatures, TheFootstepsSoundOnlyWhileSomeOfTheSkeletonIsInsideTheScene) {
  start(only("skeleton1", "sound5=1\n"));
  Creature& k = s.Skeleton1;
  // Frame 3 now: drawn, then advanced to a stepping frame (4), then moved 15.
  struct Case {
    int32_t x_before_move;
    bool heard;
  };
  const Case cases[] = {
      {-151 - 15, false},  // to -151: its right column is at -1, wholly left
      {-150 - 15, true},   // to -150: its right column is at 0
      {799 - 15, true},    // to 799: its left column is the scene's last
      {800 - 15, false},   // to 800: wholly right
  };
  for (const Case& c : cases) {
    k.X = c.x_before_move;
    k.Frame = 3;
    plays();
    ticks(1);
    ASSERT_EQ(k.Frame, 4);
    EXPECT_EQ(plays(), c.heard ? std::vector<int>{5} : std::vector<int>{}) << "at x " << k.X;
  }
  // The other stepping frame, 9, and none between.
  k.X = 300;
  k.Frame = 8;
  plays();
  ticks(1);
  EXPECT_EQ(plays(), std::vector<int>{5});
  ticks(1);
  EXPECT_EQ(plays(), std::vector<int>{});
}

TEST_F(Creatures, TheZombieJumpsBackOnTick311AndReentersTwoHundredAndOneTicksLater) {
  start(only("zombie"));
  Creature& z = s.Zombie;
  ticks(310);
  EXPECT_EQ(z.X, 180);  // drawn there on the next tick, its last
  ticks(1);
  EXPECT_EQ(z.X, 1200);
  ticks(200);
  EXPECT_EQ(z.X, 800);  // still just outside
  ticks(1);
  EXPECT_EQ(z.X, 798);  // drawn inside from the next tick
}

TEST_F(Creatures, TheScorpionCrawlsAThousandAndOneTickCycleInViewForItsFirstHundred) {
  start(only("scorpion"));
  Creature& sc = s.Scorpion;
  for (int cycle = 0; cycle < 2; ++cycle) {
    int in_view = 0;
    for (int t = 1; t <= 1001; ++t) {
      in_view += sc.Y < 600;
      ticks(1);
    }
    EXPECT_EQ(sc.X, 700);
    EXPECT_EQ(sc.Y, 500);
    EXPECT_EQ(in_view, 100);
  }
}

// The fields a routine changes as it runs.
std::vector<long long> state_of(const Creature& c) { return {c.X, c.Y, c.Frame, c.StripX, c.SpeedX, c.SpeedY}; }

TEST_F(Creatures, EachCreatureIsAnimatedOnlyWhenItsKeyIsOn) {
  struct Key {
    const char* key;
    std::vector<Creature*> records;
  };
  Scene& sc = scene();
  auto family = [](auto& a, int last) {
    std::vector<Creature*> r;
    for (int i = 1; i <= last; ++i) r.push_back(&a[i]);
    return r;
  };
  const std::vector<Key> keys = {
      {"bat", family(sc.Bat, 6)},
      {"blooddrip", {&sc.BloodDrip}},
      {"bouncingpumpkin", {&sc.BouncingPumpkin}},
      {"crow1", {&sc.Crow1}},
      {"crow2", {&sc.Crow2}},
      {"dove", {&sc.Dove}},
      {"firefly", family(sc.FireFly, 15)},
      {"flower", {&sc.Flower}},
      {"gravedigger", {&sc.GraveDigger}},
      {"hand", {&sc.Hand}},
      {"lightning", family(sc.Lightning, 2)},
      {"medallion", {&sc.Medallion}},
      {"owl", {&sc.Owl}},
      {"rat", family(sc.Rat, 2)},
      {"scorpion", {&sc.Scorpion}},
      {"skeleton1", {&sc.Skeleton1}},
      {"skeleton2", {&sc.Skeleton2}},
      {"spider", {&sc.Spider}},
      {"watchman", {&sc.Watchman}},
      {"zombie", {&sc.Zombie}},
  };
  std::vector<Creature*> every;
  for (const Key& k : keys) every.insert(every.end(), k.records.begin(), k.records.end());
  for (const Key& k : keys) {
    SCOPED_TRACE(k.key);
    test::reset_program_state();
    set_wave_mixer(std::make_unique<test::RecordingWaveMixer>(&mixer_calls, 7));
    start(only(k.key));
    std::vector<std::vector<long long>> at_start;
    for (Creature* r : every) at_start.push_back(state_of(*r));
    std::vector<bool> changed(every.size(), false);
    for (int t = 0; t < 101; ++t) {  // every schedule acts within 101 ticks
      ticks(1);
      for (std::size_t i = 0; i < every.size(); ++i) changed[i] = changed[i] || state_of(*every[i]) != at_start[i];
    }
    for (std::size_t i = 0; i < every.size(); ++i) {
      const bool own = std::find(k.records.begin(), k.records.end(), every[i]) != k.records.end();
      EXPECT_EQ(changed[i], own) << "record " << i;
    }
  }
}

TEST_F(Creatures, EachSoundPlaysAtItsMomentWhenSelected) {
  start(only("lightning crow1 owl blooddrip", "sound1=1\nsound2=1\nsound3=1\nsound4=1\n"));
  plays();
  for (int t = 1; t <= 2100; ++t) {
    ticks(1);
    std::vector<int> expected;
    if (c.TickTo100 == 30 || c.TickTo100 == 78) expected.push_back(2);  // thunder, each bolt
    if (c.TickTo40 == 12) expected.push_back(3);                        // the crow's caw
    if (t % 14 == 3) expected.push_back(1);        // the drop lands on frame 4, from frame 1 at the start
    if (c.TickTo100 == 74) expected.push_back(4);  // the owl's eyes fully open
    std::sort(expected.begin(), expected.end());
    std::vector<int> got = plays();
    std::sort(got.begin(), got.end());
    // Sounds come only from drawn frames: a tick that drew none (the frames
    // resting, a routine that failed) says so rather than only which sound
    // it missed.
    ASSERT_EQ(got, expected) << "tick " << t
                             << (event_loop().enabled(screen_saver::state().maintimer) ? "" : ", the frames resting")
                             << (reports().empty() ? "" : ", reported: " + reports().back());
  }
}

TEST_F(Creatures, TheCrowCawsEvenWhenAlreadyCawingAndTheOwlHootsOnlyOnReachingFrameFive) {
  start(only("crow1 owl", "sound3=1\nsound4=1\n"));
  ticks(11);  // TickTo40 is now 11
  s.Crow1.Frame = 5;
  plays();
  ticks(1);
  EXPECT_EQ(plays(), std::vector<int>{3});
  ticks(69 - 12);   // TickTo100 69
  s.Owl.Frame = 1;  // its eyes open a step early: frame 5 comes at 73, 6 at 74
  plays();
  ticks(4);
  EXPECT_EQ(plays(), std::vector<int>{4});
  ticks(1);
  EXPECT_EQ(plays(), std::vector<int>{});
}

TEST_F(Creatures, NoCreatureSoundWhenNoneIsSelected) {
  start(all_creatures_ini());
  plays();
  ticks(1200);
  EXPECT_EQ(plays(), std::vector<int>{});
}

// Pixels of the real pictures, as the frame buffer shows them.
class RealScene : public Creatures {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::ifstream(std::string(VEXMOOR_MEDIA_DIR) + "/v_rat2.bmp")) << "the media target draws them";
  }
  // The picture pixel at (x, y) of c's drawn frame, in scene coordinates, and
  // its mask; outside the frame: black over a clear mask.
  static Pixel image_of(const Creature& c, Surface picture, int x, int y, int32_t frame_x) {
    if (x < c.X || y < c.Y || x >= c.X + c.Width || y >= c.Y + c.Height) return 0;
    return surface_view(picture).at(frame_x + x - c.X, y - c.Y);
  }
  static Pixel mask_of(const Creature& c, Surface picture, int x, int y, int32_t frame_x) {
    if (x < c.X || y < c.Y || x >= c.X + c.Width || y >= c.Y + c.Height) return 0xFFFFFF;
    return surface_view(picture).at(frame_x + x - c.X, c.Height + y - c.Y);
  }
  static Pixel through(Pixel below, Pixel mask, Pixel image) { return (below & mask) | image; }
};

TEST_F(RealScene, RatTwoPassesBehindAFarStoneAndRatOneInFrontOfACloseOne) {
  start(only("rat"), VEXMOOR_MEDIA_DIR);
  Creature &far_rat = s.Rat[2], &near_rat = s.Rat[1], &far = s.TombStone2, &close = s.TombStone1;
  far_rat.X = far.X + far.Width / 2;  // half over the stone's foot, half beside it
  far_rat.Y = far.Y + far.Height - 35;
  near_rat.X = close.X + 30;
  near_rat.Y = close.Y + close.Height - 50;
  for (Creature* r : {&far_rat, &near_rat}) {
    r->Frame = 0;
    r->StripX = 0;
    r->SpeedX = 0;
  }
  ticks(1);
  int hidden = 0, shown = 0, over_stone = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      if (mask_of(far_rat, far_rat.Picture, x, y, 0) == 0) {
        // The rat as drawn, then the stone over it.
        const Pixel rat = image_of(far_rat, far_rat.Picture, x, y, 0);
        const Pixel stone_mask = mask_of(far, far.Picture, x, y, 0);
        ASSERT_EQ(frame(x, y), through(rat, stone_mask, image_of(far, far.Picture, x, y, 0))) << x << "," << y;
        hidden += stone_mask == 0 && frame(x, y) != rat;
        shown += stone_mask == 0xFFFFFF;
      }
      if (mask_of(near_rat, near_rat.Picture, x, y, 0) == 0) {
        ASSERT_EQ(frame(x, y), image_of(near_rat, near_rat.Picture, x, y, 0)) << x << "," << y;
        over_stone += mask_of(close, close.Picture, x, y, 0) == 0;
      }
    }
  EXPECT_GT(hidden, 100);  // much of the far rat is behind its stone
  EXPECT_GT(shown, 100);   // and the rest of it beside the stone
  EXPECT_GT(over_stone, 300);
}

TEST_F(RealScene, TheForegroundBandHidesTheZombiesLegsButNotItsHead) {
  start(only("zombie"), VEXMOOR_MEDIA_DIR);
  s.Zombie.X = 460;
  auto band = [&](const Creature& layer, int x, int y) { return surface_view(layer.Picture).at(x, y - layer.Y); };
  int legs_hidden = 0, head_shown = 0;
  // Along a stretch of its walk behind the fence: posts and bushes come and go.
  for (int t = 0; t < 60; ++t) {
    const Creature z = s.Zombie;  // as it is drawn this tick
    const int32_t frame_x = z.Frame * z.Width;
    ticks(1);
    for (int y = z.Y; y < s.BackgroundBottom.Y; ++y)
      for (int x = z.X; x < z.X + z.Width; ++x) {
        if (mask_of(z, z.Picture, x, y, frame_x) != 0) continue;
        const Pixel zombie = image_of(z, z.Picture, x, y, frame_x);
        const Pixel m = band(s.BackgroundMid2, x, y);
        ASSERT_EQ(frame(x, y), through(zombie, m, band(s.BackgroundMid3, x, y))) << x << "," << y;
        if (y >= z.Y + z.Height * 2 / 3) legs_hidden += m == 0;
        if (y < z.Y + z.Height / 4) head_shown += m == 0xFFFFFF;
      }
  }
  EXPECT_GT(legs_hidden, 60 * 100);
  EXPECT_GT(head_shown, 60 * 40);
}

TEST_F(RealScene, TheWatchmanAndTheFirefliesAddLightWithoutDarkeningAnything) {
  start(only("watchman firefly"), VEXMOOR_MEDIA_DIR);
  auto place = [&] {
    s.Watchman.X = 360;  // between the far stones
    s.Watchman.Frame = 3;
    for (int i = 2; i <= 15; ++i) s.FireFly[i].X = -2000;
    s.FireFly[1].X = 600;
    s.FireFly[1].Y = 200;
    s.FireFly[1].Frame = 2;
  };
  s.Watchman.Enabled = s.FireFly[1].Enabled = kFalse;
  ticks(1);
  std::vector<Pixel> before(frame_view().pixels, frame_view().pixels + 800 * 600);
  s.Watchman.Enabled = s.FireFly[1].Enabled = kTrue;
  place();
  const Creature w = s.Watchman, f = s.FireFly[1];
  ticks(1);
  int lit = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      const Pixel glow =
          image_of(w, w.Picture, x, y, 3 * w.Width) | image_of(f, s.FireFly[1].Picture, x, y, 2 * f.Width);
      ASSERT_EQ(frame(x, y), before[y * 800 + x] | glow) << x << "," << y;
      lit += frame(x, y) != before[y * 800 + x];
    }
  EXPECT_GT(lit, 500);
}

// Every position, frame and counter after a tick lies inside its creature's
// cycle; the first one found outside is described.
std::string outside_cycles(const Scene& s, const FrameCounters& c, long long tick) {
  auto in = [](long long v, long long lo, long long hi) { return lo <= v && v <= hi; };
  const int v1000 = c.TickTo1000, v40 = c.TickTo40, v100 = c.TickTo100;
  if (v1000 != tick % 1001 || v40 != tick % 41 || v100 != tick % 101) return "counters";
  for (int i = 1; i <= 6; ++i) {
    const Creature& b = s.Bat[i];
    if (!in(b.X, -403, 1203) || !in(b.Y, 314, 356) || !in(b.Frame, 0, 7) || b.StripX != (b.SpeedX < 0 ? 208 : 0))
      return "bat " + std::to_string(i);
  }
  for (int i = 1; i <= 15; ++i) {
    const Creature& f = s.FireFly[i];
    if (!in(f.X, -402, 1202) || !in(f.Y, -152, 402) || !in(f.Frame, 0, 7) || f.SpeedX == 0 || f.SpeedY == 0 ||
        !in(f.SpeedX, -2, 2) || !in(f.SpeedY, -2, 2))
      return "firefly " + std::to_string(i);
  }
  if (!in(s.Dove.X, -405, 1205) || s.Dove.StripX != (s.Dove.SpeedX > 0 ? 216 : 0)) return "dove";
  for (int i = 1; i <= 2; ++i) {
    const Creature& r = s.Rat[i];
    const int step = i == 1 ? 10 : 8;
    if (!in(r.X, -400 - step, 1200 + step) || r.StripX != (r.SpeedX < 0 ? r.Width * r.FrameCount : 0))
      return "rat " + std::to_string(i);
  }
  if (!in(s.Skeleton1.X, -400, 2400) || !in(s.Skeleton1.Frame, 0, 11)) return "skeleton 1";
  if (!in(s.Skeleton2.X, -1207, 3607) || s.Skeleton2.StripX != (s.Skeleton2.SpeedX > 0 ? 540 : 0)) return "skeleton 2";
  if (!in(s.Zombie.X, 180, 1200) || !in(s.Watchman.X, -400, 1200) || !in(s.BouncingPumpkin.X, -405, 1205))
    return "walkers";
  if (!in(s.Scorpion.Y, 500, 1500) || s.Scorpion.X != 700 - 2 * (s.Scorpion.Y - 500)) return "scorpion";
  const int bolt1 = s.Lightning[1].Frame, bolt2 = s.Lightning[2].Frame;
  if (!in(bolt1, -1, 1) || !in(bolt2, -1, 1) || (bolt1 >= 0) != (in(v100, 33, 35) || in(v100, 43, 44)) ||
      (bolt2 >= 0) != (in(v100, 80, 82) || in(v100, 90, 91)))
    return "lightning";
  const int hand = s.Hand.Frame;
  if (!in(hand, 0, 16) || ((in(v1000, 0, 29) || in(v1000, 96, 499) || in(v1000, 566, 1000)) && hand != 0) ||
      ((in(v1000, 45, 79) || in(v1000, 515, 549)) && hand != 16))
    return "hand";
  if (!in(s.Owl.Frame, 0, 5) || ((in(v100, 0, 69) || in(v100, 94, 100)) && s.Owl.Frame != 0) ||
      (in(v100, 74, 89) && s.Owl.Frame != 5))
    return "owl";
  if (!in(s.Medallion.Frame, 0, 2) || (!in(v100, 40, 51) && s.Medallion.Frame != 0)) return "medallion";
  if (!in(s.Crow1.Frame, 0, 5) || !in(s.Crow2.Frame, 0, 6) || !in(s.BloodDrip.Frame, 0, 13) ||
      !in(s.GraveDigger.Frame, 0, 15) || !in(s.Flower.Frame, 0, 7))
    return "loops";
  const int32_t spider = s.Spider.Y;
  if (!in(spider, -93, 155) || ((in(v1000, 0, 29) || in(v1000, 120, 1000)) && spider != -93) ||
      (in(v1000, 60, 89) && spider != 155))
    return "spider";
  return {};
}

TEST_F(RealScene, EachFrameStartsFromTheLayersWholePicturesLeavingNoTrace) {
  // Every creature about for a while, then all switched off: the next frame
  // is the layers and the stones alone, as if nothing had ever passed.
  start(all_creatures_ini(), VEXMOOR_MEDIA_DIR);
  ticks(150);  // the first bolt has flashed, the spider has been down
  for (std::size_t i = 0; i < kCreatureKeys.size(); ++i) creature_for_key(i).Enabled = kFalse;
  ticks(1);
  Bitmap expected(800, 600, 0);
  auto layer = [&](const Creature& l, Rop rop) {
    bit_blt(expected.view(), l.X, l.Y, l.Width, l.Height, surface_view(l.Picture), 0, 0, rop);
  };
  auto stone = [&](const Creature& t, Surface picture) {
    bit_blt(expected.view(), t.X, t.Y, t.Width, t.Height, surface_view(picture), 0, t.Height, Rop::kSrcAnd);
    bit_blt(expected.view(), t.X, t.Y, t.Width, t.Height, surface_view(picture), 0, 0, Rop::kSrcPaint);
  };
  layer(s.BackgroundTop, Rop::kSrcCopy);
  layer(s.BackgroundMid1, Rop::kSrcCopy);
  layer(s.BackgroundMid2, Rop::kSrcAnd);
  layer(s.BackgroundMid3, Rop::kSrcPaint);
  layer(s.BackgroundBottom, Rop::kSrcCopy);
  stone(s.TombStone2, s.TombStone2.Picture);
  stone(s.TombStone3, s.TombStone2.Picture);
  stone(s.TombStone1, s.TombStone1.Picture);
  stone(s.TombStone4, s.TombStone4.Picture);
  int differing = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) differing += frame(x, y) != expected.view().at(x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_TRUE(reports().empty());
}

TEST_F(RealScene, AHundredThousandDrawnTicksWithEveryCreatureStayInTheirCycles) {
  start(all_creatures_ini(), VEXMOOR_MEDIA_DIR);
  const long long n = 100000 / kLongRunScale;
  for (long long t = 1; t <= n; ++t) {
    ticks(1);
    const std::string outside = outside_cycles(s, c, t);
    ASSERT_EQ(outside, "") << "tick " << t;
  }
  EXPECT_TRUE(reports().empty());
  EXPECT_NE(frame(400, 100), 0u);
}

TEST_F(Creatures, TwoMillionTicksOfTheCreaturesStateStayInTheirCycles) {
  // The creatures alone: no window, no pictures, no frame buffer.
  test::set_screen(800, 600);
  settings().MediaDirectory = dir_ / "no-media/";
  write_settings(all_creatures_ini());
  read_settings();
  Properties_Creatures();
  auto step = [](I16& counter, int top) { counter = counter + 1 > top ? 0 : counter + 1; };
  const long long n = 2000000 / kLongRunScale;
  for (long long t = 1; t <= n; ++t) {
    step(c.TickTo1000, 1000);
    step(c.TickTo40, 40);
    step(c.TickTo100, 100);
    screen_saver::compose_frame();
    if (t % 7 == 0 || t < 5000) {
      const std::string outside = outside_cycles(s, c, t);
      ASSERT_EQ(outside, "") << "tick " << t;
    }
  }
  EXPECT_TRUE(reports().empty());
}

TEST_F(RealScene, RedrawingOnlyWhatChangedGivesTheSameFramesAsRedrawingAll) {
  start(all_creatures_ini(), VEXMOOR_MEDIA_DIR);
  const int n = 1300 / kLongRunScale;
  PixelView fb = frame_view();
  const std::size_t size = static_cast<std::size_t>(fb.width) * fb.height;
  int differing_frames = 0;
  for (int t = 1; t <= n; ++t) {
    const Scene before = s;
    const std::vector<Pixel> shown_before(fb.pixels, fb.pixels + size);
    ticks(1);  // composed by redrawing what changed
    const Scene after = s;
    const std::vector<Pixel> changed_only(fb.pixels, fb.pixels + size);
    // The same tick again from the same state, every step over the whole frame.
    s = before;
    std::copy(shown_before.begin(), shown_before.end(), fb.pixels);
    s.Steps.redraw_changes_only = false;
    screen_saver::compose_frame();
    differing_frames += !std::equal(changed_only.begin(), changed_only.end(), fb.pixels);
    s = after;
    std::copy(changed_only.begin(), changed_only.end(), fb.pixels);
  }
  EXPECT_EQ(differing_frames, 0);
  EXPECT_TRUE(reports().empty());
}

TEST_F(RealScene, ShowingOnlyWhatChangedKeepsTheScreenEqualToTheWholeFrameShown) {
  // A screen that stretches by an uneven ratio, with both labels over it.
  start(all_creatures_ini() + "clock=1\nmessagetext=Boo\n", VEXMOOR_MEDIA_DIR, 1366, 768);
  const int n = 1500 / kLongRunScale;
  int by_parts = 0, differing = 0;
  for (int t = 1; t <= n; ++t) {
    ticks(1);
    by_parts += !s.Steps.changed_whole;
    PixelView shown = screen_saver::state().window->canvas();
    shown.width = std::min(shown.width, 1366);
    shown.height = std::min(shown.height, 768);
    Bitmap whole(shown.width, shown.height, 0x00ABCDEF);
    screen_saver::present_frame(whole.view());
    draw_labels(whole.view());
    bool same = true;
    for (int y = 0; y < shown.height && same; ++y)
      same = std::equal(shown.row(y), shown.row(y) + shown.width, whole.view().row(y));
    differing += !same;
  }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(by_parts, n * 9 / 10);  // the scene mostly stands still between frames
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
