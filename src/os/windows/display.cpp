// The display: the window classes registered once, the screen measured, and
// the cursor over our windows.
#include <optional>
#include <string>

#include "os/window.h"
#include "os/windows/window_parts.h"

namespace vex {
namespace {

bool opened = false;
bool lost = false;
int cursor_count = 0;

void register_classes() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = win::instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconW(win::instance(), MAKEINTRESOURCEW(100));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpfnWndProc = win::saver_window_proc;
  wc.lpszClassName = win::kSaverClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = win::preview_window_proc;
  wc.lpszClassName = win::kPreviewClass;
  RegisterClassExW(&wc);
}

}  // namespace

std::optional<ScreenSize> open_display(std::string* error, DisplayUse) {
  if (!opened) {
    register_classes();
    win::serve_messages_from_loop();
    opened = true;
  }
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  if (w <= 0 || h <= 0) {
    if (error) *error = "cannot measure the screen";
    return std::nullopt;
  }
  return ScreenSize{w, h};
}

void close_display() { opened = false; }
bool display_open() { return opened; }
void forget_display() { lost = true; }

int ShowCursor(bool show) {
  cursor_count += show ? 1 : -1;
  if (!lost) ::ShowCursor(show ? TRUE : FALSE);
  return cursor_count;
}

int cursor_display_count() { return cursor_count; }

}  // namespace vex
