#pragma once

namespace vex::configuration {

// Shows the settings dialog.
void load();
bool exists();

}  // namespace vex::configuration
