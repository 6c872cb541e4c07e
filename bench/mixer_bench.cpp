// What the library-free wave mixer costs: a second of output with every
// channel busy (the device's thread does this as the sound plays), and a
// sound converted for it when it is opened.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "os/pcm_mixer.h"

namespace vex {
namespace {

// A second of a 440 Hz sine in a 16-bit mono file at `rate`, as the checks
// would find it.
struct SoundFile {
  std::vector<uint8_t> bytes;
  WaveSound wave;
};
SoundFile sine_file(int rate) {
  SoundFile f;
  f.wave.channels = 1;
  f.wave.rate = rate;
  f.wave.bits = 16;
  f.wave.data_offset = 0;
  f.wave.data_bytes = static_cast<std::size_t>(rate) * 2;
  for (int k = 0; k < rate; ++k) {
    const auto v = static_cast<int16_t>(std::lround(12000 * std::sin(2 * 3.14159265358979 * 440 * k / rate)));
    f.bytes.push_back(static_cast<uint8_t>(v & 0xFF));
    f.bytes.push_back(static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xFF));
  }
  return f;
}

void BM_MixASecondOfEightBusyChannels(benchmark::State& state) {
  const SoundFile f = sine_file(44100);
  auto sound = std::make_shared<const pcm::Samples>(pcm::convert(f.bytes, f.wave, 44100));
  pcm::Mixer mixer;
  for (int c = 0; c < pcm::kChannels; ++c) mixer.play(c, sound, -1);
  std::vector<int16_t> out(1024 * 2);
  for (auto _ : state) {
    // As a device asks for it: 1024 frames at a time.
    for (int done = 0; done < pcm::kRate; done += 1024) mixer.mix(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MixASecondOfEightBusyChannels)->Unit(benchmark::kMicrosecond);

void BM_ConvertASecondOfMono(benchmark::State& state) {
  const SoundFile f = sine_file(static_cast<int>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(pcm::convert(f.bytes, f.wave, static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_ConvertASecondOfMono)->Arg(44100)->Arg(22050)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vex
