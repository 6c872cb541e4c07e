// The monitors the saver makes a scene for, from made-up lists as a window
// system gives them.
#include <gtest/gtest.h>

#include "os/window.h"

namespace vex {
namespace {

using Rects = std::vector<PixelRect>;

TEST(Monitors, ThePrimaryComesFirstTheRestKeepTheirOrderAndEmptyOrRepeatedOnesGo) {
  const PixelRect left{-1280, 0, 1280, 1024}, primary{0, 0, 1920, 1080}, right{1920, -200, 1080, 1920},
      gone{3000, 0, 0, 0};
  EXPECT_EQ(saver_monitors({{left}, {primary, true}, {right}}), (Rects{primary, left, right}));
  EXPECT_EQ(saver_monitors({{right}, {left}, {primary, true}}), (Rects{primary, right, left}));
  EXPECT_EQ(saver_monitors({{primary, true}, {gone}, {primary}, {left}}), (Rects{primary, left}));
  // No primary flagged: the list as it came.
  EXPECT_EQ(saver_monitors({{right}, {left}}), (Rects{right, left}));
  EXPECT_TRUE(saver_monitors({}).empty());
}

TEST(Monitors, AMonitorCoveringOthersGivesWayToThem) {
  // The whole screen listed beside the two parts it was divided into.
  const PixelRect whole{0, 0, 3200, 1080}, left{0, 0, 1280, 1024}, right{1280, 0, 1920, 1080};
  EXPECT_EQ(saver_monitors({{whole, true}, {left}, {right}}), (Rects{left, right}));
  EXPECT_EQ(saver_monitors({{left}, {whole}, {right, true}}), (Rects{right, left}));
  // Overlapping without covering: both stay.
  const PixelRect across{1000, 0, 1000, 1080};
  EXPECT_EQ(saver_monitors({{left}, {across}}), (Rects{left, across}));
}

}  // namespace
}  // namespace vex
