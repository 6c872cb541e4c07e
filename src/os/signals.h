#pragma once
// Requests from outside to end the program (a session logging out, a
// screen-saver daemon stopping its display program, Ctrl+C in a terminal).
#include <functional>

namespace vex {

// From now on such a request calls handler from the event loop, between
// ticks (never inside a signal handler), within one loop iteration. A
// second request while the first is handled is not lost but not repeated.
void on_termination_request(std::function<void()> handler);

// True once a request has arrived (tests, and loops that must not block).
bool termination_requested();

}  // namespace vex
