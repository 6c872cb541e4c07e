#include "os/media_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "os/file_io.h"

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
    ms[i] =
        tempo_ms + (ticks[i] - song.tempos[tempo].tick) * (song.tempos[tempo].us_per_quarter / 1000.0) / song.division;
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
  if (d.size() < 14 || be32(d, 0) != 0x4D546864 /* MThd */ || be32(d, 4) < 6) return refused(why, "not a MIDI file");
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
    return refused(
        why, "it holds " + std::to_string(found) + " of the " + std::to_string(tracks) + " tracks it says it has");
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

namespace {

// The sub-format of PCM samples in the extensible layout:
// 00000001-0000-0010-8000-00AA00389B71, as its bytes lie in the file.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kTagPcm = 1, kTagExtensible = 0xFFFE;

std::optional<WaveSound> refuse(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return std::nullopt;
}

// ran_out, when given, is set when the bytes end before the samples begin:
// they may be only the start of a file whose header goes on.
std::optional<WaveSound> parse_wave_start(std::span<const uint8_t> d, std::string* why, bool* ran_out) {
  if (ran_out) *ran_out = false;
  if (d.size() < 12 || le32(d, 0) != 0x46464952 /* RIFF */ || le32(d, 8) != 0x45564157 /* WAVE */)
    return refuse(why, "not a WAV file");
  WaveSound w;
  bool fmt = false;
  std::size_t at = 12;
  while (at + 8 <= d.size()) {
    const uint32_t id = le32(d, at), len = le32(d, at + 4);
    at += 8;
    if (len > d.size() - at) {
      // A data chunk may claim more than was written; what is there plays.
      if (id != 0x61746164 /* data */) {
        if (ran_out) *ran_out = true;
        return refuse(why, "cut short inside its header");
      }
    }
    const std::size_t have = std::min<std::size_t>(len, d.size() - at);
    if (id == 0x20746D66 /* fmt  */) {
      if (have < 16) return refuse(why, "its format chunk is too short");
      const uint32_t tag = le16(d, at);
      w.channels = static_cast<int>(le16(d, at + 2));
      w.rate = static_cast<int>(le32(d, at + 4));
      w.bits = static_cast<int>(le16(d, at + 14));
      if (tag == kTagExtensible) {
        // The extension's size, the valid bits of each sample (at most the
        // container's: the samples are read as the container's width), the
        // speaker mask, the sub-format.
        if (have < 40 || le16(d, at + 16) < 22) return refuse(why, "its extensible format chunk is too short");
        if (!std::equal(std::begin(kPcmSubFormat), std::end(kPcmSubFormat),
                        d.begin() + static_cast<std::ptrdiff_t>(at + 24)))
          return refuse(why, "not PCM samples (an extensible format of another kind)");
        if (le16(d, at + 18) > static_cast<uint32_t>(w.bits)) return refuse(why, "more valid bits than a sample holds");
      } else if (tag != kTagPcm) {
        char text[64];
        std::snprintf(text, sizeof text, "not PCM samples (format tag 0x%04X)", tag);
        return refuse(why, text);
      }
      if (w.channels != 1 && w.channels != 2)
        return refuse(why, std::to_string(w.channels) + " channels (1 or 2 are played)");
      if (w.rate < 4000 || w.rate > 192000)
        return refuse(why, "a rate of " + std::to_string(w.rate) + " Hz (4000 to 192000 are played)");
      if (w.bits != 8 && w.bits != 16)
        return refuse(why, std::to_string(w.bits) + " bits a sample (8 or 16 are played)");
      fmt = true;
    } else if (id == 0x61746164 /* data */) {
      if (!fmt) return refuse(why, "its samples come before their format");
      w.data_offset = at;
      w.data_declared = len;
      w.data_bytes = have - have % w.frame_bytes();
      if (w.data_bytes == 0) return refuse(why, "no samples");
      return w;
    }
    at += have + (have & 1);
  }
  if (ran_out) *ran_out = true;
  return refuse(why, fmt ? "no samples" : "no format chunk");
}

}  // namespace

std::optional<WaveSound> parse_wave(std::span<const uint8_t> d, std::string* why) {
  return parse_wave_start(d, why, nullptr);
}

double WaveSound::length_ms() const {
  return rate > 0 ? 1000.0 * static_cast<double>(data_bytes) / (static_cast<double>(rate) * frame_bytes()) : 0;
}

std::size_t kept_bytes(const WaveSound& w) {
  if (w.rate <= 0 || w.frame_bytes() == 0) return 0;
  const uint64_t frames = w.data_bytes / w.frame_bytes();
  // Rounded up: a resampler gives the last part frame as a frame.
  return static_cast<std::size_t>((frames * kKeptRate + static_cast<uint64_t>(w.rate) - 1) /
                                  static_cast<uint64_t>(w.rate)) *
         kKeptFrameBytes;
}

bool cut_to_longest_kept(WaveSound& w) {
  const std::size_t longest = static_cast<std::size_t>(w.rate) * (kMaxSoundMs / 1000) * w.frame_bytes();
  if (w.data_bytes <= longest) return false;
  w.data_bytes = longest;
  return true;
}

namespace {

std::mutex& shares_lock() {
  static std::mutex m;
  return m;
}
std::size_t& shares_held() {
  static std::size_t n = 0;
  return n;
}

}  // namespace

