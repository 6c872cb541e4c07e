// The scene's depth order, one step against the next: for every two
// neighbouring steps of a frame, both are put over one point of the scene
// (everything else kept from drawing there) and a frame tick must leave at
// that point what the later one drawn over the earlier gives, never the
// other way round. Each step is drawn its own way (copied, through its mask,
// ORed as light), so the same point also tells its draw mode; a second tick
// with the point on the later step's see-through border tells its mask.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "animation/creature.h"
#include "display/screen_saver.h"
#include "platform/surfaces.h"
#include "support/saver_harness.h"

namespace vex {
namespace {

constexpr Pixel kGround = rgb(1, 2, 3);

enum class Draw { kCopy, kMasked, kGlow, kAnd };

struct Point {
  int x, y;
};

// One step of the frame as the test can set it up.
struct DepthStep {
  const char* name;
  Draw draw;
  // The records it draws (the first is the one put over the point); none for
  // the layers, whose place is fixed.
  std::function<std::vector<Creature*>(Scene&)> records;
  // The layer or stone drawn (its place is fixed, the point is in it).
  std::function<Creature*(Scene&)> fixed;
  const char* key;  // settings key, or nullptr when always drawn
};

std::vector<Creature*> one(Creature& c) { return {&c}; }

const std::vector<DepthStep>& depth_order() {
  static const std::vector<DepthStep> steps = {
      {"TheSky", Draw::kCopy, nullptr, [](Scene& s) { return &s.BackgroundTop; }, nullptr},
      {"TheFirstBand", Draw::kCopy, nullptr, [](Scene& s) { return &s.BackgroundMid1; }, nullptr},
      {"TheBats", Draw::kMasked,
       [](Scene& s) {
         return std::vector<Creature*>{&s.Bat[1], &s.Bat[2], &s.Bat[3], &s.Bat[4], &s.Bat[5], &s.Bat[6]};
       },
       nullptr, "bat"},
      {"TheDove", Draw::kMasked, [](Scene& s) { return one(s.Dove); }, nullptr, "dove"},
      {"TheSecondSkeleton", Draw::kMasked, [](Scene& s) { return one(s.Skeleton2); }, nullptr, "skeleton2"},
      {"TheZombie", Draw::kMasked, [](Scene& s) { return one(s.Zombie); }, nullptr, "zombie"},
      {"TheBandsMask", Draw::kAnd, nullptr, [](Scene& s) { return &s.BackgroundMid2; }, nullptr},
      {"TheBandsImage", Draw::kGlow, nullptr, [](Scene& s) { return &s.BackgroundMid3; }, nullptr},
      {"TheGround", Draw::kCopy, nullptr, [](Scene& s) { return &s.BackgroundBottom; }, nullptr},
      {"TheLightning", Draw::kMasked,
       [](Scene& s) {
         return std::vector<Creature*>{&s.Lightning[1], &s.Lightning[2]};
       },
       nullptr, "lightning"},
      {"TheGraveDigger", Draw::kMasked, [](Scene& s) { return one(s.GraveDigger); }, nullptr, "gravedigger"},
      {"TheFlower", Draw::kMasked, [](Scene& s) { return one(s.Flower); }, nullptr, "flower"},
      {"TheSecondRat", Draw::kMasked,
       [](Scene& s) {
         return std::vector<Creature*>{&s.Rat[2], &s.Rat[1]};
       },
       nullptr, "rat"},
      {"TheWatchman", Draw::kGlow, [](Scene& s) { return one(s.Watchman); }, nullptr, "watchman"},
      {"TheScorpion", Draw::kMasked, [](Scene& s) { return one(s.Scorpion); }, nullptr, "scorpion"},
      {"TheFarStones", Draw::kMasked, nullptr, [](Scene& s) { return &s.TombStone2; }, nullptr},
      {"ThePumpkin", Draw::kMasked, [](Scene& s) { return one(s.BouncingPumpkin); }, nullptr, "bouncingpumpkin"},
      {"TheFirstSkeleton", Draw::kMasked, [](Scene& s) { return one(s.Skeleton1); }, nullptr, "skeleton1"},
      {"TheCloseStones", Draw::kMasked, nullptr, [](Scene& s) { return &s.TombStone1; }, nullptr},
      {"TheMedallion", Draw::kMasked, [](Scene& s) { return one(s.Medallion); }, nullptr, "medallion"},
      {"TheFirstCrow", Draw::kMasked, [](Scene& s) { return one(s.Crow1); }, nullptr, "crow1"},
      {"TheSecondCrow", Draw::kMasked, [](Scene& s) { return one(s.Crow2); }, nullptr, "crow2"},
      {"TheHand", Draw::kMasked, [](Scene& s) { return one(s.Hand); }, nullptr, "hand"},
      {"TheBloodDrip", Draw::kMasked, [](Scene& s) { return one(s.BloodDrip); }, nullptr, "blooddrip"},
      {"TheFirstRat", Draw::kMasked,
       [](Scene& s) {
         return std::vector<Creature*>{&s.Rat[1], &s.Rat[2]};
       },
       nullptr, "rat"},
      {"TheSpider", Draw::kMasked, [](Scene& s) { return one(s.Spider); }, nullptr, "spider"},
      {"TheOwl", Draw::kCopy, [](Scene& s) { return one(s.Owl); }, nullptr, "owl"},
      {"TheFireflies", Draw::kGlow,
       [](Scene& s) {
         std::vector<Creature*> r;
         for (int i = 1; i <= 15; ++i) r.push_back(&s.FireFly[i]);
         return r;
       },
       nullptr, "firefly"},
  };
  return steps;
}

// Neighbouring steps, by their index in the order. Of the layers that
// follow one another only the band's mask and image share a place; the
// others lie side by side and have nothing to show between them.
std::vector<int> neighbours() {
  std::vector<int> r;
  const auto& steps = depth_order();
  for (int i = 0; i + 1 < static_cast<int>(steps.size()); ++i) {
    const bool side_by_side = !steps[i].records && !steps[i + 1].records && steps[i].draw != Draw::kAnd;
    if (!side_by_side) r.push_back(i);
  }
  return r;
}

Pixel drawn_over(Draw d, Pixel below, Pixel colour) {
  switch (d) {
    case Draw::kCopy:
    case Draw::kMasked: return colour;
    case Draw::kGlow: return below | colour;
    case Draw::kAnd: return below & colour;
  }
  return 0;
}

class DepthOrder : public test::SaverHarness, public ::testing::WithParamInterface<int> {
 protected:
  const DepthStep& lower() const { return depth_order()[GetParam()]; }
  const DepthStep& upper() const { return depth_order()[GetParam() + 1]; }

