#include "platform/fltk_loop.h"

#include <FL/Fl.H>

#include <algorithm>

#include "platform/event_loop.h"

namespace vex {

void serve_fltk_from_loop() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  EventLoop::Waiter previous = event_loop().waiter();
  event_loop().set_waiter([previous](int ms) {
    if (Fl::first_window()) Fl::wait(std::min(ms, 10) / 1000.0);
    else if (previous) previous(ms);
  });
  event_loop().add_pump([] {
    if (Fl::first_window()) Fl::check();
  });
}

}  // namespace vex
