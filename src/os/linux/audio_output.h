#pragma once
// The one sound output of the process, on SDL2_mixer: opened by whoever
// needs it first (the wave mixer, the sequencer, the wave player), closed
// when the last of them lets go. Internal to os/linux/.
#include <SDL.h>
#include <SDL_mixer.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "os/media_files.h"

namespace vex::audio {

// Channels 0..7 are the wave mixer's; the wave player's sounds take the
// ones above.
inline constexpr int kMixerChannels = 8;

// True when the output is open (now or already); false when there is no
// sound device.
bool acquire();
void release();
bool is_open();
int frequency();

// A channel of its own for the wave player, above the mixer's.
int take_channel();
void give_channel(int channel);

// A sound in the output's own format, ready to play, owning its samples
// (and its part of what the sounds may take together).
struct Sound {
  std::vector<uint8_t> samples;
  Mix_Chunk* chunk = nullptr;
  SoundShare share;
  Sound() = default;
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;
  ~Sound();
};
// Converts checked PCM (8 or 16 bits, 1 or 2 channels) to the output's
// format; nullptr when the output is closed or the conversion fails. The
// memory it takes is the converted sound's and little more, whatever the
// rates.
// A conversion on another thread gives up (nullptr) once stop is set.
Sound* make_sound(const uint8_t* pcm, std::size_t bytes, int channels, int rate, int bits,
                  const std::atomic<bool>* stop = nullptr);

// The music is rendered a little ahead on a thread of its own, never on the
// sound thread: that one holds the output's lock while it mixes, and an
// effect played meanwhile (a call on the frame's thread) would wait for the
// synthesizer. fill is called on the music's thread, with music_lock() held,
// for interleaved 16-bit stereo; set it to null to stop.
using MusicFill = void (*)(void* data, int16_t* stereo, int frames);
void set_music(MusicFill fill, void* data);
// Held around every fill; whoever changes what fill renders holds it too.
std::mutex& music_lock();
// With music_lock() held: what was rendered and not yet heard is never
// heard (the song stopped, or another begins).
void drop_rendered_music();
// Frames of music rendered, and frames the sound thread has taken (heard,
// or dropped unheard), since the output opened. Rendered is read with
// music_lock() held.
uint64_t music_frames_rendered();
uint64_t music_frames_taken();

// How loud the effects are against the music (0..128 per channel).
inline constexpr int kEffectsVolume = 104;

}  // namespace vex::audio
