// The saver's windows on Windows: a topmost popup over each monitor, a
// foreign window drawn into, and the preview as a child of the Display
// Properties' little monitor. Each shows a device-independent bitmap whose
// pixels are our canvas (its 32-bit rows are our pixel format as they are).
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "base/failure.h"
#include "os/host_window.h"
#include "os/window.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

bool opened = false;
bool lost = false;
int cursor_count = 0;

constexpr wchar_t kSaverClass[] = L"VexmoorSaver";
constexpr wchar_t kPreviewClass[] = L"VexmoorPreview";
constexpr UINT kHostWatchMs = 250;

// A bitmap of the window's size whose pixels we draw into directly.
class Canvas {
 public:
  ~Canvas() { release(); }
  // Pixels of w x h; new (black) ones when the size changed.
  bool ensure(int w, int h) {
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (dc_ && w == w_ && h == h_) return false;
    release();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // rows top down, as ours
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!bitmap_ || !bits_) throw Failure(kOutOfMemory, "no bitmap for the window");
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    w_ = w;
    h_ = h;
    std::fill_n(static_cast<Pixel*>(bits_), static_cast<std::size_t>(w) * h, Pixel{0});
    return true;
  }
  PixelView view() const { return dc_ ? PixelView{static_cast<Pixel*>(bits_), w_, h_, w_} : PixelView{}; }
  // On a window of another size than the pixels (a window too large to be
  // drawn whole gets a bounded canvas), stretched over the whole of it.
  void show_on(HWND hwnd, const PixelRect* parts, std::size_t n, SIZE window = {0, 0}) const {
    if (!dc_ || !hwnd) return;
    GdiFlush();  // every write to the pixels done before the copy reads them
    HDC target = GetDC(hwnd);
    if (!target) return;
    if ((window.cx > 0 && window.cx != w_) || (window.cy > 0 && window.cy != h_)) {
      SetStretchBltMode(target, COLORONCOLOR);
      // Window column X shows canvas column floor(X * w / W): those showing
      // a part's columns run from ceil(x * W / w) to before ceil((x + pw) * W / w).
      auto first = [](long long c, long long to, long long from) { return static_cast<int>((c * to + from - 1) / from); };
      const PixelRect all{0, 0, w_, h_};
      for (std::size_t i = 0; i < (parts ? n : 1); ++i) {
        const PixelRect r = clip_rect(parts ? parts[i] : all, w_, h_);
        if (r.empty()) continue;
        const int x0 = first(r.x, window.cx, w_), x1 = first(r.x + r.w, window.cx, w_);
        const int y0 = first(r.y, window.cy, h_), y1 = first(r.y + r.h, window.cy, h_);
        StretchBlt(target, x0, y0, x1 - x0, y1 - y0, dc_, r.x, r.y, r.w, r.h, SRCCOPY);
      }
    } else if (!parts) {
      BitBlt(target, 0, 0, w_, h_, dc_, 0, 0, SRCCOPY);
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        const PixelRect r = clip_rect(parts[i], w_, h_);
        if (!r.empty()) BitBlt(target, r.x, r.y, r.w, r.h, dc_, r.x, r.y, SRCCOPY);
      }
    }
    ReleaseDC(hwnd, target);
  }
  // Answers the window's paint request from the pixels it last showed.
  void paint(HWND hwnd) const {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd, &ps);
    const RECT& r = ps.rcPaint;
    if (dc_) BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_, r.left, r.top, SRCCOPY);
    EndPaint(hwnd, &ps);
  }

 private:
  void release() {
    if (dc_) {
      SelectObject(dc_, old_);
      DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    bits_ = nullptr;
  }
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
  int w_ = 0, h_ = 0;
};