  void SetUp() override {
    std::string ini = "[Vexmoor]\nfirstrun=1\nspeed=10\n";
    for (const DepthStep* d : {&lower(), &upper()})
      if (d->key) ini += std::string(d->key) + "=1\n";
    start(ini);
    Scene& s = scene();
    // Every layer and stone that is not one of the two draws nothing.
    for (Creature* c : {&s.BackgroundTop, &s.BackgroundMid1, &s.BackgroundMid2, &s.BackgroundMid3, &s.BackgroundBottom,
                        &s.TombStone1, &s.TombStone2, &s.TombStone4}) {
      const bool kept = (lower().fixed && lower().fixed(s) == c) || (upper().fixed && upper().fixed(s) == c);
      if (!kept) c->Picture = 0;
    }
    // Every step over the whole buffer, as it comes, so the ground the test
    // lays is what the first of the two is drawn over.
    s.Steps.redraw_changes_only = false;
  }

  // The colour the step's picture shows at the point, read off the picture.
  Pixel colour_of(const DepthStep& d, Point p) {
    Scene& s = scene();
    if (d.fixed) {
      const Creature& c = *d.fixed(s);
      return surface_view(c.Picture).at(p.x - c.X, p.y - c.Y);
    }
    // A family's first member carries the picture all of them are drawn from.
    const Creature& c = *d.records(s).front();
    return surface_view(c.Picture).at(c.Frame * c.Width + c.StripX + p.x - c.X, p.y - c.Y);
  }

