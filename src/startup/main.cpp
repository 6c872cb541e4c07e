// The vexmoor executable: switches as the screen-saver machinery passes them
// (/s, /c, /p <window>, /a <window>).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "display/preview_screen.h"
#include "display/screen_saver.h"
#include "os/event_loop.h"
#include "os/host_window.h"
#include "os/signals.h"
#include "os/system_services.h"
#include "os/system_text.h"
#include "os/window.h"
#include "platform/bug_report_form.h"
#include "platform/error_report.h"
#include "startup/options.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

#if defined(__SANITIZE_ADDRESS__)
// What the libraries keep for the life of the process (fonts, the display
// connection, the toolkit's and the synthesizer's tables) is theirs, not ours.
extern "C" const char* __lsan_default_suppressions() { return vex::kept_library_memory(); }
#endif

namespace {

bool any_window_open() {
  const auto& view = vex::error_report().view;
  return vex::screen_saver::exists() || vex::preview_screen::exists() || vex::configuration::exists() ||
         (view && view->exists());
}

// Nothing more can be shown; the sound and everything else is still given
// back the normal way, without a word to the window system.
void display_lost() {
  std::fputs("vexmoor: the display went away; ending\n", stderr);
  vex::forget_display();
  vex::set_exit_status(1);
  vex::clean_up_and_end();
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  vex::install_x_error_handler();
  vex::set_display_lost_handler(display_lost);
  // Asked to end from outside (a logout, a daemon, Ctrl+C): the normal way
  // out, whatever mode runs.
  vex::on_termination_request([] { vex::clean_up_and_end(); });
  vex::CommandLine cl = vex::parse_command_line(vex::program_arguments(argc, argv));
  if (!cl.error.empty()) {
    std::fprintf(stderr, "vexmoor: %s (vexmoor --help tells the options)\n", cl.error.c_str());
    return 2;
  }
  if (cl.options.help || cl.options.version) {
    std::string text = cl.options.help ? vex::usage_text() : vex::version_text();
    // How this system's displays are used, last.
    if (const std::string notes = vex::display_notes(); cl.options.help && !notes.empty()) text += "\n" + notes;
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  vex::starter().Options = cl.options;
  vex::error_report().view = vex::make_bug_report_form();
  vex::Main(cl.rest);
  // The process lives while one of its windows is open; when none is (the
  // password mode, or a start that failed before any window), it ends the
  // normal way rather than idling unseen.
  while (true) {
    if (!any_window_open()) vex::clean_up_and_end();
    vex::event_loop().run_once();
  }
}
