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
