// What the saver does before its first frame, piece by piece: the settings
// read with the creatures set up, every picture loaded from the real media,
// the system's soundfont read the way the song device reads it, and every
// sound checked. Then what a second of music costs to render, with the
// synth's settings the saver uses.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_home.h"
#include "animation/creature.h"
#include "animation/properties.h"
#include "os/linux/label_layout.h"
#include "os/linux/soundfont.h"
#include "os/media_files.h"
#include "platform/pictures.h"
#include "platform/surfaces.h"
#include "startup/settings.h"

namespace vex {
namespace {

namespace fs = std::filesystem;

// The one the song device finds.
const char* soundfont() {
  static const std::string found = find_soundfont(soundfont_root());
  return found.empty() ? nullptr : found.c_str();
}

std::vector<uint8_t> read_bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void every_creature_on() {
  static bool done = false;
  if (done) return;
  done = true;
  bench::make_home("vexmoor-startup-bench", "speed=10\n", VEXMOOR_BUILD_DATADIR);
}

void BM_ReadSettingsAndCreatures(benchmark::State& state) {
  every_creature_on();
  for (auto _ : state) {
    read_settings();
    Properties_Creatures();
    benchmark::DoNotOptimize(scene().Skeleton1.Enabled);
  }
}
BENCHMARK(BM_ReadSettingsAndCreatures)->Unit(benchmark::kMicrosecond);

void BM_LoadPictures(benchmark::State& state) {
  every_creature_on();
  GetDirectories();
  read_settings();
  for (auto _ : state) {
    state.PauseTiming();
    reset_surfaces();
    Properties_Creatures();
    state.ResumeTiming();
    load_saver_pictures();
  }
  if (surface_view(scene().Skeleton1.Picture).empty()) state.SkipWithError("no pictures (build the media target)");
  state.SetLabel(std::to_string(live_surface_count()) + " surfaces");
  reset_surfaces();
}
BENCHMARK(BM_LoadPictures)->Unit(benchmark::kMillisecond);

fluid_settings_t* saver_settings(bool effects) {
  fluid_settings_t* s = new_fluid_settings();
  fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
  fluid_settings_setstr(s, "player.timing-source", "sample");
  fluid_settings_setnum(s, "synth.sample-rate", 44100);
  fluid_settings_setint(s, "synth.cpu-cores", 1);
  fluid_settings_setint(s, "synth.polyphony", 128);
  fluid_settings_setint(s, "synth.reverb.active", effects ? 1 : 0);
  fluid_settings_setint(s, "synth.chorus.active", effects ? 1 : 0);
  return s;
}

void quiet(int, const char*, void*) {}

void BM_LoadSoundfont(benchmark::State& state) {
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, quiet, nullptr);
  const char* sf = soundfont();
  if (!sf) {
    state.SkipWithError("no General MIDI soundfont installed");
    return;
  }
  fluid_settings_t* s = saver_settings(true);
  for (auto _ : state) {
    fluid_synth_t* synth = new_fluid_synth(s);
    benchmark::DoNotOptimize(fluid_synth_sfload(synth, sf, 1));
    delete_fluid_synth(synth);
  }
  delete_fluid_settings(s);
  state.SetLabel(sf);
}
BENCHMARK(BM_LoadSoundfont)->Unit(benchmark::kMillisecond);

void BM_CheckSoundsAndSongs(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> waves, songs;
  for (const auto& e : fs::directory_iterator(VEXMOOR_MEDIA_DIR)) {
    const std::string ext = e.path().extension().string();
    if (ext == ".wav") waves.push_back(read_bytes(e.path()));
    if (ext == ".Mid" || ext == ".mid") songs.push_back(read_bytes(e.path()));
  }
  if (waves.empty()) {
    state.SkipWithError("no sounds (build the media target)");
    return;
  }
  for (auto _ : state) {
    int good = 0;
    for (const auto& w : waves) good += parse_wave(w).has_value();
    for (const auto& m : songs) good += parse_midi(m).has_value();
    benchmark::DoNotOptimize(good);
  }
  state.SetLabel(std::to_string(waves.size() + songs.size()) + " files");
}
BENCHMARK(BM_CheckSoundsAndSongs)->Unit(benchmark::kMicrosecond);

// One second of the first song at 44.1 kHz, reverb and chorus on or off
// (first argument), with FluidSynth's interpolation (second: 1 linear, 4 the
// fourth-order default): the music's share of the saver's processor time.
void BM_RenderSongSecond(benchmark::State& state) {
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, quiet, nullptr);
  const char* sf = soundfont();
  const fs::path song = fs::path(VEXMOOR_MEDIA_DIR) / "v_song0.Mid";
  if (!sf || !fs::is_regular_file(song)) {
    state.SkipWithError("no soundfont or no song");
    return;
  }
  const std::vector<uint8_t> bytes = read_bytes(song);
  fluid_settings_t* s = saver_settings(state.range(0) != 0);
  fluid_synth_t* synth = new_fluid_synth(s);
  fluid_synth_sfload(synth, sf, 1);
  fluid_synth_set_interp_method(synth, -1, static_cast<int>(state.range(1)));
  fluid_player_t* player = nullptr;
  auto restart = [&] {
    if (player) delete_fluid_player(player);
    player = new_fluid_player(synth);
    fluid_player_add_mem(player, bytes.data(), bytes.size());
    fluid_player_play(player);
  };
  restart();
  std::vector<int16_t> stereo(2 * 512);
  for (auto _ : state) {
    for (int block = 0; block < 44100 / 512; ++block) {
      if (fluid_player_get_status(player) != FLUID_PLAYER_PLAYING) restart();
      fluid_synth_write_s16(synth, 512, stereo.data(), 0, 2, stereo.data(), 1, 2);
    }
    benchmark::DoNotOptimize(stereo[0]);
  }
  delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(s);
}
BENCHMARK(BM_RenderSongSecond)->Args({1, 4})->Args({0, 4})->Args({1, 1})->Args({0, 1})->Unit(benchmark::kMillisecond);

// The message laid out across a 1024-pixel screen, as its label is drawn the
// first time (its picture is kept after that): 100 KB of Latin, of which a
// screen's width is measured, and lines of Hebrew, Arabic and Japanese with
// the faces fontconfig found for them (found once, on the first call).
void BM_LayOutMessage(benchmark::State& state) {
  std::string text;
  switch (state.range(0)) {
    case 0:
      while (text.size() < 100 * 1024) text += "Happy Halloween from the graveyard! ";
      state.SetLabel("100 KB of Latin");
      break;
    case 1:
      text = "  שלום עולם! ברוכים הבאים לבית הקברות  ";
      state.SetLabel("Hebrew");
      break;
    case 2:
      text = "  مرحبا بكم في المقبرة، عيد هالوين سعيد  ";
      state.SetLabel("Arabic");
      break;
    default:
      text = "  ハッピーハロウィン！墓地へようこそ  ";
      state.SetLabel("Japanese");
      break;
  }
  for (auto _ : state) benchmark::DoNotOptimize(label_text::lay_out(text, 1024, LabelAlign::kCentre).runs.size());
}
BENCHMARK(BM_LayOutMessage)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vex
