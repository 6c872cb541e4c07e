#pragma once
// The one error reporter, the window it shows, and the trap every routine
// with a label runs its body under: whatever goes wrong inside is handed to
// ReportError with that label and its fixed code, and the routine returns its
// empty value.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/failure.h"

namespace vex {

// The error-report window as the reporter sees it. The real one is built
// from the OS layer's widgets (bug_report_form.cpp); tests that assert exact
// reports record them.
class BugReportView {
 public:
  virtual ~BugReportView() = default;
  virtual bool exists() const = 0;
  virtual void create() = 0;  // runs Form_Load
  virtual void set_caption(const std::string& caption) = 0;
  virtual void show() = 0;
  // Is there a window system to show it on at all?
  virtual bool can_show() const { return true; }
};

struct ErrorReportState {
  std::unique_ptr<BugReportView> view;
  // Set by the saver window while it exists: makes it give way to the report.
  std::function<void()> saver_give_way;
  std::string last_caption;
};
ErrorReportState& error_report();

std::string error_caption(int code, std::string_view label);

void ReportError(std::string_view label, int code);

// Runs body; on any failure reports it under label and returns false.
template <typename F>
bool trap(std::string_view label, F&& body) {
  try {
    std::forward<F>(body)();
    return true;
  } catch (const ProcessEnded&) { throw; } catch (...) {
    ReportError(label, failure_code(std::current_exception()));
    return false;
  }
}

}  // namespace vex
