// What --help and the messages say of Windows' own windows and folders.
#include "os/system_text.h"

namespace vex {

std::string help_preview_line() { return "  /p <window>        a small preview inside that window\n"; }

std::string help_other_window_lines() {
  return "To draw into another program's window:\n"
         "  --root, -root      draw into the desktop window\n"
         "  --window-id <id>   draw into that window (0x... or decimal)\n"
         "  There the saver is silent until songs or sounds are saved in the settings dialog\n"
         "  (or asked for with --music or --sounds).\n"
         "\n";
}

std::string help_settings_line() {
  return "Settings: zelvora.ini in the Windows folder, or %APPDATA%\\Zelvora\\zelvora.ini\n"
         "where that cannot be written.";
}

std::string display_notes() { return {}; }

std::string no_preview_host_message() { return "/p needs the id of an existing window to draw the preview in"; }

// Every library here is the system's own, and its memory not checked.
const char* kept_library_memory() { return ""; }

}  // namespace vex
