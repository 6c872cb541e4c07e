// The command strings on the real devices: FluidSynth with the system's
// soundfont for songs, SDL2_mixer for sounds (SDL's dummy output, which
// plays in real time into nothing).
#include "os/mci.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <SDL.h>

#include "os/linux/audio_output.h"
#include "os/linux/soundfont.h"
#include "os/linux/mci_interpreter.h"
#include "support/media_makers.h"
#include "support/temp_dir.h"
#include "support/waiting.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::wait_until;

// Keeps the sound thread from rendering its next buffer while it lives, as a
// machine busy with other work may do for a while: the output's device is
// the one SDL has playing.
class SoundThreadHeld {
 public:
  SoundThreadHeld() {
    for (SDL_AudioDeviceID id = 1; id < 64 && !device_; ++id)
      if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) device_ = id;
    if (device_) SDL_LockAudioDevice(device_);
  }
  ~SoundThreadHeld() {
    if (device_) SDL_UnlockAudioDevice(device_);
  }
  SoundThreadHeld(const SoundThreadHeld&) = delete;
  SoundThreadHeld& operator=(const SoundThreadHeld&) = delete;
  bool holding() const { return device_ != 0; }

 private:
  SDL_AudioDeviceID device_ = 0;
};

class Commands : public ::testing::Test {
 protected:
  Commands() : mci(make_system_command_strings()) {
    test::write_bytes(dir / "song.Mid", test::make_song(2));        // a second long
    test::write_bytes(dir / "long song.Mid", test::make_song(40));  // twenty seconds
    test::write_bytes(dir / "beep.wav", test::make_wave(440, 1500));
    std::ofstream(dir / "not a song.Mid") << "MThd, or so it says; nothing more";
  }
  std::string ask(const std::string& command, uint32_t* code = nullptr) {
    std::string reply(255, ' ');
    uint32_t c = mci->send(command, reply);
    if (code) *code = c;
    return c == 0 ? reply : "error " + std::to_string(c);
  }
  uint32_t code(const std::string& command) {
    std::string reply;
    return mci->send(command, reply);
  }
  std::string q(const std::string& name) { return "\"" + (dir / name) + "\""; }
  test::TempDir dir;
  std::unique_ptr<CommandStrings> mci;
};

TEST_F(Commands, ASongOpensPlaysReportsItsStateAndCloses) {
  ASSERT_EQ(code("open " + q("long song.Mid") + " type sequencer alias song0"), 0u);
  EXPECT_EQ(ask("status song0 mode"), "stopped");
  EXPECT_EQ(ask("status song0 length"), "20000");
  EXPECT_EQ(code("play song0 from 0"), 0u);
  EXPECT_EQ(ask("status song0 mode"), "playing");
  int pos = 0;
  EXPECT_TRUE(wait_until([&] { return (pos = std::stoi(ask("status song0 position"))) > 200; })) << "the song moves on";
  EXPECT_LT(pos, 3000) << "read as soon as it has";
  EXPECT_EQ(code("pause song0"), 0u);
  EXPECT_EQ(ask("status song0 mode"), "paused");
  EXPECT_EQ(code("resume song0"), 0u);
  EXPECT_EQ(ask("status song0 mode"), "playing");
  EXPECT_EQ(code("stop song0"), 0u);
  EXPECT_EQ(ask("status song0 mode"), "stopped");
  EXPECT_EQ(code("close song0"), 0u);
  EXPECT_EQ(code("status song0 mode"), kMciErrInvalidDeviceName);
}

TEST_F(Commands, AShortSongIsStoppedOnceItHasEndedAndPlaysAgainFromItsStart) {
  ASSERT_EQ(code("open " + q("song.Mid") + " type sequencer alias song1"), 0u);
  ASSERT_EQ(code("play song1 from 0"), 0u);
  EXPECT_EQ(ask("status song1 mode"), "playing");
  EXPECT_TRUE(wait_until([&] { return ask("status song1 mode") != "playing"; }));
  EXPECT_EQ(ask("status song1 mode"), "stopped");
  EXPECT_EQ(code("play song1 from 0"), 0u);
  EXPECT_EQ(ask("status song1 mode"), "playing");
}

