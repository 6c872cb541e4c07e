#pragma once
// What the program tells its user that names this system's own things: its
// window system, its variables, its folders, its libraries. The rest of
// --help and of the messages is the same everywhere.
#include <string>

namespace vex {

// --help's line for the preview mode (/p <window>).
std::string help_preview_line();
// --help's paragraph on drawing into another program's window (--root,
// --window-id), ending in a blank line.
std::string help_other_window_lines();
// --help's sentence on where the settings are kept, before the exit statuses.
std::string help_settings_line();
// What --help says last of how this system's displays are used ("" for
// nothing).
std::string display_notes();

// What a preview without a window to draw in says on stderr, without the
// program's name before it.
std::string no_preview_host_message();

// The libraries whose memory, kept for the life of the process, a leak check
// is not to count: one "leak:<library>" a line.
const char* kept_library_memory();

}  // namespace vex
