#include "platform/system.h"

#include <algorithm>
#include <filesystem>

#include "base/convert.h"
#include "os/paths.h"
#include "os/system_services.h"
#include "platform/error_report.h"
#include "startup/starter.h"

namespace vex {

namespace fs = std::filesystem;

SystemState& system_state() {
  static SystemState s;
  return s;
}

void CenterForm(WindowPlacement& w) {
  trap("System/CenterForm", [&] {
    const StarterState& st = starter();
    w.left = round_to_i32(st.ScreenWidth / 2.0 - w.outer_width / 2.0);
    w.top = round_to_i32(st.ScreenHeight / 2.0 - w.outer_height / 2.0);
  });
}

void set_task_switching(bool enabled) {
  trap("System/SetTFS", [&] {
    const StarterState& st = starter();
    if (st.Platform != Platform::kWindows95 || st.PasswordFlag != 1) return;
    const int running = enabled ? 0 : 1;
    if (system_state().screensaver_running) system_state().screensaver_running(running);
    else set_screensaver_running(running == 1);
  });
}

Platform running_platform() {
  Platform platform = Platform::kUnknown;
  trap("System/GetVersion32", [&] {
    const int id = platform_id();
    platform = id == 1 ? Platform::kWindows95 : id == 2 ? Platform::kWindowsNT : Platform::kUnknown;
  });
  return platform;
}

std::string TrimPath(const std::string& path) {
  std::string rest;
  trap("System/TrimPath", [&] {
    rest = path;
    const auto last = std::find_if(rest.rbegin(), rest.rend(), is_path_separator);
    if (last != rest.rend()) rest = rest.substr(static_cast<std::size_t>(rest.rend() - last));
  });
  return rest;
}

namespace {

// The first visible regular file in the path's directory whose name matches
// without regard to letter case; empty when there is none.
std::string find_file_entry(const std::string& path) {
  std::string name = TrimPath(path);
  if (name.empty() || name.front() == '.') return {};
  fs::path dir = fs::path(path).parent_path();
  if (dir.empty()) dir = ".";
  std::error_code ec;
  // The exact name first: the common case needs no directory scan.
  if (fs::is_regular_file(dir / name, ec)) return name;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (entry.empty() || entry.front() == '.') continue;
    if (!iequals(entry, name)) continue;
    std::error_code ec2;
    if (fs::is_regular_file(it->path(), ec2)) return entry;
  }
  return {};
}

}  // namespace

Flag16 FileInstallCheck(const std::string& path) {
  Flag16 result = kFalse;
  trap("System/FileInstallCheck", [&] {
    std::string found = find_file_entry(path);
    result = flag(!found.empty() && to_upper_ascii(found) == to_upper_ascii(TrimPath(path)));
  });
  return result;
}

std::string resolve_file_case(const std::string& path) {
  std::string found = find_file_entry(path);
  if (found.empty()) return path;
  return (fs::path(path).parent_path() / found).string();
}

}  // namespace vex
