#include "sway_session.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "daemon_host.h"

namespace vex::test {
namespace {

using namespace std::chrono_literals;

std::string read_all(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A binary PPM (P6, eight bits a channel) as pixels; empty when it is not one.
Bitmap read_ppm(const std::string& bytes) {
  std::istringstream in(bytes);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  if (magic != "P6" || w <= 0 || h <= 0 || max != 255) return {};
  in.get();  // the one white-space byte before the pixels
  const auto start = static_cast<std::size_t>(in.tellg());
  if (bytes.size() < start + static_cast<std::size_t>(w) * h * 3) return {};
  Bitmap b(w, h);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + start);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x, p += 3) b.at(x, y) = rgb(p[0], p[1], p[2]);
  return b;
}

// The number after "key": at or before pos in a JSON text, searching back.
long number_before(const std::string& json, std::size_t pos, const std::string& key) {
  const std::size_t at = json.rfind("\"" + key + "\": ", pos);
  if (at == std::string::npos) return -1;
  return std::strtol(json.c_str() + at + key.size() + 4, nullptr, 10);
}

std::string string_before(const std::string& json, std::size_t pos, const std::string& key) {
  const std::size_t at = json.rfind("\"" + key + "\": \"", pos);
  if (at == std::string::npos) return "";
  const std::size_t from = at + key.size() + 5;
  return json.substr(from, json.find('"', from) - from);
}

// Every process whose HOME is this one: what the session started (sway's
// background, XWayland, whatever a test ran in it) and may leave behind.
std::vector<int> processes_of_home(const std::string& home) {
  std::vector<int> pids;
  DIR* proc = opendir("/proc");
  if (!proc) return pids;
  while (dirent* e = readdir(proc)) {
    const int pid = std::atoi(e->d_name);
    if (pid > 0 && pid != getpid() && process_variable(pid, "HOME") == home) pids.push_back(pid);
  }
  closedir(proc);
  return pids;
}

}  // namespace

std::string SwaySession::missing_tools(bool xwayland) {
  std::vector<std::string> tools = {"sway", "swaymsg", "grim", "wtype"};
  if (xwayland) tools.push_back("Xwayland");
  std::string missing;
  for (const auto& t : tools)
    if (!installed(t)) missing += (missing.empty() ? "" : ", ") + t;
  return missing;
}

SwaySession::SwaySession(const std::filesystem::path& home, SwayOptions options) : home_(home) {
  namespace fs = std::filesystem;
  fs::create_directories(runtime_dir());
  // The session's own configuration: one fixed mode, a background no scene
  // of ours has, no bar; the variables a program started by the session
  // sees are written out once it runs (sway's own socket included).
  std::ostringstream config;
  config << "output * mode " << options.width << "x" << options.height << " bg #ff00ff solid_color\n"
         << "xwayland " << (options.xwayland ? "enable" : "disable") << "\n"
         << "exec sh -c 'printf \"%s\\n%s\\n%s\\n\" \"$WAYLAND_DISPLAY\" \"${DISPLAY:-}\" \"$SWAYSOCK\" > "
         << (home_ / "session.new").string() << " && mv " << (home_ / "session.new").string() << " "
         << (home_ / "session").string() << "'\n";
  std::ofstream(home_ / "sway.config") << config.str();
  give_to_plain_user(home_);
  fs::permissions(home_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                             fs::perms::others_exec);
  // A runtime directory as a login gives one: the user's alone.
  fs::permissions(runtime_dir(), fs::perms::owner_all);

  std::vector<std::string> env = {
      "HOME=" + home_.string(), "PATH=/usr/bin:/bin",  "XDG_RUNTIME_DIR=" + runtime_dir().string(),
      "WLR_BACKENDS=headless",  "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1"};
  if (options.outputs > 1) env.push_back("WLR_HEADLESS_OUTPUTS=" + std::to_string(options.outputs));
  sway_ = std::make_unique<Process>(as_plain_user(env, {"sway", "-c", (home_ / "sway.config").string()}),
                                    std::map<std::string, std::string>{});
  const bool up = eventually([&] { return fs::exists(home_ / "session") || !sway_->running(); }, 60s);
  if (!up || !sway_->running()) {
    failure_ = "sway cannot start here: " + log();
    return;
  }
  std::istringstream state(read_all(home_ / "session"));
  std::getline(state, wayland_display_);
  std::getline(state, x_display_);
  std::getline(state, ipc_socket_);
  if (wayland_display_.empty() || !eventually([&] { return fs::exists(runtime_dir() / wayland_display_); }, 60s))
    failure_ = "sway gave no Wayland socket: " + log();
  else if (options.xwayland && x_display_.empty()) failure_ = "sway gave no XWayland display: " + log();
}

