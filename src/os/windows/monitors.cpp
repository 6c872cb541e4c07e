// The monitors as the system lists them.
#include <vector>

#include "os/window.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

BOOL CALLBACK add_monitor(HMONITOR m, HDC, LPRECT, LPARAM data) {
  auto* list = reinterpret_cast<std::vector<ListedMonitor>*>(data);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (GetMonitorInfoW(m, &mi)) {
    const RECT& r = mi.rcMonitor;
    list->push_back({{r.left, r.top, r.right - r.left, r.bottom - r.top}, (mi.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}

}  // namespace

std::vector<PixelRect> monitors() {
  std::vector<ListedMonitor> listed;
  EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&listed));
  return saver_monitors(std::move(listed));
}

}  // namespace vex
