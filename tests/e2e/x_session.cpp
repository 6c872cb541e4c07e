#include "x_session.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace vex::test {
namespace {

std::vector<char*> c_strings(std::vector<std::string>& v) {
  std::vector<char*> r;
  for (auto& s : v) r.push_back(s.data());
  r.push_back(nullptr);
  return r;
}

std::vector<std::string> make_env(const std::map<std::string, std::string>& overrides) {
  std::map<std::string, std::string> all;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    auto eq = kv.find('=');
    if (eq != std::string::npos) all[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (auto& [k, v] : overrides) {
    if (v == "<unset>") all.erase(k);
    else all[k] = v;
  }
  std::vector<std::string> r;
  for (auto& [k, v] : all) r.push_back(k + "=" + v);
  return r;
}

// err_fd, when given, is the descriptor the program's standard error is.
int spawn(std::vector<std::string> argv, const std::map<std::string, std::string>& env, const std::string& out,
          const std::string& err, int err_fd = -1) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err_fd >= 0) posix_spawn_file_actions_adddup2(&fa, err_fd, 2);
  else posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  auto envs = make_env(env);
  auto a = c_strings(argv);
  auto e = c_strings(envs);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, a[0], &fa, nullptr, a.data(), e.data());
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  return pid;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string temp_name(const char* tag) {
  static int n = 0;
  return (std::filesystem::temp_directory_path() /
          ("vexmoor-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++n) + tag))
      .string();
}

}  // namespace

XServer::XServer(int width, int height, int depth) {
  // The server picks a free display number itself and tells it through a
  // pipe, so parallel tests never race for one.
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  // Keep both ends clear of fd 3, where the server expects its end: closing
  // our read end there would close the server's too.
  for (int& fd : fds) {
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    fd = moved;
  }
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 3);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  std::vector<std::string> argv = {"Xvfb", "-displayfd", "3", "-screen", "0",
                                   std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth),
                                   "-nolisten", "tcp",
                                   // A last client leaving must not reset what a test reads of the server.
                                   "-noreset"};
  auto a = c_strings(argv);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, "Xvfb", &fa, nullptr, a.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start Xvfb");
  }
  pid_ = pid;
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  name_ = ":" + number;
  for (int i = 0; i < 100 && !display_ && !number.empty(); ++i) {
    display_ = XOpenDisplay(name_.c_str());
    if (!display_) usleep(50 * 1000);
  }
  if (!display_) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    throw std::runtime_error("cannot start a private X server");
  }
}

XServer::~XServer() {
  if (display_) XCloseDisplay(display_);
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

Bitmap XServer::grab(Window w) const {
  if (!w) w = DefaultRootWindow(display_);
  XWindowAttributes a;
  if (!XGetWindowAttributes(display_, w, &a)) return {};
  XImage* img =
      XGetImage(display_, w, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (!img) return {};
  // Each channel of the window's visual, scaled to eight bits.
  auto channel = [](unsigned long pixel, unsigned long mask) {
    if (!mask) return 0u;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    unsigned long max = mask >> shift;
    return static_cast<unsigned>(((pixel & mask) >> shift) * 255 / max);
  };
  const Visual* v = a.visual;
  Bitmap b(a.width, a.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      unsigned long p = XGetPixel(img, x, y);
      b.at(x, y) = rgb(channel(p, v->red_mask), channel(p, v->green_mask), channel(p, v->blue_mask));
    }
  XDestroyImage(img);
  return b;
}

Process::Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env, Stderr err)
    : err_path_(temp_name(".err")) {
  if (err == Stderr::kFile) {
    pid_ = spawn(argv, env, "/dev/null", err_path_);
    return;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  err_pipe_ = fds[0];
  fcntl(err_pipe_, F_SETFL, O_NONBLOCK);
  try {
    pid_ = spawn(argv, env, "/dev/null", err_path_, fds[1]);
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    throw;
  }
  close(fds[1]);
}

Process::~Process() {
  if (!status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (err_pipe_ >= 0) close(err_pipe_);
  std::filesystem::remove(err_path_);
}

std::optional<int> Process::wait_for_exit(std::chrono::milliseconds timeout) {
  eventually([&] { return !running(); }, timeout);
  return status_;
}

bool Process::running() {
  if (status_) return false;
  int st = 0;
  if (waitpid(pid_, &st, WNOHANG) == pid_) {
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    return false;
  }
  return true;
}

void Process::send_signal(int sig) {
  if (!status_) kill(pid_, sig);
}

std::string Process::stderr_text() const {
  if (err_pipe_ < 0) return read_file(err_path_);
  // What the pipe holds now; at most 16 MB in all, whatever a program says.
  char buf[65536];
  ssize_t n;
  while (piped_.size() < (16u << 20) && (n = read(err_pipe_, buf, sizeof buf)) > 0)
    piped_.append(buf, static_cast<std::size_t>(n));
  return piped_;
}

std::string run_tool(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env, int* status) {
  std::string out = temp_name(".out");
  int pid = spawn(argv, env, out, "/dev/null");
  int st = 0;
  waitpid(pid, &st, 0);
  if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  std::string text = read_file(out);
  std::filesystem::remove(out);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace vex::test
