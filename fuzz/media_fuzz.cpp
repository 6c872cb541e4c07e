// Any bytes as a song and as a sound, through the checks and on into the
// libraries that play them, as the saver does with a user's media files: a
// song the checks accept is read and played by FluidSynth's player for a
// few seconds of rendered samples, a sound they accept is converted for the
// real (dummy-driver) SDL2_mixer output.
#include <SDL.h>
#include <fluidsynth.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>

#include "os/linux/audio_output.h"
#include "os/media_files.h"

// What the sound system's D-Bus client keeps for the life of the process
// (SDL asks it for a real-time sound thread) is not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus\n"; }

namespace {

fluid_settings_t* settings = nullptr;
fluid_synth_t* synth = nullptr;

void quiet(int, const char*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (int level = 0; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, quiet, nullptr);
  settings = new_fluid_settings();
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  synth = new_fluid_synth(settings);
  if (!synth) {
    std::fputs("media_fuzz: FluidSynth made no synthesizer\n", stderr);
    std::abort();
  }
  if (!vex::audio::acquire()) {
    std::fprintf(stderr, "media_fuzz: no sound output: %s\n", SDL_GetError());
    std::abort();
  }
  // libFuzzer ends through exit(): the sound thread is stopped before the
  // statics it reads are destroyed.
  std::atexit([] {
    vex::audio::release();
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  if (auto song = vex::parse_midi(bytes)) {
    fluid_player_t* player = new_fluid_player(synth);
    if (!player) std::abort();
    if (fluid_player_add_mem(player, data, size) == FLUID_OK) {
      // From the start, or from a place the song itself suggests, as the
      // dialog's resumed songs do.
      if (song->last_tick > 0 && (data[size - 1] & 1)) fluid_player_seek(player, static_cast<int>(song->last_tick / 2));
      if (fluid_player_play(player) == FLUID_OK) {
        int16_t stereo[2 * 512];
        for (int block = 0; block < 256 && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING; ++block)
          fluid_synth_write_s16(synth, 512, stereo, 0, 2, stereo, 1, 2);
      }
      fluid_player_stop(player);
    }
    delete_fluid_player(player);
    fluid_synth_all_sounds_off(synth, -1);
    fluid_synth_system_reset(synth);
  }
  if (auto wave = vex::parse_wave(bytes)) {
    if (wave->data_offset + wave->data_bytes > size) std::abort();
    vex::cut_to_longest_kept(*wave);  // as every sound is kept
    std::unique_ptr<vex::audio::Sound> sound(
        vex::audio::make_sound(data + wave->data_offset, wave->data_bytes, wave->channels, wave->rate, wave->bits));
    if (sound && sound->chunk && sound->chunk->alen > 0) {
      // Every converted sample is read, as the mixer will.
      volatile uint8_t sum = 0;
      for (Uint32 i = 0; i < sound->chunk->alen; ++i) sum = static_cast<uint8_t>(sum + sound->chunk->abuf[i]);
    }
  }
  return 0;
}
