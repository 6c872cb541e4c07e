// The creatures' rules tick by tick, on pictures whose frames each carry a
// colour of their own, so a pixel of the frame buffer tells which frame of
// which strip was drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "animation/background.h"
#include "animation/creature.h"
#include "animation/drawing.h"
#include "animation/moving.h"
#include "animation/properties.h"
#include "animation/scheduled.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "support/saver_harness.h"
#include "support/test_support.h"

namespace vex {
namespace {

constexpr Pixel kGround = rgb(10, 20, 30);

// The colour of frame f of strip k: never black, never white.
Pixel coded(int f, int k) { return rgb(40 + f, 100 + k * 60, 200); }

// A picture of strips x frames of w x h with a mask row: each frame's sprite
// fills it but for a one-pixel border.
Surface coded_picture(int w, int h, int frames, int strips) {
  Surface s = create_surface(w * frames * strips, 2 * h, 0);
  PixelView v = surface_view(s);
  for (int k = 0; k < strips; ++k)
    for (int f = 0; f < frames; ++f)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const bool sprite = x > 0 && y > 0 && x < w - 1 && y < h - 1;
          const int px = (k * frames + f) * w + x;
          v.row(y)[px] = sprite ? coded(f, k) : 0;
          v.row(h + y)[px] = sprite ? 0 : 0xFFFFFF;
        }
  return s;
}

class CreatureRules : public test::ProgramTest {
 protected:
  CreatureRules() {
    test::set_screen(800, 600);
    settings().MediaDirectory = dir_ / "no-media/";
    Properties_Creatures();
    surfaces().FrameBuffer = create_surface(800, 600, 0);
    clear();
  }
  void clear() { fill_rect(fb(), 0, 0, 800, 600, kGround); }
  PixelView fb() const { return surface_view(surfaces().FrameBuffer); }
  Pixel at(int x, int y) const { return fb().at(x, y); }
  // Which frame (and strip) of a coded picture covers (x, y); -1 for none.
  int frame_at(int x, int y, int strip = 0) const {
    for (int f = 0; f < 32; ++f)
      if (at(x, y) == coded(f, strip)) return f;
    return -1;
  }
  // Gives c a coded picture of its own size and frames.
  void code(Creature& c, int strips = 1) { c.Picture = coded_picture(c.Width, c.Height, c.FrameCount, strips); }
  Scene& s = scene();
};

TEST_F(CreatureRules, ABatTurnsOnlyPastTheEdgesAndDrawsTheStripForItsWay) {
  code(s.Bat[1], 2);
  Creature& bat = s.Bat[1];
  for (int i = 2; i <= 6; ++i) s.Bat[i].X = -3000;  // out of the way
  bat.X = 1197;                                     // moving right by 3: 1200 stays inside, 1203 has passed it
  bat.Y = 330;
  bat.Frame = 0;
  Anim_Bat(scene());
  EXPECT_EQ(bat.X, 1200);
  EXPECT_EQ(bat.SpeedX, 3);
  Anim_Bat(scene());
  EXPECT_EQ(bat.X, 1203);
  EXPECT_EQ(bat.SpeedX, -3);
  EXPECT_EQ(bat.StripX, 208);
  // In view, drawn from the leftward strip (the second).
  bat.X = 400;
  clear();
  Anim_Bat(scene());
  EXPECT_EQ(frame_at(410, bat.Y - 1 + 8, 1), 2);  // the frame before the advance
  EXPECT_EQ(frame_at(410, bat.Y - 1 + 8, 0), -1);
  // 1201 turns too: the edge test is strict, not a multiple of the speed.
  bat.X = 1198;
  bat.SpeedX = 3;
  bat.StripX = 0;
  Anim_Bat(scene());
  EXPECT_EQ(bat.X, 1201);
  EXPECT_EQ(bat.StripX, 208);
  // And at -401 back to the rightward strip.
  bat.X = -398;
  Anim_Bat(scene());
  EXPECT_EQ(bat.X, -401);
  EXPECT_EQ(bat.SpeedX, 3);
  EXPECT_EQ(bat.StripX, 0);
  EXPECT_TRUE(reports().empty());
}

TEST_F(CreatureRules, BatsFlutterInTheFortyRowsBelowTheFirstBandsTop) {
  for (int i = 2; i <= 6; ++i) s.Bat[i].X = -3000;
  Creature& bat = s.Bat[1];
  bat.X = 100;
  // Down a row a tick: 355 is still inside, 356 has passed it and turns.
  bat.Y = 354;
  bat.SpeedY = 1;
  Anim_Bat(scene());
  EXPECT_EQ(bat.Y, 355);
  EXPECT_EQ(bat.SpeedY, 1);
  Anim_Bat(scene());
  EXPECT_EQ(bat.Y, 356);
  EXPECT_EQ(bat.SpeedY, -1);
  Anim_Bat(scene());
  EXPECT_EQ(bat.Y, 355);
  // Up: 315 is inside, 314 turns.
  bat.Y = 316;
  bat.SpeedY = -1;
  Anim_Bat(scene());
  EXPECT_EQ(bat.Y, 315);
  EXPECT_EQ(bat.SpeedY, -1);
  Anim_Bat(scene());
  EXPECT_EQ(bat.Y, 314);
  EXPECT_EQ(bat.SpeedY, 1);
  // A whole flutter from the band's top: 42 ticks down and back.
  bat.Y = 315;
  bat.SpeedY = 1;
  std::vector<int32_t> ys;
  for (int t = 0; t < 84; ++t) {
    Anim_Bat(scene());
    ys.push_back(bat.Y);
  }
  EXPECT_EQ(*std::max_element(ys.begin(), ys.end()), 356);
  EXPECT_EQ(*std::min_element(ys.begin(), ys.end()), 314);
  EXPECT_EQ(ys[40], 356);  // the 41st tick goes one row past the band
  EXPECT_EQ(ys[82], 314);
}

TEST_F(CreatureRules, AllSixBatsAndAllFifteenFirefliesAreDrawnFromTheirFirstOnesPicture) {
  code(s.Bat[1], 2);
  code(s.FireFly[1]);
  // Only the first of each family has a picture; each member at a place of
  // its own, in view.
  for (int i = 1; i <= 6; ++i) {
    s.Bat[i].X = 100 * i;
    s.Bat[i].Y = 330;
    s.Bat[i].Frame = i;
    s.Bat[i].StripX = 0;
  }
  for (int i = 1; i <= 15; ++i) {
    s.FireFly[i].X = 50 * i;
    s.FireFly[i].Y = 100;
    s.FireFly[i].Frame = i % 8;
  }
  Anim_Bat(scene());
  Anim_FireFly(scene());
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(frame_at(100 * i + 10, 340), i) << "bat " << i;
  for (int i = 1; i <= 15; ++i) {
    // Glow: ORed over the ground.
    const Pixel glow = coded(i % 8, 0) | kGround;
    EXPECT_EQ(at(50 * i + 10, 110), glow) << "firefly " << i;
  }
}

TEST_F(CreatureRules, TheWatchmanAddsOnlyItsImageRowsLight) {
  // Its picture with rows below the image that a masked draw would take
  // as the mask (black: cover all); the watchman ORs the image row alone.
  code(s.Watchman);
  s.Watchman.X = 300;
  s.Watchman.Y = 200;
  s.Watchman.Frame = 2;
  Anim_Watchman(scene());
  EXPECT_EQ(at(340, 280), coded(2, 0) | kGround);
  EXPECT_EQ(at(300, 200), kGround);  // its black border adds nothing
  EXPECT_EQ(s.Watchman.X, 296);
}

TEST_F(CreatureRules, TheWatchmanWalksBackInFromTheRightAfterPassingTheLeftEnd) {
  Creature& w = s.Watchman;
  EXPECT_EQ(w.X, 400);  // the middle of an 800-wide screen
  for (int t = 1; t <= 200; ++t) Anim_Watchman(scene());
  EXPECT_EQ(w.X, -400);  // on the end: still walking
  Anim_Watchman(scene());
  EXPECT_EQ(w.X, 1200);  // past it: back at the right end
  Anim_Watchman(scene());
  EXPECT_EQ(w.X, 1196);
}

TEST_F(CreatureRules, TheSecondSkeletonTurnsOnlyBeyondThreeTimesTheSceneBounds) {
  code(s.Skeleton2, 2);
  Creature& k = s.Skeleton2;
  EXPECT_EQ(k.StripX, 0);  // starts walking left on the first strip
  k.X = -1193;
  Anim_Skeleton2(scene());
  EXPECT_EQ(k.X, -1200);
  EXPECT_EQ(k.SpeedX, -7);
  Anim_Skeleton2(scene());
  EXPECT_EQ(k.X, -1207);
  EXPECT_EQ(k.SpeedX, 7);
  EXPECT_EQ(k.StripX, 540);  // the rightward strip
  k.X = 3593;
  Anim_Skeleton2(scene());
  EXPECT_EQ(k.X, 3600);
  EXPECT_EQ(k.SpeedX, 7);
  Anim_Skeleton2(scene());
  EXPECT_EQ(k.X, 3607);
  EXPECT_EQ(k.SpeedX, -7);
  EXPECT_EQ(k.StripX, 0);
  // Drawn from the strip it now shows.
  k.X = 300;
  k.Y = 386;
  k.Frame = 5;
  k.StripX = 540;
  clear();
  Anim_Skeleton2(scene());
  EXPECT_EQ(frame_at(320, 400, 1), 5);
}

TEST_F(CreatureRules, TheLoopingCreaturesShowEveryFrameInTurn) {
  struct Loop {
    Creature* c;
    void (*step)(Scene&);
    int frames;
  };
  auto flower = [](Scene& sc) { Anim_Still_Loop(sc.Flower); };
  const Loop loops[] = {{&s.Crow2, Anim_Crow2, 7},
                        {&s.GraveDigger, Anim_GraveDigger, 16},
                        {&s.BloodDrip, Anim_BloodDrip, 14},
                        {&s.Flower, flower, 8}};
  for (const Loop& l : loops) {
    SCOPED_TRACE(l.c->FileName);
    code(*l.c);
    l.c->X = 300;
    l.c->Y = 200;
    for (int t = 0; t < 2 * l.frames; ++t) {
      const int expected = (1 + t) % l.frames;  // each starts on frame 1
      clear();
      l.step(scene());
      ASSERT_EQ(frame_at(310, 210), expected) << "tick " << t;
    }
  }
}

TEST_F(CreatureRules, TheThreadIsDrawnOverTheSpidersTopRow) {
  // A spider whose picture covers its top row too: the thread, drawn after
  // it, stands over it in the middle column.
  Surface full = create_surface(79, 2 * 93, 0);
  fill_rect(surface_view(full), 0, 0, 79, 93, coded(0, 0));
  s.Spider.Picture = full;
  s.Spider.Y = 100;
  counters().TickTo1000 = 500;
  Anim_Spider(scene());
  EXPECT_EQ(at(200 + 39, 100), rgb(128, 128, 128));
  EXPECT_EQ(at(200 + 39, 101), coded(0, 0));
  EXPECT_EQ(at(200 + 38, 100), coded(0, 0));
}

TEST_F(CreatureRules, WalkersAtTheirEdgesExactlyKeepGoing) {
  struct Case {
    Creature* c;
    void (*step)(Scene&);
    int32_t x;
    int speed;
  };
  auto rat1 = [](Scene& sc) { Anim_Rat(sc, 1); };
  const Case cases[] = {
      {&s.Dove, Anim_Dove, 1200, 5},
      {&s.Dove, Anim_Dove, -400, -5},
      {&s.Rat[1], rat1, 1200, 10},
      {&s.Rat[1], rat1, -400, -10},
      {&s.BouncingPumpkin, Anim_BouncingPumpkin, 1200, 5},
      {&s.BouncingPumpkin, Anim_BouncingPumpkin, -400, -5},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.c->FileName);
    k.c->X = k.x - k.speed;  // one step before the edge
    k.c->SpeedX = k.speed;
    k.step(scene());
    EXPECT_EQ(k.c->X, k.x);
    EXPECT_EQ(k.c->SpeedX, k.speed);  // on the edge: no turn yet
    k.step(scene());
    EXPECT_EQ(k.c->X, k.x + k.speed);
    EXPECT_EQ(k.c->SpeedX, -k.speed);  // past it: turned
  }
  // The dove and the rats show the strip for their new way; the pumpkin has one.
  EXPECT_EQ(s.Dove.StripX, 216);  // last turned at the left edge: now going right
  EXPECT_EQ(s.Rat[1].StripX, 0);
  EXPECT_EQ(s.BouncingPumpkin.StripX, 0);
}

