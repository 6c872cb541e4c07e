#pragma once
// How loud a song is on the soundfont it plays on, and the gain that holds
// every song to one level whatever the soundfont: each song is rendered once
// offline (EBU R128 integrated loudness) and the result kept in the user's
// cache, so that a song is measured again only when it or the soundfont
// changes. Internal to os/linux/.
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vex::song_level {

// FluidSynth's level sits well under the effects'; at this gain the songs
// were balanced on the small soundfont most systems had (TimGM6mb), some
// 6 dB below the effects. It is what a song plays at until it is measured.
inline constexpr double kDefaultGain = 0.45;
// Every song, as played, is brought to this integrated loudness.
inline constexpr double kTargetLufs = -27.0;
// A gain is moved at most this far from the default: a soundfont that
// leaves a song near silent is not made to roar, nor a loud one muted.
inline constexpr double kMostCorrectionDb = 12.0;
// Nor is a song raised so far that its loudest sample would clip.
inline constexpr double kHighestPeak = 0.89;  // -1 dBFS

struct Level {
  double lufs = 0;  // integrated, rendered at kDefaultGain
  double peak = 0;  // the largest sample at kDefaultGain, 1 = full scale
};

// The synthesizer's settings every song is played and measured with.
inline constexpr int kPolyphony = 128;
void apply_song_settings(fluid_settings_t* settings, double sample_rate);

// What the last song left on the channels goes, as a reset between songs
// would, but no channel is given an instrument the song does not ask for:
// with dynamic sample loading only the samples of instruments on some
// channel are in memory. default_programs: the channels a song plays on
// before it names an instrument (they get General MIDI's default).
void prepare_channels(fluid_synth_t* synth, uint16_t default_programs);

// Renders the song offline (no audio driver, as fast as it goes) and
// measures it; nothing when the soundfont or the song cannot be read, the
// song is silent, or stop is set meanwhile. At most the song's first
// kMeasuredSeconds are rendered, and the measuring gives up with what it
// has once it has taken kMeasuringCpuSeconds of CPU.
inline constexpr double kMeasuredSeconds = 200;
inline constexpr double kMeasuringCpuSeconds = 8;
std::optional<Level> measure(const std::string& soundfont, const std::vector<uint8_t>& midi, uint16_t default_programs,
                             const std::atomic<bool>* stop = nullptr);

// The synthesizer gain that plays a song of this level at kTargetLufs
// (within the bounds above); kDefaultGain when the level is not known.
// (Inline, so that the build's listening sheet shows the songs as played.)
inline double gain_for(const std::optional<Level>& level) {
  if (!level) return kDefaultGain;
  double db = std::clamp(kTargetLufs - level->lufs, -kMostCorrectionDb, kMostCorrectionDb);
  if (level->peak > 0) db = std::min(db, 20 * std::log10(kHighestPeak / level->peak));
  return kDefaultGain * std::pow(10.0, db / 20);
}

// The measurements kept in one file of the user's cache. A line for each
// song on each soundfont; the soundfont is told by its resolved path, size
// and modification time, the song by a hash of its bytes. Every line
// carries a checksum; a file with any line that does not check is not used
// at all (and is replaced by the next write).
class Cache {
 public:
  explicit Cache(std::string file) : file_(std::move(file)) {}
  // The key of the soundfont as it is now; empty when it cannot be read.
  static std::string soundfont_key(const std::string& soundfont);
  static uint64_t song_key(const std::vector<uint8_t>& midi);

  // Reads the file (again): what it holds replaces what this one knew.
  void load();
  std::optional<Level> find(const std::string& soundfont_key, uint64_t song_key) const;
  // Keeps the level, and writes the file (merged with what another process
  // wrote there meanwhile) by replacing it whole. False when it cannot be
  // written: the level is then measured again next run.
  bool put(const std::string& soundfont_key, uint64_t song_key, Level level);

  // The newest lines kept, and the most read of a file.
  static constexpr std::size_t kMostEntries = 256;
  static constexpr std::size_t kMostBytes = 64 * 1024;

 private:
  struct Entry {
    std::string soundfont;
    uint64_t song;
    Level level;
  };
  static std::vector<Entry> read(const std::string& file);
  std::string file_;
  std::vector<Entry> entries_;  // oldest first
};

// Measures the songs it is given, one at a time, on a thread of its own at
// a low priority, and tells each song's gain through `known` (called on
// that thread). A song found in the cache is known at once, on the caller's
// thread. Ending it stops a measuring within one block of rendering.
class Measurer {
 public:
  using Known = std::function<void(int id, double gain)>;
  Measurer(std::string soundfont, std::string cache_file, Known known);
  ~Measurer();
  Measurer(const Measurer&) = delete;
  Measurer& operator=(const Measurer&) = delete;

  // The song's gain when it is known now; otherwise the song is queued.
  std::optional<double> want(int id, const std::vector<uint8_t>& midi, uint16_t default_programs);
  // The song is measured next (the one being played).
  void first(int id);
  // The song is no longer wanted.
  void forget(int id);

 private:
  struct Job {
    int id;
    uint64_t key;
    std::vector<uint8_t> midi;
    uint16_t default_programs;
  };
  void run();

  const std::string soundfont_;
  const std::string soundfont_key_;
  Known known_;
  std::mutex lock_;  // guards what follows, and the cache
  Cache cache_;
  std::deque<Job> jobs_;
  bool quit_ = false;
  std::condition_variable wake_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vex::song_level
