#include "startup/settings.h"
#include "startup/options.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "animation/creature.h"
#include "os/profile_file.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class Settings : public ProgramTest {
 protected:
  // Which of the twenty creatures are on, in the order of the keys.
  std::vector<std::string> enabled_creatures() {
    Scene& s = scene();
    std::pair<const char*, Creature*> all[] = {{"bat", &s.Bat[1]},
                                               {"blooddrip", &s.BloodDrip},
                                               {"bouncingpumpkin", &s.BouncingPumpkin},
                                               {"crow1", &s.Crow1},
                                               {"crow2", &s.Crow2},
                                               {"dove", &s.Dove},
                                               {"firefly", &s.FireFly[1]},
                                               {"flower", &s.Flower},
                                               {"gravedigger", &s.GraveDigger},
                                               {"hand", &s.Hand},
                                               {"lightning", &s.Lightning[1]},
                                               {"medallion", &s.Medallion},
                                               {"owl", &s.Owl},
                                               {"rat", &s.Rat[1]},
                                               {"scorpion", &s.Scorpion},
                                               {"skeleton1", &s.Skeleton1},
                                               {"skeleton2", &s.Skeleton2},
                                               {"spider", &s.Spider},
                                               {"watchman", &s.Watchman},
                                               {"zombie", &s.Zombie}};
    std::vector<std::string> on;
    for (auto& [key, c] : all) {
      EXPECT_TRUE(c->Enabled == kTrue || c->Enabled == kFalse) << key;
      if (c->Enabled) on.push_back(key);
    }
    return on;
  }
  std::vector<int> on(const std::array<Flag16, 12>& flags) {
    std::vector<int> r;
    for (int i = 0; i < 12; ++i)
      if (flags[i] == kTrue) r.push_back(i);
    return r;
  }
};

const std::vector<std::string> kDefaultCreatures = {"bat",    "blooddrip",   "crow1",     "crow2",
                                                    "flower", "gravedigger", "lightning", "owl",
                                                    "rat",    "skeleton1",   "watchman",  "zombie"};