TEST_F(CreatureRules, FirefliesTurnOnlyBeyondTheirRange) {
  for (int i = 2; i <= 15; ++i) s.FireFly[i].X = 100;
  Creature& f = s.FireFly[1];
  f.SpeedX = 2;
  f.SpeedY = -2;
  f.X = 1198;  // to exactly 1200: inside
  f.Y = -148;  // to exactly -150: inside
  Anim_FireFly(scene());
  EXPECT_EQ(f.SpeedX, 2);
  EXPECT_EQ(f.SpeedY, -2);
  Anim_FireFly(scene());  // 1202 and -152: both turn
  EXPECT_EQ(f.SpeedX, -2);
  EXPECT_EQ(f.SpeedY, 2);
  f.X = -398;
  f.SpeedX = -2;
  f.Y = 399;
  f.SpeedY = 2;
  Anim_FireFly(scene());  // -400 and 401: only y has passed its edge
  EXPECT_EQ(f.SpeedX, -2);
  EXPECT_EQ(f.SpeedY, -2);
}

TEST_F(CreatureRules, RatTwoStartsRunningLeftOnFrameThreeOfItsLeftwardStrip) {
  code(s.Rat[2], 2);
  Creature& rat = s.Rat[2];
  EXPECT_EQ(rat.StripX, 225);
  rat.X = 300;  // into view, otherwise as it starts
  Anim_Rat(scene(), 2);
  EXPECT_EQ(frame_at(320, 515, 1), 3);
  EXPECT_EQ(rat.X, 292);
  EXPECT_EQ(rat.Frame, 4);
  // Past the left edge it turns right and shows the first strip.
  rat.X = -396;
  Anim_Rat(scene(), 2);
  Anim_Rat(scene(), 2);
  EXPECT_EQ(rat.SpeedX, 8);
  EXPECT_EQ(rat.StripX, 0);
}

