#pragma once
#include <string>

namespace vex {

// Opens a page in the user's browser (xdg-open), without a shell and
// without waiting for it; false when it could not be started.
bool open_in_browser(const std::string& url);

}  // namespace vex
