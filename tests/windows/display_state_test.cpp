// The saver's window follows the console display's power state as the
// system reports it, message by message (Wine never sends the report
// itself: its registration for it does nothing).
#include <gtest/gtest.h>

#include <cstring>

#include "base/failure.h"
#include "os/window.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

LRESULT report(HWND hwnd, const GUID& setting, DWORD state) {
  struct {
    POWERBROADCAST_SETTING head;
    BYTE rest[sizeof(DWORD)];
  } record{};
  record.head.PowerSetting = setting;
  record.head.DataLength = sizeof state;
  std::memcpy(record.head.Data, &state, sizeof state);
  return SendMessageW(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&record));
}

TEST(DisplayState, TheWindowIsSeenUnlessTheDisplayIsOffAndSaysWhenThatChanges) {
  std::string error;
  ASSERT_TRUE(open_display(&error)) << error;
  std::unique_ptr<FullScreenWindow> window;
  try {
    window = create_fullscreen_window(monitors().front());
  } catch (const Failure& f) { FAIL() << f.detail(); }
  const HWND hwnd = win::to_hwnd(window->native_id());
  int told = 0;
  window->on_seen_changed = [&] { ++told; };
  EXPECT_TRUE(window->seen());

  EXPECT_EQ(report(hwnd, GUID_CONSOLE_DISPLAY_STATE, 0), TRUE);
  EXPECT_FALSE(window->seen());
  EXPECT_EQ(told, 1);
  // Another setting's report says nothing of the display.
  report(hwnd, GUID_ACDC_POWER_SOURCE, 1);
  EXPECT_FALSE(window->seen());
  // Dimmed: still lit, still seen.
  report(hwnd, GUID_CONSOLE_DISPLAY_STATE, 2);
  EXPECT_TRUE(window->seen());
  EXPECT_EQ(told, 2);
  // On after dimmed changes nothing that is seen: no word of it.
  report(hwnd, GUID_CONSOLE_DISPLAY_STATE, 1);
  EXPECT_TRUE(window->seen());
  EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace vex
