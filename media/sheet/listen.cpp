// vexmoor_mediasheet --media DIR --out DIR [--soundfont FILE]
// The listening sheet: renders every song through FluidSynth as the saver
// will play it, and draws one picture with a spectrogram of every sound and
// every song (its level drawn over it), plus a table of lengths, peaks and
// loudness (EBU R128, by libebur128).
// It is for people judging the media; nothing reads its output.
#include "../gen/audio.hpp"
#include "../gen/loudness.hpp"
#include "os/linux/song_level.h"

#include <cairo.h>
#include <fluidsynth.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace mediagen;

namespace {

struct Clip {
  std::string file, what;
  int rate = 0;
  std::vector<float> mono;  // channels averaged, for the picture
  double peak = 0, seconds = 0;
  Loudness loud;  // as the saver plays it
  bool ended = true;
};

// The saver's mix: the effects go through the mixer at 104 of 128, the
// music comes out of FluidSynth at a gain of 0.45, moved to the level the
// song device holds every song to.
constexpr double kEffectsGain = 104.0 / 128, kMusicGain = 0.45;

std::vector<unsigned char> slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const std::vector<unsigned char>& d, std::size_t o, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | d[o + std::size_t(i)];
  return v;
}

void measure(Clip& c, const std::vector<float>& interleaved, int channels, double gain) {
  for (float v : interleaved) c.peak = std::max(c.peak, double(std::fabs(v)));
  c.loud = measure_loudness(interleaved.data(), interleaved.size() / std::size_t(channels), channels, c.rate, gain);
  c.mono.resize(interleaved.size() / std::size_t(channels));
  for (std::size_t i = 0; i < c.mono.size(); ++i) {
    double s = 0;
    for (int k = 0; k < channels; ++k) s += interleaved[i * std::size_t(channels) + std::size_t(k)];
    c.mono[i] = float(s / channels);
  }
  c.seconds = double(c.mono.size()) / c.rate;
}

bool read_wav(const std::string& path, Clip& c) {
  auto d = slurp(path);
  if (d.size() < 44 || std::memcmp(d.data(), "RIFF", 4) || std::memcmp(d.data() + 8, "WAVE", 4)) return false;
  int channels = 0;
  for (std::size_t o = 12; o + 8 <= d.size();) {
    std::uint32_t size = le(d, o + 4, 4);
    if (!std::memcmp(d.data() + o, "fmt ", 4)) {
      channels = int(le(d, o + 10, 2));
      c.rate = int(le(d, o + 12, 4));
    } else if (!std::memcmp(d.data() + o, "data", 4) && channels > 0) {
      std::vector<float> pcm(std::min<std::size_t>(size, d.size() - o - 8) / 2);
      for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = float(std::int16_t(le(d, o + 8 + 2 * i, 2)) / 32768.0);
      measure(c, pcm, channels, kEffectsGain);
      return true;
    }
    o += 8 + size + (size & 1);
  }
  return false;
}

// A song as the saver plays it: a synth and a player with no audio driver,
// rendered until the player reports it is done.
bool render_song(const std::string& path, const std::string& soundfont, Clip& c) {
  c.rate = 22050;
  fluid_settings_t* st = new_fluid_settings();
  fluid_settings_setnum(st, "synth.sample-rate", c.rate);
  fluid_settings_setnum(st, "synth.gain", kMusicGain);
  fluid_settings_setint(st, "synth.dynamic-sample-loading", 1);
  fluid_settings_setstr(st, "player.timing-source", "sample");
  fluid_synth_t* synth = new_fluid_synth(st);
  fluid_player_t* player = nullptr;
  bool ok = fluid_synth_sfload(synth, soundfont.c_str(), 1) != FLUID_FAILED;
  std::vector<float> pcm;
  if (ok) {
    player = new_fluid_player(synth);
    ok = fluid_player_add(player, path.c_str()) == FLUID_OK && fluid_player_play(player) == FLUID_OK;
  }
  const int block = 512;
  float l[block], r[block];
  long limit = long(c.rate) * 400;
  while (ok && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && long(pcm.size()) < 2 * limit) {
    fluid_synth_write_float(synth, block, l, 0, 1, r, 0, 1);
    for (int i = 0; i < block; ++i) {
      pcm.push_back(l[i]);
      pcm.push_back(r[i]);
    }
  }
  c.ended = ok && fluid_player_get_status(player) == FLUID_PLAYER_DONE;
  if (player) delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(st);
  // The player lingers about two seconds after the last event; the
  // song's length is where its sound has died away.
  std::size_t end = pcm.size();
  while (end >= 2 && std::fabs(pcm[end - 1]) < 1e-4f && std::fabs(pcm[end - 2]) < 1e-4f) end -= 2;
  pcm.resize(end);
  if (ok) {
    // At the level the saver's song device measures for it on this
    // soundfont (at this same rate).
    measure(c, pcm, 2, 1);
    const double scale = vex::song_level::gain_for(vex::song_level::Level{c.loud.integrated, c.peak}) / kMusicGain;
    for (float& v : pcm) v = float(v * scale);
    c.peak = 0;
    measure(c, pcm, 2, 1);
  }
  return ok;
}

