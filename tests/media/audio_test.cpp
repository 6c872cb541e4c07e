// Checks the generated sound effects and songs the way the saver and the
// dialog use them: well-formed WAV and Standard MIDI files, lengths that fit
// where they are played, levels under the peak limit, loudness (EBU R128 by
// libebur128) in proportion as the saver mixes them, thunder that follows
// its lightning, a rough scream, songs that start where the dialog starts
// them, and songs that really play, end and are equally loud in FluidSynth,
// as the saver plays them on each General MIDI soundfont installed.
#include <ebur128.h>
#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "os/linux/song_level.h"
#include "os/media_files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDir = VEXMOOR_MEDIA_TEST_DIR;
const char* const kSoundfont = "/usr/share/sounds/sf2/default-GM.sf2";

std::vector<unsigned char> slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le(const std::vector<unsigned char>& d, std::size_t o, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | d[o + std::size_t(i)];
  return v;
}

std::uint32_t be(const std::vector<unsigned char>& d, std::size_t o, int n) {
  std::uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | d[o + std::size_t(i)];
  return v;
}

double db(double v) { return v > 0 ? 20 * std::log10(v) : -200; }

// ---- Sounds -------------------------------------------------------------

struct Wav {
  std::string error;  // empty when the file is a well-formed 16-bit PCM RIFF/WAVE
  int channels = 0, rate = 0;
  std::vector<std::vector<double>> ch;  // samples per channel, -1..1
  double seconds() const { return ch.empty() ? 0 : double(ch[0].size()) / rate; }
};

Wav read_wav(const fs::path& p) {
  Wav w;
  auto d = slurp(p);
  if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) || std::memcmp(d.data() + 8, "WAVE", 4))
    return w.error = "not RIFF/WAVE", w;
  if (le(d, 4, 4) + 8 != d.size()) return w.error = "RIFF size does not match the file", w;
  bool fmt = false;
  for (std::size_t o = 12; o + 8 <= d.size();) {
    std::uint32_t size = le(d, o + 4, 4);
    if (o + 8 + size > d.size()) return w.error = "chunk runs past the end", w;
    if (!std::memcmp(d.data() + o, "fmt ", 4)) {
      if (size < 16 || le(d, o + 8, 2) != 1) return w.error = "not PCM", w;
      w.channels = int(le(d, o + 10, 2));
      w.rate = int(le(d, o + 12, 4));
      int bits = int(le(d, o + 22, 2)), align = int(le(d, o + 20, 2));
      if (bits != 16) return w.error = "not 16-bit", w;
      if (align != 2 * w.channels || le(d, o + 16, 4) != std::uint32_t(w.rate * align))
        return w.error = "block align or byte rate is wrong", w;
      fmt = true;
    } else if (!std::memcmp(d.data() + o, "data", 4)) {
      if (!fmt) return w.error = "data before fmt", w;
      if (size % std::uint32_t(2 * w.channels)) return w.error = "data is not whole frames", w;
      std::size_t frames = size / std::size_t(2 * w.channels);
      w.ch.assign(std::size_t(w.channels), std::vector<double>(frames));
      for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < w.channels; ++c)
          w.ch[std::size_t(c)][i] =
              std::int16_t(le(d, o + 8 + (i * std::size_t(w.channels) + std::size_t(c)) * 2, 2)) / 32768.0;
      return w;
    }
    o += 8 + size + (size & 1);
  }
  return w.error = "no data chunk", w;
}

double peak(const Wav& w) {
  double p = 0;
  for (const auto& c : w.ch)
    for (double v : c) p = std::max(p, std::fabs(v));
  return p;
}

// RMS of the loudest 400 ms, over all channels: how loud a sound is heard.
double loudest(const Wav& w) {
  std::size_t n = w.ch[0].size(), win = std::min<std::size_t>(n, std::size_t(w.rate * 0.4));
  double e = 0, best = 0;
  auto sq = [&](std::size_t i) {
    double s = 0;
    for (const auto& c : w.ch) s += c[i] * c[i];
    return s / double(w.ch.size());
  };
  for (std::size_t i = 0; i < n; ++i) {
    e += sq(i);
    if (i >= win) e -= sq(i - win);
    best = std::max(best, e);
  }
  return std::sqrt(best / double(win));
}

// The fundamental of the loudest 100 ms by autocorrelation, 60..1500 Hz.
double pitch(const Wav& w) {
  const auto& x = w.ch[0];
  std::size_t win = std::size_t(w.rate / 10), best = 0;
  double bestE = 0;
  for (std::size_t i = 0; i + win < x.size(); i += win / 4) {
    double e = 0;
    for (std::size_t k = 0; k < win; ++k) e += x[i + k] * x[i + k];
    if (e > bestE) bestE = e, best = i;
  }
  int lo = w.rate / 1500, hi = w.rate / 60, lag = lo;
  double top = -1;
  for (int l = lo; l <= hi; ++l) {
    double r = 0;
    for (std::size_t k = 0; k + std::size_t(l) < win; ++k) r += x[best + k] * x[best + k + std::size_t(l)];
    if (r > top) top = r, lag = l;
  }
  return double(w.rate) / lag;
}

