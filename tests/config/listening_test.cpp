// The listen buttons' commands, exactly as sent.
#include <gtest/gtest.h>

#include "config/configuration.h"
#include "startup/settings.h"
#include "support/recording_commands.h"
#include "support/test_support.h"

namespace vex::configuration {
namespace {

using Answer = test::RecordingCommandStrings::Answer;

class HeadlessTell : public View {
 public:
  explicit HeadlessTell(std::vector<std::string>* told) : told_(told) {}
  void create(const Controls&) override {}
  void centre() override {}
  void show() override {}
  void show_preview(int, const PixelView&) override {}
  void tell(const std::string&, const std::string& text) override { told_->push_back(text); }
  void close() override {}

 private:
  std::vector<std::string>* told_;
};

class Listening : public test::ProgramTest {
 protected:
  Listening() {
    settings().MediaDirectory = "/m/Zelvora/Vexmoor/";
    state().view = std::make_unique<HeadlessTell>(&told);
  }
  // "song1" answers with the modes given, one per status question; other
  // commands succeed unless they name a file listed as missing.
  void answer_with(std::vector<std::string> modes, std::vector<std::string> missing = {}) {
    set_command_strings(std::make_unique<test::RecordingCommandStrings>(
        &sent, [this, modes, missing](const std::string& c) mutable -> Answer {
          for (const auto& m : missing)
            if (c.find(m) != std::string::npos) return {kMciErrFileNotFound, ""};
          if (c == "status song1 mode") {
            if (modes.empty()) return {kMciErrInvalidDeviceName, ""};
            std::string m = modes.front();
            modes.erase(modes.begin());
            return {0, m};
          }
          if (c.rfind("play song1", 0) == 0 && opened_missing) return {kMciErrInvalidDeviceName, ""};
          return {0, ""};
        }));
  }
  std::vector<std::string> stops() {
    std::vector<std::string> r;
    for (int i = 0; i < 12; ++i) r.push_back("execute: stop /m/Zelvora/Vexmoor/v_sound" + std::to_string(i) + ".wav");
    return r;
  }
  std::vector<std::string> sent, told;
  bool opened_missing = false;
};

TEST_F(Listening, ASongSilencesTheSoundsEndsTheOldSongAndStartsAtItsPosition) {
  answer_with({"playing", "stopped"});
  speaker_Click(5);
  std::vector<std::string> expected = stops();
  expected.insert(expected.end(),
                  {"status song1 mode", "stop song1", "status song1 mode", "close song1",
                   "open \"/m/Zelvora/Vexmoor/v_song5.Mid\" type sequencer alias song1", "play song1 from 40"});
  EXPECT_EQ(sent, expected);
  EXPECT_TRUE(told.empty());
}

TEST_F(Listening, EachSongStartsWhereItIsWorthHearing) {
  for (auto [n, from] : {std::pair{0, 0}, {4, 0}, {5, 40}, {10, 170}, {11, 80}}) {
    sent.clear();
    answer_with({});
    speaker_Click(n);
    EXPECT_EQ(sent.back(), "play song1 from " + std::to_string(from)) << n;
  }
}

TEST_F(Listening, ASoundEndsTheSongThenSilencesTheOthersThenPlays) {
  answer_with({"playing", "stopped"});
  fxspeaker_Click(3);
  std::vector<std::string> expected = {"status song1 mode", "stop song1", "status song1 mode", "close song1"};
  for (const auto& s : stops()) expected.push_back(s);
  expected.push_back("execute: play /m/Zelvora/Vexmoor/v_sound3.wav");
  EXPECT_EQ(sent, expected);
}

TEST_F(Listening, TheStopSequenceLeavesASongThatIsNeitherPlayingNorStopped) {
  answer_with({"seeking", "seeking"});
  stop_listening_song();
  EXPECT_EQ(sent, (std::vector<std::string>{"status song1 mode", "status song1 mode"}));
  sent.clear();
  answer_with({});  // nothing open: the question fails and that is all
  stop_listening_song();
  EXPECT_EQ(sent, (std::vector<std::string>{"status song1 mode", "status song1 mode"}));
}

TEST_F(Listening, SwitchingTabsStopsASongExceptOnTheSoundsTab) {
  answer_with({"playing", "stopped", "playing", "stopped"});
  state().controls.Tabs = 2;
  Tabs_Click();
  EXPECT_TRUE(sent.empty());
  state().controls.Tabs = 4;
  Tabs_Click();
  EXPECT_EQ(sent, (std::vector<std::string>{"status song1 mode", "stop song1", "status song1 mode", "close song1"}));
}

TEST_F(Listening, ASoundThatCannotBePlayedShowsTheErrorBoxOnEveryClick) {
  answer_with({}, {"v_sound8.wav"});
  for (int click = 1; click <= 3; ++click) {
    fxspeaker_Click(8);
    ASSERT_EQ(told.size(), static_cast<std::size_t>(click)) << "one box for each failed click";
    EXPECT_NE(told.back().find("Scream I"), std::string::npos);
    EXPECT_NE(told.back().find("/m/Zelvora/Vexmoor/v_sound8.wav"), std::string::npos);
  }
  sent.clear();
  fxspeaker_Click(2);
  EXPECT_EQ(sent.back(), "execute: play /m/Zelvora/Vexmoor/v_sound2.wav") << "the dialog goes on";
  EXPECT_EQ(told.size(), 3u) << "a sound that plays shows nothing";
  EXPECT_TRUE(reports().empty());
}

TEST_F(Listening, WithoutASoundOutputTheBoxSaysSoAndBlamesNoFile) {
  set_command_strings(std::make_unique<test::RecordingCommandStrings>(&sent, [](const std::string& c) -> Answer {
    if (c.rfind("execute: play ", 0) == 0) return {kMciErrWaveOutputsUnsuitable, ""};
    return {0, ""};
  }));
  fxspeaker_Click(8);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0],
            "The sound \"Scream I\" cannot be played: there is no sound output (no sound device could be "
            "opened).");
  // A file that is at fault is still named as before.
  answer_with({}, {"v_sound8.wav"});
  fxspeaker_Click(8);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_EQ(told[1],
            "The sound \"Scream I\" cannot be played: /m/Zelvora/Vexmoor/v_sound8.wav is missing or is not "
            "a file this program can play.");
}

TEST_F(Listening, ASongThatCannotBePlayedFailsSilently) {
  opened_missing = true;
  answer_with({}, {"v_song9.Mid"});
  speaker_Click(9);
  speaker_Click(9);
  EXPECT_EQ(sent.back(), "play song1 from 0") << "the play is still sent, and fails";
  EXPECT_TRUE(told.empty()) << "no box for a song";
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex::configuration
