#pragma once
// The little the program asks of the window system directly: find a window by its
// title, tell whether a window id is real and how large it is, keep a window
// above others. Everything works (answering "none") without a display.
#include <cstdint>
#include <optional>
#include <string>

#include "os/raster.h"

namespace vex {

// Xlib's default error handler ends the process on a bad window id; ours
// records the error instead. Must run before any other X connection opens.
void install_x_error_handler();

// Called when the connection to the display is lost (the X server ended).
// Nothing can be drawn any more and the connection must not be touched, so
// the handler must end the process without the usual clean-up; without one
// the process ends with status 1.
void set_display_lost_handler(void (*handler)());

int32_t find_top_level_window(const std::string& title);
bool window_exists(int32_t id);
// Client area of the window: (0, 0, width, height); nullopt for no window.
std::optional<PixelRect> window_client_rect(int32_t id);
// The same of the root window: the whole screen, every monitor.
std::optional<PixelRect> root_window_rect();
void set_window_topmost(unsigned long id, bool above);
// Is a window manager managing the screen?
bool window_manager_running();

// Asks the window manager to show the window full-screen on its monitor.
void set_window_fullscreen(unsigned long id);

}  // namespace vex