struct SoundSpec {
  const char* file;
  const char* name;
  double minSeconds, maxSeconds;
};

// Lengths as the saver plays them: the thunder ends before its restart (48
// ticks of 70 ms), the crow is short, the footsteps (one step) must be done
// before their next play.
const SoundSpec kSounds[] = {
    {"v_sound0.wav", "Greetings", 2, 5},    {"v_sound1.wav", "BloodDrip", 0.2, 1},
    {"v_sound2.wav", "Thunder", 2.5, 3.36}, {"v_sound3.wav", "Crow", 0.6, 1.5},
    {"v_sound4.wav", "Owl", 1, 2},          {"v_sound5.wav", "FootSteps", 0.15, 0.4},
    {"v_sound6.wav", "WereWolf", 2, 4},     {"v_sound7.wav", "LaughII", 2, 4},
    {"v_sound8.wav", "ScreamI", 1, 3},      {"v_sound9.wav", "Ghost", 2, 5},
    {"v_sound10.wav", "LaughI", 2, 4},      {"v_sound11.wav", "ScreamII", 1, 3},
};

void PrintTo(const SoundSpec& s, std::ostream* os) { *os << s.file; }

const Wav& sound(const std::string& file) {
  static std::map<std::string, Wav> cache;
  auto it = cache.find(file);
  if (it == cache.end()) it = cache.emplace(file, read_wav(kDir / file)).first;
  return it->second;
}

class MediaSound : public testing::TestWithParam<SoundSpec> {};

TEST_P(MediaSound, IsA16BitPcmWaveOfItsLength) {
  const SoundSpec& s = GetParam();
  ASSERT_TRUE(fs::exists(kDir / s.file)) << "the generator did not write it";
  const Wav& w = sound(s.file);
  ASSERT_EQ(w.error, "");
  EXPECT_TRUE(w.rate == 44100 || w.rate == 22050) << w.rate;
  EXPECT_TRUE(w.channels == 1 || w.channels == 2) << w.channels;
  EXPECT_GE(w.seconds(), s.minSeconds);
  EXPECT_LE(w.seconds(), s.maxSeconds);
}

TEST_P(MediaSound, PeaksUnderOneDecibelBelowFullScaleAndStartsAndEndsQuietly) {
  const Wav& w = sound(GetParam().file);
  ASSERT_EQ(w.error, "");
  EXPECT_LE(db(peak(w)), -1.0);
  EXPECT_GT(db(loudest(w)), -30.0) << "far too quiet";
  // A fade at each end: no click when a play starts or is cut off by its end.
  for (const auto& c : w.ch) {
    EXPECT_LT(std::fabs(c.front()), 0.002);
    EXPECT_LT(std::fabs(c.back()), 0.002);
  }
}

std::string sound_name(const testing::TestParamInfo<SoundSpec>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Media, MediaSound, testing::ValuesIn(kSounds), sound_name);

// ---- Loudness (EBU R128 through libebur128) --------------------------------

// The saver's mix: effects through the mixer at 104 of 128, the music at
// the level the song device holds every song to.
constexpr double kEffectsGain = 104.0 / 128;
// Every song's integrated loudness as the saver plays it, within 1.5 LU.
constexpr double kMusicLufs = -27;

struct Loudness {
  double integrated = -200, momentaryPeak = -200;
};

// Interleaved frames as played (a mono sound on both speakers), fed 10 ms
// at a time for the loudest 400 ms, with 400 ms of silence after them so
// that a sound shorter than one block is measured too.
Loudness loudness(const std::vector<float>& interleaved, int channels, int rate, double gain) {
  Loudness l;
  ebur128_state* st = ebur128_init(unsigned(channels), unsigned(rate), EBUR128_MODE_I);
  if (!st) return l;
  if (channels == 1) ebur128_set_channel(st, 0, EBUR128_DUAL_MONO);
  std::size_t frames = interleaved.size() / std::size_t(channels), step = std::size_t(rate) / 100;
  std::vector<float> block(step * std::size_t(channels));
  for (std::size_t at = 0; at < frames + std::size_t(rate) * 4 / 10; at += step) {
    for (std::size_t i = 0; i < block.size(); ++i) {
      std::size_t k = at * std::size_t(channels) + i;
      block[i] = k < interleaved.size() ? float(interleaved[k] * gain) : 0.0f;
    }
    ebur128_add_frames_float(st, block.data(), step);
    double m;
    if (ebur128_loudness_momentary(st, &m) == EBUR128_SUCCESS) l.momentaryPeak = std::max(l.momentaryPeak, m);
  }
  double g;
  if (ebur128_loudness_global(st, &g) == EBUR128_SUCCESS) l.integrated = std::max(g, -200.0);
  ebur128_destroy(&st);
  return l;
}

