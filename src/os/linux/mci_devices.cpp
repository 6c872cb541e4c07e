// The devices behind the command strings: songs played by FluidSynth with
// the system's General MIDI soundfont, rendered on the music's thread into
// the same output as the effects; sounds played on channels of their own.
#include <fluidsynth.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "os/linux/audio_output.h"
#include "os/linux/song_level.h"
#include "os/linux/soundfont.h"
#include "os/linux/mci_interpreter.h"
#include "os/paths.h"

namespace vex {
namespace {

using song_level::kPolyphony;
// A song measured while it plays moves to its level this fast, so that the
// change is heard as a swell rather than a step.
constexpr double kGlideDbPerBlock = 0.08;  // some 7 dB a second

// FluidSynth says what goes wrong on every event it cannot take: a song
// that floods it would flood the terminal. Each kind of message (its text
// without the numbers in it) is told once a run, as ours.
void synth_log(int level, const char* message, void*) {
  static std::mutex lock;
  static std::set<std::string> told;
  std::string kind = std::to_string(level) + ":";
  for (const char* c = message; *c; ++c)
    if (*c < '0' || *c > '9') kind += *c;
  std::lock_guard<std::mutex> hold(lock);
  // Kinds are a few dozen texts; a bound all the same.
  if (told.size() >= 64 || !told.insert(kind).second) return;
  std::fprintf(stderr, "vexmoor: synthesizer %s: %s (said once; more like it are not shown)\n",
               level == FLUID_WARN ? "warning" : "error", message);
}

void route_synth_log() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN}) fluid_set_log_function(level, synth_log, nullptr);
    for (int level : {FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
  });
}

// A run that cannot play its songs says why once.
void tell_once(bool& told, const std::string& text) {
  if (told) return;
  told = true;
  std::fprintf(stderr, "vexmoor: %s\n", text.c_str());
}
bool told_no_soundfont = false;
bool told_bad_soundfont = false;

class FluidSequencer : public SequencerDevice {
 public:
  ~FluidSequencer() override { shut(); }

  int open(const MidiSong& song, std::vector<uint8_t> bytes) override {
    if (!synth_ && !start()) return unavailable_;
    int id = next_++;
    // Found in the cache, or measured on the measurer's thread; until then
    // the song plays at the gain its level was first set at.
    const std::optional<double> gain = levels_->want(id, bytes, song.default_program_channels);
    // The loader's thread may be starting another song meanwhile.
    std::lock_guard<std::mutex> hold(audio::music_lock());
    songs_[id] = {std::move(bytes), song.default_program_channels, gain.value_or(song_level::kDefaultGain)};
    return id;
  }

  bool play(int id, uint32_t from_tick) override {
    if (songs_.find(id) == songs_.end() || !synth_) return false;
    levels_->first(id);
    std::lock_guard<std::mutex> hold(audio::music_lock());
    if (load_failed_) return false;
    drop_player();
    if (!loaded_) {
      // The soundfont is still being read: the song starts the moment it is.
      pending_ = id;
      pending_tick_ = from_tick;
      current_ = id;
      from_tick_ = from_tick;
      return true;
    }
    return start_player(id, from_tick);
  }

  // With the lock held.
  bool start_player(int id, uint32_t from_tick) {
    auto it = songs_.find(id);
    if (it == songs_.end()) return false;
    // The channels are made ready on the music's thread, before the song's
    // first block: an instrument chosen may read (and, from a compressed
    // soundfont, decode) its samples, which the program's thread does not
    // wait for.
    prepare_ = true;
    default_programs_ = it->second.default_programs;
    // Nothing sounds yet: the song's level is taken at once.
    target_gain_ = it->second.gain;
    gain_now_ = target_gain_;
    fluid_synth_set_gain(synth_, static_cast<float>(gain_now_));
    player_ = new_fluid_player(synth_);
    if (!player_) return false;
    fluid_player_set_playback_callback(player_, take_event, this);
    // The place to start from is told before playing: once it plays, the
    // player only takes a place within what it has read of the file.
    if (fluid_player_add_mem(player_, it->second.bytes.data(), it->second.bytes.size()) != FLUID_OK ||
        (from_tick > 0 && fluid_player_seek(player_, static_cast<int>(from_tick)) != FLUID_OK) ||
        fluid_player_play(player_) != FLUID_OK) {
      drop_player();
      return false;
    }
    current_ = id;
    from_tick_ = from_tick;
    return true;
  }

