// The library-free wave mixer, on real WAV files in a temporary directory.
// Its device is the test's own: the test asks for each buffer, so what the
// mixer writes can be compared sample by sample, with no clock involved.
#include "os/pcm_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "os/sound_volume.h"
#include "support/media_makers.h"
#include "support/temp_dir.h"
#include "support/waiting.h"

namespace vex {
namespace {

using test::put_le;

// A WAV file of the given samples (interleaved when stereo), 8 or 16 bits.
std::vector<uint8_t> wav_of(int channels, int rate, int bits, const std::vector<int>& samples) {
  const uint32_t data = static_cast<uint32_t>(samples.size() * static_cast<std::size_t>(bits / 8));
  std::vector<uint8_t> f = {'R', 'I', 'F', 'F'};
  put_le(f, 36 + data, 4);
  f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put_le(f, 16, 4);
  put_le(f, 1, 2);
  put_le(f, static_cast<uint32_t>(channels), 2);
  put_le(f, static_cast<uint32_t>(rate), 4);
  put_le(f, static_cast<uint32_t>(rate * channels * bits / 8), 4);
  put_le(f, static_cast<uint32_t>(channels * bits / 8), 2);
  put_le(f, static_cast<uint32_t>(bits), 2);
  f.insert(f.end(), {'d', 'a', 't', 'a'});
  put_le(f, data, 4);
  for (int s : samples) put_le(f, static_cast<uint32_t>(s), bits / 8);
  return f;
}

// A 16-bit mono sound at 44.1 kHz whose sample k is first + k * step.
std::vector<int> ramp(int frames, int first, int step) {
  std::vector<int> s(static_cast<std::size_t>(frames));
  for (int k = 0; k < frames; ++k) s[static_cast<std::size_t>(k)] = first + k * step;
  return s;
}

std::vector<int> constant(int frames, int value) { return std::vector<int>(static_cast<std::size_t>(frames), value); }

// The device: it plays when asked for a buffer, from the test's thread.
struct Device {
  pcm::Output::Fill fill;
  bool refuse = false;
  int starts = 0, stops = 0;
};
class PulledOutput : public pcm::Output {
 public:
  explicit PulledOutput(Device& d) : d_(d) {}
  bool start(Fill fill) override {
    if (d_.refuse) return false;
    d_.fill = std::move(fill);
    ++d_.starts;
    return true;
  }
  void stop() override {
    d_.fill = nullptr;
    ++d_.stops;
  }

 private:
  Device& d_;
};

MixPlayParams record(int32_t mixer, int32_t channel, int32_t wave, int16_t loops = 0) {
  auto lo = [](int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); };
  auto hi = [](int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) >> 16)); };
  return {24, lo(mixer), hi(mixer), lo(channel), hi(channel), lo(wave), hi(wave), 0, 0, 5, 0, loops};
}

class PcmMixer : public ::testing::Test {
 protected:
  PcmMixer() : mixer(make_pcm_wave_mixer([this] { return std::make_unique<PulledOutput>(device); })) {}

  // A session with channels 0..7 open and the mixer active.
  int32_t open_session() {
    const int32_t m = mixer->Init();
    EXPECT_NE(m, 0);
    mixer->OpenChannel(m, 8, 2);
    mixer->Activate(m, 1);
    return m;
  }
  int32_t open(int32_t m, const std::string& name, const std::vector<uint8_t>& bytes) {
    test::write_bytes(dir / name, bytes);
    return mixer->OpenWave(m, dir / name, 0, 0);
  }
  // The next frames the device plays, interleaved.
  std::vector<int16_t> pull(int frames) {
    std::vector<int16_t> s(static_cast<std::size_t>(frames) * 2, 12345);
    if (device.fill) device.fill(s.data(), frames);
    return s;
  }
  static std::vector<int16_t> left(const std::vector<int16_t>& s) {
    std::vector<int16_t> l;
    for (std::size_t i = 0; i < s.size(); i += 2) l.push_back(s[i]);
    return l;
  }
  static bool silent(const std::vector<int16_t>& s) {
    for (int16_t v : s)
      if (v != 0) return false;
    return true;
  }

