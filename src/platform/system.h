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

// "disable" / "enable" task switching while a password-protected saver runs;
// only the "95" family with the password flag set has anything to do.
void SetTFS(const std::string& command);
struct SystemState {
  // The platform call behind SetTFS; Linux has none.
  std::function<void(int running)> screensaver_running;
};
SystemState& system_state();

// "95", "NT" or "Unknown"; Linux is neither Windows family.
std::string GetVersion32();

// The file exists as a normal, visible file, its name compared without
// regard to letter case.
Flag16 FileInstallCheck(const std::string& path);

// The file-name part of a path.
std::string TrimPath(const std::string& path);

// The path of the existing file whose name matches path's name without
// regard to letter case (the path itself when nothing matches).
std::string resolve_file_case(const std::string& path);

}  // namespace vex
