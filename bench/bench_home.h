#pragma once
// A settings folder of the benchmark's own with every creature on, and the
// media the program is to read, so that a benchmark starts the program's
// pieces on what a user's saver with everything switched on would read.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "startup/settings.h"

namespace vex::bench {

// `extra` goes into the settings after the creatures; an empty `data_home`
// leaves the media where the program would look by itself.
inline std::filesystem::path make_home(const std::string& name, const std::string& extra,
                                       const std::string& data_home) {
  namespace fs = std::filesystem;
  const fs::path home = fs::temp_directory_path() / name;
  fs::create_directories(home / "config");
  {
    std::ofstream ini(home / "config/zelvora.ini");
    ini << "[Vexmoor]\nfirstrun=1\n";
    for (const char* k : kCreatureKeys) ini << k << "=1\n";
    ini << extra;
  }
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  if (!data_home.empty()) setenv("XDG_DATA_HOME", data_home.c_str(), 1);
  return home;
}

}  // namespace vex::bench
