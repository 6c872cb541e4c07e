#include "animation/creatures.h"

#include <algorithm>
#include <cmath>

#include "animation/background.h"
#include "animation/moving.h"
#include "animation/previews.h"
#include "animation/schedule.h"
#include "animation/scheduled.h"
#include "base/convert.h"
#include "base/random.h"

namespace vex {
namespace {

// Size and strip: width, height, frame count and the frame it starts on.
void set_frames(Creature& c, int width, int height, int frame_count, int frame) {
  c.Width = width;
  c.Height = height;
  c.FrameCount = frame_count;
  c.Frame = frame;
}

// A creature that starts at (x, y) with the speed (sx, sy).
void set_out(Creature& c, int width, int height, int frame_count, int frame, int sx, int sy, int32_t x, int32_t y) {
  set_frames(c, width, height, frame_count, frame);
  c.SpeedX = sx;
  c.SpeedY = sy;
  c.X = x;
  c.Y = y;
}

int32_t floor_i32(double v) { return check32(static_cast<long long>(std::floor(v))); }

template <auto Member>
Creature& record(Scene& s) {
  return s.*Member;
}
template <auto Member, std::size_t I>
Creature& member(Scene& s) {
  return (s.*Member)[I];
}

constexpr CreatureRow kRows[] = {
    {.key = "bouncingpumpkin",
     .record = record<&Scene::BouncingPumpkin>,
     .set_up =
         [](Scene& s, LayoutSize screen) {
           set_out(s.BouncingPumpkin, 46, 137, 8, 1, 5, 0, round_to_i32(screen.width / 2.0 - 46 / 2.0), 600 - 137 - 15);
         },
     .pictures = {{{record<&Scene::BouncingPumpkin>, "v_bouncingpumpkin.bmp"}}},
     .steps = {{{180, [](Scene& s) { Anim_BouncingPumpkin(s); }}}},
     .dialog = {1, 3, 0, "CheckBouncingPumpkin", "Pumpkin", "PreviewBouncingPumpkin"},
     .preview = {.draw = Anim_Still_Loop}},
    // On screens narrower than the scene only its right part shows, so the
    // stones move into that part.
    {.set_up =
         [](Scene& s, LayoutSize screen) {
           const int W = screen.width;
           set_frames(s.TombStone1, 134, 199, 0, 0);
           s.TombStone1.Y = 400;
           s.TombStone1.X = W >= 800 ? 15 : (800 - W) + 15;
           set_frames(s.TombStone2, 77, 125, 0, 0);
           s.TombStone2.Y = 450;
           s.TombStone2.X = W >= 800 ? 250 : round_to_i32((800 - W) + W / 2.0 - 77 / 2.0);
           set_frames(s.TombStone3, 77, 125, 0, 0);
           s.TombStone3.Y = 450;
           s.TombStone3.X = W >= 800 ? 473 : 2 * W;
           set_frames(s.TombStone4, 102, 184, 0, 0);
           s.TombStone4.X = 688;
           s.TombStone4.Y = 400;
         },
     .pictures = {{{record<&Scene::TombStone1>, "v_tombstone1.bmp", Load::kWhenInstalled},
                   {record<&Scene::TombStone2>, "v_tombstone2.bmp", Load::kWhenInstalled},
                   {record<&Scene::TombStone4>, "v_tombstone4.bmp", Load::kWhenInstalled}}},
     .steps = {{{170, [](Scene& s) { Anim_FarTombStones(s); }}, {200, [](Scene& s) { Anim_CloseTombStones(s); }}}}},
    {.key = "skeleton1",
     .record = record<&Scene::Skeleton1>,
     .on_at_first_run = true,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Skeleton1, 151, 200, 12, 1, 15, 0, 0, 385); },
     .pictures = {{{record<&Scene::Skeleton1>, "v_skeleton1.bmp"}}},
     .steps = {{{190, [](Scene& s) { Anim_Skeleton1(s); }}}},
     .sound = kFootStepsSound,
     .sound_moment = "frames 4 and 9 of its stride, while some of it is in view",
     .dialog = {0, 3, 0, "CheckSkeleton1", "Skeleton I", "PreviewSkeleton1"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "skeleton2",
     .record = record<&Scene::Skeleton2>,
     .set_up = [](Scene& s,
                  LayoutSize) { set_out(s.Skeleton2, 45, 64, 12, 1, -7, 0, 600, check32(s.BackgroundMid1.Y + 71LL)); },
     .pictures = {{{record<&Scene::Skeleton2>, "v_skeleton2.bmp"}}},
     .steps = {{{30, [](Scene& s) { Anim_Skeleton2(s); }}}},
     .dialog = {0, 4, 0, "CheckSkeleton2", "Skeleton II", "PreviewSkeleton2"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "crow1",
     .record = record<&Scene::Crow1>,
     .on_at_first_run = true,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Crow1, 83, 64, 6, 1, 0, 0, check32(s.TombStone1.X + 51LL), 365); },
     .pictures = {{{record<&Scene::Crow1>, "v_crow1.bmp"}}},
     .steps = {{{220, [](Scene& s) { Anim_Crow1(s.Crow1); }}}},
     .sound = kCrowSound,
     .sound_moment = "TickTo40 at 12, as it caws",
     .dialog = {0, 0, 1, "CheckCrow1", "Crow I", "PreviewCrow1"},
     // The preview shows its own saver routine, on the preview's record.
     .preview = {.draw = [](Creature& c) { Anim_Crow1(c); }}},
    {.key = "crow2",
     .record = record<&Scene::Crow2>,
     .on_at_first_run = true,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Crow2, 84, 59, 7, 1, 0, 0, check32(s.TombStone1.X + 85LL), 540); },
     .pictures = {{{record<&Scene::Crow2>, "v_Crow2.bmp"}}},
     .steps = {{{230, [](Scene& s) { Anim_Crow2(s); }}}},
     .dialog = {0, 1, 1, "CheckCrow2", "Crow II", "PreviewCrow2"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "hand",
     .record = record<&Scene::Hand>,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Hand, 61, 98, 17, 0, 0, 0, 710, 500); },
     .pictures = {{{record<&Scene::Hand>, "v_hand.bmp"}}},
     .steps = {{{240, [](Scene& s) { Anim_Hand(s); }}}},
     .dialog = {1, 2, 0, "CheckHand", "Rising Dead", "PreviewHand"},
     .preview = {.draw = [](Creature&) { Anim_Preview_Hand(); }, .prepare = prepare_hand_preview}},
    {.key = "watchman",
     .record = record<&Scene::Watchman>,
     .on_at_first_run = true,
     .set_up =
         [](Scene& s, LayoutSize screen) {
           set_out(s.Watchman, 87, 157, 14, 1, -4, 0, round_to_i32(screen.width / 2.0), 600 - 157 - 65);
         },
     .pictures = {{{record<&Scene::Watchman>, "v_watchman.bmp"}}},
     .steps = {{{150, [](Scene& s) { Anim_Watchman(s); }}}},
     .dialog = {0, 1, 0, "CheckWatchman", "Lost Spirit", "PreviewWatchman"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "zombie",
     .record = record<&Scene::Zombie>,
     .on_at_first_run = true,
     .set_up = [](Scene& s,
                  LayoutSize) { set_out(s.Zombie, 39, 66, 10, 1, -2, 0, 800, check32(s.BackgroundMid1.Y + 72LL)); },
     .pictures = {{{record<&Scene::Zombie>, "v_zombie.bmp"}}},
     .steps = {{{40, [](Scene& s) { Anim_Zombie(s); }}}},
     .dialog = {0, 2, 0, "CheckZombie", "Zombie", "PreviewZombie"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "blooddrip",
     .record = record<&Scene::BloodDrip>,
     .on_at_first_run = true,
     .set_up =
         [](Scene& s, LayoutSize) {
           set_out(s.BloodDrip, 51, 113, 14, 1, 0, 0, check32(s.TombStone1.X - 20LL), check32(s.TombStone1.Y + 83LL));
         },
     .pictures = {{{record<&Scene::BloodDrip>, "v_blooddrip.bmp"}}},
     .steps = {{{250, [](Scene& s) { Anim_BloodDrip(s); }}}},
     .sound = kBloodDripSound,
     .sound_moment = "frame 4, as the drop lands",
     .dialog = {1, 1, 1, "CheckBloodDrip", "Blood Pool", "PreviewBloodDrip"},
     .preview = {.draw = Anim_Still_Loop}},
    // Rat 1 runs in front of everything, rat 2 behind the far stones; the
    // first one's key switches both.
    {.key = "rat",
     .record = member<&Scene::Rat, 1>,
     .on_at_first_run = true,
     .set_up =
         [](Scene& s, LayoutSize) {
           set_out(s.Rat[1], 65, 43, 5, 1, 10, 0, 0, 550);
           set_out(s.Rat[2], 45, 30, 5, 3, -8, 0, 800, 500);
           // Rat 2 starts running left, so it starts on its leftward strip.
           s.Rat[2].StripX = 225;
         },
     .pictures = {{{member<&Scene::Rat, 1>, "v_rat1.bmp"}, {member<&Scene::Rat, 2>, "v_rat2.bmp"}}},
     .steps = {{{140, [](Scene& s) { Anim_Rat(s, 2); }}, {260, [](Scene& s) { Anim_Rat(s, 1); }}}},
     .dialog = {0, 4, 1, "CheckRat", "Mutant Rats", "PreviewRat"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "gravedigger",
     .record = record<&Scene::GraveDigger>,
     .on_at_first_run = true,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.GraveDigger, 59, 74, 16, 1, 0, 0, 650, 415); },
     .pictures = {{{record<&Scene::GraveDigger>, "v_gravedigger.bmp"}}},
     .steps = {{{120, [](Scene& s) { Anim_GraveDigger(s); }}}},
     .dialog = {0, 0, 0, "CheckGraveDigger", "Grave Digger", "PreviewGraveDigger"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "spider",
     .record = record<&Scene::Spider>,
     .set_up =
         [](Scene& s, LayoutSize screen) {
           set_out(s.Spider, 79, 93, 1, 0, 0, 0, 200, screen.height >= 600 ? -93 : check32(600LL - screen.height - 93));
         },
     .pictures = {{{record<&Scene::Spider>, "v_spider.bmp"}}},
     .steps = {{{270, [](Scene& s) { Anim_Spider(s); }}}},
     .dialog = {1, 0, 0, "CheckSpider", "Black Widow", "PreviewSpider"},
     .preview = {.draw = [](Creature&) { Anim_Preview_Spider(); }, .prepare = prepare_spider_preview}},
    {.key = "scorpion",
     .record = record<&Scene::Scorpion>,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Scorpion, 38, 33, 5, 1, -2, 1, 700, 500); },
     .pictures = {{{record<&Scene::Scorpion>, "v_scorpion.bmp", Load::kWhenInstalled}}},
     .steps = {{{160, [](Scene& s) { Anim_Scorpion(s); }}}},
     .dialog = {1, 1, 0, "CheckScorpion", "Scorpion", "PreviewScorpion"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "flower",
     .record = record<&Scene::Flower>,
     .on_at_first_run = true,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Flower, 50, 50, 8, 1, 0, 0, 335, 468); },
     .pictures = {{{record<&Scene::Flower>, "v_flower.bmp", Load::kWhenInstalled}}},
     .steps = {{{130, [](Scene& s) { Anim_Still_Loop(s.Flower); }}}},
     .dialog = {1, 4, 0, "CheckFlower", "Dead Orchid", "PreviewFlower"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "firefly",
     .record = member<&Scene::FireFly, 1>,
     .set_up =
         [](Scene& s, LayoutSize) {
           for (int i = 1; i <= 15; ++i) {
             Creature& f = s.FireFly[i];
             set_frames(f, 20, 19, 8, 0);
             reseed_from_clock();
             f.Frame = floor_i32(8 * rnd());
             f.SpeedX = floor_i32(5 * rnd() - 2);
             if (f.SpeedX == 0) f.SpeedX = -2;
             reseed_from_clock();
             f.SpeedY = floor_i32(5 * rnd() - 2);
             if (f.SpeedY == 0) f.SpeedY = 2;
             reseed_from_clock();
             f.X = floor_i32(801 * rnd());
             reseed_from_clock();
             f.Y = floor_i32(401 * rnd());
           }
         },
     .pictures = {{{member<&Scene::FireFly, 1>, "v_firefly.bmp", Load::kWhenInstalled}}},
     .steps = {{{290, [](Scene& s) { Anim_FireFly(s); }}}},
     .dialog = {1, 3, 1, "CheckFireFly", "FireFlies", "PreviewFireFly"},
     .preview = {.draw = [](Creature&) { Anim_Preview_FireFly(); },
                 .own_picture = false,
                 .prepare = prepare_firefly_preview}},
    {.key = "lightning",
     .record = member<&Scene::Lightning, 1>,
     .on_at_first_run = true,
     .set_up =
         [](Scene& s, LayoutSize) {
           set_frames(s.Lightning[1], 171, 182, 2, -1);
           s.Lightning[1].X = 320;
           s.Lightning[1].Y = 214;
           set_frames(s.Lightning[2], 171, 182, 2, -1);
           s.Lightning[2].X = 20;
           s.Lightning[2].Y = 125;
         },
     .pictures = {{{member<&Scene::Lightning, 1>, "v_lightning1.bmp", Load::kWhenInstalled},
                   {member<&Scene::Lightning, 2>, "v_lightning2.bmp", Load::kWhenInstalled}}},
     .steps = {{{110, [](Scene& s) { Anim_Lightning(s); }}}},
     .sound = kThunderSound,
     .sound_moment = "TickTo100 at 30 and at 78, before each bolt flashes",
     .dialog = {1, 0, 1, "CheckLightning", "Lightning", "PreviewLightning"},
     .preview = {.draw = [](Creature&) { Anim_Preview_Lightning(); }, .prepare = prepare_lightning_preview}},
    {.key = "owl",
     .record = record<&Scene::Owl>,
     .on_at_first_run = true,
     .set_up = [](Scene& s, LayoutSize) { set_out(s.Owl, 32, 48, 6, 0, 0, 0, 688, 174); },
     .pictures = {{{record<&Scene::Owl>, "v_owl.bmp"}}},
     .steps = {{{280, [](Scene& s) { Anim_Owl(s); }}}},
     .sound = kOwlSound,
     .sound_moment = "as its eyes are fully open",
     .dialog = {0, 2, 1, "CheckOwl", "Stalking Owl", "PreviewOwl"},
     .preview = {.draw = [](Creature&) { Anim_Preview_Owl(); },
                 .strip = "v_owl_preview.bmp",
                 .prepare = prepare_owl_preview}},
    {.key = "dove",
     .record = record<&Scene::Dove>,
     .set_up =
         [](Scene& s, LayoutSize) {
           set_frames(s.Dove, 27, 46, 8, 1);
           s.Dove.SpeedX = -5;
           s.Dove.X = 800;
           s.Dove.Y = s.BackgroundTop.Height;
         },
     .pictures = {{{record<&Scene::Dove>, "v_dove.bmp"}}},
     .steps = {{{20, [](Scene& s) { Anim_Dove(s); }}}},
     .dialog = {1, 4, 1, "CheckDove", "White Dove", "PreviewDove"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "medallion",
     .record = record<&Scene::Medallion>,
     .set_up =
         [](Scene& s, LayoutSize) {
           set_out(s.Medallion, 65, 38, 3, 0, 0, 0, check32(s.TombStone4.X + 18LL), check32(s.TombStone4.Y + 50LL));
         },
     .pictures = {{{record<&Scene::Medallion>, "v_medallion.bmp"}}},
     .steps = {{{210, [](Scene& s) { Anim_Medallion(s); }}}},
     .dialog = {1, 2, 1, "CheckMedallion", "Medallion", "PreviewMedallion"},
     .preview = {.draw = Anim_Still_Loop}},
    {.key = "bat",
     .record = member<&Scene::Bat, 1>,
     .on_at_first_run = true,
     .set_up =
         [](Scene& s, LayoutSize) {
           for (int i = 1; i <= 6; ++i) {
             Creature& b = s.Bat[i];
             set_frames(b, 26, 23, 8, 0);
             b.SpeedX = 3;
             b.SpeedY = 1;
             reseed_from_clock();
             b.Frame = floor_i32(8 * rnd());
             reseed_from_clock();
             b.X = floor_i32(801 * rnd());
             b.Y = floor_i32(std::floor(41 * static_cast<double>(rnd())) + static_cast<double>(s.BackgroundMid1.Y));
           }
         },
     .pictures = {{{member<&Scene::Bat, 1>, "v_bat.bmp"}}},
     .steps = {{{10, [](Scene& s) { Anim_Bat(s); }}}},
     .dialog = {0, 3, 1, "CheckBat", "Vampire Bats", "PreviewBat"},
     .preview = {.draw = Anim_Preview_Multiple, .strip = "v_bat_preview.bmp", .prepare = prepare_bat_preview}},
};