const Loudness& played(const std::string& file) {
  static std::map<std::string, Loudness> cache;
  auto it = cache.find(file);
  if (it == cache.end()) {
    const Wav& w = sound(file);
    std::vector<float> x;
    for (std::size_t i = 0; i < (w.ch.empty() ? 0 : w.ch[0].size()); ++i)
      for (const auto& c : w.ch) x.push_back(float(c[i]));
    it = cache.emplace(file, loudness(x, std::max(1, w.channels), w.rate > 0 ? w.rate : 44100, kEffectsGain)).first;
  }
  return it->second;
}

// The rare shocks: the voices and the thunder.
const char* const kShocks[] = {"v_sound0.wav", "v_sound2.wav",  "v_sound6.wav", "v_sound7.wav",
                               "v_sound8.wav", "v_sound10.wav", "v_sound11.wav"};
// The screams and laughs, and what plays over and over against them.
const char* const kScreamsAndLaughs[] = {"v_sound7.wav", "v_sound8.wav", "v_sound10.wav", "v_sound11.wav"};
const char* const kFrequent[] = {"v_sound1.wav", "v_sound5.wav"};

TEST(MediaSounds, TheShocksAreEquallyLoud) {
  double lo = 1e9, hi = -1e9;
  std::string quiet, loud;
  for (const char* f : kShocks) {
    ASSERT_EQ(sound(f).error, "") << f;
    double m = played(f).momentaryPeak;
    if (m < lo) lo = m, quiet = f;
    if (m > hi) hi = m, loud = f;
  }
  EXPECT_LE(hi - lo, 1.5) << loud << " is " << hi - lo << " LU louder than " << quiet;
}

TEST(MediaSounds, TheFrequentOnesSitSixToEightUnderTheScreamsAndLaughs) {
  for (const char* f : kFrequent) {
    ASSERT_EQ(sound(f).error, "") << f;
    for (const char* shock : kScreamsAndLaughs) {
      double under = played(shock).momentaryPeak - played(f).momentaryPeak;
      EXPECT_GE(under, 6.0) << f << " against " << shock;
      EXPECT_LE(under, 8.0) << f << " against " << shock;
    }
  }
}

TEST(MediaSounds, TheEffectsSitAboutSixAboveTheMusic) {
  // Each effect as loud as it is heard (its loudest 400 ms), averaged as
  // power, against the level every song is held to.
  double energy = 0;
  for (const auto& s : kSounds) {
    ASSERT_EQ(sound(s.file).error, "") << s.file;
    energy += std::pow(10.0, played(s.file).momentaryPeak / 10) / std::size(kSounds);
  }
  double over = 10 * std::log10(energy) - kMusicLufs;
  EXPECT_GE(over, 4.5);
  EXPECT_LE(over, 7.5);
}

TEST(MediaSounds, TheFootstepsFileHoldsOneStep) {
  // Energy in 5 ms frames: a step is a rise to within 10 dB of the
  // loudest frame from more than 20 dB under it (the silence before the
  // first step counts as that).
  const Wav& w = sound("v_sound5.wav");
  ASSERT_EQ(w.error, "");
  std::size_t frame = std::size_t(w.rate / 200);
  std::vector<double> level;
  for (std::size_t i = 0; i + frame <= w.ch[0].size(); i += frame) {
    double e = 0;
    for (const auto& c : w.ch)
      for (std::size_t k = 0; k < frame; ++k) e += c[i + k] * c[i + k];
    level.push_back(10 * std::log10(e / double(frame * w.ch.size()) + 1e-20));
  }
  ASSERT_FALSE(level.empty());
  double top = *std::max_element(level.begin(), level.end());
  bool died = true;
  int steps = 0;
  for (double l : level) {
    if (l < top - 20) died = true;
    if (died && l > top - 10) ++steps, died = false;
  }
  EXPECT_EQ(steps, 1);
}

TEST(MediaSounds, VoicesHaveThePitchOfWhatTheyAre) {
  // The witch cackles high, the deep laugh and the owl stay low; the two
  // laughs are told apart by ear first of all by this.
  double witch = pitch(sound("v_sound10.wav")), deep = pitch(sound("v_sound7.wav"));
  double owl = pitch(sound("v_sound4.wav")), scream = pitch(sound("v_sound8.wav"));
  EXPECT_GT(witch, 450) << "Laugh I";
  EXPECT_LT(deep, 200) << "Laugh II";
  EXPECT_GT(witch, 3 * deep);
  EXPECT_LT(owl, 500) << "Owl";
  EXPECT_GT(scream, 700) << "Scream I";
}

// ---- Scream I: a throat at its limit, not a siren -------------------------

