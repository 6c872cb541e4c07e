// The settings dialog's window. Until the full dialog is built this window
// says plainly that it is not there yet and where the settings live.
#include <memory>
#include <string>

#include "config/configuration.h"
#include "os/paths.h"
#include "os/widgets.h"
#include "platform/system.h"
#include "startup/shutdown.h"

namespace vex::configuration {
namespace {

std::unique_ptr<ui::Window> window;

}  // namespace

bool exists() { return window != nullptr; }

void load() {
  window = ui::create_window(420, 150, "Vexmoor Settings");
  window->add_label({16, 12, 388, 90},
                    "The settings dialog is not available in this version of Vexmoor yet.\n\n"
                    "Settings are read from " + settings_file_path() +
                        "; the saver uses its defaults until that file exists.",
                    {ui::TextAlign::kTopLeft});
  window->add_button({316, 112, 88, 25}, "Close").on_click = [] { X_Cleanup_And_End(); };
  window->on_close = [] { X_Cleanup_And_End(); };
  window->show();
  WindowPlacement p{0, 0, window->outer_width(), window->outer_height()};
  CenterForm(p);
  window->move_outer_to(p.left, p.top);
}

}  // namespace vex::configuration
