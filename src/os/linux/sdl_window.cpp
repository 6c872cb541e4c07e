#include "os/window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/failure.h"
#include "os/event_loop.h"
#include "os/host_window.h"
#include "os/linux/wayland_window.h"
#include "os/linux/x11_power.h"

namespace vex {
namespace {

bool sdl_video = false;
bool display_lost = false;
int cursor_count = 0;

// Windows by SDL window id, so events reach the window they belong to.
// Never destroyed: a window still held by a module's state at exit must
// still find it to leave.
std::map<Uint32, FullScreenWindow*>& windows() {
  static auto* w = new std::map<Uint32, FullScreenWindow*>;
  return *w;
}

// Copies a canvas into an SDL surface of any pixel format.
void copy_to_surface(const Bitmap& from, SDL_Surface* to) {
  SDL_ConvertPixels(from.width(), from.height(), SDL_PIXELFORMAT_RGB888, from.view().pixels, from.width() * 4,
                    to->format->format, to->pixels, to->pitch);
}

PixelView surface_pixels(SDL_Surface* s) {
  return {static_cast<Pixel*>(s->pixels), s->w, s->h, s->pitch / 4};
}

// A window shows our canvas through its SDL window surface; when that surface
// already has our pixel format we draw straight into it.
class SurfaceShower {
 public:
  // A new window shows black, whatever memory its surface was given.
  SurfaceShower(SDL_Window* w, FullScreenWindow* owner) : window_(w), owner_(owner) {
    PixelView c = canvas();
    fill_rect(c, 0, 0, c.width, c.height, 0);
  }
  PixelView canvas() {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return {};
    if (s != surface_ || s->pixels != pixels_) {
      // A surface SDL made anew holds none of what was drawn.
      surface_ = s;
      pixels_ = s->pixels;
      if (owner_) owner_->note_renewed();
    }
    if (s->format->format == SDL_PIXELFORMAT_RGB888 && s->pitch % 4 == 0) return surface_pixels(s);
    if (backing_.width() != s->w || backing_.height() != s->h) backing_ = Bitmap(s->w, s->h, 0);
    converting_ = true;
    return backing_.view();
  }
  void update() {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    if (converting_ && backing_.width() == s->w && backing_.height() == s->h) copy_to_surface(backing_, s);
    SDL_UpdateWindowSurface(window_);
  }
  void update_parts(std::span<const PixelRect> parts) {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    if (!s) return;
    rects_.clear();
    for (const PixelRect& p : parts) {
      const PixelRect r = clip_rect(p, s->w, s->h);
      if (r.empty()) continue;
      if (converting_ && backing_.width() == s->w && backing_.height() == s->h)
        SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_RGB888, backing_.view().row(r.y) + r.x, backing_.width() * 4,
                          s->format->format,
                          static_cast<Uint8*>(s->pixels) + static_cast<std::ptrdiff_t>(r.y) * s->pitch +
                              r.x * s->format->BytesPerPixel,
                          s->pitch);
      rects_.push_back({r.x, r.y, r.w, r.h});
    }
    if (!rects_.empty()) SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
  }

 private:
  SDL_Window* window_;
  FullScreenWindow* owner_;
  Bitmap backing_;
  bool converting_ = false;
  SDL_Surface* surface_ = nullptr;
  void* pixels_ = nullptr;
  std::vector<SDL_Rect> rects_;
};

void pump_sdl_events() {
  if (!sdl_video) return;
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
      default:
        break;
    }
  }
}

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
                               SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN |
                                   (whole ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
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
    child_ = XCreateSimpleWindow(display_, parent, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0, 0,
                                 black);
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

std::optional<ScreenSize> open_display(std::string* error, DisplayUse use) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return std::nullopt;
  };
  if (wayland::is_open()) return wayland::open(error);
  if (use == DisplayUse::kFullScreenSaver && !sdl_video) {
    // SDL's own Wayland windows show frames only through OpenGL, which
    // without a GPU costs a fifth of a core; ours show them as they are.
    const wayland::Choice choice = wayland::choice_for_full_screen();
    if (choice != wayland::Choice::kNo) {
      std::string why;
      if (auto screen = wayland::open(&why)) return screen;
      if (choice == wayland::Choice::kRequired) return fail(why);
      std::fprintf(stderr, "vexmoor: %s; showing the saver through X11 instead\n", why.c_str());
    }
  }
  if (!sdl_video) {
    // Vexmoor draws on X11. Left to itself SDL would fall back to an
    // invisible offscreen display when there is none, and the saver would
    // run unseen; another driver is used only when one is asked for by name.
    if (!std::getenv("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // Our frames are finished pixels: the window system's own shared-memory
    // image shows them directly. SDL would otherwise route them through an
    // OpenGL texture, which without a GPU costs two software-GL threads.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A saver that minimised itself whenever a notification took the focus
    // would uncover the desktop it is meant to hide.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Termination requests are ours to handle (os/signals.h), in every mode;
    // SDL's handlers would turn them into a quit event only its windows see.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A screen saver must let the screen sleep. SDL by default keeps the
    // system's own saver off while it has video open: it resets the X
    // server's idle time every 30 s, which display power saving and every
    // idle daemon's blank and lock timeouts count from, and takes the session
    // bus's screen-saver inhibit where it can.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // SDL asks the session bus about input methods; without a session that
    // would start a bus of its own (a process, and tens of milliseconds).
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      const char* d = std::getenv("DISPLAY");
      return fail(std::string("cannot open the display (DISPLAY=") + (d ? d : "(unset)") + "): " + SDL_GetError());
    }
    sdl_video = true;
    event_loop().add_pump(pump_sdl_events);
    event_loop().set_waiter([](int ms) { SDL_WaitEventTimeout(nullptr, ms); });
  }
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return fail(std::string("cannot measure the screen: ") + SDL_GetError());
  return ScreenSize{mode.w, mode.h};
}

void close_display() {
  if (wayland::is_open()) {
    if (!display_lost) wayland::close();
    return;
  }
  if (!sdl_video || display_lost) return;
  SDL_Quit();
  sdl_video = false;
}

void forget_display() { display_lost = true; }

bool display_open() { return sdl_video || wayland::is_open(); }

int ShowCursor(bool show) {
  cursor_count += show ? 1 : -1;
  if (sdl_video && !display_lost) SDL_ShowCursor(cursor_count >= 0 ? SDL_ENABLE : SDL_DISABLE);
  if (!display_lost) wayland::show_cursor(cursor_count >= 0);
  return cursor_count;
}

int cursor_display_count() { return cursor_count; }

std::unique_ptr<FullScreenWindow> create_fullscreen_window(const PixelRect& where) {
  if (wayland::is_open()) return wayland::create_window(where);
  return std::make_unique<SdlFullScreenWindow>(where);
}

std::unique_ptr<EmbeddedWindow> create_embedded_window(unsigned long host, int width, int height,
                                                       const std::string& caption) {
  return std::make_unique<X11EmbeddedWindow>(host, width, height, caption);
}

}  // namespace vex
