#include "platform/bug_report_form.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <filesystem>
#include <fstream>

#include "platform/fltk_loop.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/x11.h"
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

class FltkBugReportView : public BugReportView {
 public:
  bool exists() const override { return window_ != nullptr; }

  void create() override {
    serve_fltk_from_loop();
    window_ = new Fl_Window(267, 95, "Error Code:");
    window_->begin();
    auto* label = new Fl_Box(24, 8, 225, 33, "You have found a bug in this screensaver. Please report it now");
    label->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    label->labelsize(12);
    auto* button = new Fl_Button(16, 56, 233, 25, "Report This Bug Now");
    button->labelsize(12);
    button->callback([](Fl_Widget*, void* self) { static_cast<FltkBugReportView*>(self)->Command1_Click(); }, this);
    window_->end();
    window_->callback([](Fl_Widget*, void*) { Form_Unload(); });
    Form_Load();
  }

  void set_caption(const std::string& caption) override {
    caption_ = caption;
    window_->copy_label(caption.c_str());
  }

  void show() override {
    window_->show();
    Fl::flush();
    set_window_topmost(fl_xid(window_), true);
  }

 private:
  void Form_Load() {
    WindowPlacement p{window_->x(), window_->y(), window_->w(), window_->h()};
    CenterForm(p);
    window_->position(p.left, p.top);
  }

  void Command1_Click() { open_in_browser("file://" + write_bug_report_page(caption_)); }

  static void Form_Unload() { X_Cleanup_And_End(); }

  Fl_Window* window_ = nullptr;
  std::string caption_;
};

}  // namespace

std::unique_ptr<BugReportView> make_fltk_bug_report_view() { return std::make_unique<FltkBugReportView>(); }

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
