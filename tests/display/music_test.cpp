// The song rotation, with the commands recorded at the command-string
// boundary and the songs' states answered as a test decides.
#include "display/music.h"

#include <gtest/gtest.h>

#include <set>

#include "os/event_loop.h"
#include "startup/settings.h"
#include "support/recording_commands.h"
#include "support/test_support.h"

namespace vex {
namespace {

using Answer = test::RecordingCommandStrings::Answer;

class Music : public test::ProgramTest {
 protected:
  Music() { start(); }
  // A fresh run of the program, its commands recorded from the start.
  void again() {
    restart_program();
    sent.clear();
    seen = 0;
    playing = -1;
    start();
  }
  void start() {
    settings().MediaDirectory = "/m/";
    set_command_strings(std::make_unique<test::RecordingCommandStrings>(&sent, [this](const std::string& c) -> Answer {
      if (c.rfind("open", 0) == 0) return {0, "1"};
      if (c.rfind("play song", 0) == 0) {
        int n = std::stoi(c.substr(9));
        if (unplayable.count(n)) return {kMciErrInvalidDeviceName, ""};
        playing = n;
        return {0, ""};
      }
      if (c.rfind("status song", 0) == 0)
        return {0, std::stoi(c.substr(11)) == playing && !ended ? "playing" : "stopped"};
      return {0, ""};
    }));
    create_music_timer();
  }
  void select(std::initializer_list<int> songs) {
    for (int n : songs) settings().SongEnabled[n] = kTrue;
  }
  // The songs started, in order, since the last look.
  std::vector<int> plays() {
    std::vector<int> r;
    for (; seen < sent.size(); ++seen)
      if (sent[seen].rfind("play song", 0) == 0 && !unplayable.count(std::stoi(sent[seen].substr(9))))
        r.push_back(std::stoi(sent[seen].substr(9)));
    return r;
  }
  // The song now playing ends and the next check comes.
  void song_ends() {
    ended = true;
    event_loop().advance(kMusicTimerMs);
    ended = false;
  }
  bool timer_on() { return event_loop().enabled(music().MusicTimer); }
  std::vector<std::string> sent;
  std::size_t seen = 0;
  std::set<int> unplayable;
  int playing = -1;
  bool ended = false;
};

TEST_F(Music, TheChosenSongsOpenAndTheLowestStarts) {
  select({2, 7});
  Initialize_Songs();
  EXPECT_EQ(sent,
            (std::vector<std::string>{"open \"/m/v_song2.Mid\" type sequencer alias song2",
                                      "open \"/m/v_song7.Mid\" type sequencer alias song7", "play song2 from 0"}));
  EXPECT_TRUE(timer_on());
}

TEST_F(Music, NoSongChosenSendsNothing) {
  Initialize_Songs();
  event_loop().advance(5 * kMusicTimerMs);
  EXPECT_TRUE(sent.empty());
  EXPECT_FALSE(timer_on());
}

TEST_F(Music, SongsTakeTurnsInIndexOrderAndOneAloneRepeats) {
  select({2, 7});
  Initialize_Songs();
  EXPECT_EQ(plays(), std::vector<int>{2});
  event_loop().advance(3 * kMusicTimerMs);  // still playing: left alone
  EXPECT_EQ(plays(), std::vector<int>{});
  song_ends();
  song_ends();
  song_ends();
  EXPECT_EQ(plays(), (std::vector<int>{7, 2, 7}));

  again();
  select({11});
  Initialize_Songs();
  song_ends();
  song_ends();
  EXPECT_EQ(plays(), (std::vector<int>{11, 11, 11}));
}

TEST_F(Music, ASongThatCannotPlayLeavesTheRotationAndTheNextPlays) {
  select({2, 5, 7});
  unplayable = {5};
  Initialize_Songs();
  song_ends();  // 5's turn: it cannot, 7 plays
  song_ends();
  song_ends();
  EXPECT_EQ(plays(), (std::vector<int>{2, 7, 2, 7}));
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "play song5 from 0"), 1) << "tried once, then left out";
  EXPECT_TRUE(ended_.empty()) << "the saver goes on";
}

TEST_F(Music, AFirstSongThatCannotPlayGivesItsTurnAndNoneAtAllStopsTheMusic) {
  select({0, 3});
  unplayable = {0};
  Initialize_Songs();
  EXPECT_EQ(plays(), std::vector<int>{3});
  EXPECT_TRUE(timer_on());

  again();
  select({4, 9});
  unplayable = {4, 9};
  Initialize_Songs();
  EXPECT_FALSE(timer_on());
  event_loop().advance(3 * kMusicTimerMs);
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& c) { return c.rfind("play", 0) == 0; }), 2);
  EXPECT_TRUE(ended_.empty());
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