// The pitch of a voice every 10 ms from `from` to `to` seconds (30 ms
// windows, normalised autocorrelation between `lo` and `hi` Hz, refined
// between lags), and how clear each period is (1: no noise at all).
struct PitchTrack {
  std::vector<double> hz, clarity;
};

PitchTrack track_pitch(const Wav& w, double from, double to, double lo, double hi) {
  std::vector<double> x(w.ch[0].size());
  for (const auto& c : w.ch)
    for (std::size_t i = 0; i < x.size(); ++i) x[i] += c[i] / double(w.ch.size());
  PitchTrack p;
  int win = w.rate * 30 / 1000, hop = w.rate / 100, minLag = int(w.rate / hi), maxLag = int(w.rate / lo);
  for (int st = int(from * w.rate); st + win + maxLag + 1 < int(x.size()) && st < int(to * w.rate); st += hop) {
    std::vector<double> r(std::size_t(maxLag + 2));
    double e0 = 0;
    for (int k = 0; k < win; ++k) e0 += x[std::size_t(st + k)] * x[std::size_t(st + k)];
    int lag = minLag;
    for (int l = minLag - 1; l <= maxLag + 1; ++l) {
      double c = 0, e1 = 0;
      for (int k = 0; k < win; ++k) {
        c += x[std::size_t(st + k)] * x[std::size_t(st + k + l)];
        e1 += x[std::size_t(st + k + l)] * x[std::size_t(st + k + l)];
      }
      r[std::size_t(l)] = c / (std::sqrt(e0 * e1) + 1e-12);
      if (l >= minLag && l <= maxLag && r[std::size_t(l)] > r[std::size_t(lag)]) lag = l;
    }
    double a = r[std::size_t(lag - 1)], b = r[std::size_t(lag)], c = r[std::size_t(lag + 1)];
    double shift = 0.5 * (a - c) / (a - 2 * b + c - 1e-12);
    p.hz.push_back(w.rate / (lag + std::clamp(shift, -0.5, 0.5)));
    p.clarity.push_back(b);
  }
  return p;
}

// How periodic a pitch's wavering is: its log pitch less a 0.5 s moving
// average, autocorrelated at lags 80-400 ms (1: a vibrato as regular as a
// siren's; near 0: shaking at random).
double wavering_regularity(const PitchTrack& p) {
  std::size_t n = p.hz.size();
  std::vector<double> res(n);
  for (std::size_t i = 0; i < n; ++i) {
    double s = 0;
    int c = 0;
    for (std::size_t j = i >= 25 ? i - 25 : 0; j <= std::min(n - 1, i + 25); ++j) s += std::log(p.hz[j]), ++c;
    res[i] = std::log(p.hz[i]) - s / c;
  }
  double r0 = 0, best = 0;
  for (double v : res) r0 += v * v;
  for (std::size_t lag = 8; lag <= 40 && lag < n; ++lag) {
    double r = 0;
    for (std::size_t i = 0; i + lag < n; ++i) r += res[i] * res[i + lag];
    best = std::max(best, r / (r0 * double(n - lag) / double(n)));
  }
  return best;
}

TEST(MediaScreamI, ItsPitchShakesIrregularly) {
  const Wav& w = sound("v_sound8.wav");
  ASSERT_EQ(w.error, "");
  PitchTrack p = track_pitch(w, 0.3, 1.4, 900, 2000);  // the held top of the scream
  ASSERT_GT(p.hz.size(), 80u);
  EXPECT_LT(wavering_regularity(p), 0.4);
}

TEST(MediaScreamI, HasBreathTearingThroughIt) {
  const Wav& w = sound("v_sound8.wav");
  ASSERT_EQ(w.error, "");
  PitchTrack p = track_pitch(w, 0.3, 1.4, 900, 2000);
  ASSERT_FALSE(p.clarity.empty());
  double clarity = 0;
  for (double c : p.clarity) clarity += c / double(p.clarity.size());
  EXPECT_LT(clarity, 0.8) << "a clean tone with little air in it";
}

// ---- Thunder against its lightning -----------------------------------------

// The saver's tick, and where its lightning schedule puts the thunder: the
// bolts show 3 and 4 ticks after their thunder starts, and the next
// thunder starts 48 ticks after the one before at the soonest.
constexpr double kTick = 0.070;
constexpr int kBoltShowsAfterTicks = 4, kNextThunderAfterTicks = 48;

// Where a sound first rises to 40 dB under its loudest 5 ms.
double onset(const Wav& w) {
  std::size_t frame = std::size_t(w.rate / 200);
  std::vector<double> e;
  for (std::size_t i = 0; i + frame <= w.ch[0].size(); i += frame) {
    double s = 0;
    for (const auto& c : w.ch)
      for (std::size_t k = 0; k < frame; ++k) s += c[i + k] * c[i + k];
    e.push_back(s);
  }
  double top = *std::max_element(e.begin(), e.end());
  for (std::size_t i = 0; i < e.size(); ++i)
    if (e[i] > top * 1e-4) return double(i * frame) / w.rate;
  return 0;
}

