// The X11 and XDG names a user of this system knows.
#include "os/system_text.h"

namespace vex {

std::string help_preview_line() { return "  /p <window>        a small preview inside that X11 window\n"; }

std::string help_other_window_lines() {
  return "For a screen-saver daemon (XScreenSaver, MATE's screen saver, xsecurelock):\n"
         "  --root, -root      draw into $XSCREENSAVER_WINDOW (0x... or decimal), or the root window\n"
         "  --window-id <id>   draw into that window (0x... or decimal)\n"
         "  There the saver is silent until songs or sounds are saved in the settings dialog\n"
         "  (or asked for with --music or --sounds).\n"
         "\n";
}

std::string help_settings_line() { return "Settings: ${XDG_CONFIG_HOME:-~/.config}/zelvora.ini."; }

std::string display_notes() {
  return "On a Wayland desktop the saver (/s) shows full-screen surfaces of its own on every output,\n"
         "which costs less than drawing through XWayland (SDL_VIDEODRIVER=x11 draws through XWayland;\n"
         "SDL_VIDEODRIVER=wayland insists on Wayland). /c, /p and the daemon modes are X11 windows.\n";
}

std::string no_preview_host_message() { return "/p needs the id of an existing X11 window to draw the preview in"; }

const char* kept_library_memory() {
  return "leak:libfontconfig\nleak:libSDL2\nleak:libX11\nleak:libfltk\nleak:libdbus\nleak:libXi\n"
         "leak:libxcb\nleak:libfluidsynth\nleak:libglib\nleak:libpulse\nleak:libasound\nleak:libXcursor\n";
}

}  // namespace vex
