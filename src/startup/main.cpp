// The vexmoor executable: switches as the screen-saver machinery passes them
// (/s, /c, /p <window>, /a <window>).
#include <string>

#include "config/configuration.h"
#include "display/preview_screen.h"
#include "display/screen_saver.h"
#include "platform/bug_report_form.h"
#include "platform/error_report.h"
#include "platform/event_loop.h"
#include "platform/x11.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace {

bool any_window_open() {
  const auto& view = vex::error_report().view;
  return vex::screen_saver::exists() || vex::preview_screen::exists() || vex::configuration::exists() ||
         (view && view->exists());
}

}  // namespace

int main(int argc, char** argv) {
  vex::install_x_error_handler();
  std::string raw;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) raw += ' ';
    raw += argv[i];
  }
  vex::error_report().view = vex::make_fltk_bug_report_view();
  vex::Main(raw);
  // The process lives while one of its windows is open; when none is (the
  // password mode, or a start that failed before any window), it ends the
  // normal way rather than idling unseen.
  while (true) {
    if (!any_window_open()) vex::X_Cleanup_And_End();
    vex::event_loop().run_once();
  }
}
