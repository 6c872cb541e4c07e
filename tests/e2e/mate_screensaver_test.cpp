// Vexmoor as a theme of MATE's screen saver: the real daemon, as a plain
// user with a session bus of its own on a private X server, runs what our
// theme file names. It passes its themes only DISPLAY, HOME, PATH, LANG,
// the bus and XSCREENSAVER_WINDOW, so our media and settings are where a
// user's are (under HOME), and there is no runtime directory for the locks.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "daemon_host.h"
#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"
#include "support/media_makers.h"

namespace vex::test {
namespace {

// In a mount namespace of its own: the build's binary where MATE looks for
// theme programs (it runs them from its fixed folders only, and
// /usr/libexec/xscreensaver is one), and a /tmp of its own, since without
// a runtime directory our locks go there (the test's home, itself under
// /tmp, is bound back at its place). A PID namespace as well: when the
// test's wrapper is killed, everything the session started goes with it.
constexpr const char* kNamespace = R"(set -e
home=$1
shift
mount --bind "$home/libexec" /usr/libexec/xscreensaver
rel=${home#/tmp/}
if [ "$rel" != "$home" ]; then
  mkdir -p "$home/tmp/$rel"
  mount --bind "$home" "$home/tmp/$rel"
fi
mount --rbind "$home/tmp" /tmp
exec "$@")";

// The session: our theme chosen as the user would (mode and themes), no
// lock (an activated lock would ask for a password on deactivation), then
// the daemon; the bus's address is written once the daemon answers on it.
constexpr const char* kSession = R"(gsettings set org.mate.screensaver mode "'single'"
gsettings set org.mate.screensaver themes "['screensavers-vexmoor']"
gsettings set org.mate.screensaver lock-enabled false
mate-screensaver --no-daemon --debug &
gdbus wait --session --timeout 60 org.mate.ScreenSaver
echo "$DBUS_SESSION_BUS_ADDRESS" > "$HOME/bus.new"
mv "$HOME/bus.new" "$HOME/bus"
wait)";

// The lines the daemon logged of what its theme wrote to stderr.
std::string theme_output(const std::string& log) {
  std::istringstream in(log);
  std::string line, said;
  while (std::getline(in, line))
    if (line.find("command output:") != std::string::npos) said += line + "\n";
  return said;
}

class MateScreensaver : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    for (const char* tool : {"mate-screensaver", "mate-screensaver-command", "dbus-run-session", "gsettings", "gdbus"})
      if (!installed(tool)) GTEST_SKIP() << tool << " is not installed (scripts/setup installs mate-screensaver)";
    if (geteuid() != 0)
      GTEST_SKIP() << "mate-screensaver runs theme programs only from its own folders (/usr/libexec/xscreensaver "
                      "among them); the test puts the build's binary there in a mount namespace of its own, "
                      "which needs root";
    // The package's link lives there; the folder is xscreensaver's.
    if (!std::filesystem::is_directory("/usr/libexec/xscreensaver"))
      GTEST_SKIP() << "no /usr/libexec/xscreensaver to put the build's binary into (xscreensaver's package makes it)";
    int status = -1;
    run_tool({"unshare", "--mount", "--pid", "--fork", "true"}, {}, &status);
    if (status != 0) GTEST_SKIP() << "no mount and PID namespace can be made here (unshare failed)";

    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    write_fixture_media(dir / ".local/share/Zelvora/Vexmoor/");
    // Copies, not links: the build may itself lie under /tmp, which the
    // session's own /tmp hides.
    for (const char* folder : {"libexec", "bin"}) {
      std::filesystem::create_directories(dir / folder);
      std::filesystem::copy_file(VEXMOOR_BINARY, dir / (std::string(folder) + "/vexmoor"));
    }
    std::filesystem::create_directories(dir / "share/applications/screensavers");
    std::filesystem::copy_file(VEXMOOR_SOURCE_DIR "/packaging/screensavers/vexmoor.desktop",
                               dir / "share/applications/screensavers/vexmoor.desktop");
    std::filesystem::create_directories(dir / "tmp");
    std::filesystem::permissions(dir / "tmp", std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    // A sound device, as a desktop has one: ALSA's default writes to a file.
    std::ofstream(dir / ".asoundrc") << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \""
                                     << (dir / "sound.raw") << "\"\n  format \"raw\"\n}\n";
  }