constexpr std::size_t kKeyCount =
    std::count_if(std::begin(kRows), std::end(kRows), [](const CreatureRow& r) { return r.key != nullptr; });

// The rows with a key, by the keys' names.
constexpr std::array<const CreatureRow*, kKeyCount> kByKey = [] {
  std::array<const CreatureRow*, kKeyCount> by{};
  std::size_t n = 0;
  for (const CreatureRow& r : kRows)
    if (r.key) by[n++] = &r;
  std::sort(by.begin(), by.end(), [](const CreatureRow* a, const CreatureRow* b) {
    return std::string_view(a->key) < std::string_view(b->key);
  });
  return by;
}();

constexpr std::array<const char*, kKeyCount> kKeys = [] {
  std::array<const char*, kKeyCount> keys{};
  for (std::size_t i = 0; i < kKeyCount; ++i) keys[i] = kByKey[i]->key;
  return keys;
}();

constexpr std::size_t kStepCount = [] {
  std::size_t n = 0;
  for (const CreatureRow& r : kRows)
    for (const DepthStep& step : r.steps) n += step.draw ? 1 : 0;
  return n;
}();

constexpr std::array<DepthEntry, kStepCount> kDepthOrder = [] {
  std::array<DepthEntry, kStepCount> order{};
  std::size_t n = 0;
  for (const CreatureRow& r : kRows)
    for (const DepthStep& step : r.steps)
      if (step.draw) order[n++] = {step.depth, &r, step.draw};
  std::sort(order.begin(), order.end(), [](const DepthEntry& a, const DepthEntry& b) { return a.depth < b.depth; });
  return order;
}();

// Two steps at one depth would be drawn in no order anyone chose.
static_assert(std::adjacent_find(kDepthOrder.begin(), kDepthOrder.end(), [](const DepthEntry& a, const DepthEntry& b) {
                return a.depth == b.depth;
              }) == kDepthOrder.end());

}  // namespace

std::span<const CreatureRow> creature_table() { return kRows; }

constinit const std::span<const char* const> kCreatureKeys{kKeys};

const CreatureRow& row_for_key(std::size_t i) { return *kByKey.at(i); }

const CreatureRow* find_row(std::string_view key) {
  for (const CreatureRow* row : kByKey)
    if (key == row->key) return row;
  return nullptr;
}

Creature& creature_for_key(Scene& s, std::size_t i) { return row_for_key(i).record(s); }
Creature& creature_for_key(std::size_t i) { return creature_for_key(scene(), i); }

std::span<const DepthEntry> depth_order() { return kDepthOrder; }

bool switched_on(const CreatureRow& row, Scene& s) { return !row.record || row.record(s).Enabled; }

}  // namespace vex