TEST_F(Commands, PlayFromAPositionStartsThere) {
  ASSERT_EQ(code("open " + q("long song.Mid") + " alias song5"), 0u);  // the type from the file's name
  ASSERT_EQ(code("play song5 from 12000"), 0u);
  int pos = std::stoi(ask("status song5 position"));
  EXPECT_GE(pos, 12000) << "there from the moment it is told";
  EXPECT_TRUE(wait_until([&] { return (pos = std::stoi(ask("status song5 position"))) > 12000; }))
      << "and moves on from there";
  EXPECT_LT(pos, 14000);
  EXPECT_EQ(code("play song5 from 99999"), kMciErrOutOfRange);
}

// While the song is made ready (its soundfont still read on its own thread,
// or the player not yet run by the sound thread), it already answers where
// it was told to play from, and that it plays.
TEST_F(Commands, ASongBeingMadeReadyIsWhereItWasToldToPlayFrom) {
  ASSERT_EQ(code("open " + q("long song.Mid") + " alias song6"), 0u);
  {
    SoundThreadHeld held;
    ASSERT_TRUE(held.holding()) << "the output plays once a song is open";
    ASSERT_EQ(code("play song6 from 12000"), 0u);
    EXPECT_EQ(ask("status song6 mode"), "playing");
    EXPECT_NEAR(std::stoi(ask("status song6 position")), 12000, 1);
  }
  int pos = 0;
  EXPECT_TRUE(wait_until([&] { return (pos = std::stoi(ask("status song6 position"))) > 12000; }))
      << "once the sound thread runs, the song goes on from there";
  EXPECT_LT(pos, 14000);
  EXPECT_EQ(ask("status song6 mode"), "playing");
}

// The music is rendered a little ahead of the sound thread (some 90 ms):
// the place told is the one heard, never further than the frames the sound
// thread has taken since the song began.
TEST_F(Commands, ASongIsWhereItIsHeardNotWhereItIsRendered) {
  ASSERT_EQ(code("open " + q("long song.Mid") + " alias song8"), 0u);
  ASSERT_TRUE(wait_until([] { return audio::music_frames_rendered() > 0; })) << "the music's thread runs";
  const uint64_t before = audio::music_frames_rendered();
  ASSERT_EQ(code("play song8 from 2000"), 0u);
  int checked = 0;
  ASSERT_TRUE(wait_until([&] {
    const int at = std::stoi(ask("status song8 position"));
    const double taken_ms = (audio::music_frames_taken() - before) * 1000.0 / audio::frequency();
    EXPECT_LE(at - 2000, taken_ms + 1) << "told a place not yet heard";
    return at > 2000 && ++checked >= 20;
  })) << "the song moves on";
}

// A device that takes sound as fast as it is given (ALSA's null device, as
// on a machine without sound) never lets the ring fill. The music is still
// rendered no sooner than its time, a second ahead at most: rendering on
// without a pause, its thread would keep the lock from the main thread,
// which then could not stop a song or end for seconds.
TEST_F(Commands, ADeviceWithNoClockGetsTheMusicInItsTimeNotFaster) {
  std::ofstream(dir / ".asoundrc") << "pcm.!default { type null }\n";
  const char* home = std::getenv("HOME");
  const char* driver = std::getenv("SDL_AUDIODRIVER");
  const std::string old_home = home ? home : "", old_driver = driver ? driver : "";
  setenv("HOME", dir.str().c_str(), 1);
  setenv("SDL_AUDIODRIVER", "alsa", 1);
  const auto began = std::chrono::steady_clock::now();
  const bool opened = code("open " + q("long song.Mid") + " alias song9") == 0;
  if (opened) {
    // No song played: the silence between songs costs the synthesizer
    // little, so only the pace keeps it from running ahead.
    const uint64_t four_seconds = 4 * static_cast<uint64_t>(audio::frequency());
    EXPECT_TRUE(wait_until([&] { return audio::music_frames_rendered() >= four_seconds; }))
        << "the music goes on to a device that only takes it";
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    EXPECT_GE(took, 2.5) << "four seconds of music rendered in " << took << " s";
    code("close song9");
  }
  setenv("HOME", old_home.c_str(), 1);
  if (driver) setenv("SDL_AUDIODRIVER", old_driver.c_str(), 1);
  else unsetenv("SDL_AUDIODRIVER");
  if (!opened) GTEST_SKIP() << "ALSA's null device cannot be opened here";
}

