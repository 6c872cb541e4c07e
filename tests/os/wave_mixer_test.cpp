// The wave mixer on the real SDL2_mixer, heard through SDL's disk output:
// what it writes is what a speaker would have played.
#include "os/wave_mixer.h"

#include <gtest/gtest.h>

#include "os/media_files.h"

#include <filesystem>
#include <fstream>

#include "support/media_makers.h"
#include "support/temp_dir.h"
#include "support/waiting.h"

namespace vex {
namespace {

using test::tone_strength;

MixPlayParams record(int32_t mixer, int32_t channel, int32_t wave) {
  auto lo = [](int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); };
  auto hi = [](int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) >> 16)); };
  return {24, lo(mixer), hi(mixer), lo(channel), hi(channel), lo(wave), hi(wave), 0, 0, 5, 0, 0};
}

class Mixer : public ::testing::Test {
 protected:
  Mixer() : driver_("SDL_AUDIODRIVER", "disk"), file_("SDL_DISKAUDIOFILE", dir / "out.raw") {
    test::write_bytes(dir / "low.wav", test::make_wave(440, 1500, 22050, 0.4));
    test::write_bytes(dir / "high.wav", test::make_wave(1000, 1500, 44100, 0.4));
  }
  // The left channel of what was written, 44 100 samples a second.
  std::vector<int16_t> heard() {
    std::ifstream in(dir / "out.raw", std::ios::binary);
    std::vector<int16_t> all;
    int16_t s[2];
    while (in.read(reinterpret_cast<char*>(s), 4)) all.push_back(s[0]);
    return all;
  }
  static std::size_t at_ms(int ms) { return static_cast<std::size_t>(ms) * 44100 / 1000; }
  // How much of the output has been written so far: the times below are
  // the output's own, however slowly a busy machine's sound thread goes.
  int written_ms() {
    std::error_code e;
    const auto bytes = std::filesystem::file_size(dir / "out.raw", e);
    return e ? 0 : static_cast<int>(bytes / 4 * 1000 / 44100);
  }
  // Waits until ms more of the output than now have been written.
  void let_play(int ms) {
    const int until = written_ms() + ms;
    ASSERT_TRUE(test::wait_until([&] { return written_ms() >= until; })) << "the output stalled";
  }
  double strength(const std::vector<int16_t>& s, int from_ms, int ms, double hz) {
    return tone_strength(s, at_ms(from_ms), at_ms(ms), 1, hz, 44100);
  }
  test::TempDir dir;
  test::ScopedEnv driver_, file_;
  std::unique_ptr<WaveMixer> mixer = make_system_wave_mixer();
};

TEST_F(Mixer, TwoChannelsSoundTogetherAndStopWhenClosed) {
  int32_t m = mixer->Init();
  ASSERT_NE(m, 0);
  int32_t low = mixer->OpenWave(m, dir / "low.wav", 0, 0), high = mixer->OpenWave(m, dir / "high.wav", 0, 0);
  ASSERT_NE(low, 0);
  ASSERT_NE(high, 0);
  EXPECT_EQ(mixer->OpenWave(m, dir / "missing.wav", 0, 0), 0);
  mixer->OpenChannel(m, 8, 2);
  mixer->Activate(m, 1);
  const int began = written_ms();
  EXPECT_EQ(mixer->Play(record(m, 1, low)), 0u);
  EXPECT_EQ(mixer->Play(record(m, 2, high)), 0u);
  let_play(700);
  mixer->CloseChannel(m, 0, 1);
  let_play(500);
  mixer->FreeWave(m, low);
  mixer->FreeWave(m, high);
  mixer->CloseSession(m);
  auto s = heard();
  ASSERT_GT(s.size(), at_ms(began + 1000));
  // Both signals while they play ...
  EXPECT_GT(strength(s, began + 150, 300, 440), 0.1);
  EXPECT_GT(strength(s, began + 150, 300, 1000), 0.1);
  // ... and silence after the channels were closed.
  std::size_t end = s.size();
  int loudest = 0;
  for (std::size_t i = end - at_ms(250); i < end; ++i) loudest = std::max(loudest, std::abs(static_cast<int>(s[i])));
  EXPECT_LT(loudest, 50);
}

TEST_F(Mixer, APlayOnABusyChannelStartsItsNewSoundInstead) {
  int32_t m = mixer->Init();
  ASSERT_NE(m, 0);
  int32_t low = mixer->OpenWave(m, dir / "low.wav", 0, 0), high = mixer->OpenWave(m, dir / "high.wav", 0, 0);
  mixer->OpenChannel(m, 8, 2);
  mixer->Activate(m, 1);
  const int began = written_ms();
  mixer->Play(record(m, 4, low));
  let_play(500);
  const int switched = written_ms();
  mixer->Play(record(m, 4, high));
  let_play(500);
  mixer->CloseSession(m);
  auto s = heard();
  EXPECT_GT(strength(s, began + 100, 250, 440), 0.1);
  EXPECT_LT(strength(s, began + 100, 250, 1000), 0.02);
  EXPECT_GT(strength(s, switched + 150, 250, 1000), 0.1);
  EXPECT_LT(strength(s, switched + 150, 250, 440), 0.02) << "the first sound was cut off";
}

