// Someone else's window drawn into (a daemon's, or the desktop).
#include <memory>
#include <span>

#include "base/failure.h"
#include "os/window.h"
#include "os/windows/window_parts.h"

namespace vex {
namespace {

using win::Canvas;
using win::client_size;

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

}  // namespace

std::unique_ptr<FullScreenWindow> attach_to_window(unsigned long id) {
  return std::make_unique<Win32AttachedWindow>(id ? win::to_hwnd(id) : nullptr);
}

}  // namespace vex
