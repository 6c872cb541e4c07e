// The monitors the saver makes a scene for, on made-up lists (Wine always
// reports one monitor), and the one Wine reports.
#include <gtest/gtest.h>

#include "os/window.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

TEST(Monitors, ThePrimaryComesFirstTheRestKeepTheirOrderAndEmptyOrRepeatedOnesGo) {
  const Monitor left{-1280, 0, 1280, 1024}, primary{0, 0, 1920, 1080}, right{1920, -200, 1080, 1920},
      gone{3000, 0, 0, 0};
  EXPECT_EQ(win::primary_first({{false, left}, {true, primary}, {false, right}}),
            (std::vector<Monitor>{primary, left, right}));
  EXPECT_EQ(win::primary_first({{false, right}, {false, left}, {true, primary}}),
            (std::vector<Monitor>{primary, right, left}));
  EXPECT_EQ(win::primary_first({{true, primary}, {false, gone}, {false, primary}, {false, left}}),
            (std::vector<Monitor>{primary, left}));
  // No primary flagged: the list as it came.
  EXPECT_EQ(win::primary_first({{false, right}, {false, left}}), (std::vector<Monitor>{right, left}));
  EXPECT_TRUE(win::primary_first({}).empty());
}

TEST(Monitors, TheSystemsListStartsWithTheScreen) {
  std::string error;
  ASSERT_TRUE(open_display(&error)) << error;
  const auto all = monitors();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(all.front().height, GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
}  // namespace vex
