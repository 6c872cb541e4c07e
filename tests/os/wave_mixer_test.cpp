// The wave mixer on the real SDL2_mixer, heard through SDL's disk output:
// what it writes is what a speaker would have played.
#include "os/wave_mixer.h"

#include <gtest/gtest.h>

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
  EXPECT_NE(mixer->Play(record(m, 8, low)), 0u);   // only channels 0..7 are open
  EXPECT_NE(mixer->Play(record(m, -1, low)), 0u);
  EXPECT_NE(mixer->Play(record(m, 1, low + 99)), 0u);
  EXPECT_NE(mixer->Play(record(m + 1, 1, low)), 0u);
  let_play(300);
  mixer->CloseSession(m);
  auto s = heard();
  for (int16_t v : s) ASSERT_LT(std::abs(static_cast<int>(v)), 50);
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