// What the table says about a song besides its levels: its instruments,
// the range of its tempo and how many channels sound together at most.
std::string describe_smf(const std::string& path) {
  auto d = slurp(path);
  if (d.size() < 14 || std::memcmp(d.data(), "MThd", 4)) return "not a MIDI file";
  int tracks = (d[10] << 8) | d[11];
  std::set<int> programs;
  double slow = 1e9, fast = 0;
  std::size_t o = 14;
  for (int t = 0; t < tracks && o + 8 <= d.size(); ++t) {
    std::size_t len = (std::size_t(d[o + 4]) << 24) | (std::size_t(d[o + 5]) << 16) | (d[o + 6] << 8) | d[o + 7];
    std::size_t p = o + 8, end = std::min(d.size(), p + len);
    unsigned char status = 0;
    while (p < end) {
      while (p < end && (d[p++] & 0x80)) {}
      if (p >= end) break;
      if (d[p] & 0x80) status = d[p++];
      if (status == 0xFF) {
        unsigned char type = d[p++];
        std::size_t n = 0;
        while (p < end) {
          n = (n << 7) | (d[p] & 0x7F);
          if (!(d[p++] & 0x80)) break;
        }
        if (type == 0x51 && n == 3) {
          double bpm = 60000000.0 / ((d[p] << 16) | (d[p + 1] << 8) | d[p + 2]);
          slow = std::min(slow, bpm);
          fast = std::max(fast, bpm);
        }
        p += n;
      } else if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) {
        if ((status & 0xF0) == 0xC0 && (status & 15) != 9) programs.insert(d[p]);
        p += 1;
      } else {
        p += 2;
      }
    }
    o = end;
  }
  std::string s = std::to_string(tracks) + " tracks, tempo ";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f-%.0f", slow, fast);
  s += buf;
  s += ", GM programs";
  for (int p : programs) {
    s += ' ';
    s += std::to_string(p + 1);
  }
  return s;
}

void colour(double v, double& r, double& g, double& b) {
  // Black through violet and red to pale yellow.
  v = clamp01(v);
  r = clamp01(v * 2.2 - 0.2);
  g = clamp01(v * 2.0 - 1.0);
  b = clamp01(v < 0.35 ? v * 2.4 : (0.85 - v) * 1.8) + clamp01(v - 0.9) * 6;
}