TEST_F(CreatureRules, AFailureIsReportedUnderTheRoutinesNameAndStopsTheFamily) {
  Anim_Rat(scene(), 3);
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 9 Animations\\Anim_Rat");
  // A frame whose strip offset no longer fits 16 bits: the third bat fails,
  // the ones after it are not drawn or moved this tick.
  s.Bat[3].Frame = 7;
  s.Bat[3].Width = 5000;
  const int32_t fourth = s.Bat[4].X, second = s.Bat[2].X;
  Anim_Bat(scene());
  ASSERT_EQ(reports().size(), 2u);
  EXPECT_EQ(reports()[1], "Error Code: VXMR- 6 Animations\\Anim_Bat");
  EXPECT_EQ(s.Bat[2].X, second + 3);
  EXPECT_EQ(s.Bat[4].X, fourth);
  // Turning a speed round that does not fit 16 bits reports too.
  s.BouncingPumpkin.SpeedX = -32768;
  s.BouncingPumpkin.X = -300;
  Anim_BouncingPumpkin(scene());  // turning -32768 round does not fit
  ASSERT_EQ(reports().size(), 3u);
  EXPECT_EQ(reports()[2], "Error Code: VXMR- 6 Animations\\Anim_BouncingPumpkin");
}

// The frame each scheduled creature shows at counter values 1..last, from
// its start, one call a tick.
template <typename Call>
std::vector<int> shown(I16& counter, I16& frame, int last, Call call) {
  std::vector<int> r(1, 0);  // index = counter value
  for (int v = 1; v <= last; ++v) {
    counter = v;
    r.push_back(frame);
    call();
  }
  return r;
}

