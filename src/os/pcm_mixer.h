#pragma once
// The wave mixer with no library under it: every sound converted once, when
// it is opened, to the form of the output (44.1 kHz, 16-bit, stereo); eight
// channels, each playing one sound at a time; their sum, scaled by the
// output volume (os/sound_volume.h) and clipped, handed to
// a sound device that asks for it from a thread of its own. Where the device
// is a system's own one (waveOut on Windows), only the device is the
// system's part.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "os/media_files.h"
#include "os/wave_mixer.h"

namespace vex::pcm {

// The form the sounds are kept in (os/media_files.h bounds how much of it).
inline constexpr int kRate = kKeptRate;
inline constexpr int kChannels = kWaveMixChannels;
inline constexpr std::size_t kFrameBytes = kKeptFrameBytes;  // left and right, 16 bits each

// Interleaved: left, right, left, right, ...
using Samples = std::vector<int16_t>;

// How many frames of the output `frames` frames at `rate` become.
std::size_t output_frames(std::size_t frames, int rate);

// The first `frames` frames of a checked sound (wave, as the checks found it
// in file) in the output's form: mono on both sides, 8-bit widened, other
// rates resampled linearly.
Samples convert(std::span<const uint8_t> file, const WaveSound& wave, std::size_t frames);

// Eight channels. play/stop come from the program's thread, mix from the
// device's; a channel's sound is shared, so a sound let go of while it plays
// stays alive until its channel is done with it.
class Mixer {
 public:
  // Starts the sound on the channel from its beginning, in place of what
  // the channel played; it sounds 1 + repeats times, or until stopped when
  // repeats is negative.
  void play(int channel, std::shared_ptr<const Samples> sound, int repeats);
  void stop(int channel);
  void stop_all();
  // Stops every channel that plays this sound.
  void stop_sound(const Samples* sound);
  bool busy(int channel) const;

  // The next frames of the output: the channels' samples summed, scaled by
  // the output volume and clipped to 16 bits; silence where nothing plays.
  void mix(int16_t* stereo, int frames);

 private:
  struct Channel {
    std::shared_ptr<const Samples> sound;
    std::size_t at = 0;  // next sample
    int repeats = 0;
  };
  mutable std::mutex lock_;
  std::array<Channel, kChannels> channels_;
};

// A sound device that plays 44.1 kHz 16-bit stereo, asking for each buffer
// by calling fill from a thread of its own.
class Output {
 public:
  using Fill = std::function<void(int16_t* stereo, int frames)>;
  virtual ~Output() = default;
  // False when there is no device to play on.
  virtual bool start(Fill fill) = 0;
  // Stops asking and gives the device back; fill is never called after
  // this returns.
  virtual void stop() = 0;
};

}  // namespace vex::pcm

namespace vex {

// The WaveMix calls on the mixer above, each session on a device that
// open_output makes (nullptr: no device). Loop count n in the play record
// plays the sound n + 1 times; 0xFFFF plays it until its channel stops.
// Sounds over the bounds of os/media_files.h are cut or refused with one
// line on stderr, as every mixer's are.
std::unique_ptr<WaveMixer> make_pcm_wave_mixer(std::function<std::unique_ptr<pcm::Output>()> open_output);

}  // namespace vex