// Log-frequency spectrogram of a clip into the cell at (x0, y0), with the
// short-term level (dBFS over 46 ms) drawn over it as a white line.
void draw_spectrogram(cairo_t* cr, const Clip& c, double x0, double y0, int w, int h) {
  const int n = 2048;
  std::vector<double> window(n);
  for (int i = 0; i < n; ++i) window[std::size_t(i)] = 0.5 - 0.5 * std::cos(kTau * i / (n - 1));
  double fmin = 40, fmax = std::min(16000.0, c.rate * 0.48);
  std::vector<std::vector<double>> db(std::size_t(w), std::vector<double>(std::size_t(h), -200));
  std::vector<double> loud(std::size_t(w), -120);
  double top = -200;
  for (int x = 0; x < w; ++x) {
    double centre = (x + 0.5) / w * double(c.mono.size());
    std::vector<std::complex<double>> buf(n);
    double e = 0;
    for (int i = 0; i < n; ++i) {
      long k = long(centre) - n / 2 + i;
      double v = (k >= 0 && k < long(c.mono.size())) ? c.mono[std::size_t(k)] : 0.0;
      e += v * v;
      buf[std::size_t(i)] = v * window[std::size_t(i)];
    }
    loud[std::size_t(x)] = 10 * std::log10(e / n + 1e-12);
    fft(buf, false);
    for (int y = 0; y < h; ++y) {
      double fa = fmin * std::pow(fmax / fmin, double(h - 1 - y) / h);
      double fb = fmin * std::pow(fmax / fmin, double(h - y) / h);
      int ba = int(fa * n / c.rate), bb = std::max(ba, int(fb * n / c.rate));
      double m = 0;
      for (int k = ba; k <= bb && k < n / 2; ++k) m = std::max(m, std::abs(buf[std::size_t(k)]));
      double v = 20 * std::log10(m * 2 / (n / 2.0) + 1e-9);
      db[std::size_t(x)][std::size_t(y)] = v;
      top = std::max(top, v);
    }
  }
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_surface_flush(img);
  unsigned char* data = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double r, g, b;
      colour((db[std::size_t(x)][std::size_t(y)] - (top - 80)) / 80, r, g, b);
      reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * std::size_t(stride))[x] =
          (std::uint32_t(r * 255) << 16) | (std::uint32_t(g * 255) << 8) | std::uint32_t(b * 255);
    }
  cairo_surface_mark_dirty(img);
  cairo_set_source_surface(cr, img, x0, y0);
  cairo_paint(cr);
  cairo_surface_destroy(img);
  // Octave lines at 100 Hz, 1 kHz and 10 kHz for reading pitches.
  cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
  cairo_set_line_width(cr, 1);
  for (double f : {100.0, 1000.0, 10000.0}) {
    if (f > fmax) continue;
    double y = y0 + h - h * std::log(f / fmin) / std::log(fmax / fmin);
    cairo_move_to(cr, x0, y);
    cairo_line_to(cr, x0 + w, y);
  }
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
  cairo_set_line_width(cr, 1.2);
  for (int x = 0; x < w; ++x) {
    double y = y0 + h * (-loud[std::size_t(x)] / 60.0);
    y = std::clamp(y, y0, y0 + h);
    if (x == 0) cairo_move_to(cr, x0, y);
    else cairo_line_to(cr, x0 + x, y);
  }
  cairo_stroke(cr);
}

double dbfs(double v) { return v > 0 ? 20 * std::log10(v) : -99; }

// The softest 10 s of a song, leaving out its last 10 s where it fades,
// and the second it starts at.
double quietest_stretch(const Clip& c, int* startsAt = nullptr) {
  double q = 200;
  for (std::size_t i = 0; i < c.loud.tenSeconds.size(); ++i)
    if (10.0 + double(i) <= c.seconds - 10 && c.loud.tenSeconds[i] < q) {
      q = c.loud.tenSeconds[i];
      if (startsAt) *startsAt = int(i);
    }
  return q;
}

}  // namespace

