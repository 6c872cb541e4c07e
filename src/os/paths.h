#pragma once
// Where the program keeps its settings and finds its media.
#include <string>
#include <vector>

namespace vex {

// The character between a directory and a name in the paths the program
// makes, and whether c is one in the paths it is given.
char path_separator();
bool is_path_separator(char c);

// ${XDG_CONFIG_HOME:-$HOME/.config}/zelvora.ini
std::string settings_file_path();

// Candidate data directories, most specific first: XDG_DATA_HOME, the
// XDG_DATA_DIRS, the install prefix's data directory, the build tree's
// generated media.
std::vector<std::string> data_directories();

// The first data directory holding Zelvora/Vexmoor/, or the first candidate
// (with found = false) when none does.
std::string media_base_directory(bool* found = nullptr);

// Directory for files the program writes for the user to read (the bug
// report page): ${XDG_CACHE_HOME:-$HOME/.cache}/vexmoor
std::string cache_directory();

// Directory for the instance lock: $XDG_RUNTIME_DIR, else the temp directory.
std::string runtime_directory();

}  // namespace vex