SwaySession::~SwaySession() {
  pointer_.reset();
  if (sway_) {
    sway_->send_signal(SIGTERM);
    sway_->wait_for_exit(20s);
    sway_.reset();
  }
  // What sway started ends with its connection, but not always at once.
  for (int pid : processes_of_home(home_.string())) kill(pid, SIGKILL);
}

std::vector<std::string> SwaySession::environment() const {
  std::vector<std::string> env = {"HOME=" + home_.string(), "PATH=/usr/bin:/bin",
                                  "XDG_RUNTIME_DIR=" + runtime_dir().string(), "WAYLAND_DISPLAY=" + wayland_display_,
                                  "SWAYSOCK=" + ipc_socket_};
  if (!x_display_.empty()) env.push_back("DISPLAY=" + x_display_);
  return env;
}

std::string SwaySession::run(const std::vector<std::string>& cmd, int* status) const {
  return run_tool(as_plain_user(environment(), cmd), {}, status);
}

std::string SwaySession::swaymsg(const std::vector<std::string>& args, int* status) const {
  std::vector<std::string> cmd = {"swaymsg", "-s", ipc_socket_};
  cmd.insert(cmd.end(), args.begin(), args.end());
  return run(cmd, status);
}

std::vector<std::string> SwaySession::outputs() const {
  const std::string json = swaymsg({"-t", "get_outputs"});
  std::vector<std::string> names;
  for (std::size_t at = 0; (at = json.find("\"name\": \"", at)) != std::string::npos;) {
    at += 9;
    names.push_back(json.substr(at, json.find('"', at) - at));
  }
  return names;
}

Bitmap SwaySession::screenshot(const std::string& output, bool with_cursor) const {
  // Into a file, not through a pipe: the pixels are bytes, not text.
  const std::string file = (home_ / ("shot-" + std::to_string(++shots_) + ".ppm")).string();
  std::vector<std::string> cmd = {"grim", "-t", "ppm"};
  if (with_cursor) cmd.push_back("-c");
  if (!output.empty()) cmd.insert(cmd.end(), {"-o", output});
  cmd.push_back(file);
  int status = -1;
  run(cmd, &status);
  Bitmap b = status == 0 ? read_ppm(read_all(file)) : Bitmap{};
  std::filesystem::remove(file);
  return b;
}

bool SwaySession::key(const std::string& name) const {
  int status = -1;
  run({"wtype", "-s", "1000", "-k", name, "-s", "500"}, &status);
  return status == 0;
}

bool SwaySession::plug_in_pointer() {
  if (std::string(VEXMOOR_WAYLAND_POINTER).empty()) return false;
  pointer_ = std::make_unique<Process>(as_plain_user(environment(), {VEXMOOR_WAYLAND_POINTER}),
                                       std::map<std::string, std::string>{});
  // The seat's capabilities: 1 is a pointer.
  return eventually([&] {
    const std::string json = swaymsg({"-t", "get_seats"});
    const std::size_t at = json.find("\"capabilities\": ");
    return at != std::string::npos && (std::strtol(json.c_str() + at + 16, nullptr, 10) & 1);
  });
}

void SwaySession::move_pointer(int x, int y) const {
  swaymsg({"seat", "-", "cursor", "set", std::to_string(x), std::to_string(y)});
}

void SwaySession::click(int x, int y) const {
  move_pointer(x, y);
  swaymsg({"seat", "-", "cursor", "press", "button1"});
  swaymsg({"seat", "-", "cursor", "release", "button1"});
}

std::vector<std::string> SwaySession::shells_of(const std::string& name) const {
  const std::string json = swaymsg({"-t", "get_tree"});
  std::vector<std::string> shells;
  // A view is a leaf whose keys end with its shell; its name comes before.
  for (std::size_t at = 0; (at = json.find("\"shell\": \"", at)) != std::string::npos; ++at)
    if (string_before(json, at, "name") == name)
      shells.push_back(json.substr(at + 10, json.find('"', at + 10) - at - 10));
  return shells;
}

bool SwaySession::full_screen(const std::string& name) const {
  const std::string json = swaymsg({"-t", "get_tree"});
  int views = 0;
  for (std::size_t at = 0; (at = json.find("\"shell\": \"", at)) != std::string::npos; ++at) {
    if (string_before(json, at, "name") != name) continue;
    ++views;
    if (number_before(json, at, "fullscreen_mode") != 1) return false;
  }
  return views > 0;
}

}  // namespace vex::test