  // Puts the step's first record with the point at (dx, dy) inside its frame,
  // the rest of its records far off.
  static void place(const DepthStep& d, Point p, int dx, int dy) {
    if (!d.records) return;
    std::vector<Creature*> rs = d.records(scene());
    Creature& c = *rs.front();
    c.X = p.x - dx;
    c.Y = p.y - dy;
    if (c.Frame < 0) c.Frame = 0;  // a hidden bolt shows its first frame
    for (std::size_t i = 1; i < rs.size(); ++i) rs[i]->X = -5000;
  }

  // Where the two meet: inside the fixed one's picture, or the scene's middle.
  Point meeting_point() {
    Scene& s = scene();
    for (const DepthStep* d : {&lower(), &upper()})
      if (d->fixed) {
        const Creature& c = *d->fixed(s);
        // Left of the band's middle its mask covers; the stones cover their middle.
        return {c.X + std::min<int>(c.Width / 2, 200), c.Y + c.Height / 2};
      }
    return {400, 380};
  }

  void lay_ground_and_tick() {
    fill_rect(frame_view(), 0, 0, 800, 600, kGround);
    ticks(1);
  }
};

TEST_P(DepthOrder, TheLaterStepCoversTheEarlierOne) {
  Scene& s = scene();
  const Point p = meeting_point();
  for (const DepthStep* d : {&lower(), &upper()}) {
    if (!d->records) continue;
    const Creature& c = *d->records(s).front();
    place(*d, p, c.Width / 2, c.Height / 2);
  }
  const Pixel a = colour_of(lower(), p), b = colour_of(upper(), p);
  const Pixel expected = drawn_over(upper().draw, drawn_over(lower().draw, kGround, a), b);
  const Pixel other_way = drawn_over(lower().draw, drawn_over(upper().draw, kGround, b), a);
  ASSERT_NE(expected, other_way) << "the two colours cannot tell the order";
  lay_ground_and_tick();
  EXPECT_EQ(frame(p.x, p.y), expected) << lower().name << " then " << upper().name << " at " << p.x << "," << p.y;
  EXPECT_TRUE(reports().empty());
}

// The neighbours whose later step is a creature, which can be put with its
// border over the point (a layer's or a stone's place is fixed).
std::vector<int> neighbours_under_a_creature() {
  std::vector<int> r;
  for (int i : neighbours())
    if (depth_order()[i + 1].records) r.push_back(i);
  return r;
}

class DepthOrderBorder : public DepthOrder {};

TEST_P(DepthOrderBorder, TheLaterStepLetsTheEarlierShowWhereItsPictureIsBlack) {
  // The point on the later creature's border, which its picture leaves
  // black (and its mask open): masked or ORed, what lies below stays; copied,
  // the black covers it.
  Scene& s = scene();
  const Point p = meeting_point();
  if (lower().records) {
    const Creature& c = *lower().records(s).front();
    place(lower(), p, c.Width / 2, c.Height / 2);
  }
  const Creature& top = *upper().records(s).front();
  place(upper(), p, 0, top.Height / 2);
  const Pixel a = colour_of(lower(), p);
  ASSERT_EQ(colour_of(upper(), p), 0u) << "the fixture's border";
  const Pixel below = drawn_over(lower().draw, kGround, a);
  lay_ground_and_tick();
  EXPECT_EQ(frame(p.x, p.y), upper().draw == Draw::kCopy ? 0u : below) << upper().name << " over " << lower().name;
}

std::string pair_name(const ::testing::TestParamInfo<int>& info) {
  return std::string(depth_order()[info.param + 1].name) + "Over" + depth_order()[info.param].name;
}
INSTANTIATE_TEST_SUITE_P(Steps, DepthOrder, ::testing::ValuesIn(neighbours()), pair_name);
INSTANTIATE_TEST_SUITE_P(Steps, DepthOrderBorder, ::testing::ValuesIn(neighbours_under_a_creature()), pair_name);

}  // namespace
}  // namespace vex
