#include "platform/bug_report_form.h"

#include <filesystem>
#include <fstream>

#include "os/launcher.h"
#include "os/paths.h"
#include "os/widgets.h"
#include "platform/system.h"
#include "startup/settings.h"
#include "startup/shutdown.h"

namespace vex {
namespace {

std::string html_escape(const std::string& s) {
  std::string r;
  for (char c : s) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      case '"': r += "&quot;"; break;
      default: r += c;
    }
  }
  return r;
}

class BugReportForm : public BugReportView {
 public:
  bool exists() const override { return window_ != nullptr; }
  bool can_show() const override { return window_ != nullptr || ui::windows_available(); }

  void create() override {
    window_ = ui::create_window(267, 95, "Error Code:");
    window_->add_label({24, 8, 225, 33}, "You have found a bug in this screensaver. Please report it now",
                       {ui::TextAlign::kCentre});
    window_->add_button({16, 56, 233, 25}, "Report This Bug Now").on_click = [this] { open_report_page(); };
    window_->on_close = Form_Unload;
    Form_Load();
  }

  void set_caption(const std::string& caption) override {
    caption_ = caption;
    window_->set_caption(caption);
  }

  void show() override {
    window_->show();
    // Centred again now that the window manager's frame, if any, is known:
    // it is the outer size that stands in the middle of the screen.
    Form_Load();
    window_->set_topmost(true);
  }

 private:
  void Form_Load() {
    WindowPlacement p{0, 0, window_->outer_width(), window_->outer_height()};
    CenterForm(p);
    window_->move_outer_to(p.left, p.top);
  }

  void open_report_page() { open_in_browser("file://" + write_bug_report_page(caption_)); }

  static void Form_Unload() { clean_up_and_end(); }

  std::unique_ptr<ui::Window> window_;
  std::string caption_;
};

}  // namespace

std::unique_ptr<BugReportView> make_bug_report_form() { return std::make_unique<BugReportForm>(); }

std::string write_bug_report_page(const std::string& caption) {
  std::string dir = cache_directory();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  std::string path = dir + "/bugs.htm";
  std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::trunc);
    out << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Vexmoor: report a bug</title>\n"
        << "<style>body{font-family:sans-serif;max-width:42em;margin:2em auto;background:#14161c;color:#ddd}"
        << "code{background:#2a2d36;padding:0 .3em}h1{color:#e8a040}</style></head><body>\n"
        << "<h1>You have found a bug in Vexmoor</h1>\n"
        << "<p>The screen saver stopped part of its work and showed this report:</p>\n"
        << "<p><code>" << html_escape(caption) << "</code></p>\n"
        << "<h2>How to report it</h2>\n<ol>\n"
        << "<li>Copy the line above exactly: its number tells the kind of failure and the name after it tells "
           "where it happened.</li>\n"
        << "<li>Say what you did just before (started the saver, opened the settings, a preview), and what the "
           "screen showed.</li>\n"
        << "<li>Attach your settings file; a hand-edited value there is the most common cause.</li>\n"
        << "<li>Send it to the Vexmoor team through the project's issue tracker.</li>\n</ol>\n"
        << "<h2>Where Vexmoor keeps its files</h2>\n<ul>\n"
        << "<li>Settings: <code>" << html_escape(settings_file_path()) << "</code></li>\n"
        << "<li>Pictures, songs and sounds: <code>" << html_escape(settings().MediaDirectory) << "</code></li>\n"
        << "</ul>\n<p>Closing the report window ends the screen saver.</p>\n</body></html>\n";
  }
  std::filesystem::rename(tmp, path, ec);
  return path;
}

}  // namespace vex
