#pragma once
// The full-screen saver on a Wayland compositor, without X11 and without
// OpenGL: an xdg-shell toplevel per output, asked to be full screen there,
// showing our frames through shared-memory buffers the compositor reads.
// Only the full-screen saver can be shown so; a daemon's window, a preview's
// host and the settings dialog are X11 windows (through XWayland).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/window.h"

namespace vex::wayland {

// Should a full-screen saver be shown natively, judged by the session's
// variables: SDL_VIDEODRIVER names the way when set ("wayland" natively,
// anything else not); otherwise a Wayland session is used natively when it
// has no X server beside it, or when it has one and the native way is the
// cheaper of the two.
enum class Choice { kNo, kPreferred, kRequired };
Choice choice_for_full_screen();

// Connects to the compositor and learns its outputs; nullopt, with the
// reason, when there is no compositor or it lacks what the saver needs.
std::optional<ScreenSize> open(std::string* error);
bool is_open();
void close();
// The outputs, in the order the compositor announced them (the first is the
// primary, which shows the labels).
std::vector<PixelRect> monitors();
std::unique_ptr<FullScreenWindow> create_window(const PixelRect& where);
// The pointer is hidden over our windows while the cursor count says so.
void show_cursor(bool shown);

}  // namespace vex::wayland

namespace vex {
// The display-lost handler the program registered (os/host_window.h).
void report_display_lost();
}  // namespace vex