TEST_F(Commands, OneSongPlaysAtATime) {
  ASSERT_EQ(code("open " + q("long song.Mid") + " type sequencer alias song2"), 0u);
  ASSERT_EQ(code("open " + q("song.Mid") + " type sequencer alias song7"), 0u);
  ASSERT_EQ(code("play song2 from 0"), 0u);
  ASSERT_EQ(code("play song7 from 0"), 0u);
  EXPECT_EQ(ask("status song7 mode"), "playing");
  EXPECT_EQ(ask("status song2 mode"), "stopped");
}

TEST_F(Commands, MistakesGetTheirErrorsAndNoReply) {
  uint32_t c = 0;
  ask("status song3 mode", &c);
  EXPECT_EQ(c, kMciErrInvalidDeviceName);
  EXPECT_EQ(code("play song3 from 0"), kMciErrInvalidDeviceName);
  EXPECT_EQ(code("stop song3"), kMciErrInvalidDeviceName);
  EXPECT_EQ(code("open " + q("missing.Mid") + " type sequencer alias song3"), kMciErrFileNotFound);
  EXPECT_EQ(code("open " + q("not a song.Mid") + " type sequencer alias song3"), kMciErrInvalidFile);
  EXPECT_EQ(code("open " + q("beep.wav") + " type sequencer alias song3"), kMciErrInvalidFile);
  ASSERT_EQ(code("open " + q("song.Mid") + " type sequencer alias song3"), 0u);
  EXPECT_EQ(code("open " + q("long song.Mid") + " type sequencer alias SONG3"), kMciErrDuplicateAlias);
  EXPECT_EQ(code("play song3 from soon"), kMciErrBadInteger);
  EXPECT_EQ(code("play song3 backwards"), kMciErrUnrecognizedKeyword);
  EXPECT_EQ(code("status song3 colour"), kMciErrUnrecognizedKeyword);
  EXPECT_EQ(code("open \"" + (dir / "song.Mid") + " alias x"), kMciErrNoClosingQuote);
  EXPECT_EQ(code("dance song3"), kMciErrUnrecognizedCommand);
  EXPECT_EQ(code(""), kMciErrUnrecognizedCommand);
  EXPECT_EQ(code("   "), kMciErrUnrecognizedCommand);
  EXPECT_EQ(code("play"), kMciErrMissingParameter);
  std::string reply = "untouched";
  EXPECT_NE(mci->send("status nothing mode", reply), 0u);
  EXPECT_EQ(reply, "") << "an error comes with no reply";
}

TEST_F(Commands, ABrokenSongIsToldOnceWithWhyAndAMissingOneNotAtAll) {
  std::filesystem::create_directory(dir / "a folder.Mid");
  auto cut = test::make_song(4);
  cut.resize(cut.size() - 5);
  test::write_bytes(dir / "cut.Mid", cut);
  ::testing::internal::CaptureStderr();
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(code("open " + q("not a song.Mid") + " type sequencer alias a"), kMciErrInvalidFile);
    EXPECT_EQ(code("open " + q("cut.Mid") + " type sequencer alias b"), kMciErrInvalidFile);
    EXPECT_EQ(code("open " + q("a folder.Mid") + " type sequencer alias c"), kMciErrFileNotFound);
    EXPECT_EQ(code("open " + q("missing.Mid") + " type sequencer alias d"), kMciErrFileNotFound);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "vexmoor: skipping " + (dir / "not a song.Mid") + ": its header is cut short\n" + "vexmoor: skipping " +
                (dir / "cut.Mid") + ": it is cut short\n" + "vexmoor: skipping " + (dir / "a folder.Mid") +
                ": not a file\n");
}

