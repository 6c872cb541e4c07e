// The devices behind the command strings: songs played by FluidSynth with
// the system's General MIDI soundfont, rendered on the sound thread into the
// same output as the effects; sounds played on channels of their own.
#include <fluidsynth.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "os/file_io.h"
#include "os/linux/audio_output.h"
#include "os/mci_interpreter.h"

namespace vex {
namespace {

// The system's choice first, then the General MIDI soundfonts Debian ships.
constexpr const char* kSoundfonts[] = {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                                       "/usr/share/sounds/sf2/FluidR3_GM.sf2"};
// FluidSynth's own level sits well under the effects'; this brings the
// music to some 6 dB below them, and the sum of eight effects and a song
// still well inside full scale but for their rare common peaks.
constexpr double kMusicGain = 0.45;

class FluidSequencer : public SequencerDevice {
 public:
  ~FluidSequencer() override { shut(); }

  int open(const MidiSong& song, std::vector<uint8_t> bytes) override {
    if (!synth_ && !start()) return -1;
    int id = next_++;
    songs_[id] = {std::move(bytes), song.default_program_channels};
    return id;
  }

  bool play(int id, uint32_t from_tick) override {
    if (songs_.find(id) == songs_.end() || !synth_) return false;
    std::lock_guard<std::mutex> hold(lock_);
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
    prepare_channels(it->second.default_programs);
    player_ = new_fluid_player(synth_);
    if (!player_) return false;
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
    std::lock_guard<std::mutex> hold(lock_);
    if (id != current_ || !player_) return;
    fluid_player_stop(player_);
    fluid_synth_all_notes_off(synth_, -1);
  }

  bool resume(int id) override {
    std::lock_guard<std::mutex> hold(lock_);
    return id == current_ && player_ && fluid_player_play(player_) == FLUID_OK;
  }

  void stop(int id) override {
    std::lock_guard<std::mutex> hold(lock_);
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
    songs_.erase(id);
  }

  bool sounding(int id) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (id == pending_) return true;
    return id == current_ && player_ && fluid_player_get_status(player_) == FLUID_PLAYER_PLAYING;
  }

  // A song being made ready is where it was told to start: while the
  // soundfont is read, and until the sound thread renders the player's first
  // buffer (the player takes the place it was told only then, and reads 0
  // before), it is at that place. A song only moves forward from there.
  uint32_t position_tick(int id) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (id == pending_) return pending_tick_;
    if (id != current_ || !player_) return 0;
    const int t = fluid_player_get_current_tick(player_);
    return std::max(from_tick_, t > 0 ? static_cast<uint32_t>(t) : 0u);
  }

 private:
  static void fill(void* self, int16_t* stereo, int frames) {
    auto* me = static_cast<FluidSequencer*>(self);
    std::lock_guard<std::mutex> hold(me->lock_);
    if (!me->loaded_) {
      std::fill(stereo, stereo + 2 * frames, int16_t{0});
      return;
    }
    fluid_synth_write_s16(me->synth_, frames, stereo, 0, 2, stereo, 1, 2);
  }

  // With the lock held. What the last song left on the channels goes, as a
  // reset between songs would, but no channel is given an instrument the
  // song does not ask for: with dynamic sample loading only the samples of
  // instruments on some channel are in memory, and a large soundfont's
  // piano and drum kit that a song never plays would be tens of megabytes.
  void prepare_channels(uint16_t default_programs) {
    for (int ch = 0; ch < 16; ++ch) {
      fluid_synth_cc(synth_, ch, 121, 0);  // every controller back to its default
      fluid_synth_pitch_bend(synth_, ch, 8192);
      if (default_programs & (1u << ch)) {
        // The channel sounds before it names an instrument: General MIDI's
        // default (the first drum kit on the drum channel).
        if (ch != kDrumChannel) fluid_synth_bank_select(synth_, ch, 0);
        fluid_synth_program_change(synth_, ch, 0);
      } else {
        fluid_synth_unset_program(synth_, ch);
      }
    }
  }

  bool start() {
    const char* soundfont = nullptr;
    for (const char* f : kSoundfonts)
      if (!soundfont && is_regular_file(f)) soundfont = f;
    if (!soundfont || !audio::acquire()) return false;
    settings_ = new_fluid_settings();
    // Only the instruments the songs use are read from the soundfont; the
    // player keeps time by the samples rendered, so FluidSynth starts no
    // thread and no device of its own.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    fluid_settings_setnum(settings_, "synth.sample-rate", audio::frequency());
    fluid_settings_setnum(settings_, "synth.gain", kMusicGain);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setint(settings_, "synth.polyphony", 128);
    // The channels are made ready for each song here (prepare_channels); the
    // player's own reset would give every channel its default instrument.
    fluid_settings_setint(settings_, "player.reset-synth", 0);
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
      shut();
      return false;
    }
    loaded_ = load_failed_ = false;
    // Reading a large soundfont takes a good part of a frame or more; the
    // saver's first frame does not wait for it.
    loader_ = std::thread([this, soundfont] {
      // No instrument is chosen yet: each song chooses its own.
      const bool ok = fluid_synth_sfload(synth_, soundfont, 0) != FLUID_FAILED;
      std::lock_guard<std::mutex> hold(lock_);
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

  void drop_player() {
    if (!player_) return;
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
    current_ = -1;
    fluid_synth_all_sounds_off(synth_, -1);
  }

  void shut() override {
    if (loader_.joinable()) loader_.join();
    if (synth_ || settings_) {
      audio::set_music(nullptr, nullptr);
      {
        std::lock_guard<std::mutex> hold(lock_);
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

  std::mutex lock_;  // the synth and player, shared with the sound thread and the loader
  std::thread loader_;
  bool loaded_ = false;
  bool load_failed_ = false;
  int pending_ = -1;  // a song asked to play before the soundfont was read
  uint32_t pending_tick_ = 0;
  uint32_t from_tick_ = 0;  // where the current song was told to start
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_player_t* player_ = nullptr;
  int current_ = -1;
  int next_ = 1;
  static constexpr int kDrumChannel = 9;
  struct Song {
    std::vector<uint8_t> bytes;
    uint16_t default_programs = 0;
  };
  std::map<int, Song> songs_;
};

class SdlWaveDevice : public WaveDevice {
 public:
  ~SdlWaveDevice() override { shut(); }

  int open(const WaveSound& w, std::vector<uint8_t> bytes) override {
    if (!holding_) {
      if (!audio::acquire()) return -1;
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
