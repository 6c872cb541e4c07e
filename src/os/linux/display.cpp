// The display: SDL's video on X11, or our own connection to a Wayland
// compositor for the full-screen saver; and the cursor over our windows.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "os/event_loop.h"
#include "os/linux/wayland_window.h"
#include "os/linux/window_parts.h"
#include "os/window.h"

namespace vex {
namespace {

bool sdl_video = false;
bool display_lost = false;
int cursor_count = 0;

}  // namespace

bool sdl_video_running() { return sdl_video; }

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
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0)
    return fail(std::string("cannot measure the screen: ") + SDL_GetError());
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

}  // namespace vex