  // The program as MATE runs it: the copies in the test's home.
  std::vector<std::filesystem::path> copies() const { return {dir / "libexec/vexmoor", dir / "bin/vexmoor"}; }

  // As the dialog's Apply leaves it: in the user's configuration folder.
  void user_settings(const std::string& text) {
    std::filesystem::create_directories(dir / ".config");
    std::ofstream(dir / ".config/zelvora.ini") << text;
  }

  std::unique_ptr<Process> start_daemon(const XServer& x) {
    give_to_plain_user(dir.path());
    std::vector<std::string> argv = {"unshare", "--mount", "--pid", "--fork",   "--kill-child", "--propagation",
                                     "private", "sh",      "-c",    kNamespace, "sh",           dir.str()};
    // XDG_CONFIG_HOME before the bus starts: the settings service it starts
    // writes where the bus's environment says.
    for (std::string a : as_plain_user(
             {"HOME=" + dir.str(), "DISPLAY=" + x.name(), "PATH=" + (dir / "bin") + ":/usr/bin:/bin", "LANG=C.UTF-8",
              "XDG_CONFIG_HOME=" + (dir / ".config"), "XDG_DATA_DIRS=" + (dir / "share") + ":/usr/share",
              "XDG_CURRENT_DESKTOP=MATE", "NO_AT_BRIDGE=1"},
             {"dbus-run-session", "--", "sh", "-c", kSession}))
      argv.push_back(a);
    auto daemon = std::make_unique<Process>(argv, std::map<std::string, std::string>{});
    EXPECT_TRUE(eventually([&] { return std::filesystem::exists(dir / "bus"); }, std::chrono::seconds(60)))
        << "the daemon never answered on its bus\n"
        << daemon->stderr_text();
    std::ifstream in(dir / "bus");
    std::getline(in, bus_);
    // The bus's socket is in the session's own /tmp, which is ours at dir/tmp.
    const std::string in_tmp = "unix:path=/tmp/";
    if (bus_.rfind(in_tmp, 0) == 0) bus_ = "unix:path=" + (dir / "tmp/") + bus_.substr(in_tmp.size());
    return daemon;
  }

  int command(const XServer& x, const char* what) {
    int status = -1;
    run_tool(as_plain_user(
                 {"HOME=" + dir.str(), "DISPLAY=" + x.name(), "PATH=/usr/bin:/bin", "DBUS_SESSION_BUS_ADDRESS=" + bus_},
                 {"mate-screensaver-command", what}),
             {}, &status);
    return status;
  }

  std::string bus_;
};

