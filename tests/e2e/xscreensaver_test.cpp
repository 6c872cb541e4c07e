// Vexmoor as a module of the real XScreenSaver daemon, which will not run as
// root: the daemon runs as an unprivileged user on a private X server.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "daemon_host.h"
#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"
#include "support/media_makers.h"

namespace vex::test {
namespace {

class Daemon : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (!installed("xscreensaver")) GTEST_SKIP() << "xscreensaver is not installed (scripts/setup installs it)";
    // The daemon's user must reach everything: the home, the media, the binary.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
    std::ofstream(dir / ".xscreensaver") << "mode: one\nselected: 0\nlock: False\nfade: False\nunfade: False\n"
                                         << "splash: False\ntimeout: 0:30:00\nprograms: " << VEXMOOR_BINARY
                                         << " --root \\n\n";
    give_to_plain_user(dir.path());
  }
  // A command as the daemon's user, with a clean environment of its own.
  std::vector<std::string> as_user(const XServer& x, std::vector<std::string> cmd,
                                   const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment = {
        "HOME=" + dir.str(),  "DISPLAY=" + x.name(),   "PATH=/usr/bin:/bin", "XDG_CONFIG_HOME=" + (dir / "config"),
        "XDG_DATA_HOME=" + (dir / "data"), "XDG_DATA_DIRS=" + (dir / "nodata"), "XDG_RUNTIME_DIR=" + dir.str(),
        "XDG_CACHE_HOME=" + (dir / "cache"), "SDL_AUDIODRIVER=dummy"};
    environment.insert(environment.end(), extra.begin(), extra.end());
    return as_plain_user(environment, cmd);
  }
  void command(const XServer& x, const char* what) {
    int status = -1;
    run_tool(as_user(x, {"xscreensaver-command", what}), {}, &status);
    EXPECT_EQ(status, 0) << what;
  }
};

TEST_F(Daemon, ActivatingShowsTheSceneAndDeactivatingEndsUs) {
  XServer x(1024, 768);
  Process daemon(as_user(x, {"xscreensaver", "--no-splash"}), {});
  ASSERT_TRUE(eventually([&] {
    int status = -1;
    run_tool(as_user(x, {"xscreensaver-command", "-time"}), {}, &status);
    return status == 0;
  })) << daemon.stderr_text();
  command(x, "-activate");
  ASSERT_TRUE(eventually([&] { return x.grab().at(512, 100) == fixture_colour("v_background_top.bmp"); }))
      << daemon.stderr_text();
  std::filesystem::create_directories(VEXMOOR_ARTEFACT_DIR);
  save_bmp24(std::string(VEXMOOR_ARTEFACT_DIR) + "/xscreensaver.bmp", x.grab());
  ASSERT_EQ(our_processes(dir.str()).size(), 1u);
  command(x, "-deactivate");
  EXPECT_TRUE(eventually([&] { return our_processes(dir.str()).empty(); })) << "its SIGTERM ends us";
  daemon.send_signal(SIGTERM);
  daemon.wait_for_exit(20s);
  EXPECT_TRUE(our_processes(dir.str()).empty()) << "nothing of ours is left running";
}

TEST_F(Daemon, OnTwoMonitorsTwoOfUsFillOneEach) {
  XServer x(3200, 1080);
  int status = -1;
  run_tool({"xrandr", "--setmonitor", "*left", "1280/338x1024/270+0+0", "screen"}, env(&x), &status);
  ASSERT_EQ(status, 0);
  run_tool({"xrandr", "--setmonitor", "right", "1920/508x1080/286+1280+0", "none"}, env(&x), &status);
  ASSERT_EQ(status, 0);
  // With music and a greeting to play, and a sound output that writes a file.
  settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nsong0=1\nsound0=1\n");
  write_bytes(dir / "data/Zelvora/Vexmoor/v_sound0.wav", make_wave(1500, 2000));
  write_bytes(dir / "data/Zelvora/Vexmoor/v_song0.Mid", make_song(16));
  give_to_plain_user(dir.path());
  const std::string out = dir / "sound.raw";
  Process daemon(as_user(x, {"xscreensaver", "--no-splash"}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + out}), {});
  ASSERT_TRUE(eventually([&] {
    int st = -1;
    run_tool(as_user(x, {"xscreensaver-command", "-time"}), {}, &st);
    return st == 0;
  })) << daemon.stderr_text();
  command(x, "-activate");
  const Pixel top = fixture_colour("v_background_top.bmp"), bottom = fixture_colour("v_background_bot.bmp");
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(640, 100) == top && shot.at(1280 + 960, 100) == top && shot.at(640, 1015) == bottom &&
           shot.at(1280 + 960, 1070) == bottom;
  })) << "each monitor holds a whole scene\n" << daemon.stderr_text();
  auto pids = our_processes(dir.str());
  EXPECT_EQ(pids.size(), 2u);
  // One of the two plays the sound; the other is silent: one output open.
  EXPECT_EQ(holding(pids, out), 1);
  command(x, "-deactivate");
  EXPECT_TRUE(eventually([&] { return our_processes(dir.str()).empty(); }));
  daemon.send_signal(SIGTERM);
  daemon.wait_for_exit(20s);
}

}  // namespace
}  // namespace vex::test