  test::TempDir dir;
  Device device;
  std::unique_ptr<WaveMixer> mixer;
};

TEST_F(PcmMixer, ConvertsEveryFormItTakesToStereoAt44100) {
  const int32_t m = open_session();
  // 16-bit stereo at 44.1 kHz as it is; mono on both sides.
  const int32_t stereo = open(m, "stereo.wav", wav_of(2, 44100, 16, {100, -100, 200, -200, 300, -300}));
  const int32_t mono = open(m, "mono.wav", wav_of(1, 44100, 16, {-5, 7, 32767}));
  // 8-bit is unsigned, 128 the middle.
  const int32_t narrow = open(m, "narrow.wav", wav_of(1, 44100, 8, {0, 128, 255, 64}));
  // Half the rate: every other frame lies half-way between two of the file's.
  const int32_t half = open(m, "half.wav", wav_of(1, 22050, 16, {0, 1000, 3000}));
  mixer->Play(record(m, 0, stereo));
  EXPECT_EQ(pull(4), (std::vector<int16_t>{100, -100, 200, -200, 300, -300, 0, 0}));
  mixer->Play(record(m, 1, mono));
  EXPECT_EQ(pull(4), (std::vector<int16_t>{-5, -5, 7, 7, 32767, 32767, 0, 0}));
  mixer->Play(record(m, 2, narrow));
  EXPECT_EQ(pull(5), (std::vector<int16_t>{-32768, -32768, 0, 0, 32512, 32512, -16384, -16384, 0, 0}));
  mixer->Play(record(m, 3, half));
  EXPECT_EQ(left(pull(7)), (std::vector<int16_t>{0, 500, 1000, 2000, 3000, 3000, 0}));

  // Other rates keep their pitch and their length: a second of 1 kHz at
  // 48 kHz is a second of 1 kHz at 44.1 kHz.
  std::vector<int> sine(48000);
  for (int k = 0; k < 48000; ++k)
    sine[static_cast<std::size_t>(k)] =
        static_cast<int>(std::lround(16000 * std::sin(2 * 3.14159265358979 * 1000 * k / 48000.0)));
  const int32_t fast = open(m, "48k.wav", wav_of(1, 48000, 16, sine));
  ASSERT_NE(fast, 0);
  mixer->Play(record(m, 4, fast));
  auto s = left(pull(44100 + 100));
  EXPECT_GT(test::tone_strength(s, 0, 44100, 1, 1000, 44100), 0.45);
  EXPECT_LT(test::tone_strength(s, 0, 44100, 1, 1088, 44100), 0.05);
  EXPECT_NE(s[44090], 0);
  for (std::size_t i = 44100; i < s.size(); ++i) ASSERT_EQ(s[i], 0) << "longer than a second, at " << i;
  EXPECT_EQ(pcm::output_frames(48000, 48000), 44100u);
  EXPECT_EQ(pcm::output_frames(3, 22050), 6u);
  EXPECT_EQ(pcm::output_frames(1, 8000), 6u);
}

