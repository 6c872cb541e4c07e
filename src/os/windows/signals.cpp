// Requests to end from outside: the session ending (every window of ours
// hears it) and Ctrl+C or the console closing when started from one.
#include "os/signals.h"

#include <atomic>

#include "os/event_loop.h"
#include "os/windows/win32.h"

namespace vex {
namespace {

std::atomic<bool> requested{false};
bool handled = false;
std::function<void()>& handler() {
  static std::function<void()> h;
  return h;
}

void handle_once() {
  if (!requested || handled || !handler()) return;
  handled = true;
  handler()();
}

BOOL WINAPI console_request(DWORD) {
  requested = true;
  return TRUE;
}

}  // namespace

namespace win {
void request_termination() { requested = true; }
void end_now() {
  requested = true;
  handle_once();
}
}  // namespace win

bool termination_requested() { return requested; }

void on_termination_request(std::function<void()> h) {
  static bool installed = false;
  handler() = std::move(h);
  event_loop().add_pump(handle_once);
  if (installed) return;
  installed = true;
  SetConsoleCtrlHandler(console_request, TRUE);
}

}  // namespace vex