// The system's General MIDI soundfont in either layout, its choice first.
TEST(Soundfonts, AreLookedForInBothLayoutsTheSystemsChoiceFirst) {
  test::TempDir root;
  namespace fs = std::filesystem;
  fs::create_directories(root.path() / "sf2");
  fs::create_directories(root.path() / "sf3");
  auto make = [&](const std::string& name) { std::ofstream(root / name) << "RIFF"; };
  EXPECT_EQ(find_soundfont(root.str()), "") << "none there";
  make("sf3/FluidR3Mono_GM.sf3");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf3/FluidR3Mono_GM.sf3") << "a package's file in the compressed layout";
  make("sf2/FluidR3_GM.sf2");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf3/FluidR3Mono_GM.sf3") << "the smaller one first";
  make("sf2/TimGM6mb.sf2");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf2/TimGM6mb.sf2");
  // The system's choice is a link to the soundfont it prefers.
  fs::create_symlink(root / "sf2/FluidR3_GM.sf2", root / "sf3/default-GM.sf3");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf3/default-GM.sf3");
  fs::create_symlink(root / "sf2/gone.sf2", root / "sf2/default-GM.sf2");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf3/default-GM.sf3") << "a link to nothing is passed by";
  fs::remove(root / "sf2/default-GM.sf2");
  fs::create_directory(root / "sf2/default-GM.sf2");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf3/default-GM.sf3") << "so is a folder";
  fs::remove(root / "sf2/default-GM.sf2");
  make("sf2/default-GM.sf2");
  EXPECT_EQ(find_soundfont(root.str()), root / "sf2/default-GM.sf2");
  const auto places = soundfont_places(root.str());
  ASSERT_FALSE(places.empty());
  EXPECT_EQ(places.front(), root / "sf2/default-GM.sf2");
  for (const char* f :
       {"sf3/MuseScore_General.sf3", "sf3/MuseScore_General_Lite.sf3", "sf3/MuseScore_General_Full.sf3"})
    EXPECT_NE(std::find(places.begin(), places.end(), root / f), places.end()) << f;
  {
    test::ScopedEnv unset("VEXMOOR_SOUNDFONT_ROOT", "");
    EXPECT_EQ(soundfont_root(), "/usr/share/sounds");
  }
  test::ScopedEnv other("VEXMOOR_SOUNDFONT_ROOT", root.str());
  EXPECT_EQ(soundfont_root(), root.str());
}

// Without a sound device a file is not at fault, and the answer says so.
TEST(CommandsWithoutOutput, SongsAndSoundsAnswerThatThereIsNothingToPlayOn) {
  test::TempDir dir;
  test::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-device");
  test::write_bytes(dir / "song.Mid", test::make_song(2));
  test::write_bytes(dir / "beep.wav", test::make_wave(440, 300));
  auto mci = make_system_command_strings();
  std::string reply;
  EXPECT_EQ(mci->send("open \"" + (dir / "song.Mid") + "\" type sequencer alias song1", reply),
            kMciErrSeqNoMidiPresent);
  EXPECT_EQ(mci->execute("play " + (dir / "beep.wav")), kMciErrWaveOutputsUnsuitable);
  std::ofstream(dir / "broken.wav") << "RIFF";
  EXPECT_EQ(mci->execute("play " + (dir / "broken.wav")), kMciErrInvalidFile) << "a broken file is still broken";
}

TEST_F(Commands, SoundsAreNamedByTheirFileAndStoppedTheSameWay) {
  const std::string beep = dir / "beep.wav";
  EXPECT_EQ(mci->execute("stop " + beep), 0u) << "not playing: nothing to stop, no error";
  EXPECT_EQ(mci->execute("play " + beep), 0u);
  EXPECT_EQ(ask("status " + beep + " mode"), "playing");
  EXPECT_EQ(mci->execute("stop " + beep), 0u);
  EXPECT_EQ(ask("status " + beep + " mode"), "stopped");
  EXPECT_EQ(mci->execute("play " + beep), 0u);  // again, from its start
  EXPECT_EQ(ask("status " + beep + " mode"), "playing");
  EXPECT_EQ(mci->execute("play " + (dir / "no such.wav")), kMciErrFileNotFound);
  std::ofstream(dir / "broken.wav") << "RIFF";
  EXPECT_EQ(mci->execute("play " + (dir / "broken.wav")), kMciErrInvalidFile);
}

