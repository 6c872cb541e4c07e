#pragma once
// Songs and sounds checked before any library sees them: a media folder may
// hold anything, and a broken file must be refused here, never crash the
// player. What the checks learn (a song's tempo map, a sound's format) is
// kept for the players.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vex {

// A Standard MIDI File (format 0, 1 or 2), every chunk and event inside it.
struct MidiSong {
  int division = 480;  // ticks per quarter note
  // Tempo changes in ticks, each with microseconds per quarter note; the
  // first is at tick 0.
  struct Tempo {
    uint32_t tick;
    uint32_t us_per_quarter;
  };
  std::vector<Tempo> tempos;
  uint32_t last_tick = 0;  // of the last event in any track
  int tracks = 0;
  // The channels (bit n for channel n) that sound a note before any program
  // change of theirs, and so play their General MIDI default instrument;
  // and every channel that sounds at all.
  uint16_t default_program_channels = 0;
  uint16_t sounding_channels = 0;

  double ticks_to_ms(uint32_t tick) const;
  uint32_t ms_to_ticks(double ms) const;
  double length_ms() const { return ticks_to_ms(last_tick); }
};
// why, when given, receives the reason a file is refused.
std::optional<MidiSong> parse_midi(std::span<const uint8_t> bytes, std::string* why = nullptr);

// No music is denser than this many events for the synthesizer (notes,
// controllers, instrument choices, system-exclusive messages) within
// kSongMomentMs, a moment shorter than the ear tells apart. Every key and
// every controller of all sixteen channels, each changed once, are 4096; the
// densest moment of real music, a song's set-up with its first chord, is a
// few hundred, and the densest moment of our songs is under a hundred. A
// song denser than that is refused: it could only flood the synthesizer.
inline constexpr int kMaxSongEventsAtOnce = 4096;
inline constexpr double kSongMomentMs = 10;

// A RIFF/WAVE file of uncompressed PCM, 8 or 16 bits, one or two channels.
struct WaveSound {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::size_t data_offset = 0;
  std::size_t data_bytes = 0;
  double length_ms() const;
};
std::optional<WaveSound> parse_wave(std::span<const uint8_t> bytes);

// Songs and sounds larger than this are not ours (the largest is a few
// hundred kilobytes).
inline constexpr std::size_t kMaxSongBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxSoundBytes = 32 * 1024 * 1024;

// "vexmoor: skipping <path>: <reason>" on stderr, for a song or sound left
// out; once per file a run, however often the file is asked for.
void tell_skipped(const std::string& path, const std::string& reason);

}  // namespace vex