SIZE client_size(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

class Win32FullScreenWindow;
std::map<HWND, Win32FullScreenWindow*>& saver_windows() {
  static std::map<HWND, Win32FullScreenWindow*> m;
  return m;
}

class Win32FullScreenWindow : public FullScreenWindow {
 public:
  explicit Win32FullScreenWindow(const PixelRect& m) {
    // A tool window: no button on the task bar for a window that covers it.
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kSaverClass, L"Vexmoor", WS_POPUP, m.x, m.y, std::max(m.w, 1),
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
  void update_parts(std::span<const PixelRect> parts) override {
    canvas_.show_on(hwnd_, parts.data(), parts.size());
  }
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
        if (cursor_count < 0) {
          SetCursor(nullptr);
          return TRUE;
        }
        break;
      case WM_ERASEBKGND:
        return 1;  // the canvas covers the whole window
      case WM_PAINT:
        canvas_.paint(hwnd_);
        return 0;
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
      default:
        break;
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

// Session and window-system requests every window of ours answers alike.
bool common_message(UINT msg, WPARAM wp, LRESULT& result) {
  switch (msg) {
    case WM_QUERYENDSESSION:
      result = TRUE;  // nothing of ours to save: the session may end
      return true;
    case WM_ENDSESSION:
      if (wp) win::end_now();
      result = 0;
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK saver_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (common_message(msg, wp, r)) return r;
  auto it = saver_windows().find(hwnd);
  if (it != saver_windows().end()) return it->second->handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Someone else's window (0: the desktop), drawn into through its own device
// context; its input and its life are not ours.
class Win32AttachedWindow : public FullScreenWindow {
 public:
  explicit Win32AttachedWindow(HWND target) : hwnd_(target ? target : GetDesktopWindow()) {
    if (!IsWindow(hwnd_)) throw Failure(kNoObject, "no such window");
  }
  int width() const override { return drawn().width; }
  int height() const override { return drawn().height; }
  PixelView canvas() override {
    const ScreenSize s = drawn();
    if (canvas_.ensure(s.width, s.height)) {
      note_renewed();
      if (on_resize && seen_) on_resize(s.width, s.height);
    }
    seen_ = true;
    return canvas_.view();
  }
  void update() override {
    if (!IsWindow(hwnd_)) {
      if (on_close) on_close();
      return;
    }
    canvas_.show_on(hwnd_, nullptr, 0, client_size(hwnd_));
  }
  void update_parts(std::span<const PixelRect> parts) override {
    canvas_.show_on(hwnd_, parts.data(), parts.size(), client_size(hwnd_));
  }
  void show() override { visible_ = true; }
  void hide() override { visible_ = false; }
  bool visible() const override { return visible_; }
  void set_topmost(bool) override {}

 private:
  // The canvas's size: the window's, or bounded and stretched over it.
  ScreenSize drawn() const {
    const SIZE s = client_size(hwnd_);
    return stretched_canvas_size(s.cx, s.cy);
  }
  HWND hwnd_;
  Canvas canvas_;
  bool visible_ = false;
  bool seen_ = false;
};

class Win32EmbeddedWindow;
std::map<HWND, Win32EmbeddedWindow*>& preview_windows() {
  static std::map<HWND, Win32EmbeddedWindow*> m;
  return m;
}

class Win32EmbeddedWindow : public EmbeddedWindow {
 public:
  Win32EmbeddedWindow(HWND host, int w, int h, const std::string& caption) : host_(host) {
    if (!IsWindow(host)) throw Failure(kNoObject, "no such host window");
    // A canvas smaller than the host (one too large to draw whole) shows in
    // its middle.
    const SIZE around = client_size(host);
    hwnd_ = CreateWindowExW(0, kPreviewClass, win::widen(caption).c_str(), WS_CHILD | WS_VISIBLE,
                            std::max(0L, (around.cx - w) / 2), std::max(0L, (around.cy - h) / 2), std::max(w, 1),
                            std::max(h, 1), host, nullptr, win::instance(), nullptr);
    if (!hwnd_) throw Failure(kNoObject, "cannot create the preview window: " + win::last_error_text());
    preview_windows()[hwnd_] = this;
    canvas_.ensure(w, h);
    // The host may go without its child being told (another process's
    // window, under some systems): look for it a few times a second. The
    // timer is the thread's, not the child's: when the host's process dies
    // the system may take our child with it, and a window's timer with it.
    watch_ = SetTimer(nullptr, 0, kHostWatchMs, &Win32EmbeddedWindow::watch_hosts);
  }
  ~Win32EmbeddedWindow() override {
    if (watch_) KillTimer(nullptr, watch_);
    preview_windows().erase(hwnd_);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  PixelView canvas() override { return gone_ ? PixelView{} : canvas_.view(); }
  void update() override {
    if (!gone_) canvas_.show_on(hwnd_, nullptr, 0);
  }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_DESTROY:
        host_went();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        canvas_.paint(hwnd_);
        return 0;
      default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

 private:
  static void CALLBACK watch_hosts(HWND, UINT, UINT_PTR, DWORD) {
    // A copy: the handler may end the preview and so erase it.
    std::vector<Win32EmbeddedWindow*> previews;
    for (auto& entry : preview_windows()) previews.push_back(entry.second);
    for (auto* p : previews) {
      if (!IsWindow(p->host_) || !IsWindow(p->hwnd_)) p->host_went();
    }
  }
  void host_went() {
    if (gone_) return;  // told once
    gone_ = true;
    if (on_host_gone) on_host_gone();
  }
  HWND host_;
  HWND hwnd_ = nullptr;
  UINT_PTR watch_ = 0;
  Canvas canvas_;
  bool gone_ = false;
};

LRESULT CALLBACK preview_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (common_message(msg, wp, r)) return r;
  auto it = preview_windows().find(hwnd);
  if (it != preview_windows().end()) return it->second->handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void register_classes() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = win::instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(win::instance(), MAKEINTRESOURCEW(100));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpfnWndProc = saver_proc;
  wc.lpszClassName = kSaverClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = preview_proc;
  wc.lpszClassName = kPreviewClass;
  RegisterClassExW(&wc);
}

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

std::optional<ScreenSize> open_display(std::string* error, DisplayUse) {
  if (!opened) {
    register_classes();
    win::serve_messages_from_loop();
    opened = true;
  }
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  if (w <= 0 || h <= 0) {
    if (error) *error = "cannot measure the screen";
    return std::nullopt;
  }
  return ScreenSize{w, h};
}

void close_display() { opened = false; }
bool display_open() { return opened; }
void forget_display() { lost = true; }

std::vector<PixelRect> monitors() {
  std::vector<ListedMonitor> listed;
  EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&listed));
  return saver_monitors(std::move(listed));
}

int ShowCursor(bool show) {
  cursor_count += show ? 1 : -1;
  if (!lost) ::ShowCursor(show ? TRUE : FALSE);
  return cursor_count;
}

int cursor_display_count() { return cursor_count; }

std::unique_ptr<FullScreenWindow> create_fullscreen_window(const PixelRect& where) {
  return std::make_unique<Win32FullScreenWindow>(where);
}

std::unique_ptr<FullScreenWindow> attach_to_window(unsigned long id) {
  return std::make_unique<Win32AttachedWindow>(id ? win::to_hwnd(id) : nullptr);
}

std::unique_ptr<EmbeddedWindow> create_embedded_window(unsigned long host, int width, int height,
                                                       const std::string& caption) {
  return std::make_unique<Win32EmbeddedWindow>(win::to_hwnd(host), width, height, caption);
}

}  // namespace vex