void fft(std::vector<std::complex<double>>& a) {
  std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    std::complex<double> wl = std::polar(1.0, -2 * M_PI / double(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1;
      for (std::size_t j = 0; j < len / 2; ++j, w *= wl) {
        auto u = a[i + j], v = a[i + j + len / 2] * w;
        a[i + j] = u + v, a[i + j + len / 2] = u - v;
      }
    }
  }
}

// The share of the energy from `from` seconds on that lies in lo..hi Hz
// (of all above 20 Hz).
double band_share(const Wav& w, double from, double lo, double hi) {
  std::size_t start = std::size_t(from * w.rate), n = 1;
  if (start >= w.ch[0].size()) return 0;
  while (n < w.ch[0].size() - start) n <<= 1;
  std::vector<std::complex<double>> a(n);
  for (std::size_t i = start; i < w.ch[0].size(); ++i) {
    double v = 0;
    for (const auto& c : w.ch) v += c[i];
    a[i - start] = v;
  }
  fft(a);
  double band = 0, all = 0;
  for (std::size_t k = 1; k < n / 2; ++k) {
    double f = double(k) * w.rate / double(n), e = std::norm(a[k]);
    if (f >= 20) all += e;
    if (f >= lo && f <= hi) band += e;
  }
  return all > 0 ? band / all : 0;
}

TEST(MediaThunder, CracksJustAfterItsBoltIsDrawn) {
  const Wav& w = sound("v_sound2.wav");
  ASSERT_EQ(w.error, "");
  double crack = onset(w);
  EXPECT_GE(crack, kBoltShowsAfterTicks * kTick) << "heard before the bolt is seen";
  EXPECT_LE(crack, kBoltShowsAfterTicks * kTick + 0.1) << "lags far behind its bolt";
}

TEST(MediaThunder, EndsBeforeTheNextThunderStarts) {
  const Wav& w = sound("v_sound2.wav");
  ASSERT_EQ(w.error, "");
  EXPECT_LE(w.seconds(), kNextThunderAfterTicks * kTick);
}

TEST(MediaThunder, RollsInTheBandSmallSpeakersPlay) {
  // From 1.2 s after the crack on: the roll, not the deep bass alone.
  const Wav& w = sound("v_sound2.wav");
  ASSERT_EQ(w.error, "");
  EXPECT_GE(band_share(w, onset(w) + 1.2, 100, 500), 0.5);
}

// ---- Songs --------------------------------------------------------------

struct Smf {
  std::string error;  // empty when the file parsed completely
  int format = -1, division = 0, tracks = 0;
  std::string title;  // the first track's name
  struct NoteOn {
    std::uint32_t tick;
    int channel, key;
  };
  std::vector<NoteOn> ons;
  std::vector<std::pair<std::uint32_t, int>> noteSpans;        // per note-on: its length in ticks
  std::vector<std::pair<std::uint32_t, std::uint32_t>> tempo;  // (tick, microseconds per quarter)
  std::set<int> programs;
  std::uint32_t lastTick = 0;

  // Milliseconds at `tick` through the tempo map (120 a minute before the first).
  double ms(std::uint32_t tick) const {
    double t = 0, us = 500000;
    std::uint32_t at = 0;
    for (auto [k, v] : tempo) {
      if (k >= tick) break;
      t += double(k - at) * us / division / 1000;
      at = k;
      us = v;
    }
    return t + double(tick - at) * us / division / 1000;
  }
};

