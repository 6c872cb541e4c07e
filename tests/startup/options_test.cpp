#include "startup/options.h"

#include <gtest/gtest.h>

#include "animation/creature.h"
#include "startup/settings.h"
#include "support/test_support.h"

namespace vex {
namespace {

CommandLine parse(std::vector<std::string> args) { return parse_command_line(args); }

TEST(CommandLineOptions, AreTakenOutBeforeTheSwitchesAreRead) {
  CommandLine cl = parse({"--root", "/s"});
  EXPECT_TRUE(cl.options.root);
  EXPECT_EQ(cl.rest, "/s");
  // A message or a window id never reads as a switch.
  cl = parse({"--message", "press /c to configure", "--window-id", "0x2a00007"});
  EXPECT_EQ(cl.rest, "");
  EXPECT_EQ(cl.options.message, "press /c to configure");
  EXPECT_EQ(cl.options.window_id, 0x2a00007ul);
  EXPECT_TRUE(cl.options.embedded());
  cl = parse({"-window-id", "44040199", "-root"});
  EXPECT_EQ(cl.options.window_id, 44040199ul);
  EXPECT_TRUE(cl.options.root);
  cl = parse({"/p", "123"});
  EXPECT_EQ(cl.rest, "/p 123");
  EXPECT_FALSE(cl.options.embedded());
  cl = parse({"--message=a=b", "--delay=35", "-s"});
  EXPECT_EQ(cl.options.message, "a=b");
  EXPECT_EQ(cl.options.delay, 35);
  EXPECT_EQ(cl.rest, "-s");  // a single dash the program does not know is left to the switches
  EXPECT_TRUE(cl.error.empty());
}

TEST(CommandLineOptions, CreaturesClockMusicAndSoundsTurnOnAndOff) {
  CommandLine cl = parse({"--dove", "--no-bat", "--no-clock", "--music", "--no-sounds", "--spider"});
  EXPECT_EQ(cl.options.creatures.size(), 3u);
  EXPECT_TRUE(cl.options.creatures.at(5));   // dove
  EXPECT_FALSE(cl.options.creatures.at(0));  // bat
  EXPECT_TRUE(cl.options.creatures.at(17));  // spider
  EXPECT_EQ(cl.options.clock, false);
  EXPECT_EQ(cl.options.music, true);
  EXPECT_EQ(cl.options.sounds, false);
  EXPECT_TRUE(parse({"--help"}).options.help);
  EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(CommandLineOptions, MalformedOptionsSayWhatIsWrong) {
  for (auto bad : std::vector<std::vector<std::string>>{{"--window-id"},
                                                        {"--window-id", "window"},
                                                        {"--window-id", "0x"},
                                                        {"--window-id", "0x123456789"},
                                                        {"--delay", "fast"},
                                                        {"--delay", "99999"},
                                                        {"--delay", "-5"},
                                                        {"--volume", "101"},
                                                        {"--volume", "loud"},
                                                        {"--message"},
                                                        {"--frobnicate"},
                                                        {"--no-unicorn"}}) {
    CommandLine cl = parse(bad);
    EXPECT_FALSE(cl.error.empty()) << bad[0] << (bad.size() > 1 ? " " + bad[1] : "");
    EXPECT_NE(cl.error.find(bad[0]), std::string::npos) << cl.error;
  }
}

TEST(CommandLineOptions, ASwitchGivenAValueIsRefusedNotTakenAsOn) {
  for (const char* bad : {"--music=0", "--no-music=1", "--sounds=off", "--root=0", "--clock=no", "--bat=0",
                          "--no-owl=yes", "--help=me", "--version=2"}) {
    CommandLine cl = parse({"--no-music", bad, "/s"});
    const std::string spelled = std::string(bad).substr(0, std::string(bad).find('='));
    EXPECT_EQ(cl.error, spelled + " takes no value") << bad;
  }
  // The options that take values still take them after "=".
  CommandLine ok = parse({"--delay=50", "--message=Boo", "--window-id=0x10", "/s"});
  EXPECT_EQ(ok.error, "");
  EXPECT_EQ(ok.options.delay, 50);
  EXPECT_EQ(ok.options.message, "Boo");
}

class RunOptionsOverSettings : public test::ProgramTest {};

TEST_F(RunOptionsOverSettings, GivenOptionsWinTheRestKeepsTheFilesValues) {
  write_settings(
      "[Vexmoor]\nfirstrun=1\nbat=1\nowl=1\nspeed=40\nclock=1\nmessagetext=from the file\nsong4=1\n"
      "sound2=1\n");
  GetDirectories();
  read_settings();
  apply_run_options(parse({"--no-bat", "--dove", "--delay", "120", "--message", "from the line"}).options);
  EXPECT_EQ(scene().Bat[1].Enabled, kFalse);
  EXPECT_EQ(scene().Dove.Enabled, kTrue);
  EXPECT_EQ(scene().Owl.Enabled, kTrue);  // not given: as the file says
  EXPECT_EQ(settings().Speed, 120);
  EXPECT_EQ(settings().ClockEnabled, kTrue);
  EXPECT_EQ(settings().MessageText, "from the line");
  EXPECT_EQ(settings().SongEnabled[4], kTrue);
  apply_run_options(parse({"--no-music", "--no-sounds", "--no-clock"}).options);
  for (Flag16 f : settings().SongEnabled) EXPECT_EQ(f, kFalse);
  for (Flag16 f : settings().SoundEnabled) EXPECT_EQ(f, kFalse);
  EXPECT_EQ(settings().ClockEnabled, kFalse);
  // Asked for music and sounds with none chosen: the first song and the
  // usual effects.
  apply_run_options(parse({"--music", "--sounds"}).options);
  EXPECT_EQ(settings().SongEnabled[0], kTrue);
  EXPECT_EQ(settings().SoundEnabled[0], kTrue);
  EXPECT_EQ(settings().SoundEnabled[3], kFalse);
  // And the file itself is not touched.
  read_settings();
  EXPECT_EQ(settings().MessageText, "from the file");
}

TEST(TargetWindow, TheGivenIdThenTheDaemonsThenTheRoot) {
  test::ScopedEnv daemon("XSCREENSAVER_WINDOW", "0x1c00003");
  RunOptions o;
  o.root = true;
  EXPECT_EQ(target_window(o), 0x1c00003ul);
  o.window_id = 77;
  EXPECT_EQ(target_window(o), 77ul);
  test::ScopedEnv none("XSCREENSAVER_WINDOW", "");
  RunOptions root_only;
  root_only.root = true;
  EXPECT_EQ(target_window(root_only), 0ul);
}

// Each system's help speaks of its own windows and folders: X11's and
// XDG's on Linux, none of theirs on Windows.
TEST(Usage, TheHelpNamesThisSystemsOwnWindowsAndFolders) {
  const std::string help = usage_text();
#ifdef _WIN32
  for (const char* foreign : {"X11", "XDG", "XSCREENSAVER", "~/.config"})
    EXPECT_EQ(help.find(foreign), std::string::npos) << foreign << " in:\n" << help;
  EXPECT_NE(help.find("%APPDATA%\\Zelvora\\zelvora.ini"), std::string::npos) << help;
#else
  EXPECT_NE(help.find("  /p <window>        a small preview inside that X11 window\n"), std::string::npos) << help;
  EXPECT_NE(help.find("draw into $XSCREENSAVER_WINDOW (0x... or decimal), or the root window"), std::string::npos);
  EXPECT_NE(help.find("Settings: ${XDG_CONFIG_HOME:-~/.config}/zelvora.ini. Exit status:"), std::string::npos);
#endif
  EXPECT_NE(help.find("  --window-id <id>   draw into that window (0x... or decimal)\n"), std::string::npos);
}

}  // namespace
}  // namespace vex
