#include "os/linux/song_level.h"

#include <ebur128.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <sstream>

#include "os/file_io.h"

namespace vex::song_level {
namespace {

// Half the output's rate: the loudness comes out within a few hundredths
// of a unit of the song's at 44.1 kHz, for half the work.
constexpr double kMeasuringRate = 22050;
constexpr int kBlock = 1024;
constexpr int kDrumChannel = 9;
// Told in the file's first line; a file of another rule is not read.
constexpr const char* kHeader = "vexmoor song levels 1";

double thread_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

uint64_t fnv1a(const void* data, std::size_t n, uint64_t h = 1469598103934665603ull) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

std::string line_of(const std::string& soundfont, uint64_t song, Level l) {
  char head[96];
  std::snprintf(head, sizeof head, "%.4f %.6f %016" PRIx64 " ", l.lufs, l.peak, song);
  std::string body = head + soundfont;
  char sum[24];
  std::snprintf(sum, sizeof sum, "%016" PRIx64 " ", fnv1a(body.data(), body.size()));
  return sum + body;
}

// What one block of the measuring render hands the synthesizer, as the
// song device's own player does: an instrument chosen may read its samples
// from the soundfont, and a song may choose thousands; the rest waits, in
// order, for the next block. So a block takes milliseconds whatever the
// song, and a stop is heard within one.
struct Feed {
  static constexpr int kEventsPerBlock = 1024;
  static constexpr int kInstrumentsPerBlock = 4;
  static constexpr std::size_t kMostWaiting = 16384;
  fluid_synth_t* synth = nullptr;
  std::deque<fluid_midi_event_t*> waiting;  // the player's, alive as long as it is
  int events = 0, instruments = 0;

