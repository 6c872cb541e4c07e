// The preview inside a host's X11 window: a child window of our own in the
// host, shown through SDL.
#include <SDL.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <memory>
#include <string>

#include "base/failure.h"
#include "os/event_loop.h"
#include "os/host_window.h"
#include "os/linux/window_parts.h"
#include "os/window.h"

namespace vex {
namespace {

class X11EmbeddedWindow : public EmbeddedWindow {
 public:
  X11EmbeddedWindow(unsigned long host, int w, int h, const std::string& caption) : host_(host) {
    // Our own connection: SDL reports nothing about a foreign parent, so we
    // watch the host (and our child) for destruction ourselves.
    display_ = XOpenDisplay(nullptr);
    if (!display_) throw Failure(kNoObject, "no X display");
    w = std::max(w, 1);
    h = std::max(h, 1);
    const unsigned long black = BlackPixel(display_, DefaultScreen(display_));
    XWindowAttributes host_size{};
    ::Window parent = host;
    int x = 0, y = 0;
    if (XGetWindowAttributes(display_, host, &host_size) && (host_size.width > w || host_size.height > h)) {
      // A canvas smaller than the host (one too large to draw whole) shows
      // in its middle; the rest of the host is a black window the X server
      // paints, costing us nothing.
      surround_ = XCreateSimpleWindow(display_, host, 0, 0, static_cast<unsigned>(host_size.width),
                                      static_cast<unsigned>(host_size.height), 0, 0, black);
      XSelectInput(display_, surround_, StructureNotifyMask);
      XMapWindow(display_, surround_);
      parent = surround_;
      x = std::max(0, (host_size.width - w) / 2);
      y = std::max(0, (host_size.height - h) / 2);
    }
    child_ =
        XCreateSimpleWindow(display_, parent, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0, 0, black);
    XStoreName(display_, child_, caption.c_str());
    XSelectInput(display_, child_, StructureNotifyMask);
    XSelectInput(display_, host, StructureNotifyMask);
    XMapWindow(display_, child_);
    XSync(display_, False);
    window_ = SDL_CreateWindowFrom(reinterpret_cast<void*>(child_));
    if (!window_) throw Failure(kNoObject, SDL_GetError());
    shower_ = std::make_unique<SurfaceShower>(window_, nullptr);
    event_loop().add_pump([this, alive = alive_] {
      if (*alive) watch_host();
    });
  }
  ~X11EmbeddedWindow() override {
    *alive_ = false;
    if (window_) SDL_DestroyWindow(window_);
    if (display_) XCloseDisplay(display_);
  }
  PixelView canvas() override { return gone_ ? PixelView{} : shower_->canvas(); }
  void update() override {
    if (!gone_) shower_->update();
  }

 private:
  void watch_host() {
    if (gone_) return;  // reported once
    while (XPending(display_)) {
      XEvent e;
      XNextEvent(display_, &e);
      if (e.type == DestroyNotify && (e.xdestroywindow.window == host_ || e.xdestroywindow.window == child_ ||
                                      (surround_ && e.xdestroywindow.window == surround_)))
        gone_ = true;
    }
    if (!gone_ && !window_exists(static_cast<int32_t>(host_))) gone_ = true;
    if (gone_ && on_host_gone) on_host_gone();
  }

  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  unsigned long host_;
  Display* display_ = nullptr;
  Window surround_ = 0;  // the black rest of a host larger than the canvas
  Window child_ = 0;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<SurfaceShower> shower_;
  bool gone_ = false;
};

}  // namespace

std::unique_ptr<EmbeddedWindow> create_embedded_window(unsigned long host, int width, int height,
                                                       const std::string& caption) {
  return std::make_unique<X11EmbeddedWindow>(host, width, height, caption);
}

}  // namespace vex
