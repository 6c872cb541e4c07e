// The settings dialog's window. Until the full dialog is built this window
// says plainly that it is not there yet and where the settings live.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>

#include <string>

#include "config/configuration.h"
#include "platform/fltk_loop.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "startup/shutdown.h"

namespace vex::configuration {
namespace {

Fl_Window* window = nullptr;

void close_dialog(Fl_Widget*, void*) { X_Cleanup_And_End(); }

}  // namespace

bool exists() { return window != nullptr; }

void load() {
  serve_fltk_from_loop();
  window = new Fl_Window(420, 150, "Vexmoor Settings");
  window->begin();
  static std::string text;
  text = "The settings dialog is not available in this version of Vexmoor yet.\n\n"
         "Settings are read from " + settings_file_path() + "; the saver uses its defaults until that file exists.";
  auto* box = new Fl_Box(16, 12, 388, 90);
  box->label(text.c_str());
  box->labelsize(12);
  box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  auto* ok = new Fl_Button(316, 112, 88, 25, "Close");
  ok->labelsize(12);
  ok->callback(close_dialog);
  window->end();
  window->callback(close_dialog);
  WindowPlacement p{0, 0, window->w(), window->h()};
  CenterForm(p);
  window->position(p.left, p.top);
  window->show();
}

}  // namespace vex::configuration
