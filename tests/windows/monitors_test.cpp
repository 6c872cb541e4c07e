// The monitors the saver makes a scene for: the one Wine reports (the
// made-up lists are in tests/os/monitors_test.cpp).
#include <gtest/gtest.h>

#include "os/window.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

TEST(Monitors, TheSystemsListStartsWithTheScreen) {
  std::string error;
  ASSERT_TRUE(open_display(&error)) << error;
  const auto all = monitors();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().w, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(all.front().h, GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
}  // namespace vex
