#pragma once
// Small shared helpers: centring a window, blocking task switches, the
// platform family, media file presence.
#include <functional>
#include <string>

#include "base/int16.h"

namespace vex {

struct WindowPlacement {
  int left = 0;
  int top = 0;
  int outer_width = 0;
  int outer_height = 0;
};
// Moves the placement so the window stands in the middle of the screen.
void CenterForm(WindowPlacement& window);

// Which family of systems the program runs on: the 95 family keeps its
// own saver password and lets a saver lock task switching.
enum class Platform { kUnknown, kWindows95, kWindowsNT };
Platform running_platform();

// Task switching off (false) while a password-protected saver runs and on
// again after; only the 95 family with the password flag set has anything
// to do.
void set_task_switching(bool enabled);
struct SystemState {
  // The platform call behind set_task_switching; Linux has none.
  std::function<void(int running)> screensaver_running;
};
SystemState& system_state();

// The file exists as a normal, visible file, its name compared without
// regard to letter case.
Flag16 FileInstallCheck(const std::string& path);

// The file-name part of a path.
std::string TrimPath(const std::string& path);

// The path of the existing file whose name matches path's name without
// regard to letter case (the path itself when nothing matches).
std::string resolve_file_case(const std::string& path);

}  // namespace vex