TEST_F(PcmMixer, ChannelsAddUpSampleBySampleAndClip) {
  const int32_t m = open_session();
  const int32_t up = open(m, "up.wav", wav_of(1, 44100, 16, ramp(300, 0, 10)));
  const int32_t down = open(m, "down.wav", wav_of(1, 44100, 16, ramp(200, 1000, -3)));
  ASSERT_NE(up, 0);
  ASSERT_NE(down, 0);
  EXPECT_EQ(mixer->Play(record(m, 1, up)), 0u);
  EXPECT_EQ(mixer->Play(record(m, 7, down)), 0u);
  // Across the device's buffers of uneven sizes.
  std::vector<int16_t> s;
  for (int n : {1, 99, 700, 400}) {
    auto part = left(pull(n));
    s.insert(s.end(), part.begin(), part.end());
  }
  for (int k = 0; k < 1200; ++k) {
    const int want = (k < 300 ? k * 10 : 0) + (k < 200 ? 1000 - 3 * k : 0);
    ASSERT_EQ(s[static_cast<std::size_t>(k)], want) << "at " << k;
  }
  // Loud sounds together stop at the ends of 16 bits, both ways.
  const int32_t loud = open(m, "loud.wav", wav_of(1, 44100, 16, constant(10, 30000)));
  const int32_t low = open(m, "low.wav", wav_of(1, 44100, 16, constant(10, -30000)));
  mixer->Play(record(m, 0, loud));
  mixer->Play(record(m, 2, loud));
  mixer->Play(record(m, 3, loud));
  EXPECT_EQ(left(pull(10)), std::vector<int16_t>(10, 32767));
  mixer->Play(record(m, 0, low));
  mixer->Play(record(m, 2, low));
  EXPECT_EQ(left(pull(10)), std::vector<int16_t>(10, -32768));
  // One loud and one low cancel out: each channel's own value is summed,
  // not a clipped running total.
  mixer->Play(record(m, 4, loud));
  mixer->Play(record(m, 5, loud));
  mixer->Play(record(m, 6, low));
  EXPECT_EQ(left(pull(10)), std::vector<int16_t>(10, 30000));
  EXPECT_TRUE(silent(pull(50)));
}

TEST_F(PcmMixer, TheOutputVolumeScalesTheSumBeforeItIsClippedFromTheNextBufferOn) {
  struct FullAgain {
    ~FullAgain() { set_output_volume(kFullVolume); }
  } full_again;
  const int32_t m = open_session();
  const int32_t loud = open(m, "loud.wav", wav_of(1, 44100, 16, constant(20, 30000)));
  const int32_t odd = open(m, "odd.wav", wav_of(2, 44100, 16, {101, -101, 101, -101, 101, -101}));
  set_output_volume(50);
  mixer->Play(record(m, 0, loud));
  mixer->Play(record(m, 1, loud));
  // 60000 halved; clipped first it would be 16383.
  EXPECT_EQ(left(pull(10)), std::vector<int16_t>(10, 30000));
  set_output_volume(30);
  EXPECT_EQ(left(pull(10)), std::vector<int16_t>(10, 18000));
  // Both sides, toward zero.
  mixer->Play(record(m, 2, odd));
  EXPECT_EQ(pull(3), (std::vector<int16_t>{30, -30, 30, -30, 30, -30}));
}

TEST_F(PcmMixer, APlayOnABusyChannelStartsItsSoundInsteadAndLoopsAsAsked) {
  const int32_t m = open_session();
  const int32_t a = open(m, "a.wav", wav_of(1, 44100, 16, ramp(100, 1, 1)));
  const int32_t b = open(m, "b.wav", wav_of(1, 44100, 16, ramp(50, -1, -1)));
  mixer->Play(record(m, 4, a));
  pull(30);
  mixer->Play(record(m, 4, b));
  auto s = left(pull(60));
  EXPECT_EQ(s[0], -1) << "the new sound from its start";
  EXPECT_EQ(s[49], -50);
  EXPECT_EQ(s[50], 0) << "and nothing of the first after it";

  // A loop count of 2: three times in a row, no gap, then silence.
  mixer->Play(record(m, 4, b, 2));
  s = left(pull(200));
  for (int k = 0; k < 150; ++k) ASSERT_EQ(s[static_cast<std::size_t>(k)], -1 - k % 50) << "at " << k;
  for (int k = 150; k < 200; ++k) ASSERT_EQ(s[static_cast<std::size_t>(k)], 0) << "at " << k;

  // 0xFFFF: on and on, until its channel is closed; beyond what any
  // count of 16 bits would give.
  mixer->Play(record(m, 4, b, -1));
  s = left(pull(50 * 40 + 7));
  for (int k = 0; k < 50 * 40 + 7; ++k) ASSERT_EQ(s[static_cast<std::size_t>(k)], -1 - k % 50) << "at " << k;
  mixer->CloseChannel(m, 4, 0);
  EXPECT_TRUE(silent(pull(100)));
  const int32_t two = open(m, "two.wav", wav_of(1, 44100, 16, {7, 9}));
  mixer->Play(record(m, 5, two, -1));
  s = left(pull(2 * 65536 + 100));
  for (std::size_t k = 0; k < s.size(); ++k) ASSERT_EQ(s[k], k % 2 ? 9 : 7) << "at " << k;
}

