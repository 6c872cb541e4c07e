// The system headers first: the others need what windows.h defines.
#include "os/windows/win32.h"

#include <shellapi.h>

#include "os/launcher.h"

namespace vex {

bool open_in_browser(const std::string& url) {
  // The shell's "open" of the page: the user's browser, started apart from us.
  const auto r = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", win::widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return r > 32;
}

}  // namespace vex