  void pause(int id) override {
    std::lock_guard<std::mutex> hold(audio::music_lock());
    if (id != current_ || !player_) return;
    fluid_player_stop(player_);
    waiting_.clear();
    fluid_synth_all_notes_off(synth_, -1);
  }

  bool resume(int id) override {
    std::lock_guard<std::mutex> hold(audio::music_lock());
    return id == current_ && player_ && fluid_player_play(player_) == FLUID_OK;
  }

  void stop(int id) override {
    std::lock_guard<std::mutex> hold(audio::music_lock());
    if (id == pending_) pending_ = -1;
    if (id == current_) {
      drop_player();
      current_ = -1;
    }
  }

  // The soundfont and the sound output stay until everything is closed for
  // good: the dialog's next song starts at once, and a sound played after it
  // goes on in the same output.
  void close(int id) override {
    stop(id);
    if (levels_) levels_->forget(id);
    std::lock_guard<std::mutex> hold(audio::music_lock());
    songs_.erase(id);
  }

  bool sounding(int id) override {
    std::lock_guard<std::mutex> hold(audio::music_lock());
    if (id == pending_) return true;
    return id == current_ && player_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING;
  }

  // Where the song is as heard: the music is rendered a little ahead, so the
  // place is the one reached by the last block the sound thread has taken.
  // A song being made ready (the soundfont still being read, or nothing of
  // it taken yet) is where it was told to start. A song only moves forward
  // from there.
  uint32_t position_tick(int id) override {
    std::lock_guard<std::mutex> hold(audio::music_lock());
    if (id == pending_) return pending_tick_;
    if (id != current_ || !player_) return 0;
    const uint64_t taken = audio::music_frames_taken();
    while (!marks_.empty() && marks_.front().end <= taken) {
      heard_tick_ = std::max(heard_tick_, marks_.front().tick);
      marks_.pop_front();
    }
    return std::max(from_tick_, heard_tick_);
  }

 private:
  // What one block of rendering (512 frames, 12 ms) hands the synthesizer;
  // the rest waits, in order, for the next block. More notes begun than
  // there are voices could only take the voices of notes begun in the same
  // block; an instrument chosen may read its samples from the soundfont (up
  // to half a millisecond each); and any event costs more the more voices
  // sound (a controller, some 50 us with every voice busy). Whatever the
  // song, a block is done in a few milliseconds, so the commands waiting for
  // the lock and the end of the run wait no longer than that.
  static constexpr int kNotesPerBlock = kPolyphony;
  static constexpr int kInstrumentsPerBlock = 4;
  static constexpr int kEventsPerBlock = 1024;
  static constexpr auto kEventTimePerBlock = std::chrono::microseconds(2000);
  // Events waiting beyond this (only a flood gets so far behind) are left
  // out, and once the flood has passed every note is ended.
  static constexpr std::size_t kMaxWaiting = 16384;

  // Counts the event against the block's allowance: false when the block
  // has none left for it.
  bool allowed(fluid_midi_event_t* e) {
    if (events_ >= kEventsPerBlock) return false;
    const int type = fluid_midi_event_get_type(e);
    const bool instrument = type == 0xC0;
    // The clock is read before every instrument and every few other events:
    // most are cheap.
    if ((instrument || (events_ & 7) == 0) && std::chrono::steady_clock::now() - block_began_ > kEventTimePerBlock)
      return false;
    if (type == 0x90 && fluid_midi_event_get_velocity(e) > 0) {
      if (notes_ >= kNotesPerBlock) return false;
      ++notes_;
    } else if (instrument) {
      if (instruments_ >= kInstrumentsPerBlock) return false;
      ++instruments_;
    }
    ++events_;
    return true;
  }

  // The player hands over each event as it falls due (on the music's
  // thread, the lock held, inside fill).
  static int take_event(void* self, fluid_midi_event_t* e) {
    auto* me = static_cast<FluidSequencer*>(self);
    if (me->waiting_.empty() && me->allowed(e)) return fluid_synth_handle_midi_event(me->synth_, e);
    // The events are the player's, and live as long as it does: it reads
    // its one file once, and a player is never started again once done (a
    // new one plays the song again), nor resumed with events waiting.
    if (me->waiting_.size() < kMaxWaiting) me->waiting_.push_back(e);
    else me->left_out_ = true;
    return FLUID_OK;
  }