Smf read_smf(const fs::path& p) {
  Smf s;
  auto d = slurp(p);
  if (d.size() < 14 || std::memcmp(d.data(), "MThd", 4) || be(d, 4, 4) != 6) return s.error = "no MThd", s;
  s.format = int(be(d, 8, 2));
  s.tracks = int(be(d, 10, 2));
  s.division = int(be(d, 12, 2));
  if (s.division <= 0 || s.division >= 0x8000) return s.error = "division is not ticks per quarter", s;
  std::size_t o = 14;
  std::map<std::pair<int, int>, std::pair<std::uint32_t, std::size_t>> sounding;
  for (int t = 0; t < s.tracks; ++t) {
    if (o + 8 > d.size() || std::memcmp(d.data() + o, "MTrk", 4)) return s.error = "missing MTrk", s;
    std::size_t p = o + 8, end = p + be(d, o + 4, 4);
    if (end > d.size()) return s.error = "track runs past the end", s;
    std::uint32_t tick = 0;
    unsigned char status = 0;
    bool ended = false;
    auto var = [&](std::uint32_t& v) {
      v = 0;
      for (int i = 0; i < 4; ++i) {
        if (p >= end) return false;
        unsigned char b = d[p++];
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
      }
      return false;
    };
    while (p < end) {
      if (ended) return s.error = "events after the end of track", s;
      std::uint32_t delta;
      if (!var(delta)) return s.error = "bad delta time", s;
      tick += delta;
      if (d[p] & 0x80) status = d[p++];
      else if (!status) return s.error = "running status with nothing to run", s;
      if (status == 0xFF) {
        unsigned char type = d[p++];
        std::uint32_t n;
        if (!var(n) || p + n > end) return s.error = "bad meta event", s;
        if (type == 0x2F) ended = true;
        if (type == 0x51) s.tempo.push_back({tick, be(d, p, 3)});
        if (type == 0x03 && t == 0) s.title.assign(d.begin() + long(p), d.begin() + long(p + n));
        p += n;
      } else if (status == 0xF0 || status == 0xF7) {
        std::uint32_t n;
        if (!var(n)) return s.error = "bad sysex", s;
        p += n;
      } else {
        int kind = status & 0xF0, ch = status & 15, len = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (p + std::size_t(len) > end) return s.error = "event cut short", s;
        int a = d[p], b = len == 2 ? d[p + 1] : 0;
        if (a > 127 || b > 127) return s.error = "data byte over 127", s;
        p += std::size_t(len);
        if (kind == 0x90 && b > 0) {
          sounding[{ch, a}] = {tick, s.ons.size()};
          s.ons.push_back({tick, ch, a});
          s.noteSpans.push_back({tick, 0});
        } else if (kind == 0x80 || kind == 0x90) {
          auto it = sounding.find({ch, a});
          if (it == sounding.end()) return s.error = "note off without a note on", s;
          s.noteSpans[it->second.second].second = int(tick - it->second.first);
          sounding.erase(it);
        } else if (kind == 0xC0) {
          s.programs.insert(a);
        }
      }
      s.lastTick = std::max(s.lastTick, tick);
    }
    if (!ended) return s.error = "a track has no end-of-track event", s;
    o = end;
  }
  if (!sounding.empty()) return s.error = "a note is never released", s;
  if (o != d.size()) return s.error = "bytes after the last track", s;
  std::sort(s.tempo.begin(), s.tempo.end());
  return s;
}

struct SongSpec {
  const char* file;
  const char* title;
  double startMs;  // where the dialog's listen button starts it
};

const SongSpec kSongs[] = {
    {"v_song0.Mid", "Horror Hill", 0},  {"v_song1.Mid", "Death Toll", 0},  {"v_song2.Mid", "Pipe Organ", 0},
    {"v_song3.Mid", "Descent", 0},      {"v_song4.Mid", "Leviathan", 0},   {"v_song5.Mid", "Demony", 40},
    {"v_song6.Mid", "Nitemare", 0},     {"v_song7.Mid", "Lurker", 0},      {"v_song8.Mid", "Halloween", 0},
    {"v_song9.Mid", "Adams Family", 0}, {"v_song10.Mid", "Thriller", 170}, {"v_song11.Mid", "GhostBusters", 80},
};

void PrintTo(const SongSpec& s, std::ostream* os) { *os << s.file; }

const Smf& song(const std::string& file) {
  static std::map<std::string, Smf> cache;
  auto it = cache.find(file);
  if (it == cache.end()) it = cache.emplace(file, read_smf(kDir / file)).first;
  return it->second;
}

class MediaSong : public testing::TestWithParam<SongSpec> {};

TEST_P(MediaSong, IsAFormatOneMidiFileOfOneToThreeMinutes) {
  const SongSpec& spec = GetParam();
  ASSERT_TRUE(fs::exists(kDir / spec.file)) << "the generator did not write it";
  const Smf& s = song(spec.file);
  ASSERT_EQ(s.error, "");
  EXPECT_EQ(s.format, 1);
  EXPECT_GE(s.tracks, 3) << "a tempo track and at least two voices";
  EXPECT_EQ(s.title, spec.title) << "the song at this index is another one";
  EXPECT_FALSE(s.programs.empty()) << "no General MIDI instrument is chosen";
  double minutes = s.ms(s.lastTick) / 60000;
  EXPECT_GE(minutes, 1.0);
  EXPECT_LE(minutes, 3.0);
}

TEST_P(MediaSong, IsMusicInParts) {
  const Smf& s = song(GetParam().file);
  ASSERT_EQ(s.error, "");
  // Harmony under the melody: notes on different channels sounding together.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans[16];
  for (std::size_t i = 0; i < s.ons.size(); ++i)
    spans[s.ons[i].channel].push_back({s.ons[i].tick, s.ons[i].tick + std::uint32_t(s.noteSpans[i].second)});
  std::set<std::uint32_t> onsets;
  for (const auto& n : s.ons) onsets.insert(n.tick);
  int together = 0;
  for (std::uint32_t t : onsets) {
    int channels = 0;
    for (const auto& ch : spans)
      channels += std::any_of(ch.begin(), ch.end(), [t](auto sp) { return sp.first <= t && t < sp.second; });
    together += channels >= 2;
  }
  EXPECT_GT(together, int(onsets.size()) / 2) << "most notes are struck with nothing else sounding";
  // Tempo that moves: at least a ritardando somewhere.
  std::set<std::uint32_t> tempi;
  for (auto [tick, us] : s.tempo) tempi.insert(us);
  EXPECT_GE(tempi.size(), 2u) << "one unchanging tempo throughout";
}

