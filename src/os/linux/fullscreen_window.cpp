// The saver's window over one monitor: an SDL window on X11 (or, on a
// Wayland desktop that has the saver to itself, one of wayland_window.cpp).
#include <SDL.h>
#include <SDL_syswm.h>

#include <map>
#include <memory>
#include <vector>

#include "base/failure.h"
#include "os/host_window.h"
#include "os/linux/wayland_window.h"
#include "os/linux/window_parts.h"
#include "os/linux/x11_power.h"
#include "os/window.h"

namespace vex {
namespace {

// Windows by SDL window id, so events reach the window they belong to.
// Never destroyed: a window still held by a module's state at exit must
// still find it to leave.
std::map<Uint32, FullScreenWindow*>& windows() {
  static auto* w = new std::map<Uint32, FullScreenWindow*>;
  return *w;
}

}  // namespace

void pump_sdl_events() {
  if (!sdl_video_running()) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    FullScreenWindow* target = nullptr;
    auto find = [&](Uint32 id) {
      auto it = windows().find(id);
      target = it == windows().end() ? nullptr : it->second;
      // A window that appeared under a still pointer may not have the mouse
      // or keyboard focus yet, and SDL then names no window; the saver's
      // windows cover every monitor, so input can be meant for no other.
      if (!target && id == 0 && !windows().empty()) target = windows().begin()->second;
    };
    switch (e.type) {
      case SDL_KEYDOWN:
        find(e.key.windowID);
        if (target && target->on_key) target->on_key();
        break;
      case SDL_MOUSEBUTTONDOWN:
        find(e.button.windowID);
        if (target && target->on_click) target->on_click();
        break;
      case SDL_WINDOWEVENT:
        find(e.window.windowID);
        if (!target) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE && target->on_close) target->on_close();
        else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) target->update();
        else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          target->note_renewed();
          if (target->on_resize) target->on_resize(e.window.data1, e.window.data2);
        }
        break;
      case SDL_QUIT:
        if (!windows().empty()) {
          FullScreenWindow* w = windows().begin()->second;
          if (w->on_close) w->on_close();
        }
        break;
      default: break;
    }
  }
}

namespace {

class SdlFullScreenWindow : public FullScreenWindow {
 public:
  explicit SdlFullScreenWindow(const PixelRect& m) {
    const std::vector<PixelRect> all = monitors();
    // The whole screen is left to SDL's full-screen mode when a window
    // manager is there to grant it (without one SDL would wait in vain for
    // its answer); a monitor of several gets a borderless window of its size,
    // which a window manager is then asked to show full-screen there.
    const bool whole = all.size() <= 1 && window_manager_running();
    window_ = SDL_CreateWindow("Vexmoor", m.x, m.y, m.w, m.h,
                               SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | (whole ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
    if (!window_) throw Failure(kNoObject, SDL_GetError());
    if (!whole && window_manager_running()) {
      SDL_SysWMinfo info;
      SDL_VERSION(&info.version);
      if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) xid_ = info.info.x11.window;
    }
    shower_ = std::make_unique<SurfaceShower>(window_, this);
    windows()[SDL_GetWindowID(window_)] = this;
    power_watch_ = x11_power::watch([this] {
      if (on_seen_changed) on_seen_changed();
    });
  }
  ~SdlFullScreenWindow() override {
    x11_power::unwatch(power_watch_);
    windows().erase(SDL_GetWindowID(window_));
    SDL_DestroyWindow(window_);
  }
  int width() const override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return w;
  }
  int height() const override {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    return h;
  }
  PixelView canvas() override { return shower_->canvas(); }
  void update() override { shower_->update(); }
  void update_parts(std::span<const PixelRect> parts) override { shower_->update_parts(parts); }
  void show() override {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    if (xid_) set_window_fullscreen(xid_);
    visible_ = true;
  }
  void hide() override {
    SDL_HideWindow(window_);
    visible_ = false;
  }
  bool visible() const override { return visible_; }
  bool seen() const override { return !x11_power::display_asleep(); }
  void set_topmost(bool above) override { SDL_SetWindowAlwaysOnTop(window_, above ? SDL_TRUE : SDL_FALSE); }

 private:
  SDL_Window* window_ = nullptr;
  int power_watch_ = 0;
  std::unique_ptr<SurfaceShower> shower_;
  bool visible_ = false;
  unsigned long xid_ = 0;
};

}  // namespace

std::unique_ptr<FullScreenWindow> create_fullscreen_window(const PixelRect& where) {
  if (wayland::is_open()) return wayland::create_window(where);
  return std::make_unique<SdlFullScreenWindow>(where);
}

}  // namespace vex
