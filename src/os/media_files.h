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

// A RIFF/WAVE file of uncompressed PCM, 8 or 16 bits, one or two channels:
// the plain layout, or the extensible one (as several editors write it)
// when its sub-format is PCM. why, when given, receives the reason a file
// is refused.
struct WaveSound {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  std::size_t data_offset = 0;
  std::size_t data_bytes = 0;     // whole frames, and only those the bytes hold
  std::size_t data_declared = 0;  // what the data chunk says it holds
  std::size_t frame_bytes() const { return static_cast<std::size_t>(channels * (bits / 8)); }
  double length_ms() const;
};
std::optional<WaveSound> parse_wave(std::span<const uint8_t> bytes, std::string* why = nullptr);

// Songs and sounds larger than this are not ours (the largest is a few
// hundred kilobytes).
inline constexpr std::size_t kMaxSongBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxSoundBytes = 32 * 1024 * 1024;

// Sounds are kept converted for the output, 44.1 kHz stereo 16-bit, and
// a small file can be a great deal of that: 32 MB of 8-bit mono at 4 kHz
// would be 1.5 GB. What one sound keeps of its file and what all of them
// together may take, counted in that form. Twelve sounds of the longest
// kept length stay within the whole.
inline constexpr int kMaxSoundMs = 30000;
inline constexpr std::size_t kMaxKeptSoundsBytes = 64 * 1024 * 1024;
inline constexpr int kKeptRate = 44100;
inline constexpr std::size_t kKeptFrameBytes = 4;

// The size of the sound in the kept form.
std::size_t kept_bytes(const WaveSound& sound);
// Shortens the sound to its first kMaxSoundMs; true when it was longer.
bool cut_to_longest_kept(WaveSound& sound);

// A kept sound's part of kMaxKeptSoundsBytes, held for as long as the sound
// is kept and given back when this goes.
class SoundShare {
 public:
  SoundShare() = default;
  // Empty (holding nothing) when the sounds kept so far leave too little.
  static SoundShare take(std::size_t bytes);
  SoundShare(SoundShare&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = 0; }
  SoundShare& operator=(SoundShare&& other) noexcept;
  SoundShare(const SoundShare&) = delete;
  SoundShare& operator=(const SoundShare&) = delete;
  ~SoundShare() { give_back(); }
  std::size_t bytes() const { return bytes_; }
  explicit operator bool() const { return bytes_ > 0; }
  // What every share of the process holds now.
  static std::size_t held();

 private:
  void give_back();
  std::size_t bytes_ = 0;
};

// A sound file read to be kept: checked from its header before anything is
// decoded, cut to its first kMaxSoundMs, its share taken. Only the part of
// the file that is kept is read.
struct KeptSoundFile {
  std::string path;
  WaveSound wave;  // once read, where the kept samples are in bytes
  std::vector<uint8_t> bytes;
  SoundShare share;
  std::size_t kept_end = 0;  // how far into the file the kept samples reach
};
// The header read and checked, the part to keep decided and its share
// taken; nullopt when the file is missing (nothing is said: a sound may
// simply not be installed) or refused (one line on stderr names it and says
// why, once a run).
std::optional<KeptSoundFile> check_kept_sound(const std::string& path);
// Then the kept samples, checked again as read; false (with a line, and the
// share given back) when the file changed meanwhile into one refused.
bool read_kept_samples(KeptSoundFile& file);
// Both.
std::optional<KeptSoundFile> read_kept_sound(const std::string& path);

// "vexmoor: skipping <path>: <reason>" on stderr, for a song or sound left
// out; once per file a run, however often the file is asked for.
void tell_skipped(const std::string& path, const std::string& reason);

}  // namespace vex