TEST_F(PcmMixer, ClosingAChannelStopsOnlyItClosingAllStopsEveryOne) {
  const int32_t m = open_session();
  const int32_t one = open(m, "one.wav", wav_of(1, 44100, 16, constant(1000, 1)));
  const int32_t ten = open(m, "ten.wav", wav_of(1, 44100, 16, constant(1000, 10)));
  const int32_t hundred = open(m, "hundred.wav", wav_of(1, 44100, 16, constant(1000, 100)));
  mixer->Play(record(m, 0, one));
  mixer->Play(record(m, 3, ten));
  mixer->Play(record(m, 7, hundred));
  EXPECT_EQ(left(pull(5)), std::vector<int16_t>(5, 111));
  mixer->CloseChannel(m, 3, 0);
  EXPECT_EQ(left(pull(5)), std::vector<int16_t>(5, 101));
  EXPECT_EQ(mixer->Play(record(m, 3, ten)), 0u) << "a closed channel plays again";
  EXPECT_EQ(left(pull(5)), std::vector<int16_t>(5, 111));
  mixer->CloseChannel(m, 0, 1);
  EXPECT_TRUE(silent(pull(50)));
  // With every channel closed nothing plays until channels are opened.
  EXPECT_NE(mixer->Play(record(m, 0, one)), 0u);
  EXPECT_TRUE(silent(pull(50)));
  mixer->OpenChannel(m, 8, 2);
  EXPECT_EQ(mixer->Play(record(m, 0, one)), 0u);
  EXPECT_EQ(left(pull(5)), std::vector<int16_t>(5, 1));
  // A sound let go of stops where it plays, and its handle plays no more.
  EXPECT_EQ(mixer->FreeWave(m, one), 0u);
  EXPECT_TRUE(silent(pull(50)));
  EXPECT_NE(mixer->Play(record(m, 0, one)), 0u);
  EXPECT_NE(mixer->FreeWave(m, one), 0u);
  // Deactivated, the mixer is silent and plays nothing.
  mixer->Play(record(m, 1, hundred));
  mixer->Activate(m, 0);
  EXPECT_TRUE(silent(pull(50)));
  EXPECT_NE(mixer->Play(record(m, 1, hundred)), 0u);
  mixer->Activate(m, 1);
  EXPECT_EQ(mixer->Play(record(m, 1, hundred)), 0u);
  EXPECT_EQ(left(pull(3)), std::vector<int16_t>(3, 100));
}

TEST_F(PcmMixer, RecordsThatNameNothingOpenPlayNothing) {
  const int32_t m = open_session();
  const int32_t w = open(m, "w.wav", wav_of(1, 44100, 16, constant(100, 500)));
  ASSERT_NE(w, 0);
  EXPECT_EQ(open(m, "broken.wav", {'R', 'I', 'F', 'F', 0, 0}), 0);
  EXPECT_EQ(mixer->OpenWave(m, dir / "missing.wav", 0, 0), 0);
  EXPECT_EQ(mixer->OpenWave(m + 1, dir / "w.wav", 0, 0), 0);
  MixPlayParams short_record = record(m, 1, w);
  short_record[0] = 20;
  EXPECT_NE(mixer->Play(short_record), 0u);
  EXPECT_NE(mixer->Play(record(m, 8, w)), 0u);  // only channels 0..7 are open
  EXPECT_NE(mixer->Play(record(m, -1, w)), 0u);
  EXPECT_NE(mixer->Play(record(m, 1, w + 99)), 0u);
  EXPECT_NE(mixer->Play(record(m, 1, 0)), 0u);
  EXPECT_NE(mixer->Play(record(m + 1, 1, w)), 0u);
  EXPECT_TRUE(silent(pull(200)));
  // Fewer channels opened: only those play.
  mixer->OpenChannel(m, 3, 2);
  EXPECT_NE(mixer->Play(record(m, 3, w)), 0u);
  EXPECT_EQ(mixer->Play(record(m, 2, w)), 0u);
}

