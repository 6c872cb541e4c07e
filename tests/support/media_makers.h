#pragma once
// Small songs and sounds made in the tests: a Standard MIDI File of a few
// notes, a sine wave in a WAV file.
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace vex::test {

inline void put_be(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void put_le(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void put_vlq(std::vector<uint8_t>& b, uint32_t v) {
  uint8_t parts[4];
  int n = 0;
  do {
    parts[n++] = v & 0x7F;
    v >>= 7;
  } while (v && n < 4);
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(parts[i] | (i ? 0x80 : 0)));
}

// A format-1 song: a tempo track (tempo at tick 0, and a second tempo at
// change_tick if given), and a track of `notes` quarter notes of a piano
// at 480 ticks per quarter.
inline std::vector<uint8_t> make_song(int notes, uint32_t us_per_quarter = 500000, uint32_t change_tick = 0,
                                      uint32_t second_us = 0, int program = 0) {
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd'};
  put_be(f, 6, 4);
  put_be(f, 1, 2);
  put_be(f, 2, 2);
  put_be(f, 480, 2);
  std::vector<uint8_t> t0;
  put_vlq(t0, 0);
  t0.insert(t0.end(), {0xFF, 0x51, 0x03});
  put_be(t0, us_per_quarter, 3);
  if (second_us) {
    put_vlq(t0, change_tick);
    t0.insert(t0.end(), {0xFF, 0x51, 0x03});
    put_be(t0, second_us, 3);
  }
  put_vlq(t0, 0);
  t0.insert(t0.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> t1;
  put_vlq(t1, 0);
  t1.insert(t1.end(), {0xC0, static_cast<uint8_t>(program)});
  for (int i = 0; i < notes; ++i) {
    put_vlq(t1, 0);
    t1.insert(t1.end(), {0x90, static_cast<uint8_t>(60 + (i % 12)), 100});
    put_vlq(t1, 480);
    t1.insert(t1.end(), {0x80, static_cast<uint8_t>(60 + (i % 12)), 0});
  }
  put_vlq(t1, 0);
  t1.insert(t1.end(), {0xFF, 0x2F, 0x00});
  for (auto* t : {&t0, &t1}) {
    f.insert(f.end(), {'M', 'T', 'r', 'k'});
    put_be(f, static_cast<uint32_t>(t->size()), 4);
    f.insert(f.end(), t->begin(), t->end());
  }
  return f;
}

// A Standard MIDI File of these tracks (their events as bytes, deltas
// included; each is ended here), 480 ticks a quarter at 120 per minute.
inline std::vector<uint8_t> make_song_of(const std::vector<std::vector<uint8_t>>& tracks) {
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd'};
  put_be(f, 6, 4);
  put_be(f, 1, 2);
  put_be(f, static_cast<uint32_t>(tracks.size()), 2);
  put_be(f, 480, 2);
  for (std::vector<uint8_t> t : tracks) {
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    f.insert(f.end(), {'M', 'T', 'r', 'k'});
    put_be(f, static_cast<uint32_t>(t.size()), 4);
    f.insert(f.end(), t.begin(), t.end());
  }
  return f;
}

// A 16-bit mono sine of `ms` milliseconds at `hz`.
inline std::vector<uint8_t> make_wave(double hz, int ms, int rate = 22050, double level = 0.5) {
  const uint32_t frames = static_cast<uint32_t>(rate * ms / 1000);
  std::vector<uint8_t> f = {'R', 'I', 'F', 'F'};
  put_le(f, 36 + frames * 2, 4);
  f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put_le(f, 16, 4);
  put_le(f, 1, 2);
  put_le(f, 1, 2);
  put_le(f, static_cast<uint32_t>(rate), 4);
  put_le(f, static_cast<uint32_t>(rate * 2), 4);
  put_le(f, 2, 2);
  put_le(f, 16, 2);
  f.insert(f.end(), {'d', 'a', 't', 'a'});
  put_le(f, frames * 2, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    auto v = static_cast<int16_t>(std::lround(32767 * level * std::sin(2 * 3.14159265358979 * hz * i / rate)));
    put_le(f, static_cast<uint16_t>(v), 2);
  }
  return f;
}

// A WAV file in any of the layouts a sound may come in: 8 or 16 bits, one
// or two channels, the plain format chunk or the extensible one (whose
// sub-format's first word is 1 for PCM, 3 for floating point), holding
// `frames` frames of a tone.
struct WaveLayout {
  int rate = 22050;
  int channels = 1;
  int bits = 16;
  bool extensible = false;
  uint16_t sub_format = 1;
  int valid_bits = -1;  // in the extensible layout; -1: as many as the sample holds
};
inline std::vector<uint8_t> make_wave_as(const WaveLayout& l, std::size_t frames, double hz = 440) {
  const uint32_t frame = static_cast<uint32_t>(l.channels * l.bits / 8);
  const uint32_t data = static_cast<uint32_t>(frames) * frame;
  const uint32_t fmt = l.extensible ? 40 : 16;
  std::vector<uint8_t> f = {'R', 'I', 'F', 'F'};
  f.reserve(44 + 24 + data);
  put_le(f, 4 + 8 + fmt + 8 + data, 4);
  f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put_le(f, fmt, 4);
  put_le(f, l.extensible ? 0xFFFE : 1, 2);
  put_le(f, static_cast<uint32_t>(l.channels), 2);
  put_le(f, static_cast<uint32_t>(l.rate), 4);
  put_le(f, static_cast<uint32_t>(l.rate) * frame, 4);
  put_le(f, frame, 2);
  put_le(f, static_cast<uint32_t>(l.bits), 2);
  if (l.extensible) {
    put_le(f, 22, 2);
    put_le(f, static_cast<uint32_t>(l.valid_bits < 0 ? l.bits : l.valid_bits), 2);
    put_le(f, l.channels == 2 ? 3 : 4, 4);  // front left and right; front centre
    put_le(f, l.sub_format, 2);
    f.insert(f.end(), {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  }
  f.insert(f.end(), {'d', 'a', 't', 'a'});
  put_le(f, data, 4);
  for (std::size_t i = 0; i < frames; ++i) {
    const double v = 0.4 * std::sin(2 * 3.14159265358979 * hz * static_cast<double>(i) / l.rate);
    for (int c = 0; c < l.channels; ++c) {
      if (l.bits == 8) f.push_back(static_cast<uint8_t>(128 + std::lround(127 * v)));
      else put_le(f, static_cast<uint16_t>(static_cast<int16_t>(std::lround(32767 * v))), 2);
    }
  }
  return f;
}

inline void write_bytes(const std::string& path, const std::vector<uint8_t>& b) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// How strongly a frequency is present in a stretch of 16-bit samples
// (one channel, every `step`-th sample), relative to full scale.
inline double tone_strength(const std::vector<int16_t>& s, std::size_t from, std::size_t count, int step, double hz,
                            int rate) {
  double re = 0, im = 0;
  std::size_t n = 0;
  for (std::size_t i = from; i + static_cast<std::size_t>(step) <= s.size() && n < count;
       i += static_cast<std::size_t>(step), ++n) {
    double ph = 2 * 3.14159265358979 * hz * static_cast<double>(n) / rate;
    re += s[i] * std::cos(ph);
    im += s[i] * std::sin(ph);
  }
  return n ? 2 * std::sqrt(re * re + im * im) / (32768.0 * static_cast<double>(n)) : 0;
}

}  // namespace vex::test