  static void fill(void* self, int16_t* stereo, int frames) {
    auto* me = static_cast<FluidSequencer*>(self);
    if (!me->loaded_) {
      std::fill(stereo, stereo + 2 * frames, int16_t{0});
      return;
    }
    if (me->prepare_) {
      me->prepare_ = false;
      song_level::prepare_channels(me->synth_, me->default_programs_);
    }
    if (me->gain_now_ != me->target_gain_) {
      const double step = std::pow(10.0, kGlideDbPerBlock / 20);
      me->gain_now_ = me->gain_now_ < me->target_gain_ ? std::min(me->target_gain_, me->gain_now_ * step)
                                                       : std::max(me->target_gain_, me->gain_now_ / step);
      fluid_synth_set_gain(me->synth_, static_cast<float>(me->gain_now_));
    }
    me->events_ = me->notes_ = me->instruments_ = 0;
    me->block_began_ = std::chrono::steady_clock::now();
    while (!me->waiting_.empty() && me->allowed(me->waiting_.front())) {
      fluid_synth_handle_midi_event(me->synth_, me->waiting_.front());
      me->waiting_.pop_front();
    }
    if (me->waiting_.empty() && me->left_out_) {
      me->left_out_ = false;
      fluid_synth_all_notes_off(me->synth_, -1);
    }
    fluid_synth_write_s16(me->synth_, frames, stereo, 0, 2, stereo, 1, 2);
    if (me->player_) {
      const int t = fluid_player_get_current_tick(me->player_);
      // The ring holds a few blocks: older marks were surely heard.
      while (me->marks_.size() >= 64) {
        me->heard_tick_ = std::max(me->heard_tick_, me->marks_.front().tick);
        me->marks_.pop_front();
      }
      me->marks_.push_back(
          {audio::music_frames_rendered() + static_cast<uint64_t>(frames), t > 0 ? static_cast<uint32_t>(t) : 0u});
    }
  }

  bool start() {
    const std::string root = soundfont_root();
    const std::string soundfont = find_soundfont(root);
    if (soundfont.empty()) {
      tell_once(told_no_soundfont, "no General MIDI soundfont in " + root +
                                       " (sf2/default-GM.sf2, sf3/default-GM.sf3 "
                                       "or another the soundfont packages install); the songs stay silent");
      unavailable_ = kNoSoundOutput;
      return false;
    }
    if (!audio::acquire()) {
      unavailable_ = kNoSoundOutput;
      return false;
    }
    unavailable_ = -1;
    route_synth_log();
    settings_ = new_fluid_settings();
    song_level::apply_song_settings(settings_, audio::frequency());
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
      shut();
      return false;
    }
    loaded_ = load_failed_ = false;
    levels_ = std::make_unique<song_level::Measurer>(soundfont, cache_directory() + "/song-levels",
                                                     [this](int id, double gain) { level_known(id, gain); });
    // Reading a large soundfont takes a good part of a frame or more; the
    // saver's first frame does not wait for it.
    loader_ = std::thread([this, soundfont] {
      // No instrument is chosen yet: each song chooses its own.
      const bool ok = fluid_synth_sfload(synth_, soundfont.c_str(), 0) != FLUID_FAILED;
      if (!ok) tell_once(told_bad_soundfont, "the soundfont " + soundfont + " cannot be read; the songs stay silent");
      std::lock_guard<std::mutex> hold(audio::music_lock());
      loaded_ = ok;
      load_failed_ = !ok;
      if (pending_ >= 0) {
        const int id = pending_;
        pending_ = -1;
        if (!ok || !start_player(id, pending_tick_)) current_ = -1;
      }
    });
    audio::set_music(fill, this);
    return true;
  }

  // With the lock held.
  void drop_player() {
    if (!player_) return;
    fluid_player_stop(player_);
    waiting_.clear();
    left_out_ = false;
    prepare_ = false;
    delete_fluid_player(player_);
    player_ = nullptr;
    current_ = -1;
    fluid_synth_all_sounds_off(synth_, -1);
    // What was rendered ahead of the player just dropped is not heard.
    audio::drop_rendered_music();
    marks_.clear();
    heard_tick_ = 0;
  }

  // On the measurer's thread.
  void level_known(int id, double gain) {
    std::lock_guard<std::mutex> hold(audio::music_lock());
    auto it = songs_.find(id);
    if (it == songs_.end()) return;
    it->second.gain = gain;
    if (id == current_) target_gain_ = gain;
  }

  void shut() override {
    if (loader_.joinable()) loader_.join();
    // Before the lock is taken: the measurer's thread may be waiting for it
    // to tell a level.
    levels_.reset();
    if (synth_ || settings_) {
      audio::set_music(nullptr, nullptr);
      {
        std::lock_guard<std::mutex> hold(audio::music_lock());
        drop_player();
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
        synth_ = nullptr;
        settings_ = nullptr;
        loaded_ = load_failed_ = false;
        pending_ = -1;
      }
      audio::release();
    }
  }

  std::thread loader_;
  // Under audio::music_lock(), shared with the music's thread and the loader:
  bool loaded_ = false;
  bool load_failed_ = false;
  int pending_ = -1;  // a song asked to play before the soundfont was read
  uint32_t pending_tick_ = 0;
  uint32_t from_tick_ = 0;  // where the current song was told to start
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
  int current_ = -1;
  bool prepare_ = false;  // the channels, for the song just started
  uint16_t default_programs_ = 0;
  double target_gain_ = song_level::kDefaultGain;  // the current song's level
  double gain_now_ = song_level::kDefaultGain;     // the synthesizer's, gliding to it
  std::deque<fluid_midi_event_t*> waiting_;
  bool left_out_ = false;
  int events_ = 0, notes_ = 0, instruments_ = 0;
  std::chrono::steady_clock::time_point block_began_;
  // The place the player had reached at the end of each block rendered
  // (counted in the output's frames), until the sound thread has taken it.
  struct Mark {
    uint64_t end;
    uint32_t tick;
  };
  std::deque<Mark> marks_;
  uint32_t heard_tick_ = 0;
  // Only the program's thread:
  int next_ = 1;
  int unavailable_ = -1;  // what open answers when the device cannot start
  std::unique_ptr<song_level::Measurer> levels_;
  struct Song {
    std::vector<uint8_t> bytes;
    uint16_t default_programs = 0;
    double gain = song_level::kDefaultGain;
  };
  // Changed on the program's thread with the lock held (the loader reads it,
  // the measurer's thread sets a song's gain).
  std::map<int, Song> songs_;
};