TEST_F(PcmMixer, TheSessionHoldsTheDeviceFromInitToClose) {
  const int32_t m = mixer->Init();
  ASSERT_NE(m, 0);
  EXPECT_EQ(device.starts, 1);
  EXPECT_EQ(mixer->Init(), 0) << "one session at a time";
  const int32_t w = open(m, "w.wav", wav_of(1, 44100, 16, constant(100, 500)));
  mixer->OpenChannel(m, 8, 2);
  mixer->Activate(m, 1);
  mixer->Play(record(m, 0, w));
  EXPECT_NE(mixer->CloseSession(m + 1), 0u);
  EXPECT_EQ(mixer->CloseSession(m), 0u);
  EXPECT_EQ(device.stops, 1);
  EXPECT_FALSE(device.fill) << "the device was given back";
  EXPECT_NE(mixer->Play(record(m, 0, w)), 0u);
  EXPECT_EQ(mixer->OpenWave(m, dir / "w.wav", 0, 0), 0);
  // A new session has a handle of its own.
  const int32_t again = mixer->Init();
  EXPECT_NE(again, 0);
  EXPECT_NE(again, m);
  EXPECT_EQ(device.starts, 2);
}

TEST_F(PcmMixer, WithoutADeviceInitFailsAndTheRestDoesNothingSilently) {
  device.refuse = true;
  testing::internal::CaptureStderr();
  EXPECT_EQ(mixer->Init(), 0);
  test::write_bytes(dir / "w.wav", wav_of(1, 44100, 16, constant(100, 500)));
  EXPECT_EQ(mixer->OpenWave(0, dir / "w.wav", 0, 0), 0);
  EXPECT_NE(mixer->OpenChannel(0, 8, 2), 0u);
  EXPECT_NE(mixer->Play(record(0, 0, 0x57560001)), 0u);
  EXPECT_NE(mixer->CloseSession(0), 0u);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  auto none = make_pcm_wave_mixer([] { return std::unique_ptr<pcm::Output>(); });
  EXPECT_EQ(none->Init(), 0);
}

