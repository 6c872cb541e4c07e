#include "os/linux/fltk_loop.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <algorithm>

#include "os/event_loop.h"
#include "os/host_window.h"

namespace vex {

void serve_fltk_from_loop() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  // FLTK puts its own X error handlers in place when it connects; ours must
  // stay (a vanished display ends us quietly, a bad window id is an answer).
  fl_open_display();
  install_x_error_handler();
  // Flat, light controls, as the desktops around it draw theirs.
  Fl::scheme("gtk+");
  Fl::background(212, 208, 200);
  // Dialog layouts are measured for a narrow sans; Liberation Sans has the
  // metrics of the classic one, where the wider default would crowd the
  // captions into their neighbours.
  Fl::set_font(FL_HELVETICA, " Liberation Sans");
  Fl::set_font(FL_HELVETICA_BOLD, "BLiberation Sans");
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
