// The preview: a child of the host window (the Screen Saver settings' little
// monitor), showing our canvas.
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/failure.h"
#include "os/window.h"
#include "os/windows/window_parts.h"

namespace vex {
namespace {

constexpr UINT kHostWatchMs = 250;

using win::Canvas;
using win::client_size;

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
    hwnd_ = CreateWindowExW(0, win::kPreviewClass, win::widen(caption).c_str(), WS_CHILD | WS_VISIBLE,
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
      case WM_DESTROY: host_went(); return 0;
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: canvas_.paint(hwnd_); return 0;
      default: return DefWindowProcW(hwnd_, msg, wp, lp);
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

}  // namespace

LRESULT CALLBACK win::preview_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = 0;
  if (win::common_message(msg, wp, r)) return r;
  auto it = preview_windows().find(hwnd);
  if (it != preview_windows().end()) return it->second->handle(msg, wp, lp);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::unique_ptr<EmbeddedWindow> create_embedded_window(unsigned long host, int width, int height,
                                                       const std::string& caption) {
  return std::make_unique<Win32EmbeddedWindow>(win::to_hwnd(host), width, height, caption);
}

}  // namespace vex
