// The window system's answers the program asks for directly, from user32.
#include "os/host_window.h"

#include "os/windows/win32.h"

namespace vex {

// Nothing ends the process on a bad window handle here, and there is no
// display connection to lose.
void install_x_error_handler() {}
void set_display_lost_handler(void (*)()) {}

int32_t find_top_level_window(const std::string& title) {
  HWND h = FindWindowW(nullptr, win::widen(title).c_str());
  return static_cast<int32_t>(win::from_hwnd(h));
}

bool window_exists(int32_t id) { return id != 0 && IsWindow(win::to_hwnd(static_cast<unsigned long>(id))); }

std::optional<PixelRect> window_client_rect(int32_t id) {
  if (!window_exists(id)) return std::nullopt;
  RECT r{};
  if (!GetClientRect(win::to_hwnd(static_cast<unsigned long>(id)), &r)) return std::nullopt;
  return PixelRect{0, 0, r.right - r.left, r.bottom - r.top};
}

std::optional<PixelRect> root_window_rect() {
  const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w <= 0 || h <= 0) return std::nullopt;
  return PixelRect{0, 0, w, h};
}

void set_window_topmost(unsigned long id, bool above) {
  SetWindowPos(win::to_hwnd(id), above ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The desktop always manages its windows; a popup of a monitor's size is
// full screen already.
bool window_manager_running() { return true; }
void set_window_fullscreen(unsigned long) {}

}  // namespace vex
