#include "os/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace vex {
namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string home() {
  std::string h = env("HOME");
  if (!h.empty()) return h;
  if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

// Relative XDG paths are invalid and must be ignored.
bool usable(const std::string& p) { return !p.empty() && p.front() == '/'; }

}  // namespace

char path_separator() { return '/'; }
// A backslash is an ordinary character of a name here.
bool is_path_separator(char c) { return c == '/'; }

std::string settings_file_path() {
  std::string base = env("XDG_CONFIG_HOME");
  if (!usable(base)) base = home() + "/.config";
  return base + "/zelvora.ini";
}

std::vector<std::string> data_directories() {
  std::vector<std::string> dirs;
  std::string data_home = env("XDG_DATA_HOME");
  dirs.push_back(usable(data_home) ? data_home : home() + "/.local/share");
  std::string list = env("XDG_DATA_DIRS");
  if (list.empty()) list = "/usr/local/share:/usr/share";
  std::stringstream ss(list);
  for (std::string item; std::getline(ss, item, ':');)
    if (usable(item)) dirs.push_back(item);
#ifdef VEXMOOR_INSTALL_DATADIR
  dirs.push_back(VEXMOOR_INSTALL_DATADIR);
#endif
#ifdef VEXMOOR_BUILD_DATADIR
  dirs.push_back(VEXMOOR_BUILD_DATADIR);
#endif
  return dirs;
}

std::string media_base_directory(bool* found) {
  auto dirs = data_directories();
  for (const auto& d : dirs) {
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(d) / "Zelvora" / "Vexmoor", ec)) {
      if (found) *found = true;
      return d;
    }
  }
  if (found) *found = false;
  return dirs.front();
}

std::string cache_directory() {
  std::string base = env("XDG_CACHE_HOME");
  if (!usable(base)) base = home() + "/.cache";
  return base + "/vexmoor";
}

std::string runtime_directory() {
  std::string r = env("XDG_RUNTIME_DIR");
  if (usable(r)) return r;
  std::error_code ec;
  return std::filesystem::temp_directory_path(ec).string();
}

}  // namespace vex