TEST_F(CreatureRules, EachBoltFlashesTwiceAndIsHiddenWhileTheOtherThunders) {
  code(s.Lightning[1]);
  code(s.Lightning[2]);
  std::vector<int> one, two;
  for (int v = 1; v <= 100; ++v) {
    counters().TickTo100 = v;
    clear();
    Anim_Lightning(scene());
    one.push_back(frame_at(400, 300));  // inside bolt 1 at (320, 214)
    two.push_back(frame_at(100, 200));  // inside bolt 2 at (20, 125)
  }
  auto seen = [](const std::vector<int>& frames) {
    std::vector<std::pair<int, int>> r;  // tick, frame
    for (int v = 1; v <= 100; ++v)
      if (frames[v - 1] >= 0) r.emplace_back(v, frames[v - 1]);
    return r;
  };
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(seen(one), (P{{34, 0}, {35, 1}, {36, 0}, {44, 0}, {45, 1}}));
  EXPECT_EQ(seen(two), (P{{81, 0}, {82, 1}, {83, 0}, {91, 0}, {92, 1}}));
  // A bolt left showing (the lightning switched off mid-flash) is hidden by
  // its own next tick, even while the other bolt thunders.
  s.Lightning[1].Frame = 1;
  s.Lightning[2].Frame = 0;
  counters().TickTo100 = 30;
  Anim_Lightning(scene());
  EXPECT_EQ(s.Lightning[1].Frame, 1);
  EXPECT_EQ(s.Lightning[2].Frame, -1);
  s.Lightning[1].Frame = 0;
  s.Lightning[2].Frame = 1;
  counters().TickTo100 = 78;
  Anim_Lightning(scene());
  EXPECT_EQ(s.Lightning[1].Frame, -1);
  EXPECT_EQ(s.Lightning[2].Frame, 1);
}

