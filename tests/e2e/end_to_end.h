#pragma once
// The fixture of the end-to-end tests: fixture media and settings in a
// temporary home, the real binary started on a private X server.
// gtest first: Xlib's None macro must not reach its templates.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "support/test_support.h"
#include "x_session.h"  // Xlib

namespace vex::test {

using namespace std::chrono_literals;

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { write_fixture_media(dir / "data/Zelvora/Vexmoor/"); }

  void settings(const std::string& text) {
    std::filesystem::create_directories(dir.path() / "config");
    std::ofstream(dir / "config/zelvora.ini") << text;
  }

  std::map<std::string, std::string> env(const XServer* x) const {
    return {{"DISPLAY", x ? x->name() : "<unset>"},
            {"SDL_VIDEODRIVER", "<unset>"},
            {"SDL_AUDIODRIVER", "dummy"},
            // In a sanitizer build the program checks for leaks as it ends.
            {"ASAN_OPTIONS", "detect_leaks=1"},
            {"XDG_CONFIG_HOME", dir / "config"},
            {"XDG_DATA_HOME", dir / "data"},
            {"XDG_DATA_DIRS", dir / "nodata"},
            {"XDG_RUNTIME_DIR", dir.str()},
            {"XDG_CACHE_HOME", dir / "cache"}};
  }

  std::unique_ptr<Process> start(const XServer* x, std::vector<std::string> args,
                                 const std::map<std::string, std::string>& extra_env = {},
                                 Process::Stderr err = Process::Stderr::kFile) {
    args.insert(args.begin(), VEXMOOR_BINARY);
    auto e = env(x);
    for (const auto& [k, v] : extra_env) e[k] = v;
    return std::make_unique<Process>(args, e, err);
  }

  std::string xdotool(const XServer& x, std::vector<std::string> args, int* status = nullptr) {
    args.insert(args.begin(), "xdotool");
    return run_tool(args, env(&x), status);
  }

  std::string xprop(const XServer& x, std::vector<std::string> args) {
    args.insert(args.begin(), "xprop");
    return run_tool(args, env(&x));
  }

  // Openbox on the server, once it manages the screen (it then names
  // itself on the root window). It keeps the system's own folders: its
  // themes are found through them.
  std::unique_ptr<Process> start_window_manager(const XServer& x) {
    auto wm = std::make_unique<Process>(std::vector<std::string>{"openbox"},
                                        std::map<std::string, std::string>{{"DISPLAY", x.name()}});
    EXPECT_TRUE(eventually([&] {
      return xprop(x, {"-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") != std::string::npos;
    })) << "openbox: "
        << wm->stderr_text();
    return wm;
  }

  TempDir dir;
};

// How many pixels of the picture have exactly this colour.
inline int count(const Bitmap& b, Pixel colour, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
  if (x1 < 0) x1 = b.width();
  if (y1 < 0) y1 = b.height();
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += b.at(x, y) == colour;
  return n;
}

}  // namespace vex::test
