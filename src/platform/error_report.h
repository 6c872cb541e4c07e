#pragma once
// The one error reporter and the window it shows.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vex {

// The error-report window as the reporter sees it. The real one is an FLTK
// window (bug_report_form.cpp); tests that assert exact reports record them.
class BugReportView {
 public:
  virtual ~BugReportView() = default;
  virtual bool exists() const = 0;
  virtual void create() = 0;  // runs Form_Load
  virtual void set_caption(const std::string& caption) = 0;
  virtual void show() = 0;
};

struct ErrorReportState {
  std::unique_ptr<BugReportView> view;
  // Set by the saver window while it exists: makes it give way to the report.
  std::function<void()> saver_give_way;
  std::string last_caption;
};
ErrorReportState& error_report();

std::string error_caption(int code, std::string_view label);

}  // namespace vex
