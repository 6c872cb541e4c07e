#include "os/media_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace vex {
namespace {

uint32_t be32(std::span<const uint8_t> d, std::size_t at) {
  return (uint32_t{d[at]} << 24) | (uint32_t{d[at + 1]} << 16) | (uint32_t{d[at + 2]} << 8) | d[at + 3];
}
uint32_t be16(std::span<const uint8_t> d, std::size_t at) { return (uint32_t{d[at]} << 8) | d[at + 1]; }
uint32_t le32(std::span<const uint8_t> d, std::size_t at) {
  return uint32_t{d[at]} | (uint32_t{d[at + 1]} << 8) | (uint32_t{d[at + 2]} << 16) | (uint32_t{d[at + 3]} << 24);
}
uint32_t le16(std::span<const uint8_t> d, std::size_t at) { return uint32_t{d[at]} | (uint32_t{d[at + 1]} << 8); }

// A variable-length quantity: at most four bytes.
bool read_vlq(std::span<const uint8_t> d, std::size_t& at, std::size_t end, uint32_t& out) {
  out = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= end) return false;
    uint8_t b = d[at++];
    out = (out << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

// The earliest tick of each channel's first note and first program change,
// over every track.
struct ChannelFirsts {
  std::array<uint64_t, 16> note, program;
  ChannelFirsts() {
    note.fill(UINT64_MAX);
    program.fill(UINT64_MAX);
  }
};

// Every event of one track, in order; the tempo changes it holds.
bool parse_track(std::span<const uint8_t> d, std::size_t at, std::size_t end, MidiSong& song,
                 ChannelFirsts& firsts) {
  uint64_t tick = 0;
  uint8_t running = 0;
  bool ended = false;
  while (at < end && !ended) {
    uint32_t delta = 0;
    if (!read_vlq(d, at, end, delta)) return false;
    tick += delta;
    if (tick > 0x0FFFFFFF) return false;  // far beyond any song
    if (at >= end) return false;
    uint8_t status = d[at];
    if (status & 0x80) {
      ++at;
    } else {
      if (!running) return false;  // data without a status to run on
      status = running;
    }
    if (status == 0xFF) {
      if (at >= end) return false;
      uint8_t type = d[at++];
      uint32_t len = 0;
      if (!read_vlq(d, at, end, len) || len > end - at) return false;
      if (type == 0x51) {
        if (len != 3) return false;
        uint32_t us = (uint32_t{d[at]} << 16) | (uint32_t{d[at + 1]} << 8) | d[at + 2];
        if (us == 0) return false;
        song.tempos.push_back({static_cast<uint32_t>(tick), us});
      }
      if (type == 0x2F) ended = true;
      at += len;
      running = 0;
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      if (!read_vlq(d, at, end, len) || len > end - at) return false;
      at += len;
      running = 0;
    } else if (status >= 0xF0) {
      return false;  // system messages have no place in a file
    } else {
      const uint8_t kind = status & 0xF0;
      const std::size_t data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      if (data > end - at) return false;
      for (std::size_t i = 0; i < data; ++i)
        if (d[at + i] & 0x80) return false;
      const int channel = status & 0x0F;
      if (kind == 0x90 && d[at + 1] > 0) firsts.note[channel] = std::min(firsts.note[channel], tick);
      if (kind == 0xC0) firsts.program[channel] = std::min(firsts.program[channel], tick);
      at += data;
      running = status;
    }
    song.last_tick = std::max(song.last_tick, static_cast<uint32_t>(tick));
  }
  return ended;
}

}  // namespace

std::optional<MidiSong> parse_midi(std::span<const uint8_t> d) {
  if (d.size() < 14 || be32(d, 0) != 0x4D546864 /* MThd */ || be32(d, 4) < 6) return std::nullopt;
  const uint32_t header = be32(d, 4);
  if (header > d.size() - 8) return std::nullopt;
  const uint32_t format = be16(d, 8), tracks = be16(d, 10), division = be16(d, 12);
  // Frames-per-second timing has no tempo map; no song of ours uses it.
  if (format > 2 || tracks == 0 || division == 0 || (division & 0x8000)) return std::nullopt;
  MidiSong song;
  song.division = static_cast<int>(division);
  ChannelFirsts firsts;
  std::size_t at = 8 + header;
  uint32_t found = 0;
  while (found < tracks && at + 8 <= d.size()) {
    const uint32_t id = be32(d, at), len = be32(d, at + 4);
    at += 8;
    if (len > d.size() - at) return std::nullopt;
    if (id == 0x4D54726B /* MTrk */) {
      if (!parse_track(d, at, at + len, song, firsts)) return std::nullopt;
      ++found;
    }
    at += len;
  }
  if (found != tracks) return std::nullopt;
  song.tracks = static_cast<int>(tracks);
  for (int c = 0; c < 16; ++c) {
    if (firsts.note[c] == UINT64_MAX) continue;
    song.sounding_channels |= static_cast<uint16_t>(1u << c);
    // A program change in the same tick as the first note is taken to come
    // first, as a song's set-up does.
    if (firsts.program[c] > firsts.note[c]) song.default_program_channels |= static_cast<uint16_t>(1u << c);
  }
  std::stable_sort(song.tempos.begin(), song.tempos.end(),
                   [](const MidiSong::Tempo& a, const MidiSong::Tempo& b) { return a.tick < b.tick; });
  if (song.tempos.empty() || song.tempos.front().tick != 0) song.tempos.insert(song.tempos.begin(), {0, 500000});
  return song;
}

double MidiSong::ticks_to_ms(uint32_t tick) const {
  double ms = 0;
  for (std::size_t i = 0; i < tempos.size(); ++i) {
    const uint32_t from = tempos[i].tick;
    if (tick <= from) break;
    const uint32_t to = i + 1 < tempos.size() ? std::min(tick, tempos[i + 1].tick) : tick;
    ms += (to - from) * (tempos[i].us_per_quarter / 1000.0) / division;
  }
  return ms;
}

uint32_t MidiSong::ms_to_ticks(double ms) const {
  double left = std::max(ms, 0.0);
  for (std::size_t i = 0; i < tempos.size(); ++i) {
    const double per_tick = (tempos[i].us_per_quarter / 1000.0) / division;
    const bool last = i + 1 == tempos.size();
    const double span = last ? 1e300 : (tempos[i + 1].tick - tempos[i].tick) * per_tick;
    // A hair over: a time that falls on a tick must not round down below it.
    if (left < span)
      return std::min(last_tick, tempos[i].tick + static_cast<uint32_t>(std::floor(left / per_tick + 1e-6)));
    left -= span;
  }
  return last_tick;
}

std::optional<WaveSound> parse_wave(std::span<const uint8_t> d) {
  if (d.size() < 12 || le32(d, 0) != 0x46464952 /* RIFF */ || le32(d, 8) != 0x45564157 /* WAVE */)
    return std::nullopt;
  WaveSound w;
  bool fmt = false;
  std::size_t at = 12;
  while (at + 8 <= d.size()) {
    const uint32_t id = le32(d, at), len = le32(d, at + 4);
    at += 8;
    if (len > d.size() - at) {
      // A data chunk may claim more than was written; what is there plays.
      if (id != 0x61746164 /* data */) return std::nullopt;
    }
    const std::size_t have = std::min<std::size_t>(len, d.size() - at);
    if (id == 0x20746D66 /* fmt  */) {
      if (have < 16) return std::nullopt;
      const uint32_t tag = le16(d, at);
      w.channels = static_cast<int>(le16(d, at + 2));
      w.rate = static_cast<int>(le32(d, at + 4));
      w.bits = static_cast<int>(le16(d, at + 14));
      if (tag != 1 || (w.channels != 1 && w.channels != 2) || w.rate < 4000 || w.rate > 192000 ||
          (w.bits != 8 && w.bits != 16))
        return std::nullopt;
      fmt = true;
    } else if (id == 0x61746164 /* data */) {
      if (!fmt) return std::nullopt;
      w.data_offset = at;
      w.data_bytes = have - have % static_cast<std::size_t>(w.channels * w.bits / 8);
      return w.data_bytes > 0 ? std::optional<WaveSound>(w) : std::nullopt;
    }
    at += have + (have & 1);
  }
  return std::nullopt;
}

double WaveSound::length_ms() const {
  return rate > 0 ? 1000.0 * static_cast<double>(data_bytes) / (rate * channels * (bits / 8)) : 0;
}

}  // namespace vex
