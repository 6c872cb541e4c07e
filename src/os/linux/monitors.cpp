// The monitors as RandR lists them (or the Wayland compositor's outputs).
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <vector>

#include "os/linux/wayland_window.h"
#include "os/linux/window_parts.h"
#include "os/window.h"

namespace vex {

std::vector<PixelRect> monitors() {
  if (wayland::is_open()) return wayland::monitors();
  Display* d = x11_connection();
  if (!d) return {};
  std::vector<ListedMonitor> listed;
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (XRRQueryExtension(d, &event_base, &error_base) && XRRQueryVersion(d, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int n = 0;
    XRRMonitorInfo* info = XRRGetMonitors(d, DefaultRootWindow(d), True, &n);
    for (int i = 0; i < n && info; ++i)
      listed.push_back({{info[i].x, info[i].y, info[i].width, info[i].height}, info[i].primary != 0});
    if (info) XRRFreeMonitors(info);
  }
  std::vector<PixelRect> kept = saver_monitors(std::move(listed));
  if (kept.empty()) {
    Screen* s = DefaultScreenOfDisplay(d);
    kept.push_back({0, 0, WidthOfScreen(s), HeightOfScreen(s)});
  }
  return kept;
}

}  // namespace vex
