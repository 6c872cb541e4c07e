#pragma once

namespace vex {

// Lets the program's event loop serve FLTK's windows: while one is open the
// loop waits in FLTK, in short slices so SDL's events and the timers keep
// their pace. Call before the first FLTK window is shown; safe to call
// more than once.
void serve_fltk_from_loop();

}  // namespace vex