TEST_F(Commands, SoundsPassTheSavedSoundsChecksAndABrokenOneIsToldOfOnce) {
  const std::string longer = dir / "long.wav", broken = dir / "broken.wav", extensible = dir / "extensible.wav";
  test::write_bytes(longer, test::make_wave_as({.rate = 4000, .bits = 8}, 4000 * 95));
  test::write_bytes(extensible, test::make_wave_as({.channels = 2, .extensible = true}, 22050));
  auto adpcm = test::make_wave(440, 100);
  adpcm[20] = 2;
  test::write_bytes(broken, adpcm);
  testing::internal::CaptureStderr();
  for (int click = 0; click < 3; ++click) {
    EXPECT_EQ(mci->execute("play " + longer), 0u);
    EXPECT_EQ(ask("status " + longer + " length"), "30000") << "cut to its first 30 s";
    EXPECT_EQ(mci->execute("play " + broken), kMciErrInvalidFile);
    EXPECT_EQ(mci->execute("play " + extensible), 0u);
    EXPECT_EQ(ask("status " + extensible + " length"), "1000");
    std::string reply;
    mci->send("close all", reply);  // each time read afresh
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "vexmoor: cutting " + longer +
                                                        ": it lasts 95.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: skipping " +
                                                        broken + ": not PCM samples (format tag 0x0002)\n");
}

TEST_F(Commands, TheDialogsTwelveStopsAndOnePlayOnRealFiles) {
  // A folder with blanks in its name, as a user's may have.
  std::filesystem::create_directory(dir / "my media");
  for (int i = 0; i < 12; ++i)
    test::write_bytes(dir / ("my media/v_sound" + std::to_string(i) + ".wav"), test::make_wave(300 + 50 * i, 800));
  auto sound = [&](int i) { return dir / ("my media/v_sound" + std::to_string(i) + ".wav"); };
  ASSERT_EQ(mci->execute("play " + sound(3)), 0u);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(mci->execute("stop " + sound(i)), 0u) << i;
  EXPECT_EQ(ask("status " + sound(3) + " mode"), "stopped");
  EXPECT_EQ(mci->execute("play " + sound(8)), 0u);
  EXPECT_EQ(ask("status " + sound(8) + " mode"), "playing");
}

// Songs heard through SDL's disk output. Only the instruments a song asks
// for are given to the channels, so these check that a channel which sounds
// before naming one still gets General MIDI's default, song after song.
TEST(SongsHeard, ChannelsThatNameNoInstrumentPlayTheDefaultOnesSongAfterSong) {
  test::TempDir dir;
  test::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", dir / "out.raw");
  std::vector<uint8_t> piano, drums, strings;
  for (int i = 0; i < 8; ++i) {  // quarter notes, 0x83 0x60 = 480 ticks
    piano.insert(piano.end(),
                 {0x00, 0x90, static_cast<uint8_t>(60 + i), 110, 0x83, 0x60, 0x80, static_cast<uint8_t>(60 + i), 0});
    drums.insert(drums.end(), {0x00, 0x99, 38, 120, 0x83, 0x60, 0x89, 38, 0});
  }
  strings = {0x00, 0xC2, 48};
  strings.insert(strings.end(), {0x00, 0x92, 67, 110, 0x8F, 0x00, 0x82, 67, 0});  // 1920 ticks
  test::write_bytes(dir / "piano.mid", test::make_song_of({piano}));
  test::write_bytes(dir / "drums.mid", test::make_song_of({drums}));
  test::write_bytes(dir / "strings.mid", test::make_song_of({strings}));
  {
    auto mci = make_system_command_strings();
    std::string reply;
    for (const char* name : {"piano", "drums", "strings"})
      ASSERT_EQ(mci->send("open \"" + (dir / (std::string(name) + ".mid")) + "\" type sequencer alias " + name, reply),
                0u)
          << name;
    // Each song is heard for 900 ms of the output, however slowly a busy
    // machine's sound thread writes them.
    auto written_ms = [&] {
      std::error_code e;
      const auto bytes = std::filesystem::file_size(dir / "out.raw", e);
      return e ? 0 : static_cast<long>(bytes / 4 * 1000 / 44100);
    };
    long until_ms = 0;
    for (const char* name : {"piano", "drums", "strings", "piano"}) {
      ASSERT_EQ(mci->send(std::string("play ") + name + " from 0", reply), 0u) << name;
      until_ms += 900;
      ASSERT_TRUE(wait_until([&] { return written_ms() >= until_ms; })) << name;
    }
    mci->close_all();
  }
  std::ifstream in(dir / "out.raw", std::ios::binary);
  std::vector<int16_t> left;
  int16_t frame[2];
  while (in.read(reinterpret_cast<char*>(frame), 4)) left.push_back(frame[0]);
  auto loudest = [&](int from_ms, int to_ms) {
    int m = 0;
    for (std::size_t i = static_cast<std::size_t>(from_ms) * 441 / 10;
         i < std::min(left.size(), static_cast<std::size_t>(to_ms) * 441 / 10); ++i)
      m = std::max(m, std::abs(static_cast<int>(left[i])));
    return m;
  };
  ASSERT_GT(left.size(), 44100u * 3) << "the output holds the whole run";
  EXPECT_GT(loudest(200, 800), 800) << "the default piano";
  EXPECT_GT(loudest(1100, 1700), 800) << "the default drum kit";
  EXPECT_GT(loudest(2000, 2600), 800) << "an instrument the song names";
  EXPECT_GT(loudest(2900, 3500), 800) << "the piano again after songs that gave its channel up";
}