TEST_F(Settings, NoFileGivesTheFirstRunDefaultsAndWritesNothing) {
  read_settings();
  EXPECT_EQ(enabled_creatures(), kDefaultCreatures);
  EXPECT_EQ(settings().Speed, 70);
  EXPECT_EQ(on(settings().SongEnabled), std::vector<int>{0});
  EXPECT_EQ(on(settings().SoundEnabled), (std::vector<int>{0, 1, 2, 4, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(settings().ClockEnabled, kFalse);
  EXPECT_EQ(settings().MessageText, "");
  EXPECT_FALSE(std::filesystem::exists(settings_file()));
  EXPECT_TRUE(reports().empty());
}

TEST_F(Settings, FirstRunZeroOrNotANumberAlsoGivesTheDefaults) {
  for (const char* firstrun : {"0", "yes", "", "-1", " 0"}) {
    test::reset_program_state();
    write_settings(std::string("[Vexmoor]\nfirstrun=") + firstrun + "\nspeed=5\ndove=1\n");
    read_settings();
    EXPECT_EQ(settings().Speed, 70) << firstrun;
    EXPECT_EQ(enabled_creatures(), kDefaultCreatures) << firstrun;
  }
}

TEST_F(Settings, SavedSettingsAreReadKeyByKey) {
  write_settings(
      "[Vexmoor]\nfirstrun=1\nbat= 0\ndove= 1\nhand=2\nowl=0.5\nrat=-1\nspider=yes\nzombie=\nSKELETON2=1\n"
      "speed= 40\nmessagetext=  Happy Halloween  \nsong3= 1\nsong11=1\nsound5= 1\nsound0= 0\nclock= 1\n");
  read_settings();
  EXPECT_EQ(enabled_creatures(), (std::vector<std::string>{"dove", "hand", "owl", "skeleton2"}));
  EXPECT_EQ(settings().Speed, 40);
  EXPECT_EQ(settings().MessageText, "  Happy Halloween  ");
  EXPECT_EQ(on(settings().SongEnabled), (std::vector<int>{3, 11}));
  EXPECT_EQ(on(settings().SoundEnabled), std::vector<int>{5});
  EXPECT_EQ(settings().ClockEnabled, kTrue);
}

TEST_F(Settings, AVolumeThatIsNotAWholeNumberUpTo100ReadsAsFull) {
  for (auto [text, volume] : {std::pair{" 40", 40},
                              {"0", 0},
                              {"100", 100},
                              {"101", 100},
                              {"-5", 100},
                              {"50%", 100},
                              {"4.5", 100},
                              {"loud", 100},
                              {"", 100},
                              {"0000", 0},
                              {"0099999", 100}}) {
    test::reset_program_state();
    write_settings(std::string("[Vexmoor]\nfirstrun=1\nvolume=") + text + "\n");
    read_settings();
    EXPECT_EQ(settings().Volume, volume) << text;
  }
  EXPECT_TRUE(reports().empty());
}

TEST_F(Settings, InADaemonsWindowOnlyWhatWasSavedSounds) {
  // The first run's defaults: nothing chosen, so nothing plays there.
  read_settings();
  silence_unless_chosen();
  EXPECT_TRUE(on(settings().SongEnabled).empty());
  EXPECT_TRUE(on(settings().SoundEnabled).empty());
  // Asked for on the command line, it plays.
  apply_run_options(parse_command_line({"--music", "--sounds"}).options);
  EXPECT_EQ(on(settings().SongEnabled), std::vector<int>{0});
  EXPECT_FALSE(on(settings().SoundEnabled).empty());
  // Saved in the dialog, what was saved plays.
  test::reset_program_state();
  write_settings("[Vexmoor]\nfirstrun=1\nsong3=1\nsound2=1\n");
  read_settings();
  silence_unless_chosen();
  EXPECT_EQ(on(settings().SongEnabled), std::vector<int>{3});
  EXPECT_EQ(on(settings().SoundEnabled), std::vector<int>{2});
}

TEST_F(Settings, AMessageComesBackAsWrittenQuotesAndBlanksIncluded) {
  write_settings("[Vexmoor]\nfirstrun=1\nmessagetext=\"Boo!\"\nspeed=  \"12\"\n");
  read_settings();
  EXPECT_EQ(settings().MessageText, "\"Boo!\"");
  EXPECT_EQ(settings().Speed, 0);  // a quoted number is not a number
  test::reset_program_state();
  write_settings("[Vexmoor]\nfirstrun=1\nmessagetext=   \n");
  read_settings();
  EXPECT_EQ(settings().MessageText, "   ");
}

TEST_F(Settings, MissingKeysLeaveEverythingOffAndSpeedZero) {
  write_settings("[Vexmoor]\nfirstrun=1\n");
  read_settings();
  EXPECT_TRUE(enabled_creatures().empty());
  EXPECT_EQ(settings().Speed, 0);
  EXPECT_TRUE(on(settings().SongEnabled).empty());
  EXPECT_TRUE(on(settings().SoundEnabled).empty());
}

TEST_F(Settings, SpeedRoundsHalvesToEven) {
  for (auto [text, speed] : {std::pair{"2.5", 2}, {"3.5", 4}, {" 70", 70}, {"1", 1}, {"-5", -5}, {"32767", 32767}}) {
    test::reset_program_state();
    write_settings(std::string("[Vexmoor]\nfirstrun=1\nspeed=") + text + "\n");
    read_settings();
    EXPECT_EQ(settings().Speed, speed) << text;
  }
}

TEST_F(Settings, ASpeedBeyond16BitsIsReportedAndTheRestStaysUnread) {
  write_settings("[Vexmoor]\nfirstrun=1\nbat=1\nspeed=99999\nmessagetext=hi\nsong2=1\nsound3=1\nclock=1\n");
  read_settings();
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 6 Starter/X_GetData");
  EXPECT_EQ(enabled_creatures(), std::vector<std::string>{"bat"});  // read before the failure
  EXPECT_EQ(settings().Speed, 0);
  EXPECT_EQ(settings().MessageText, "");
  EXPECT_TRUE(on(settings().SongEnabled).empty());
  EXPECT_TRUE(on(settings().SoundEnabled).empty());
  EXPECT_EQ(settings().ClockEnabled, kFalse);
}

TEST_F(Settings, ValuesComeBackCutTo127BytesButNeverMidCharacter) {
  write_settings("[Vexmoor]\nfirstrun=1\nmessagetext=" + std::string(200, 'a') + "\n");
  read_settings();
  EXPECT_EQ(settings().MessageText, std::string(127, 'a'));
  // 126 ASCII bytes then a two-byte character: the cut would split it.
  write_settings("[Vexmoor]\nfirstrun=1\nmessagetext=" + std::string(126, 'b') + "\xC3\xA9xyz\n");
  EXPECT_EQ(GetIniData(kIniFile, kIniSection, "messagetext"), std::string(126, 'b'));
}

TEST_F(Settings, HandEditedGarbageIsNeverFatal) {
  std::string text("\xff\xfe\x00garbage\n[Vexmoor]\nfirstrun=1\n", 32);
  text += "speed=" + std::string(10000, '9') + "\n";
  write_settings(text);
  read_settings();
  ASSERT_EQ(reports().size(), 1u);  // the absurd speed overflows
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 6 Starter/X_GetData");
}

TEST_F(Settings, PutIniDataWritesWhereGetIniDataReads) {
  PutIniData(kIniFile, kIniSection, "speed", " 70");
  EXPECT_EQ(GetIniData(kIniFile, kIniSection, "Speed"), " 70");
  EXPECT_TRUE(std::filesystem::exists(settings_file()));
}

TEST_F(Settings, MediaDirectoryIsTheFirstDataDirectoryHoldingTheMedia) {
  install_fixture_media();
  GetDirectories();
  EXPECT_EQ(settings().MediaDirectory, media_dir());
  // A data directory given with a trailing separator gets no second one.
  test::ScopedEnv home("XDG_DATA_HOME", dir_ / "data/");
  GetDirectories();
  EXPECT_EQ(settings().MediaDirectory, dir_ / "data/Zelvora/Vexmoor/");
}

TEST_F(Settings, ASaverStartingWhileTheFileIsReplacedReadsOneVersionOfItWhole) {
  // Two whole versions of the settings, every key different but "firstrun".
  auto version = [](bool a) {
    ProfileEntries e{{"firstrun", "1"}};
    for (const char* k : kCreatureKeys) e.emplace_back(k, a ? " 1" : " 0");
    e.emplace_back("speed", a ? " 40" : " 90");
    for (int i = 0; i < 12; ++i) e.emplace_back("song" + std::to_string(i), a ? " 1" : " 0");
    for (int i = 0; i < 12; ++i) e.emplace_back("sound" + std::to_string(i), a ? " 1" : " 0");
    e.emplace_back("messagetext", a ? "version A" : "version B");
    e.emplace_back("clock", a ? " 1" : " 0");
    return e;
  };
  ASSERT_TRUE(profile_put_all(settings_file(), kIniSection, version(true)));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  // A dialog applying again and again, each time the other version.
  pid_t writer = fork();
  if (writer == 0) {
    close(ready[0]);
    bool a = false;
    if (write(ready[1], "r", 1) != 1) _exit(1);
    for (;;) {
      profile_put_all(settings_file(), kIniSection, version(a));
      a = !a;
    }
  }
  close(ready[1]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  int as = 0, bs = 0, mixed = 0;
  // Reading goes on until both versions have been read many times over (a
  // busy disk may hold the first replacement back for a while).
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int run = 0; (as < 200 || bs < 200) && std::chrono::steady_clock::now() < limit; ++run) {
    restart_program();
    read_settings();
    const SettingsState& st = settings();
    const std::size_t creatures = enabled_creatures().size();
    const bool a = creatures == 20 && st.Speed == 40 && on(st.SongEnabled).size() == 12 &&
                   on(st.SoundEnabled).size() == 12 && st.MessageText == "version A" && st.ClockEnabled == kTrue;
    const bool b = creatures == 0 && st.Speed == 90 && on(st.SongEnabled).empty() && on(st.SoundEnabled).empty() &&
                   st.MessageText == "version B" && st.ClockEnabled == kFalse;
    as += a;
    bs += b;
    if (!a && !b && ++mixed <= 3)
      ADD_FAILURE() << "run " << run << ": " << creatures << " creatures, speed " << st.Speed << ", "
                    << on(st.SongEnabled).size() << " songs, " << on(st.SoundEnabled).size() << " sounds, message \""
                    << st.MessageText << "\"";
  }
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  EXPECT_EQ(mixed, 0);
  // Both versions were read: the reads really fell among the replacements.
  EXPECT_GT(as, 0);
  EXPECT_GT(bs, 0);
  RecordProperty("version_a", as);
  RecordProperty("version_b", bs);
}

}  // namespace
}  // namespace vex