TEST_F(PcmMixer, ASoundKeepsItsFirst30SecondsAndAllTogether64MB) {
  const int32_t m = open_session();
  // 31 s at 4 kHz, 8-bit mono: the last second is louder, and cut off.
  std::vector<int> long_one = constant(30 * 4000, 128 + 1);
  std::vector<int> last = constant(4000, 255);
  long_one.insert(long_one.end(), last.begin(), last.end());
  testing::internal::CaptureStderr();
  const int32_t cut = open(m, "long.wav", wav_of(1, 4000, 8, long_one));
  std::string said = testing::internal::GetCapturedStderr();
  ASSERT_NE(cut, 0);
  EXPECT_NE(said.find("long.wav"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  mixer->Play(record(m, 0, cut));
  auto s = left(pull(31 * 44100));
  for (std::size_t i = 0; i < 30u * 44100; i += 441) ASSERT_EQ(s[i], 256) << "at " << i;
  for (std::size_t i = 30u * 44100; i < s.size(); ++i) ASSERT_EQ(s[i], 0) << "at " << i;
  EXPECT_EQ(mixer->FreeWave(m, cut), 0u);
  // A frame over is over.
  testing::internal::CaptureStderr();
  const int32_t just_over = open(m, "just_over.wav", wav_of(1, 4000, 8, constant(30 * 4000 + 1, 129)));
  said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("just_over.wav"), std::string::npos) << said;
  mixer->Play(record(m, 0, just_over));
  s = left(pull(30 * 44100 + 10));
  EXPECT_EQ(s[30 * 44100 - 1], 256);
  EXPECT_EQ(s[30 * 44100], 0);
  mixer->FreeWave(m, just_over);

  // Twelve of the longest kept length fit; a thirteenth does not, and is
  // named; once one is let go of there is room again.
  const std::vector<uint8_t> thirty = wav_of(1, 4000, 8, constant(30 * 4000, 200));
  std::vector<int32_t> kept;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 12; ++i) {
    std::string name = std::to_string(i);
    name += ".wav";
    kept.push_back(open(m, name, thirty));
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  for (int32_t h : kept) ASSERT_NE(h, 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(open(m, "thirteenth.wav", thirty), 0);
  // A short sound still fits beside the twelve.
  EXPECT_NE(open(m, "short.wav", wav_of(1, 4000, 8, constant(4000, 200))), 0);
  said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("thirteenth.wav"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  mixer->FreeWave(m, kept[3]);
  EXPECT_NE(mixer->OpenWave(m, dir / "thirteenth.wav", 0, 0), 0);
  // To the byte: what is left of the 64 MB fits, a frame more does not.
  for (int32_t h : kept) mixer->FreeWave(m, h);
  for (int i = 0; i < 11; ++i) ASSERT_NE(mixer->OpenWave(m, dir / (std::to_string(i) + ".wav"), 0, 0), 0);
  const int left_frames = static_cast<int>((64 * 1024 * 1024 - 12 * 30 * 44100 * 4 - 4 * 44100) / 4);
  testing::internal::CaptureStderr();
  EXPECT_EQ(open(m, "over.wav", wav_of(1, 44100, 8, constant(left_frames + 1, 200))), 0);
  const int32_t exact = open(m, "exact.wav", wav_of(1, 44100, 8, constant(left_frames, 200)));
  said = testing::internal::GetCapturedStderr();
  EXPECT_NE(exact, 0);
  EXPECT_NE(said.find("over.wav"), std::string::npos) << said;
  EXPECT_EQ(said.find("exact.wav"), std::string::npos) << said;
  // A new session starts from nothing kept.
  mixer->CloseSession(m);
  const int32_t m2 = open_session();
  EXPECT_NE(mixer->OpenWave(m2, dir / "thirteenth.wav", 0, 0), 0);
}

// A device that asks for buffers from a thread of its own, as a real one
// does.
class ThreadOutput : public pcm::Output {
 public:
  explicit ThreadOutput(std::atomic<bool>& heard) : heard_(heard) {}
  bool start(Fill fill) override {
    fill_ = std::move(fill);
    run_ = true;
    t_ = std::thread([this] {
      int16_t buf[256 * 2];
      while (run_) {
        fill_(buf, 256);
        for (int16_t v : buf)
          if (v != 0) heard_ = true;
      }
    });
    return true;
  }
  void stop() override {
    run_ = false;
    t_.join();
  }

 private:
  std::atomic<bool>& heard_;
  Fill fill_;
  std::atomic<bool> run_{false};
  std::thread t_;
};

TEST_F(PcmMixer, PlaysAndLetsGoWhileTheDeviceMixesOnItsOwnThread) {
  // The program's thread plays, frees and closes while the device mixes.
  std::atomic<bool> heard{false};
  auto threaded = make_pcm_wave_mixer([&] { return std::make_unique<ThreadOutput>(heard); });
  test::write_bytes(dir / "w.wav", wav_of(1, 44100, 16, constant(2000, 700)));
  for (int round = 0; round < 20; ++round) {
    const int32_t m = threaded->Init();
    ASSERT_NE(m, 0);
    threaded->OpenChannel(m, 8, 2);
    threaded->Activate(m, 1);
    std::vector<int32_t> waves;
    for (int i = 0; i < 4; ++i) waves.push_back(threaded->OpenWave(m, dir / "w.wav", 0, 0));
    heard = false;
    for (int i = 0; i < 200; ++i)
      threaded->Play(record(m, i % 8, waves[static_cast<std::size_t>(i % 4)], i % 3 ? 0 : -1));
    // Let go of sounds while they play, as the device's thread mixes them.
    ASSERT_TRUE(test::wait_until([&] { return heard.load(); })) << "the device's thread heard the plays";
    threaded->FreeWave(m, waves[0]);
    threaded->CloseChannel(m, 0, 1);
    threaded->CloseSession(m);
  }
}

}  // namespace
}  // namespace vex