TEST_F(CreatureRules, TheMedallionGlintsThreeTimesAndRestsOnFrameZero) {
  std::vector<int> f = shown(counters().TickTo100, s.Medallion.Frame, 100, [&] { Anim_Medallion(s); });
  const std::vector<int> glints = {1, 2, 1, 0, 1, 2, 1, 0, 1, 2, 1, 0};  // ticks 41..52
  EXPECT_EQ(std::vector<int>(f.begin() + 41, f.begin() + 53), glints);
  for (int v = 1; v <= 100; ++v)
    if (v < 41 || v > 52) { EXPECT_EQ(f[v], 0) << "tick " << v; }
  s.Medallion.Frame = 2;  // however it was left, outside its glints it rests
  counters().TickTo100 = 60;
  Anim_Medallion(scene());
  EXPECT_EQ(s.Medallion.Frame, 0);
}

TEST_F(CreatureRules, TheHandRisesWaitsAndSinksTwiceEveryThousandTicks) {
  std::vector<int> f = shown(counters().TickTo1000, s.Hand.Frame, 1000, [&] { Anim_Hand(s); });
  for (int v = 1; v <= 1000; ++v) {
    int expected = 0;
    if (v >= 31 && v <= 46) expected = v - 30;     // rising through 1..16
    if (v > 46 && v < 81) expected = 16;           // up
    if (v >= 81 && v <= 96) expected = 96 - v;     // sinking to 0
    if (v >= 501 && v <= 516) expected = v - 500;  // again
    if (v > 516 && v < 551) expected = 16;
    if (v >= 551 && v <= 566) expected = 566 - v;
    ASSERT_EQ(f[v], expected) << "tick " << v;
  }
  EXPECT_EQ(s.Hand.Frame, 0);  // the cycle ends where it started
}

TEST_F(CreatureRules, TheFirstCrowTurnsItsHeadAndCaws) {
  std::vector<int> f = shown(counters().TickTo40, s.Crow1.Frame, 40, [&] { Anim_Crow1(s.Crow1); });
  // Set at v, shown at v + 1.
  const std::vector<std::pair<int, int>> changes = {{6, 2},  {7, 3},  {12, 4}, {13, 5}, {19, 0},
                                                    {20, 1}, {26, 2}, {27, 3}, {36, 2}, {37, 3}};
  int expected = 1;
  for (int v = 1; v <= 40; ++v) {
    for (auto [tick, frame] : changes)
      if (tick == v) expected = frame;
    EXPECT_EQ(f[v], expected) << "tick " << v;
  }
  // The record passed is the one animated (the settings dialog passes its own).
  Creature preview = s.Crow1;
  preview.Frame = 0;
  counters().TickTo40 = 11;
  Anim_Crow1(preview);
  EXPECT_EQ(preview.Frame, 4);
  EXPECT_EQ(s.Crow1.Frame, 3);
}

TEST_F(CreatureRules, TheSpiderComesDownWaitsAndClimbsBackOnItsThread) {
  code(s.Spider);
  Creature& sp = s.Spider;
  auto grey = [&](int y) { return at(sp.X + 39, y) == rgb(128, 128, 128); };
  std::vector<int32_t> y(1, -93);
  for (int v = 1; v <= 1000; ++v) {
    counters().TickTo1000 = v;
    clear();
    Anim_Spider(scene());
    y.push_back(sp.Y);
    if (v == 31) {
      EXPECT_EQ(sp.Y, -93 + 2 * 8);  // still above the scene: no thread yet
      EXPECT_FALSE(grey(0));
    }
    if (v == 70) {  // hanging at 155: the thread from row 0 down to its top row
      EXPECT_TRUE(grey(0));
      EXPECT_TRUE(grey(155));
      EXPECT_FALSE(grey(156));
      EXPECT_EQ(frame_at(sp.X + 20, 155 + 40), 0);  // the spider itself
    }
  }
  EXPECT_EQ(y[60], 155);
  for (int v = 61; v <= 89; ++v) EXPECT_EQ(y[v], 155) << "tick " << v;
  EXPECT_EQ(y[120], -93);
  for (int v = 121; v <= 1000; ++v) ASSERT_EQ(y[v], -93) << "tick " << v;
  // At 0 the thread is one pixel, at row 0.
  sp.Y = 0;
  counters().TickTo1000 = 500;
  fill_rect(fb(), 0, 0, 800, 600, 0);
  sp.Picture = 0;
  Anim_Spider(scene());
  EXPECT_TRUE(grey(0));
  EXPECT_EQ(at(sp.X + 39, 1), 0u);
}

}  // namespace
}  // namespace vex