TEST_F(Mixer, RecordsThatNameNothingOpenPlayNothing) {
  int32_t m = mixer->Init();
  ASSERT_NE(m, 0);
  int32_t low = mixer->OpenWave(m, dir / "low.wav", 0, 0);
  mixer->OpenChannel(m, 8, 2);
  mixer->Activate(m, 1);
  MixPlayParams short_record = record(m, 1, low);
  short_record[0] = 20;
  EXPECT_NE(mixer->Play(short_record), 0u);
  EXPECT_NE(mixer->Play(record(m, 8, low)), 0u);  // only channels 0..7 are open
  EXPECT_NE(mixer->Play(record(m, -1, low)), 0u);
  EXPECT_NE(mixer->Play(record(m, 1, low + 99)), 0u);
  EXPECT_NE(mixer->Play(record(m + 1, 1, low)), 0u);
  let_play(300);
  mixer->CloseSession(m);
  auto s = heard();
  for (int16_t v : s) ASSERT_LT(std::abs(static_cast<int>(v)), 50);
}

TEST_F(Mixer, PcmInTheExtensibleLayoutIsHeard) {
  test::write_bytes(dir / "extensible.wav",
                    test::make_wave_as({.rate = 48000, .channels = 2, .bits = 16, .extensible = true}, 48000, 1000));
  int32_t m = mixer->Init();
  ASSERT_NE(m, 0);
  int32_t w = mixer->OpenWave(m, dir / "extensible.wav", 0, 0);
  ASSERT_NE(w, 0);
  mixer->OpenChannel(m, 8, 2);
  mixer->Activate(m, 1);
  const int began = written_ms();
  EXPECT_EQ(mixer->Play(record(m, 3, w)), 0u);
  let_play(600);
  mixer->CloseSession(m);
  EXPECT_GT(strength(heard(), began + 150, 300, 1000), 0.1);
}

// Twelve sounds of the longest kept length, as a saver given long sounds at
// a low rate opens them: the first is ready at once (the greeting plays as
// the saver starts), the others once converted (those left after the
// first quarter second beside the frames), and what they take is held
// until the session ends.
TEST(MixerOfLongSounds, AllPlayTheFirstAtOnceAndAThirteenthIsRefused) {
  test::TempDir dir;
  auto path = [&](int i) { return dir / ("long" + std::to_string(i) + ".wav"); };
  for (int i = 0; i < 13; ++i) test::write_bytes(path(i), test::make_wave_as({.rate = 8000}, 8000 * 31, 300 + 10 * i));
  const std::size_t held_before = SoundShare::held();
  testing::internal::CaptureStderr();
  auto mixer = make_system_wave_mixer();
  for (int round = 0; round < 2; ++round) {
    int32_t m = mixer->Init();
    ASSERT_NE(m, 0);
    std::vector<int32_t> waves;
    for (int i = 0; i < 12; ++i) waves.push_back(mixer->OpenWave(m, path(i), 0, 0));
    for (int32_t w : waves) ASSERT_NE(w, 0);
    EXPECT_EQ(mixer->OpenWave(m, path(12), 0, 0), 0);
    EXPECT_EQ(SoundShare::held(), held_before + 12 * 30 * 44100 * 4);
    mixer->OpenChannel(m, 8, 2);
    mixer->Activate(m, 1);
    EXPECT_EQ(mixer->Play(record(m, 0, waves[0])), 0u);
    if (round == 0) {
      for (int i = 1; i < 12; ++i)
        EXPECT_TRUE(test::wait_until([&] {
          return mixer->Play(record(m, i % 8, waves[static_cast<std::size_t>(i)])) == 0;
        })) << "sound "
            << i << " never became playable";
      for (int32_t w : waves) EXPECT_EQ(mixer->FreeWave(m, w), 0u);
    }
    // The second round ends at once, some sounds perhaps still waiting to
    // be converted, as a saver asked to end while it starts.
    mixer->CloseSession(m);
    EXPECT_EQ(SoundShare::held(), held_before) << "round " << round;
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "vexmoor: cutting " + path(0) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(1) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(2) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(3) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(4) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(5) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(6) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(7) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(8) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(9) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(10) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: cutting " +
                                                        path(11) +
                                                        ": it lasts 31.0 s; only its first 30 s are kept\n"
                                                        "vexmoor: skipping " +
                                                        path(12) +
                                                        ": it would take the sounds kept together past 64 MB\n");
}

TEST(MixerWithoutADevice, InitFailsAndTheRestDoesNothing) {
  test::ScopedEnv none("SDL_AUDIODRIVER", "no-such-driver");
  auto mixer = make_system_wave_mixer();
  EXPECT_EQ(mixer->Init(), 0);
  EXPECT_EQ(mixer->OpenWave(0, "/nowhere.wav", 0, 0), 0);
  EXPECT_NE(mixer->Play(MixPlayParams{24}), 0u);
}

}  // namespace
}  // namespace vex
