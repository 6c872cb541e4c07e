// What measuring the songs' loudness costs: one song (the first) and all
// twelve, rendered offline the way the song device measures each song the
// first time it meets it on a soundfont, on every General MIDI soundfont
// installed here. Also prints the span of the songs' levels before and
// after their gains.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/linux/song_level.h"
#include "os/media_files.h"

namespace vex {
namespace {

namespace fs = std::filesystem;

struct Song {
  std::vector<uint8_t> bytes;
  uint16_t default_programs = 0;
};

const std::vector<Song>& songs() {
  static const std::vector<Song> all = [] {
    std::vector<Song> v;
    for (int n = 0; n < 12; ++n) {
      std::ifstream in(fs::path(VEXMOOR_MEDIA_DIR) / ("v_song" + std::to_string(n) + ".Mid"), std::ios::binary);
      Song s{{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}, 0};
      if (auto m = parse_midi(s.bytes)) s.default_programs = m->default_program_channels;
      v.push_back(std::move(s));
    }
    return v;
  }();
  return all;
}

void measure_songs(benchmark::State& state, const std::string& soundfont, int count) {
  if (!fs::exists(soundfont)) {
    state.SkipWithError(("not installed: " + soundfont).c_str());
    return;
  }
  double lo = 0, hi = -200;
  for (auto _ : state) {
    lo = 0, hi = -200;
    for (int n = 0; n < count; ++n) {
      const Song& s = songs()[static_cast<std::size_t>(n)];
      auto level = song_level::measure(soundfont, s.bytes, s.default_programs);
      if (!level) {
        state.SkipWithError("a song could not be measured");
        return;
      }
      lo = std::min(lo, level->lufs);
      hi = std::max(hi, level->lufs);
    }
  }
  state.counters["quietest_LUFS"] = lo;
  state.counters["loudest_LUFS"] = hi;
}

// Twenty minutes of five-note chords: only its first part is measured.
void BM_MeasureTwentyMinuteSong(benchmark::State& state) {
  const char* sf = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  if (!fs::exists(sf)) {
    state.SkipWithError("TimGM6mb is not installed");
    return;
  }
  std::vector<uint8_t> t;
  auto vlq = [&](uint32_t v) {
    uint8_t b[4];
    int n = 0;
    do b[n++] = v & 0x7F, v >>= 7;
    while (v);
    while (n--) t.push_back(static_cast<uint8_t>(b[n] | (n ? 0x80 : 0)));
  };
  for (int i = 0; i < 2400; ++i) {  // half a second each at 120 a minute
    for (uint8_t k : {48, 55, 60, 64, 67}) t.insert(t.end(), {0x00, 0x90, k, 100});
    for (uint8_t k : {48, 55, 60, 64, 67}) {
      vlq(k == 48 ? 480 : 0);
      t.insert(t.end(), {0x80, k, 0});
    }
  }
  t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  for (int i = 3; i >= 0; --i) f.push_back(static_cast<uint8_t>(t.size() >> (8 * i)));
  f.insert(f.end(), t.begin(), t.end());
  for (auto _ : state) benchmark::DoNotOptimize(song_level::measure(sf, f, 1));
}
BENCHMARK(BM_MeasureTwentyMinuteSong)->Unit(benchmark::kMillisecond)->Iterations(1);

const char* const kSoundfonts[] = {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                   "/usr/share/sounds/sf3/FluidR3Mono_GM.sf3"};

void register_all() {
  for (const char* sf : kSoundfonts) {
    const std::string name = fs::path(sf).filename().string();
    benchmark::RegisterBenchmark(("BM_MeasureOneSong/" + name).c_str(),
                                 [sf](benchmark::State& st) { measure_songs(st, sf, 1); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(false);
    benchmark::RegisterBenchmark(("BM_MeasureAllSongs/" + name).c_str(),
                                 [sf](benchmark::State& st) { measure_songs(st, sf, 12); })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
}

}  // namespace
}  // namespace vex

int main(int argc, char** argv) {
  vex::register_all();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
