#pragma once
// Where the system's General MIDI soundfont is. Internal to os/linux/.
#include <string>
#include <vector>

namespace vex {

// The folder that holds sf2/ and sf3/: /usr/share/sounds, or the folder
// VEXMOOR_SOUNDFONT_ROOT names (for trying a system laid out otherwise).
std::string soundfont_root();

// The places looked at, in order: the system's choice in either layout
// (Debian points both at the General MIDI soundfont it prefers, and a
// package of the compressed layout sets only the second), then the files
// the General MIDI soundfont packages install.
std::vector<std::string> soundfont_places(const std::string& root);

// The first of them that is a file; empty when there is none.
std::string find_soundfont(const std::string& root);

}  // namespace vex