SoundShare SoundShare::take(std::size_t bytes) {
  std::lock_guard<std::mutex> hold(shares_lock());
  SoundShare s;
  if (bytes == 0 || bytes > kMaxKeptSoundsBytes - shares_held()) return s;
  shares_held() += bytes;
  s.bytes_ = bytes;
  return s;
}

SoundShare& SoundShare::operator=(SoundShare&& other) noexcept {
  if (this != &other) {
    give_back();
    bytes_ = other.bytes_;
    other.bytes_ = 0;
  }
  return *this;
}

void SoundShare::give_back() {
  if (!bytes_) return;
  std::lock_guard<std::mutex> hold(shares_lock());
  shares_held() -= bytes_;
  bytes_ = 0;
}

std::size_t SoundShare::held() {
  std::lock_guard<std::mutex> hold(shares_lock());
  return shares_held();
}

namespace {

// One line a file and run, whatever was wrong with it.
void tell_once(const std::string& path, const std::string& line) {
  static std::mutex m;
  static std::set<std::string> told;
  std::lock_guard<std::mutex> hold(m);
  if (!told.insert(path).second) return;
  std::fprintf(stderr, "vexmoor: %s\n", line.c_str());
}

std::string megabytes(std::size_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MB"; }

// Enough for the header of any sound as the programs that make them write
// it, with the first of its samples.
constexpr std::size_t kSoundHeadBytes = 64 * 1024;

}  // namespace

void tell_skipped(const std::string& path, const std::string& reason) {
  tell_once(path, "skipping " + path + ": " + reason);
}

std::optional<KeptSoundFile> check_kept_sound(const std::string& path) {
  std::error_code e;
  const auto status = std::filesystem::status(path, e);
  if (e || !std::filesystem::exists(status)) return std::nullopt;
  if (!std::filesystem::is_regular_file(status)) {
    tell_skipped(path, "not a file");
    return std::nullopt;
  }
  const uintmax_t size = std::filesystem::file_size(path, e);
  if (!e && size > kMaxSoundBytes) {
    tell_skipped(path, "larger than " + megabytes(kMaxSoundBytes));
    return std::nullopt;
  }
  KeptSoundFile k;
  k.path = path;
  auto head = read_regular_file(path, kMaxSoundBytes, kSoundHeadBytes);
  if (!head) {
    tell_skipped(path, "cannot be read");
    return std::nullopt;
  }
  std::string why;
  bool ran_out = false;
  auto wave = parse_wave_start(*head, &why, &ran_out);
  if (!wave && ran_out && head->size() == kSoundHeadBytes) {
    // A header that goes on past the file's start (a long chunk before the
    // samples): the whole file, as small as files are allowed to be.
    head = read_regular_file(path, kMaxSoundBytes);
    if (!head) {
      tell_skipped(path, "cannot be read");
      return std::nullopt;
    }
    wave = parse_wave(*head, &why);
  }
  if (!wave) {
    tell_skipped(path, why);
    return std::nullopt;
  }
  // The samples the file holds, as far as they go (the data chunk may
  // claim more), from what the header says and the file's size.
  WaveSound whole = *wave;
  const std::size_t in_file = e ? head->size() : static_cast<std::size_t>(std::max<uintmax_t>(size, head->size()));
  whole.data_bytes = std::min(whole.data_declared, in_file - whole.data_offset);
  whole.data_bytes -= whole.data_bytes % whole.frame_bytes();
  k.wave = whole;
  const bool cut = cut_to_longest_kept(k.wave);
  k.kept_end = k.wave.data_offset + k.wave.data_bytes;
  k.share = SoundShare::take(kept_bytes(k.wave));
  if (!k.share) {
    tell_skipped(path, "it would take the sounds kept together past " + megabytes(kMaxKeptSoundsBytes));
    return std::nullopt;
  }
  if (cut) {
    char line[96];
    std::snprintf(line, sizeof line, ": it lasts %.1f s; only its first %d s are kept", whole.length_ms() / 1000,
                  kMaxSoundMs / 1000);
    tell_once(path, "cutting " + path + line);
  }
  if (head->size() >= k.kept_end) {
    head->resize(k.kept_end);
    k.bytes = std::move(*head);
  }
  return k;
}

bool read_kept_samples(KeptSoundFile& k) {
  if (k.bytes.size() < k.kept_end) {
    auto bytes = read_regular_file(k.path, kMaxSoundBytes, k.kept_end);
    if (!bytes) {
      tell_skipped(k.path, "cannot be read");
      k.share = SoundShare();
      return false;
    }
    k.bytes = std::move(*bytes);
  }
  // Checked again on what was read: the file may have changed since its
  // header was, and the kept samples must lie in these bytes.
  std::string why;
  auto wave = parse_wave(k.bytes, &why);
  if (!wave) {
    tell_skipped(k.path, why);
    k.share = SoundShare();
    return false;
  }
  cut_to_longest_kept(*wave);
  k.wave = *wave;
  if (kept_bytes(k.wave) > k.share.bytes()) {
    k.share = SoundShare();
    k.share = SoundShare::take(kept_bytes(k.wave));
    if (!k.share) {
      tell_skipped(k.path, "it would take the sounds kept together past " + megabytes(kMaxKeptSoundsBytes));
      return false;
    }
  }
  return true;
}

std::optional<KeptSoundFile> read_kept_sound(const std::string& path) {
  auto k = check_kept_sound(path);
  if (!k || !read_kept_samples(*k)) return std::nullopt;
  return k;
}

}  // namespace vex