int main(int argc, char** argv) {
  std::string media, out, soundfont = "/usr/share/sounds/sf2/default-GM.sf2";
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--media")) media = argv[i + 1];
    else if (!std::strcmp(argv[i], "--out")) out = argv[i + 1];
    else if (!std::strcmp(argv[i], "--soundfont")) soundfont = argv[i + 1];
  }
  if (media.empty() || out.empty()) {
    std::fprintf(stderr, "usage: %s --media DIR --out DIR [--soundfont FILE]\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(out);
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
  fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
  std::vector<Clip> sounds(12), songs(12);
  int failures = 0;
  std::string table =
      "Loudness (EBU R128, libebur128) as the saver plays it: effects through the mixer at 104/128,\n"
      "music from FluidSynth at the level the saver measures for each song. I: integrated; M max: loudest 400 ms.\n\n"
      "file             length   peak dBFS    I LUFS  M max LUFS\n";
  double effectsEnergy = 0;
  for (int i = 0; i < 12; ++i) {
    Clip& c = sounds[std::size_t(i)];
    c.file = "v_sound" + std::to_string(i) + ".wav";
    if (!read_wav(media + "/" + c.file, c)) {
      std::fprintf(stderr, "mediasheet: cannot read %s\n", c.file.c_str());
      ++failures;
    }
    effectsEnergy += std::pow(10.0, c.loud.momentaryPeak / 10) / 12;
    char line[200];
    std::snprintf(line, sizeof line, "%-15s %6.2f s  %8.1f  %8.1f  %8.1f\n", c.file.c_str(), c.seconds, dbfs(c.peak),
                  c.loud.integrated, c.loud.momentaryPeak);
    table += line;
  }
  // Without a soundfont the sheet still shows the sounds; a build machine
  // without one is not broken for that.
  bool haveFont = std::filesystem::exists(soundfont);
  table += haveFont ? "\nsongs, rendered with " + soundfont +
                          "\n(quietest 10 s: the softest stretch but the last 10 s, against the song's own I)\n"
                          "file             length   peak dBFS    I LUFS  M max LUFS  quietest 10 s\n"
                    : "\nsongs not rendered: no soundfont at " + soundfont + "\n";
  double musicEnergy = 0, lo = 1e9, hi = -1e9;
  for (int i = 0; haveFont && i < 12; ++i) {
    Clip& c = songs[std::size_t(i)];
    c.file = "v_song" + std::to_string(i) + ".Mid";
    if (!render_song(media + "/" + c.file, soundfont, c)) {
      std::fprintf(stderr, "mediasheet: cannot render %s\n", c.file.c_str());
      ++failures;
    }
    c.what = describe_smf(media + "/" + c.file);
    musicEnergy += std::pow(10.0, c.loud.integrated / 10) / 12;
    lo = std::min(lo, c.loud.integrated);
    hi = std::max(hi, c.loud.integrated);
    char line[400];
    int at = 0;
    double q = quietest_stretch(c, &at) - c.loud.integrated;
    std::snprintf(line, sizeof line, "%-15s %6.1f s  %8.1f  %8.1f  %8.1f  %+6.1f LU at %3d s  %s%s\n", c.file.c_str(),
                  c.seconds, dbfs(c.peak), c.loud.integrated, c.loud.momentaryPeak, q, at, c.what.c_str(),
                  c.ended ? "" : "  (did not end)");
    table += line;
  }
  if (haveFont) {
    char line[300];
    std::snprintf(line, sizeof line,
                  "\nsongs' I from %.1f to %.1f LUFS; effects (power mean of their M max) %.1f LUFS, music (power mean "
                  "of the songs' I) %.1f LUFS: effects %+.1f LU over the music\n",
                  lo, hi, 10 * std::log10(effectsEnergy), 10 * std::log10(musicEnergy),
                  10 * std::log10(effectsEnergy / musicEnergy));
    table += line;
  }
  if (FILE* f = std::fopen((out + "/listening.txt").c_str(), "w")) {
    std::fputs(table.c_str(), f);
    std::fclose(f);
  }

  const int cw = 640, ch = 112, label = 18, pad = 10;
  const int W = 2 * cw + 3 * pad, H = 12 * (ch + label + pad) + pad + 24;
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t* cr = cairo_create(sheet);
  cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
  cairo_move_to(cr, pad, 16);
  cairo_show_text(cr,
                  "Sounds (each over its own length)        Songs (each over its own length; 40 Hz to 11 kHz, "
                  "log scale; white: level, top 0 dBFS, bottom -60 dBFS)");
  for (int col = 0; col < 2; ++col)
    for (int i = 0; i < 12; ++i) {
      const Clip& c = (col ? songs : sounds)[std::size_t(i)];
      double x = pad + col * (cw + pad), y = 24 + pad + i * (ch + label + pad);
      char text[300];
      std::snprintf(text, sizeof text, "%s  %.2f s  peak %.1f dBFS  I %.1f LUFS  M max %.1f LUFS", c.file.c_str(),
                    c.seconds, dbfs(c.peak), c.loud.integrated, c.loud.momentaryPeak);
      cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
      cairo_move_to(cr, x, y + 13);
      cairo_show_text(cr, text);
      if (!c.mono.empty()) draw_spectrogram(cr, c, x, y + label, cw, ch);
    }
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(sheet, (out + "/listening.png").c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(sheet);
  return failures || !ok ? 1 : 0;
}
