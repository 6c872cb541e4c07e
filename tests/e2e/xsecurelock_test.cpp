// Vexmoor as xsecurelock's saver module: the real locker, as a plain user
// on a private X server, runs XSECURELOCK_SAVER once per monitor with
// "-root" and its window's id in decimal in XSCREENSAVER_WINDOW, and ends
// it with SIGTERM when it unlocks or ends.
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

#include "daemon_host.h"
#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"
#include "support/media_makers.h"

namespace vex::test {
namespace {

// The process groups of a process's descendants.
std::set<int> groups_under(int pid) {
  std::set<int> groups;
  std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
  for (int child; children >> child;) {
    // Never the test's own group, which the locker itself is in.
    if (int g = getpgid(child); g > 1 && g != getpgrp()) groups.insert(g);
    groups.merge(groups_under(child));
  }
  return groups;
}

class Xsecurelock : public EndToEnd {
 protected:
  // The locker keeps each saver's process group with a placeholder process,
  // and ended by a signal it leaves the multiplexer's behind: those groups
  // are this test's to end.
  void TearDown() override {
    for (int group : groups_) kill(-group, SIGKILL);
  }
  void note_groups(const Process& locker) { groups_.merge(groups_under(locker.pid())); }
  void SetUp() override {
    EndToEnd::SetUp();
    if (!installed("xsecurelock")) GTEST_SKIP() << "xsecurelock is not installed (scripts/setup installs it)";
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
  }
  // The locker as a session starts it: the session's environment, which it
  // hands on to its saver, and the one line a user sets.
  std::unique_ptr<Process> lock(const XServer& x, const std::vector<std::string>& extra = {}) {
    give_to_plain_user(dir.path());
    std::vector<std::string> environment = {"HOME=" + dir.str(),
                                            "DISPLAY=" + x.name(),
                                            "PATH=/usr/bin:/bin",
                                            "XDG_CONFIG_HOME=" + (dir / "config"),
                                            "XDG_DATA_HOME=" + (dir / "data"),
                                            "XDG_DATA_DIRS=" + (dir / "nodata"),
                                            "XDG_RUNTIME_DIR=" + dir.str(),
                                            "XDG_CACHE_HOME=" + (dir / "cache"),
                                            "SDL_AUDIODRIVER=dummy",
                                            std::string("XSECURELOCK_SAVER=") + VEXMOOR_BINARY};
    environment.insert(environment.end(), extra.begin(), extra.end());
    return std::make_unique<Process>(as_plain_user(environment, {"xsecurelock"}), std::map<std::string, std::string>{});
  }
  std::set<int> groups_;
};

TEST_F(Xsecurelock, OurSceneFillsItsWindowAndEndingTheLockerEndsUs) {
  XServer x(1024, 768);
  auto locker = lock(x);
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(512, 100) == fixture_colour("v_background_top.bmp") &&
           shot.at(360 * 1024 / 800, 493 * 768 / 600) == fixture_colour("v_flower.bmp");
  })) << locker->stderr_text();
  std::filesystem::create_directories(VEXMOOR_ARTEFACT_DIR);
  save_bmp24(std::string(VEXMOOR_ARTEFACT_DIR) + "/xsecurelock.bmp", shot);

  auto pids = our_processes(dir.str());
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_EQ(process_arguments(pids[0]), (std::vector<std::string>{VEXMOOR_BINARY, "-root"}));
  const std::string window = process_variable(pids[0], "XSCREENSAVER_WINDOW").value_or("");
  ASSERT_FALSE(window.empty());
  EXPECT_EQ(window.find_first_not_of("0123456789"), std::string::npos) << window << " in decimal";
  // The window is the locker's own, covering the screen, and the scene is in it.
  EXPECT_EQ(x.grab(std::stoul(window)).at(512, 100), fixture_colour("v_background_top.bmp"));
  EXPECT_TRUE(locker->running());

  note_groups(*locker);
  locker->send_signal(SIGTERM);
  EXPECT_TRUE(eventually([&] { return our_processes(dir.str()).empty(); })) << "the locker's end ends us";
  EXPECT_TRUE(locker->wait_for_exit(20s));
  EXPECT_EQ(locker->stderr_text(), "") << "nothing of ours, nor a complaint of the locker's about us";
}

TEST_F(Xsecurelock, OnTwoMonitorsOneSceneEachAndOnlyOneOfUsPlaysTheSound) {
  XServer x(3200, 1080);
  int status = -1;
  run_tool({"xrandr", "--setmonitor", "*left", "1280/338x1024/270+0+0", "screen"}, env(&x), &status);
  ASSERT_EQ(status, 0);
  run_tool({"xrandr", "--setmonitor", "right", "1920/508x1080/286+1280+0", "none"}, env(&x), &status);
  ASSERT_EQ(status, 0);
  settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nsong0=1\nsound0=1\n");
  write_bytes(dir / "data/Zelvora/Vexmoor/v_sound0.wav", make_wave(1500, 2000));
  write_bytes(dir / "data/Zelvora/Vexmoor/v_song0.Mid", make_song(16));
  const std::string out = dir / "sound.raw";
  auto locker = lock(x, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + out});
  const Pixel top = fixture_colour("v_background_top.bmp"), bottom = fixture_colour("v_background_bot.bmp");
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(640, 100) == top && shot.at(1280 + 960, 100) == top && shot.at(640, 1015) == bottom &&
           shot.at(1280 + 960, 1070) == bottom;
  })) << "each monitor holds a whole scene\n"
      << locker->stderr_text();
  auto pids = our_processes(dir.str());
  EXPECT_EQ(pids.size(), 2u);
  EXPECT_TRUE(eventually([&] { return holding(pids, out) == 1; })) << "one sound output between the two";
  note_groups(*locker);
  locker->send_signal(SIGTERM);
  EXPECT_TRUE(eventually([&] { return our_processes(dir.str()).empty(); }));
  EXPECT_TRUE(locker->wait_for_exit(20s));
}

}  // namespace
}  // namespace vex::test
