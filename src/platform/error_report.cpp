#include "platform/error_report.h"

#include <cstdio>
#include <new>
#include <stdexcept>

#include "platform/convert.h"
#include "platform/failure.h"

namespace vex {

ErrorReportState& error_report() {
  static ErrorReportState state;
  return state;
}

int failure_code(const std::exception_ptr& e) noexcept {
  try {
    std::rethrow_exception(e);
  } catch (const Failure& f) {
    return f.code();
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (const std::out_of_range&) {
    return kIndexOutOfRange;
  } catch (const std::overflow_error&) {
    return kOverflow;
  } catch (...) {
    return kInvalidArgument;
  }
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
  if (!st.view->exists()) st.view->create();
  st.view->set_caption(st.last_caption);
  st.view->show();
}

}  // namespace vex