TEST_F(MateScreensaver, ActivatingShowsOurSceneWithTheUsersSettingsAndDeactivatingEndsUs) {
  XServer x(1024, 768);
  user_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nmessagetext=Saved by the dialog\n");
  auto daemon = start_daemon(x);
  ASSERT_FALSE(bus_.empty());
  ASSERT_EQ(command(x, "--activate"), 0) << daemon->stderr_text();
  const Pixel top = fixture_colour("v_background_top.bmp");
  Bitmap shot;
  // The scene, with the creature and the message of the settings file.
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(512, 100) == top && shot.at(360 * 1024 / 800, 493 * 768 / 600) == fixture_colour("v_flower.bmp") &&
           count(shot, rgb(64, 64, 64), 0, 5, 1024, 24) > 20;
  })) << theme_output(daemon->stderr_text());
  std::filesystem::create_directories(VEXMOOR_ARTEFACT_DIR);
  save_bmp24(std::string(VEXMOOR_ARTEFACT_DIR) + "/mate-screensaver.bmp", shot);

  auto pids = our_processes(dir.str(), copies());
  ASSERT_EQ(pids.size(), 1u);
  auto args = process_arguments(pids[0]);
  EXPECT_EQ(args, (std::vector<std::string>{"vexmoor", "--root"}));
  EXPECT_EQ(process_variable(pids[0], "XSCREENSAVER_WINDOW").value_or("").rfind("0x", 0), 0u) << "in hexadecimal";
  EXPECT_FALSE(process_variable(pids[0], "XDG_RUNTIME_DIR"));
  // Without a runtime directory the sound's lock is in a folder of the
  // temporary directory that only this user may enter.
  std::vector<std::filesystem::path> held;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "tmp"))
    if (e.is_regular_file() && holding(pids, e.path()) == 1) held.push_back(e.path());
  ASSERT_EQ(held.size(), 1u) << "the sound's lock";
  const std::filesystem::path folder = held[0].parent_path();
  EXPECT_EQ(folder.parent_path(), std::filesystem::path(dir / "tmp")) << folder;
  struct stat st {};
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, plain_uid());

  const auto asked = std::chrono::steady_clock::now();
  ASSERT_EQ(command(x, "--deactivate"), 0);
  EXPECT_TRUE(eventually([&] { return our_processes(dir.str(), copies()).empty(); })) << "its SIGTERM ends us";
  std::cout << "deactivating ended us after "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked).count()
            << " ms\n";
  // Nothing of ours in the daemon's log of its theme's output: no warning,
  // no word about the locks.
  EXPECT_EQ(theme_output(daemon->stderr_text()), "");
}

// MATE covers each monitor it knows of with a window of its own and runs
// its theme in each. (Its toolkit counts only monitors with an output, and
// Xvfb has one output: one monitor, smaller than the screen, is what a test
// can give it.) The scene fills that window, not the screen, and the one of
// us plays the music through the user's sound device.
TEST_F(MateScreensaver, TheSceneFillsTheMonitorsWindowAndItsSoundPlays) {
  XServer x(3200, 1080);
  int status = -1;
  run_tool({"xrandr", "--setmonitor", "*left", "1280/338x1024/270+0+0", "screen"}, env(&x), &status);
  ASSERT_EQ(status, 0);
  user_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nsong0=1\nsound0=1\n");
  write_bytes(dir / ".local/share/Zelvora/Vexmoor/v_sound0.wav", make_wave(1500, 2000));
  write_bytes(dir / ".local/share/Zelvora/Vexmoor/v_song0.Mid", make_song(16));
  auto daemon = start_daemon(x);
  ASSERT_FALSE(bus_.empty());
  ASSERT_EQ(command(x, "--activate"), 0);
  const Pixel top = fixture_colour("v_background_top.bmp"), bottom = fixture_colour("v_background_bot.bmp");
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(640, 100) == top && shot.at(640, 1015) == bottom;
  })) << "the monitor holds a whole scene\n"
      << theme_output(daemon->stderr_text());
  EXPECT_EQ(shot.at(360 * 1280 / 800, 493 * 1024 / 600), fixture_colour("v_flower.bmp")) << "at the monitor's scale";
  EXPECT_NE(shot.at(2000, 100), top) << "nothing beyond the monitor";
  auto pids = our_processes(dir.str(), copies());
  ASSERT_EQ(pids.size(), 1u);
  EXPECT_TRUE(eventually([&] {
    std::error_code ec;
    return holding(pids, dir / "sound.raw") == 1 && std::filesystem::file_size(dir / "sound.raw", ec) > 44100 && !ec;
  })) << "the sound output written to";
  // The sound device here takes sound as fast as it is given, as ALSA's
  // null device does on a machine without sound: the music's thread must
  // not keep the main thread from ending.
  const auto asked = std::chrono::steady_clock::now();
  ASSERT_EQ(command(x, "--deactivate"), 0);
  EXPECT_TRUE(eventually([&] { return our_processes(dir.str(), copies()).empty(); })) << "every process of ours ends";
  std::cout << "deactivating ended us, music playing, after "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked).count()
            << " ms\n";
  EXPECT_EQ(theme_output(daemon->stderr_text()), "");
}

}  // namespace
}  // namespace vex::test
