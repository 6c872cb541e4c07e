// vexmoor_mediagen --out DIR [--sheets DIR]
// Makes every picture, sound and song of the saver from source: pictures as
// 24-bit BMP, sounds as 16-bit PCM WAV, songs as Standard MIDI Files.
#include "compose.hpp"
#include "loudness.hpp"
#include "parts.hpp"
#include "songs.hpp"
#include "sounds.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>

using namespace mediagen;

int main(int argc, char** argv) {
  std::string out, sheets;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) out = argv[++i];
    else if (!std::strcmp(argv[i], "--sheets") && i + 1 < argc) sheets = argv[++i];
    else {
      std::fprintf(stderr, "usage: %s --out DIR [--sheets DIR]\n", argv[0]);
      return 2;
    }
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: %s --out DIR [--sheets DIR]\n", argv[0]);
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (!sheets.empty()) std::filesystem::create_directories(sheets, ec);

  // The scene layers are shared by several makers; build them before the
  // makers run side by side.
  scene_layers();

  // Sounds take longest; they start first. Each job makes its own file
  // from its own seeds, so the order they finish in changes nothing.
  const auto& sounds = sound_table();
  std::vector<std::future<Sound>> soundJobs;
  for (const SoundEntry& e : sounds)
    soundJobs.push_back(std::async(std::launch::async, [&e] {
      Sound s = e.make();
      finish(s, e.levelLufs);
      return s;
    }));

  const auto& table = picture_table();
  std::vector<std::future<Image>> jobs;
  for (const Entry& e : table) jobs.push_back(std::async(std::launch::async, [&e] { return e.make(e.lay); }));

  Library lib;
  int failures = 0;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const Layout& lay = table[i].lay;
    Image img = jobs[i].get();
    std::string problem = check_layout(lay, img);
    if (!problem.empty()) {
      std::fprintf(stderr, "mediagen: %s\n", problem.c_str());
      ++failures;
      continue;
    }
    if (!write_bmp(out + "/" + lay.file, img)) {
      std::fprintf(stderr, "mediagen: cannot write %s/%s\n", out.c_str(), lay.file.c_str());
      ++failures;
    }
    lib.emplace(lay.file, std::make_pair(lay, std::move(img)));
  }
  for (const SongEntry& e : song_table()) {
    try {
      if (!write_smf(out + "/" + e.file, e.make())) {
        std::fprintf(stderr, "mediagen: cannot write %s/%s\n", out.c_str(), e.file.c_str());
        ++failures;
      }
    } catch (const std::exception& ex) {
      // A score that does not add up (a bar too long, a bad note name).
      std::fprintf(stderr, "mediagen: %s: %s\n", e.file.c_str(), ex.what());
      ++failures;
    }
  }

  std::string levels;
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    Sound s = soundJobs[i].get();
    if (!write_wav(out + "/" + sounds[i].file, s)) {
      std::fprintf(stderr, "mediagen: cannot write %s/%s\n", out.c_str(), sounds[i].file.c_str());
      ++failures;
    }
    char line[160];
    auto db = [](double v) { return v > 0 ? 20 * std::log10(v) : -99.0; };
    Loudness l = loudness_of(s);
    std::snprintf(line, sizeof line, "%-14s %-11s %5.2f s  %s  peak %6.1f dBFS  I %6.1f LUFS  M max %6.1f LUFS\n",
                  sounds[i].file.c_str(), sounds[i].name.c_str(), s.seconds(), s.stereo() ? "stereo" : "mono  ",
                  db(peak_of(s)), l.integrated, l.momentaryPeak);
    levels += line;
  }
  if (failures) return 1;
  if (!sheets.empty()) {
    if (FILE* f = std::fopen((sheets + "/sound-levels.txt").c_str(), "w")) {
      std::fputs(levels.c_str(), f);
      std::fclose(f);
    }
  }
  if (!sheets.empty()) write_sheets(sheets, lib);
  return 0;
}