// What was rendered ahead of a song that stops is never heard: after the
// sound thread's buffer of the moment (1024 frames) the song is gone.
TEST(SongsHeard, AStoppedSongIsSilentAtOnce) {
  test::TempDir dir;
  test::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", dir / "out.raw");
  std::vector<uint8_t> chord = {0x00, 0x90, 60, 110, 0x00, 0x90, 64, 110, 0x00, 0x90, 67, 110};
  chord.insert(chord.end(), {0xBC, 0x00, 0x80, 60, 0});  // 7680 ticks (8 s) on
  test::write_bytes(dir / "chord.mid", test::make_song_of({chord}));
  auto written = [&] {
    std::error_code e;
    const auto bytes = std::filesystem::file_size(dir / "out.raw", e);
    return e ? std::size_t{0} : static_cast<std::size_t>(bytes / 4);
  };
  std::size_t stopped_at = 0;
  {
    auto mci = make_system_command_strings();
    std::string reply;
    ASSERT_EQ(mci->send("open \"" + (dir / "chord.mid") + "\" type sequencer alias chord", reply), 0u);
    ASSERT_EQ(mci->send("play chord from 0", reply), 0u);
    // Heard for half a second: a large soundfont takes a while to read
    // its piano before the chord sounds.
    auto heard_from = [&] {
      std::ifstream out(dir / "out.raw", std::ios::binary);
      int16_t f[2];
      for (std::size_t n = 0; out.read(reinterpret_cast<char*>(f), 4); ++n)
        if (std::abs(static_cast<int>(f[0])) > 800) return n;
      return std::string::npos;
    };
    ASSERT_TRUE(wait_until([&] {
      const std::size_t from = heard_from();
      return from != std::string::npos && written() >= from + 44100 / 2;
    })) << "the chord is heard";
    // Stopped where the sound thread stands: the frames the output has, and
    // the buffer it is writing.
    ASSERT_EQ(mci->send("stop chord", reply), 0u);
    stopped_at = written() + 1024;
    ASSERT_TRUE(wait_until([&] { return written() >= stopped_at + 44100 / 2; }));
    mci->close_all();
  }
  std::ifstream in(dir / "out.raw", std::ios::binary);
  std::vector<int16_t> left;
  int16_t frame[2];
  while (in.read(reinterpret_cast<char*>(frame), 4)) left.push_back(frame[0]);
  auto loudest = [&](std::size_t from, std::size_t to) {
    int m = 0;
    for (std::size_t i = from; i < std::min(left.size(), to); ++i) m = std::max(m, std::abs(static_cast<int>(left[i])));
    return m;
  };
  // But for the reverberation's tail, well under an eighth of the chord.
  const int chord_peak = loudest(0, stopped_at - 1024);
  EXPECT_GT(chord_peak, 800);
  EXPECT_LT(loudest(stopped_at, stopped_at + 44100 / 2), chord_peak / 8) << "and then nothing";
}

}  // namespace
}  // namespace vex
