#pragma once
// A Wayland desktop for the end-to-end tests: a real sway on its headless
// backend, run as the plain user the other hosts run as, with a runtime
// directory of its own, read back with grim and driven with wtype and
// sway's own commands.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "os/raster.h"
#include "x_session.h"

namespace vex::test {

struct SwayOptions {
  int outputs = 1;
  int width = 1024, height = 768;
  bool xwayland = false;
};

class SwaySession {
 public:
  // What this machine lacks for a session ("" when nothing): sway and the
  // tools the tests read it and drive it with.
  static std::string missing_tools(bool xwayland);

  // Starts sway with home as the user's home (given to the plain user); the
  // session lives until the object goes. failure() says why it did not start.
  SwaySession(const std::filesystem::path& home, SwayOptions options);
  ~SwaySession();
  SwaySession(const SwaySession&) = delete;
  SwaySession& operator=(const SwaySession&) = delete;

  const std::string& failure() const { return failure_; }
  const std::string& wayland_display() const { return wayland_display_; }
  // XWayland's DISPLAY ("" when the session has none).
  const std::string& x_display() const { return x_display_; }
  std::filesystem::path runtime_dir() const { return home_ / "run"; }
  // The variables a program started in this session has ("NAME=value").
  std::vector<std::string> environment() const;

  // A tool run as the session's user with the session's variables; its
  // standard output, trimmed.
  std::string run(const std::vector<std::string>& cmd, int* status = nullptr) const;
  std::string swaymsg(const std::vector<std::string>& args, int* status = nullptr) const;
  // The outputs' names in sway's order (HEADLESS-1, ...).
  std::vector<std::string> outputs() const;
  // The screen as grim reads it: every output, or the one named; with the
  // cursor drawn over it when asked.
  Bitmap screenshot(const std::string& output = "", bool with_cursor = false) const;
  // A key pressed and released by a virtual keyboard, with pauses around it
  // (a key sent at once after the keyboard appears is sometimes lost).
  bool key(const std::string& name = "space") const;
  // Plugs a virtual mouse into the seat, as a desktop has one; false when
  // no pointer tool was built or the seat never got a pointer.
  bool plug_in_pointer();
  void move_pointer(int x, int y) const;
  void click(int x, int y) const;
  // The shells ("xdg_shell", "xwayland") of the views whose name is this.
  std::vector<std::string> shells_of(const std::string& name) const;
  // Whether every view of that name is full screen.
  bool full_screen(const std::string& name) const;
  std::string log() const { return sway_ ? sway_->stderr_text() : ""; }

 private:
  std::filesystem::path home_;
  std::string failure_;
  std::string wayland_display_, x_display_, ipc_socket_;
  std::unique_ptr<Process> sway_, pointer_;
  mutable int shots_ = 0;
};

}  // namespace vex::test