TEST_P(MediaSong, BeginsRightWhereTheDialogStartsIt) {
  const SongSpec& spec = GetParam();
  const Smf& s = song(spec.file);
  ASSERT_EQ(s.error, "");
  ASSERT_FALSE(s.ons.empty());
  double first = 1e9;
  for (const auto& n : s.ons) first = std::min(first, s.ms(n.tick));
  // Nothing is cut off by starting there, and the music begins at once.
  if (spec.startMs > 0) { EXPECT_GT(first, spec.startMs); }
  EXPECT_LT(first, spec.startMs + 30);
}

std::string song_name(const testing::TestParamInfo<SongSpec>& info) {
  std::string n = info.param.title;
  n.erase(std::remove(n.begin(), n.end(), ' '), n.end());
  return n;
}

TEST(MediaSongs, AreNotAllInOneTempo) {
  // Each song's tempo at its first beat.
  std::set<std::uint32_t> opening;
  for (const auto& spec : kSongs) {
    const Smf& s = song(spec.file);
    ASSERT_EQ(s.error, "") << spec.file;
    std::uint32_t firstNote = s.ons.empty() ? 0 : s.ons.front().tick, us = 500000;
    for (auto [tick, v] : s.tempo)
      if (tick <= firstNote) us = v;
    opening.insert(us);
  }
  EXPECT_GE(opening.size(), 6u);
}

// ---- Songs through FluidSynth ---------------------------------------------

// The General MIDI soundfonts a Debian desktop has: TimGM6mb, FluidR3 (what
// most have, from fluid-soundfont-gm) and its compressed mono edition.
struct SoundfontSpec {
  const char* name;
  const char* path;
  const char* package;
};
const SoundfontSpec kSoundfonts[] = {
    {"TimGM6mb", "/usr/share/sounds/sf2/TimGM6mb.sf2", "timgm6mb-soundfont"},
    {"FluidR3", "/usr/share/sounds/sf2/FluidR3_GM.sf2", "fluid-soundfont-gm"},
    {"FluidR3Mono", "/usr/share/sounds/sf3/FluidR3Mono_GM.sf3", "fluidr3mono-gm-soundfont"},
};

struct Render {
  bool loaded = false, ended = false;
  double gain = 0, seconds = 0, rms = 0;
  std::vector<float> pcm;  // interleaved stereo, up to where its sound dies away
};

// The saver's output rate.
constexpr int kRenderRate = 44100;

// Plays the song as the saver does: the level it measures for the song on
// this soundfont, its synthesizer's settings and channels, at the output's
// rate, with no audio driver.
Render render(const fs::path& midi, const char* soundfont) {
  Render r;
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
  fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
  std::vector<unsigned char> bytes = slurp(midi);
  std::vector<std::uint8_t> song(bytes.begin(), bytes.end());
  auto checked = vex::parse_midi(song);
  if (!checked) return r;
  r.gain = vex::song_level::gain_for(vex::song_level::measure(soundfont, song, checked->default_program_channels));
  fluid_settings_t* st = new_fluid_settings();
  vex::song_level::apply_song_settings(st, kRenderRate);
  fluid_settings_setnum(st, "synth.gain", r.gain);
  fluid_synth_t* synth = new_fluid_synth(st);
  fluid_player_t* player = nullptr;
  if (fluid_synth_sfload(synth, soundfont, 0) != FLUID_FAILED) {
    vex::song_level::prepare_channels(synth, checked->default_program_channels);
    player = new_fluid_player(synth);
    r.loaded =
        fluid_player_add_mem(player, song.data(), song.size()) == FLUID_OK && fluid_player_play(player) == FLUID_OK;
  }
  const int block = 1024;
  std::vector<float> l(block), rr(block);
  double e = 0;
  long frames = 0, lastSound = 0;
  const long cap = long(kRenderRate) * 240;
  r.pcm.reserve(std::size_t(kRenderRate) * 2 * 200);
  while (r.loaded && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING && frames < cap) {
    fluid_synth_write_float(synth, block, l.data(), 0, 1, rr.data(), 0, 1);
    for (int i = 0; i < block; ++i) {
      double a = std::max(std::fabs(l[std::size_t(i)]), std::fabs(rr[std::size_t(i)]));
      e += double(l[std::size_t(i)]) * l[std::size_t(i)];
      if (a > 1e-4) lastSound = frames + i;
      r.pcm.push_back(l[std::size_t(i)]);
      r.pcm.push_back(rr[std::size_t(i)]);
    }
    frames += block;
  }
  r.ended = r.loaded && fluid_player_get_status(player) == FLUID_PLAYER_DONE;
  r.seconds = double(lastSound) / kRenderRate;
  r.rms = frames ? std::sqrt(e / double(frames)) : 0;
  r.pcm.resize(std::min(r.pcm.size(), std::size_t(lastSound + 1) * 2));
  if (player) delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(st);
  return r;
}

