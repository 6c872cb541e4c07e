#include "os/media_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <vector>

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

// Every event of one track, in order; the tempo changes it holds, and the
// tick of every event the synthesizer would be handed. nullptr, or what is
// wrong with the track.
const char* parse_track(std::span<const uint8_t> d, std::size_t at, std::size_t end, MidiSong& song,
                        ChannelFirsts& firsts, std::vector<uint32_t>& event_ticks) {
  uint64_t tick = 0;
  uint8_t running = 0;
  bool ended = false;
  while (at < end && !ended) {
    uint32_t delta = 0;
    if (!read_vlq(d, at, end, delta)) return "an event's time is cut short or damaged";
    tick += delta;
    if (tick > 0x0FFFFFFF) return "it runs on far beyond any song";
    if (at >= end) return "it is cut short";
    uint8_t status = d[at];
    if (status & 0x80) {
      ++at;
    } else {
      if (!running) return "it holds data without an event";
      status = running;
    }
    if (status == 0xFF) {
      if (at >= end) return "it is cut short";
      uint8_t type = d[at++];
      uint32_t len = 0;
      if (!read_vlq(d, at, end, len) || len > end - at) return "it is cut short";
      if (type == 0x51) {
        if (len != 3) return "it holds a damaged tempo";
        uint32_t us = (uint32_t{d[at]} << 16) | (uint32_t{d[at + 1]} << 8) | d[at + 2];
        if (us == 0) return "it holds a tempo of 0";
        song.tempos.push_back({static_cast<uint32_t>(tick), us});
      }
      if (type == 0x2F) ended = true;
      at += len;
      running = 0;
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      if (!read_vlq(d, at, end, len) || len > end - at) return "it is cut short";
      at += len;
      running = 0;
      event_ticks.push_back(static_cast<uint32_t>(tick));
    } else if (status >= 0xF0) {
      return "it holds a system message, which has no place in a file";
    } else {
      const uint8_t kind = status & 0xF0;
      const std::size_t data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      if (data > end - at) return "it is cut short";
      for (std::size_t i = 0; i < data; ++i)
        if (d[at + i] & 0x80) return "it holds a damaged event";
      const int channel = status & 0x0F;
      if (kind == 0x90 && d[at + 1] > 0) firsts.note[channel] = std::min(firsts.note[channel], tick);
      if (kind == 0xC0) firsts.program[channel] = std::min(firsts.program[channel], tick);
      at += data;
      running = status;
      event_ticks.push_back(static_cast<uint32_t>(tick));
    }
    song.last_tick = std::max(song.last_tick, static_cast<uint32_t>(tick));
  }
  return ended ? nullptr : "it has no end";
}

// The most events that fall within one kSongMomentMs anywhere in the song,
// and when the first such moment begins. The ticks are in order.
struct Densest {
  std::size_t events = 0;
  double at_ms = 0;
};
Densest densest_moment(const MidiSong& song, const std::vector<uint32_t>& ticks) {
  // Each tick's time, walking the tempo map once.
  std::vector<double> ms(ticks.size());
  std::size_t tempo = 0;
  double tempo_ms = 0;  // when the current tempo begins
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    while (tempo + 1 < song.tempos.size() && song.tempos[tempo + 1].tick <= ticks[i]) {
      tempo_ms += (song.tempos[tempo + 1].tick - song.tempos[tempo].tick) *
                  (song.tempos[tempo].us_per_quarter / 1000.0) / song.division;
      ++tempo;
    }
    ms[i] = tempo_ms + (ticks[i] - song.tempos[tempo].tick) * (song.tempos[tempo].us_per_quarter / 1000.0) /
                           song.division;
  }
  Densest most;
  std::size_t from = 0;
  for (std::size_t i = 0; i < ms.size(); ++i) {
    while (ms[i] - ms[from] >= kSongMomentMs) ++from;
    if (i - from + 1 > most.events) most = {i - from + 1, ms[from]};
  }
  return most;
}

std::optional<MidiSong> refused(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::optional<MidiSong> parse_midi(std::span<const uint8_t> d, std::string* why) {
  if (d.size() < 14 || be32(d, 0) != 0x4D546864 /* MThd */ || be32(d, 4) < 6)
    return refused(why, "not a MIDI file");
  const uint32_t header = be32(d, 4);
  if (header > d.size() - 8) return refused(why, "its header is cut short");
  const uint32_t format = be16(d, 8), tracks = be16(d, 10), division = be16(d, 12);
  if (format > 2) return refused(why, "not a MIDI file of format 0, 1 or 2");
  if (tracks == 0) return refused(why, "it holds no track");
  // Frames-per-second timing has no tempo map; no song of ours uses it.
  if (division == 0 || (division & 0x8000)) return refused(why, "its timing is not in beats");
  MidiSong song;
  song.division = static_cast<int>(division);
  ChannelFirsts firsts;
  std::vector<uint32_t> event_ticks;
  std::size_t at = 8 + header;
  uint32_t found = 0;
  while (found < tracks && at + 8 <= d.size()) {
    const uint32_t id = be32(d, at), len = be32(d, at + 4);
    at += 8;
    if (len > d.size() - at) return refused(why, "it is cut short");
    if (id == 0x4D54726B /* MTrk */) {
      if (const char* wrong = parse_track(d, at, at + len, song, firsts, event_ticks))
        return refused(why, "track " + std::to_string(found + 1) + ": " + wrong);
      ++found;
    }
    at += len;
  }
  if (found != tracks)
    return refused(why, "it holds " + std::to_string(found) + " of the " + std::to_string(tracks) +
                            " tracks it says it has");
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
  // The tracks play together: their events in one order of time.
  std::sort(event_ticks.begin(), event_ticks.end());
  if (event_ticks.size() > static_cast<std::size_t>(kMaxSongEventsAtOnce)) {
    const Densest most = densest_moment(song, event_ticks);
    if (most.events > static_cast<std::size_t>(kMaxSongEventsAtOnce)) {
      char when[32];
      std::snprintf(when, sizeof when, "%.3f", most.at_ms / 1000);
      return refused(why, std::to_string(most.events) + " events within " +
                              std::to_string(static_cast<int>(kSongMomentMs)) + " ms at " + when +
                              " s, more than any music holds (" + std::to_string(kMaxSongEventsAtOnce) + ")");
    }
  }
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

void tell_skipped(const std::string& path, const std::string& reason) {
  // The dialog asks for a file on every click, the saver for a song on
  // every turn of it: a user needs to read why only once.
  static std::mutex lock;
  static std::set<std::string> told;
  std::lock_guard<std::mutex> hold(lock);
  if (!told.insert(path).second) return;
  std::fprintf(stderr, "vexmoor: skipping %s: %s\n", path.c_str(), reason.c_str());
}

}  // namespace vex
