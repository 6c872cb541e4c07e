#pragma once
#include <functional>

namespace vex {

// The program's one way out: gives back what the run took, then ends the
// process.
void clean_up_and_end();

// Ends the process with the given status. Tests replace the ending with a
// hook (which throws ProcessEnded so that nothing after it runs).
[[noreturn]] void end_process_now(int status);
void set_exit_status(int status);
struct ShutdownState {
  std::function<void(int status)> end_hook;
  int exit_status = 0;
};
ShutdownState& shutdown_state();

}  // namespace vex
