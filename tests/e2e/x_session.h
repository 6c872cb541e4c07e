#pragma once
// A private X server per test, and the program started on it.
#include <X11/Xlib.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "os/raster.h"

namespace vex::test {

class XServer {
 public:
  XServer(int width, int height, int depth = 24);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  const std::string& name() const { return name_; }  // ":123"
  Display* display() const { return display_; }
  // The whole screen (or one window) as pixels.
  Bitmap grab(Window w = 0) const;

 private:
  std::string name_;
  int pid_ = -1;
  Display* display_ = nullptr;
};

class Process {
 public:
  // Where the program's standard error goes: a file, or a pipe that is read
  // only when stderr_text() is asked for (as a terminal or a log reader that
  // cannot keep up leaves a writer waiting once the pipe is full).
  enum class Stderr { kFile, kHeldPipe };
  Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          Stderr err = Stderr::kFile);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // The exit status, once it has ended within the time given.
  std::optional<int> wait_for_exit(std::chrono::milliseconds timeout);
  bool running();
  void send_signal(int sig);
  int pid() const { return pid_; }
  std::string stderr_text() const;

 private:
  int pid_ = -1;
  std::optional<int> status_;
  std::string err_path_;
  int err_pipe_ = -1;
  mutable std::string piped_;
};

// Runs a tool to its end; returns its standard output (trimmed).
std::string run_tool(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                     int* status = nullptr);

// Polls cond every 50 ms until it holds or the time is up; the limit is
// generous, for a machine whose cores are busy with other work.
template <typename F>
bool eventually(F cond, std::chrono::milliseconds timeout = std::chrono::milliseconds(20000)) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (cond()) return true;
    struct timespec ts {
      0, 50 * 1000 * 1000
    };
    nanosleep(&ts, nullptr);
  }
  return cond();
}

}  // namespace vex::test
