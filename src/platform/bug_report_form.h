#pragma once
// The error-report window: its behaviour, on the OS layer's widgets.
#include <memory>
#include <string>

#include "platform/error_report.h"

namespace vex {

std::unique_ptr<BugReportView> make_bug_report_form();

// The local bug-report page for the failure shown in caption: how to report
// it and where the settings and media are. Returns its path.
std::string write_bug_report_page(const std::string& caption);

}  // namespace vex
