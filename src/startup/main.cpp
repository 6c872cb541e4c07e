// The vexmoor executable: switches as the screen-saver machinery passes them
// (/s, /c, /p <window>, /a <window>).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/configuration.h"
#include "display/preview_screen.h"
#include "display/screen_saver.h"
#include "os/event_loop.h"
#include "os/host_window.h"
#include "os/signals.h"
#include "platform/bug_report_form.h"
#include "platform/error_report.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace {

bool any_window_open() {
  const auto& view = vex::error_report().view;
  return vex::screen_saver::exists() || vex::preview_screen::exists() || vex::configuration::exists() ||
         (view && view->exists());
}

void display_lost() {
  std::fputs("vexmoor: the display went away; ending\n", stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  vex::install_x_error_handler();
  vex::set_display_lost_handler(display_lost);
  // Asked to end from outside (a logout, a daemon, Ctrl+C): the normal way
  // out, whatever mode runs.
  vex::on_termination_request([] { vex::X_Cleanup_And_End(); });
  std::string raw;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) raw += ' ';
    raw += argv[i];
  }
  vex::error_report().view = vex::make_bug_report_form();
  vex::Main(raw);
  // The process lives while one of its windows is open; when none is (the
  // password mode, or a start that failed before any window), it ends the
  // normal way rather than idling unseen.
  while (true) {
    if (!any_window_open()) vex::X_Cleanup_And_End();
    vex::event_loop().run_once();
  }
}