  bool allowed(fluid_midi_event_t* e) {
    if (events >= kEventsPerBlock) return false;
    if (fluid_midi_event_get_type(e) == 0xC0 && instruments++ >= kInstrumentsPerBlock) return false;
    ++events;
    return true;
  }
  static int take(void* self, fluid_midi_event_t* e) {
    auto* me = static_cast<Feed*>(self);
    if (me->waiting.empty() && me->allowed(e)) return fluid_synth_handle_midi_event(me->synth, e);
    if (me->waiting.size() < kMostWaiting) me->waiting.push_back(e);
    return FLUID_OK;
  }
  void next_block() {
    events = instruments = 0;
    while (!waiting.empty() && allowed(waiting.front())) {
      fluid_synth_handle_midi_event(synth, waiting.front());
      waiting.pop_front();
    }
  }
};

// FluidSynth's player stops its own file at the song's end; an offline
// render asks it every block.
struct Synth {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_synth_t* synth = nullptr;
  fluid_player_t* player = nullptr;
  ~Synth() {
    if (player) {
      fluid_player_stop(player);
      delete_fluid_player(player);
    }
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

}  // namespace

void apply_song_settings(fluid_settings_t* settings, double sample_rate) {
  // Only the instruments the songs use are read from the soundfont; the
  // player keeps time by the samples rendered, so FluidSynth starts no
  // thread and no device of its own.
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setnum(settings, "synth.sample-rate", sample_rate);
  fluid_settings_setnum(settings, "synth.gain", kDefaultGain);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setint(settings, "synth.polyphony", kPolyphony);
  // The channels are made ready for each song (prepare_channels); the
  // player's own reset would give every channel its default instrument.
  fluid_settings_setint(settings, "player.reset-synth", 0);
}

void prepare_channels(fluid_synth_t* synth, uint16_t default_programs) {
  // A large soundfont's piano and drum kit that a song never plays would be
  // tens of megabytes.
  for (int ch = 0; ch < 16; ++ch) {
    fluid_synth_cc(synth, ch, 121, 0);  // every controller back to its default
    fluid_synth_pitch_bend(synth, ch, 8192);
    if (default_programs & (1u << ch)) {
      // The channel sounds before it names an instrument: General MIDI's
      // default (the first drum kit on the drum channel).
      if (ch != kDrumChannel) fluid_synth_bank_select(synth, ch, 0);
      fluid_synth_program_change(synth, ch, 0);
    } else {
      fluid_synth_unset_program(synth, ch);
    }
  }
}

std::optional<Level> measure(const std::string& soundfont, const std::vector<uint8_t>& midi, uint16_t default_programs,
                             const std::atomic<bool>* stop) {
  const double cpu_began = thread_cpu_seconds();
  Synth s;
  if (!s.settings) return std::nullopt;
  apply_song_settings(s.settings, kMeasuringRate);
  s.synth = new_fluid_synth(s.settings);
  if (!s.synth || fluid_synth_sfload(s.synth, soundfont.c_str(), 0) == FLUID_FAILED) return std::nullopt;
  prepare_channels(s.synth, default_programs);
  s.player = new_fluid_player(s.synth);
  Feed feed;
  feed.synth = s.synth;
  if (s.player) fluid_player_set_playback_callback(s.player, Feed::take, &feed);
  if (!s.player || fluid_player_add_mem(s.player, midi.data(), midi.size()) != FLUID_OK ||
      fluid_player_play(s.player) != FLUID_OK)
    return std::nullopt;
  ebur128_state* meter = ebur128_init(2, static_cast<unsigned long>(kMeasuringRate), EBUR128_MODE_I);
  if (!meter) return std::nullopt;
  std::vector<float> left(kBlock), right(kBlock), both(2 * kBlock);
  const auto most_blocks = static_cast<long>(kMeasuredSeconds * kMeasuringRate / kBlock);
  double peak = 0;
  bool stopped = false;
  for (long b = 0; b < most_blocks && fluid_player_get_status(s.player) == FLUID_PLAYER_PLAYING; ++b) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      stopped = true;
      break;
    }
    // The clock is read about every second of music.
    if (b % 20 == 19 && thread_cpu_seconds() - cpu_began > kMeasuringCpuSeconds) break;
    feed.next_block();
    fluid_synth_write_float(s.synth, kBlock, left.data(), 0, 1, right.data(), 0, 1);
    for (int i = 0; i < kBlock; ++i) {
      both[2 * i] = left[i];
      both[2 * i + 1] = right[i];
      peak = std::max({peak, static_cast<double>(std::fabs(left[i])), static_cast<double>(std::fabs(right[i]))});
    }
    ebur128_add_frames_float(meter, both.data(), kBlock);
  }
  double lufs = -HUGE_VAL;
  const bool measured = ebur128_loudness_global(meter, &lufs) == EBUR128_SUCCESS;
  ebur128_destroy(&meter);
  if (stopped || !measured || !std::isfinite(lufs) || lufs < -70) return std::nullopt;
  return Level{lufs, peak};
}

std::string Cache::soundfont_key(const std::string& soundfont) {
  // The system's choice is a link, which another package may move.
  char resolved[PATH_MAX];
  struct stat st {};
  if (!realpath(soundfont.c_str(), resolved) || stat(resolved, &st) != 0) return "";
  const std::string path = resolved;
  if (path.find('\n') != std::string::npos) return "";
  return std::to_string(static_cast<long long>(st.st_size)) + " " +
         std::to_string(static_cast<long long>(st.st_mtim.tv_sec)) + "." +
         std::to_string(static_cast<long long>(st.st_mtim.tv_nsec)) + " " + path;
}

uint64_t Cache::song_key(const std::vector<uint8_t>& midi) { return fnv1a(midi.data(), midi.size()); }

std::vector<Cache::Entry> Cache::read(const std::string& file) {
  std::vector<Entry> entries;
  auto bytes = read_regular_file(file, kMostBytes);
  if (!bytes) return entries;
  std::istringstream in(std::string(bytes->begin(), bytes->end()));
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return entries;
  while (std::getline(in, line)) {
    // checksum, then "lufs peak song soundfont-key"
    const std::size_t space = line.find(' ');
    if (space != 16) return {};
    const std::string body = line.substr(17);
    char* end = nullptr;
    errno = 0;
    const uint64_t sum = std::strtoull(line.c_str(), &end, 16);
    if (errno || end != line.c_str() + 16 || sum != fnv1a(body.data(), body.size())) return {};
    Entry e;
    char song[17] = {};
    int used = 0;
    if (std::sscanf(body.c_str(), "%lf %lf %16[0-9a-f] %n", &e.level.lufs, &e.level.peak, song, &used) != 3 ||
        used <= 0)
      return {};
    e.song = std::strtoull(song, nullptr, 16);
    e.soundfont = body.substr(static_cast<std::size_t>(used));
    if (!std::isfinite(e.level.lufs) || e.level.lufs < -70 || e.level.lufs > 0 || !std::isfinite(e.level.peak) ||
        e.level.peak < 0 || e.level.peak > 16 || e.soundfont.empty())
      return {};
    entries.push_back(std::move(e));
  }
  if (entries.size() > kMostEntries) entries.erase(entries.begin(), entries.end() - kMostEntries);
  return entries;
}

void Cache::load() { entries_ = read(file_); }

std::optional<Level> Cache::find(const std::string& soundfont_key, uint64_t song_key) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->song == song_key && it->soundfont == soundfont_key) return it->level;
  return std::nullopt;
}

