#include "os/signals.h"

#include <signal.h>

#include <csignal>

#include "os/event_loop.h"

namespace vex {
namespace {

volatile std::sig_atomic_t requested = 0;
std::function<void()>& handler() {
  static std::function<void()> h;
  return h;
}

extern "C" void note_request(int) { requested = 1; }

}  // namespace

bool termination_requested() { return requested != 0; }

void on_termination_request(std::function<void()> h) {
  static bool installed = false;
  handler() = std::move(h);
  event_loop().add_pump([handled = false]() mutable {
    if (!requested || handled || !handler()) return;
    handled = true;
    handler()();
  });
  if (installed) return;
  installed = true;
  struct sigaction sa {};
  sa.sa_handler = note_request;
  sigemptyset(&sa.sa_mask);
  // No SA_RESTART: a wait in progress returns early, so the loop sees the
  // request at once instead of after its longest sleep.
  sa.sa_flags = 0;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
}

}  // namespace vex
