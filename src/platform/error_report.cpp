#include "platform/error_report.h"

#include <cstdio>

#include "base/convert.h"
#include "base/failure.h"
#include "startup/shutdown.h"

namespace vex {

ErrorReportState& error_report() {
  static ErrorReportState state;
  return state;
}

std::string error_caption(int code, std::string_view label) {
  return "Error Code: VXMR-" + num_to_text(code) + " " + std::string(label);
}

void ReportError(std::string_view label, int code) {
  ErrorReportState& st = error_report();
  // Only the full-screen saver window installs this hook, so it stands for
  // "in the saver mode, with the saver window up".
  if (st.saver_give_way) st.saver_give_way();
  std::string caption = error_caption(code, label);
  // A terminal user sees the report too, once per new failure (one that
  // repeats every frame would otherwise flood the terminal).
  if (caption != st.last_caption) std::fprintf(stderr, "vexmoor: %s\n", caption.c_str());
  st.last_caption = caption;
  if (!st.view) return;
  if (!st.view->can_show()) {
    // Nowhere to show the report (the saver on a Wayland desktop without
    // X11): the line above is all the user gets, and the program ends as
    // if the report had been read, saying it failed.
    set_exit_status(1);
    clean_up_and_end();
    return;
  }
  if (!st.view->exists()) st.view->create();
  st.view->set_caption(st.last_caption);
  st.view->show();
}

}  // namespace vex