// The quietest 10 s stretch of a rendered song, a second apart, but those
// reaching into the last 10 s where the song fades out: its integrated
// loudness and where it begins. 100 ms blocks are measured once and every
// stretch is gated from them as EBU R128 gates a whole programme.
std::pair<double, std::size_t> quietest_stretch(const Render& r) {
  const std::size_t frames = r.pcm.size() / 2, hop = kRenderRate / 10;
  // Each 400 ms block's mean square, with the K-weighting, by libebur128
  // itself: its momentary loudness every 100 ms.
  std::vector<double> blocks;
  ebur128_state* st = ebur128_init(2, kRenderRate, EBUR128_MODE_M);
  for (std::size_t at = 0; at + hop <= frames; at += hop) {
    ebur128_add_frames_float(st, r.pcm.data() + at * 2, hop);
    double m;
    if (at + hop >= 4 * hop && ebur128_loudness_momentary(st, &m) == EBUR128_SUCCESS)
      blocks.push_back(std::isfinite(m) ? std::pow(10.0, (m + 0.691) / 10) : 0.0);
  }
  ebur128_destroy(&st);
  auto gated = [&](std::size_t from, std::size_t n) {
    double sum = 0;
    std::size_t k = 0;
    for (std::size_t i = from; i < from + n; ++i)
      if (blocks[i] > std::pow(10.0, (-70 + 0.691) / 10)) sum += blocks[i], ++k;
    if (!k) return -200.0;
    const double relative = sum / double(k) * std::pow(10.0, -1.0);
    sum = 0, k = 0;
    for (std::size_t i = from; i < from + n; ++i)
      if (blocks[i] > std::pow(10.0, (-70 + 0.691) / 10) && blocks[i] > relative) sum += blocks[i], ++k;
    return k ? -0.691 + 10 * std::log10(sum / double(k)) : -200.0;
  };
  // A stretch of 10 s holds 97 blocks of 400 ms.
  const std::size_t per = 97, second = 10;
  double quietest = 200;
  std::size_t at = 0;
  for (std::size_t from = 0; from + per + 10 * second <= blocks.size(); from += second) {
    double l = gated(from, per);
    if (l < quietest) quietest = l, at = from / second;
  }
  return {quietest, at};
}

using SongOnSoundfont = std::tuple<SoundfontSpec, SongSpec>;
class MediaSongRender : public testing::TestWithParam<SongOnSoundfont> {};

// As the saver plays it on each soundfont: it plays and ends, as loud as
// every other song, with no stretch (but its fade) far under its own level.
TEST_P(MediaSongRender, PlaysInProportionAndEnds) {
  const auto& [font, spec] = GetParam();
  if (!fs::exists(font.path)) GTEST_SKIP() << font.path << " is not installed (" << font.package << ")";
  const Render r = render(kDir / spec.file, font.path);
  ASSERT_TRUE(r.loaded) << "FluidSynth refused the file";
  EXPECT_TRUE(r.ended) << "still playing after four minutes";
  EXPECT_GT(db(r.rms), -50.0) << "next to silent";
  EXPECT_GE(r.seconds, 60.0);
  EXPECT_LE(r.seconds, 190.0) << "three minutes and the last notes' ringing";
  double song = loudness(r.pcm, 2, kRenderRate, 1).integrated;
  EXPECT_GE(song, kMusicLufs - 1.5) << "at gain " << r.gain;
  EXPECT_LE(song, kMusicLufs + 1.5) << "at gain " << r.gain;
  ASSERT_GT(r.pcm.size() / 2, std::size_t(kRenderRate) * 30);
  auto [quietest, at] = quietest_stretch(r);
  EXPECT_GE(quietest, song - 15) << "the 10 s from " << at << " s";
}

INSTANTIATE_TEST_SUITE_P(Media, MediaSong, testing::ValuesIn(kSongs), song_name);
INSTANTIATE_TEST_SUITE_P(
    Media, MediaSongRender, testing::Combine(testing::ValuesIn(kSoundfonts), testing::ValuesIn(kSongs)),
    [](const testing::TestParamInfo<SongOnSoundfont>& info) {
      return std::string(std::get<0>(info.param).name) + "_" + song_name({std::get<1>(info.param), info.index});
    });

}  // namespace
