// Vexmoor as a module of the real XScreenSaver daemon, which will not run as
// root: the daemon runs as an unprivileged user on a private X server.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "daemon_host.h"
#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"
#include "startup/options.h"
#include "startup/settings.h"
#include "support/media_makers.h"

namespace vex::test {
namespace {

// What our settings page has XScreenSaver put on the programs line for one
// of its choices (by the option's id): nothing for a choice that leaves the
// setting to the settings file, and no option at all is a failure.
std::optional<std::string> page_arguments(const std::string& option) {
  std::ifstream in(VEXMOOR_SOURCE_DIR "/packaging/vexmoor.xml");
  const std::string page{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::smatch m;
  if (!std::regex_search(page, m, std::regex("<option id=\"" + option + "\"([^>]*)>")))
    throw std::runtime_error("the settings page has no option " + option);
  const std::string attributes = m[1];
  if (!std::regex_search(attributes, m, std::regex("arg-set=\"([^\"]*)\""))) return std::nullopt;
  return m[1].str();
}

RunOptions as_our_options(const std::string& arguments) {
  std::istringstream words(arguments);
  std::vector<std::string> args{std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
  CommandLine cl = parse_command_line(args);
  EXPECT_EQ(cl.error, "") << arguments;
  EXPECT_EQ(cl.rest, "") << arguments;
  return cl.options;
}

class Daemon : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    if (!installed("xscreensaver")) GTEST_SKIP() << "xscreensaver is not installed (scripts/setup installs it)";
    // The daemon's user must reach everything: the home, the media, the binary.
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
    programs("--root");
  }
  // The daemon's settings file with our one programs line, as its settings
  // window writes it.
  void programs(const std::string& arguments) {
    std::ofstream(dir / ".xscreensaver") << "mode: one\nselected: 0\nlock: False\nfade: False\nunfade: False\n"
                                         << "splash: False\ntimeout: 0:30:00\nprograms: " << VEXMOOR_BINARY << " "
                                         << arguments << " \\n\n";
    give_to_plain_user(dir.path());
  }
  // A command as the daemon's user, with a clean environment of its own.
  std::vector<std::string> as_user(const XServer& x, std::vector<std::string> cmd,
                                   const std::vector<std::string>& extra = {}) {
    std::vector<std::string> environment = {"HOME=" + dir.str(),
                                            "DISPLAY=" + x.name(),
                                            "PATH=/usr/bin:/bin",
                                            "XDG_CONFIG_HOME=" + (dir / "config"),
                                            "XDG_DATA_HOME=" + (dir / "data"),
                                            "XDG_DATA_DIRS=" + (dir / "nodata"),
                                            "XDG_RUNTIME_DIR=" + dir.str(),
                                            "XDG_CACHE_HOME=" + (dir / "cache"),
                                            "SDL_AUDIODRIVER=dummy"};
    environment.insert(environment.end(), extra.begin(), extra.end());
    return as_plain_user(environment, cmd);
  }
  void command(const XServer& x, const char* what) {
    int status = -1;
    run_tool(as_user(x, {"xscreensaver-command", what}), {}, &status);
    EXPECT_EQ(status, 0) << what;
  }
  // The daemon started, activated until our first frame shows, and ended.
  Bitmap first_frame(const XServer& x) {
    Process daemon(as_user(x, {"xscreensaver", "--no-splash"}), {});
    EXPECT_TRUE(eventually([&] {
      int status = -1;
      run_tool(as_user(x, {"xscreensaver-command", "-time"}), {}, &status);
      return status == 0;
    })) << daemon.stderr_text();
    command(x, "-activate");
    Bitmap shot;
    EXPECT_TRUE(eventually([&] {
      shot = x.grab();
      return shot.at(512, 100) == fixture_colour("v_background_top.bmp");
    })) << daemon.stderr_text();
    command(x, "-deactivate");
    EXPECT_TRUE(eventually([&] { return our_processes(dir.str()).empty(); }));
    daemon.send_signal(SIGTERM);
    daemon.wait_for_exit(20s);
    return shot;
  }
};

// Each choice of the settings window either leaves the setting to what
// "vexmoor /c" saved, sending nothing, or sends it one way or the other,
// so that no state of a menu can show what the scene does not do.
TEST(XScreenSaverPage, EachChoiceSendsWhatItSaysOrNothing) {
  std::vector<std::string> keys(kCreatureKeys.begin(), kCreatureKeys.end());
  keys.insert(keys.end(), {"clock", "music", "sounds"});
  for (const std::string& k : keys) {
    SCOPED_TRACE(k);
    EXPECT_EQ(page_arguments(k + "-saved"), std::nullopt);
    for (bool on : {true, false}) {
      const RunOptions o = as_our_options(page_arguments(k + (on ? "-shown" : "-hidden")).value_or(""));
      std::optional<bool> said = k == "clock"    ? o.clock
                                 : k == "music"  ? o.music
                                 : k == "sounds" ? o.sounds
                                                 : std::optional<bool>{};
      for (std::size_t i = 0; i < kCreatureKeys.size(); ++i)
        if (k == kCreatureKeys[i] && o.creatures.count(i)) said = o.creatures.at(i);
      EXPECT_EQ(said, on);
    }
  }
  EXPECT_EQ(page_arguments("speed-saved"), std::nullopt);
  EXPECT_EQ(as_our_options(*page_arguments("speed-fast")).delay, 40);
}

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

// The programs line the settings window writes for a creature's choice
// shows the scene that choice names, against what the settings file says.
TEST_F(Daemon, TheSettingsWindowsChoiceOfACreatureIsWhatTheSceneShows) {
  XServer x(1024, 768);
  const int fx = 360 * 1024 / 800, fy = 493 * 768 / 600;  // the flower's place
  programs("--root " + page_arguments("flower-hidden").value_or(""));
  const Bitmap hidden = first_frame(x);
  EXPECT_EQ(hidden.at(fx, fy), fixture_colour("v_background_bot.bmp")) << "the ground, where the saved flower would be";
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\n");
  programs("--root " + page_arguments("flower-shown").value_or(""));
  EXPECT_EQ(first_frame(x).at(fx, fy), fixture_colour("v_flower.bmp")) << "the flower the settings file leaves out";
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
  })) << "each monitor holds a whole scene\n"
      << daemon.stderr_text();
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