bool Cache::put(const std::string& soundfont_key, uint64_t song_key, Level level) {
  if (soundfont_key.empty()) return false;
  // Another saver (one per monitor) or the dialog may have written meanwhile.
  std::vector<Entry> now = read(file_);
  for (const Entry& e : entries_)
    if (std::none_of(now.begin(), now.end(),
                     [&](const Entry& n) { return n.song == e.song && n.soundfont == e.soundfont; }))
      now.push_back(e);
  std::erase_if(now, [&](const Entry& n) { return n.song == song_key && n.soundfont == soundfont_key; });
  now.push_back({soundfont_key, song_key, level});
  if (now.size() > kMostEntries) now.erase(now.begin(), now.end() - kMostEntries);
  entries_ = now;

  std::string text = std::string(kHeader) + "\n";
  for (const Entry& e : entries_) text += line_of(e.soundfont, e.song, e.level) + "\n";
  std::error_code ec;
  const std::filesystem::path target(file_);
  std::filesystem::create_directories(target.parent_path(), ec);
  std::string name = file_ + ".XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t at = 0; ok && at < text.size();) {
    const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) at += static_cast<std::size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(name.c_str(), file_.c_str()) == 0;
  if (!ok) ::unlink(name.c_str());
  return ok;
}

Measurer::Measurer(std::string soundfont, std::string cache_file, Known known)
    : soundfont_(std::move(soundfont)),
      soundfont_key_(Cache::soundfont_key(soundfont_)),
      known_(std::move(known)),
      cache_(std::move(cache_file)) {
  cache_.load();
}

Measurer::~Measurer() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    quit_ = true;
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::optional<double> Measurer::want(int id, const std::vector<uint8_t>& midi, uint16_t default_programs) {
  const uint64_t key = Cache::song_key(midi);
  std::lock_guard<std::mutex> hold(lock_);
  if (auto l = cache_.find(soundfont_key_, key)) return gain_for(l);
  // The same song opened again (the dialog's listen button) is measured once.
  for (Job& j : jobs_)
    if (j.key == key) {
      jobs_.push_back({id, key, {}, default_programs});
      wake_.notify_all();
      return std::nullopt;
    }
  jobs_.push_back({id, key, midi, default_programs});
  if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  wake_.notify_all();
  return std::nullopt;
}

void Measurer::first(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.id == id; });
  if (it == jobs_.end() || it == jobs_.begin()) return;
  Job j = std::move(*it);
  jobs_.erase(it);
  // A job that shares its song with one before it keeps no bytes of its own.
  if (j.midi.empty())
    for (Job& o : jobs_)
      if (o.key == j.key && !o.midi.empty()) std::swap(o.midi, j.midi);
  jobs_.push_front(std::move(j));
}

void Measurer::forget(int id) {
  std::lock_guard<std::mutex> hold(lock_);
  for (auto it = jobs_.begin(); it != jobs_.end(); ++it)
    if (it->id == id) {
      Job gone = std::move(*it);
      jobs_.erase(it);
      if (!gone.midi.empty())
        for (Job& o : jobs_)
          if (o.key == gone.key && o.midi.empty()) {
            o.midi = std::move(gone.midi);
            break;
          }
      return;
    }
}

void Measurer::run() {
  // Beside the frames and the music, this work can wait.
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    wake_.wait(hold, [&] { return quit_ || !jobs_.empty(); });
    if (quit_) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    std::optional<Level> level = cache_.find(soundfont_key_, job.key);
    if (!level && !job.midi.empty()) {
      hold.unlock();
      level = measure(soundfont_, job.midi, job.default_programs, &stop_);
      hold.lock();
      if (quit_) return;
      // A failed write costs only measuring again next run.
      if (level) cache_.put(soundfont_key_, job.key, *level);
    }
    // Songs waiting for the same bytes are known now too.
    std::vector<int> ids = {job.id};
    if (level) {
      for (auto it = jobs_.begin(); it != jobs_.end();) {
        if (it->key == job.key) {
          ids.push_back(it->id);
          it = jobs_.erase(it);
        } else {
          ++it;
        }
      }
    }
    const double gain = gain_for(level);
    const bool last = jobs_.empty();
    hold.unlock();
    for (int id : ids) known_(id, gain);
    // What the measuring synthesizers took (a large soundfont's instruments,
    // tens of megabytes) goes back to the system, not only to the heap.
    if (last) malloc_trim(0);
    hold.lock();
  }
}

}  // namespace vex::song_level
