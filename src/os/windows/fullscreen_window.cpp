// The saver's window over one monitor: a topmost popup showing a
// device-independent bitmap whose pixels are our canvas (its 32-bit rows are
// our pixel format as they are).
#include <algorithm>
#include <cstring>
#include <map>
#include <span>

#include "base/failure.h"
#include "os/window.h"
#include "os/windows/window_parts.h"

namespace vex {
namespace {

using win::Canvas;
using win::client_size;

class Win32FullScreenWindow;
std::map<HWND, Win32FullScreenWindow*>& saver_windows() {
  static std::map<HWND, Win32FullScreenWindow*> m;
  return m;
}

class Win32FullScreenWindow : public FullScreenWindow {
 public:
  explicit Win32FullScreenWindow(const PixelRect& m) {
    // A tool window: no button on the task bar for a window that covers it.
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, win::kSaverClass, L"Vexmoor", WS_POPUP, m.x, m.y, std::max(m.w, 1),
                            std::max(m.h, 1), nullptr, nullptr, win::instance(), nullptr);
    if (!hwnd_) throw Failure(kNoObject, "cannot create the saver window: " + win::last_error_text());
    saver_windows()[hwnd_] = this;
    SIZE s = client_size(hwnd_);
    canvas_.ensure(s.cx, s.cy);
    // The system tells the window when the display powers down and up (and
    // once at once, with the state it is in).
    display_watch_ = RegisterPowerSettingNotification(hwnd_, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  ~Win32FullScreenWindow() override {
    if (display_watch_) UnregisterPowerSettingNotification(display_watch_);
    saver_windows().erase(hwnd_);
    DestroyWindow(hwnd_);
  }
  int width() const override { return client_size(hwnd_).cx; }
  int height() const override { return client_size(hwnd_).cy; }
  PixelView canvas() override {
    SIZE s = client_size(hwnd_);
    if (canvas_.ensure(s.cx, s.cy)) note_renewed();
    return canvas_.view();
  }
  void update() override { canvas_.show_on(hwnd_, nullptr, 0); }
  void update_parts(std::span<const PixelRect> parts) override { canvas_.show_on(hwnd_, parts.data(), parts.size()); }
  void show() override {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    visible_ = true;
  }
  void hide() override {
    ShowWindow(hwnd_, SW_HIDE);
    visible_ = false;
  }
  bool visible() const override { return visible_; }
  bool seen() const override { return display_on_; }
  unsigned long native_id() const override { return win::from_hwnd(hwnd_); }
  void set_topmost(bool above) override {
    SetWindowPos(hwnd_, above ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        if (on_key) on_key();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_XBUTTONDOWN:
        if (on_click) on_click();
        return 0;
      case WM_CLOSE:
        if (on_close) on_close();
        return 0;
      case WM_SETCURSOR:
        if (cursor_display_count() < 0) {
          SetCursor(nullptr);
          return TRUE;
        }
        break;
      case WM_ERASEBKGND: return 1;  // the canvas covers the whole window
      case WM_PAINT: canvas_.paint(hwnd_); return 0;
      case WM_SIZE:
        if (on_resize) on_resize(LOWORD(lp), HIWORD(lp));
        return 0;
      case WM_SYSCOMMAND:
        // Windows would start the screen saver again over the running one.
        // The monitor's power saving goes on as usual: a saver must not keep
        // a display lit that the user's settings would let go dark.
        if ((wp & 0xFFF0) == SC_SCREENSAVE) return 0;
        break;
      case WM_POWERBROADCAST:
        if (wp == PBT_POWERSETTINGCHANGE) {
          display_state_changed(reinterpret_cast<const POWERBROADCAST_SETTING*>(lp));
          return TRUE;
        }
        break;
      default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
  }

 private:
  void display_state_changed(const POWERBROADCAST_SETTING* change) {
    if (!change || change->PowerSetting != GUID_CONSOLE_DISPLAY_STATE || change->DataLength < sizeof(DWORD)) return;
    DWORD state;
    std::memcpy(&state, change->Data, sizeof state);
    // 0 off, 1 on, 2 dimmed: a dimmed display still shows the scene.
    const bool on = state != 0;
    if (on == display_on_) return;
    display_on_ = on;
    if (on_seen_changed) on_seen_changed();
  }

  HWND hwnd_ = nullptr;
  HPOWERNOTIFY display_watch_ = nullptr;
  Canvas canvas_;
  bool visible_ = false;
  bool display_on_ = true;
};

}  // namespace

LRESULT CALLBACK win::saver_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (win::common_message(msg, wp, r)) return r;
  auto it = saver_windows().find(hwnd);
  if (it != saver_windows().end()) return it->second->handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::unique_ptr<FullScreenWindow> create_fullscreen_window(const PixelRect& where) {
  return std::make_unique<Win32FullScreenWindow>(where);
}

}  // namespace vex