class SdlWaveDevice : public WaveDevice {
 public:
  ~SdlWaveDevice() override { shut(); }

  int open(const WaveSound& w, std::vector<uint8_t> bytes) override {
    if (!holding_) {
      if (!audio::acquire()) return kNoSoundOutput;
      holding_ = true;
    }
    audio::Sound* s = audio::make_sound(bytes.data() + w.data_offset, w.data_bytes, w.channels, w.rate, w.bits);
    if (!s) return -1;
    int id = next_++;
    Entry& e = sounds_[id];
    e.sound.reset(s);
    e.channel = audio::take_channel();
    e.length_ms = w.length_ms();
    return id;
  }

  bool play(int id, double from_ms) override {
    auto it = sounds_.find(id);
    if (it == sounds_.end()) return false;
    Entry& e = it->second;
    if (Mix_PlayChannel(e.channel, e.sound->chunk, 0) != e.channel) return false;
    (void)from_ms;  // the dialog's sounds always start at their beginning
    e.started = SDL_GetTicks();
    return true;
  }

  void stop(int id) override {
    auto it = sounds_.find(id);
    if (it != sounds_.end()) Mix_HaltChannel(it->second.channel);
  }

  void close(int id) override {
    auto it = sounds_.find(id);
    if (it == sounds_.end()) return;
    audio::give_channel(it->second.channel);
    sounds_.erase(it);
  }

  void shut() override {
    while (!sounds_.empty()) close(sounds_.begin()->first);
    if (holding_) audio::release();
    holding_ = false;
  }

  bool sounding(int id) override {
    auto it = sounds_.find(id);
    return it != sounds_.end() && Mix_Playing(it->second.channel) &&
           Mix_GetChunk(it->second.channel) == it->second.sound->chunk;
  }

  double position_ms(int id) override {
    auto it = sounds_.find(id);
    if (it == sounds_.end() || !sounding(id)) return 0;
    return std::min(it->second.length_ms, static_cast<double>(SDL_GetTicks() - it->second.started));
  }

 private:
  struct Entry {
    std::unique_ptr<audio::Sound> sound;
    int channel = 0;
    double length_ms = 0;
    Uint32 started = 0;
  };
  int next_ = 1;
  bool holding_ = false;
  std::map<int, Entry> sounds_;
};

}  // namespace

std::unique_ptr<CommandStrings> make_system_command_strings() {
  return std::make_unique<MciInterpreter>(std::make_unique<FluidSequencer>(), std::make_unique<SdlWaveDevice>());
}

}  // namespace vex
