#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/bug_report_form.h"
#include "startup/settings.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class BugReportPage : public ProgramTest {};

TEST_F(BugReportPage, TellsTheFailureAndWhereSettingsAndMediaAre) {
  settings().MediaDirectory = "/opt/media & more/Zelvora/Vexmoor/";
  std::string path = write_bug_report_page("Error Code: VXMR- 6 Starter/X_GetData");
  EXPECT_EQ(path, dir_ / "cache/vexmoor/bugs.htm");
  std::ifstream in(path);
  std::stringstream page;
  page << in.rdbuf();
  std::string html = page.str();
  EXPECT_NE(html.find("Error Code: VXMR- 6 Starter/X_GetData"), std::string::npos);
  EXPECT_NE(html.find(settings_file()), std::string::npos);
  EXPECT_NE(html.find("/opt/media &amp; more/Zelvora/Vexmoor/"), std::string::npos);  // escaped, not raw
  EXPECT_EQ(html.find("/opt/media & more"), std::string::npos);
  EXPECT_NE(html.find("How to report it"), std::string::npos);
}

TEST_F(BugReportPage, ACaptionCannotInjectMarkup) {
  std::string path = write_bug_report_page("Error Code: VXMR- 5 <script>alert(1)</script>");
  std::ifstream in(path);
  std::stringstream page;
  page << in.rdbuf();
  EXPECT_EQ(page.str().find("<script>"), std::string::npos);
  EXPECT_NE(page.str().find("&lt;script&gt;"), std::string::npos);
}

}  // namespace
}  // namespace vex
