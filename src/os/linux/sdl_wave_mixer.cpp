// The wave mixer on SDL2_mixer: eight channels, each playing one sound at a
// time; a play on a busy channel starts it over; the mixing happens on the
// sound thread, nobody pumps it.
#include <algorithm>
#include <map>
#include <memory>

#include "os/file_io.h"
#include "os/linux/audio_output.h"
#include "os/media_files.h"
#include "os/wave_mixer.h"

namespace vex {
namespace {

constexpr int32_t kFirstMixer = 0x4D580001;
constexpr int32_t kFirstWave = 0x57560001;

class SdlWaveMixer : public WaveMixer {
 public:
  ~SdlWaveMixer() override {
    if (session_) CloseSession(session_);
  }

  int32_t Init() override {
    if (session_) return 0;  // one session at a time
    if (!audio::acquire()) return 0;
    session_ = next_mixer_++;
    return session_;
  }

  int32_t OpenWave(int32_t mixer, const std::string& path, int32_t, uint32_t) override {
    if (!ours(mixer)) return 0;
    auto bytes = read_regular_file(path, kMaxSoundBytes);
    if (!bytes) return 0;
    auto wave = parse_wave(*bytes);
    if (!wave) return 0;
    audio::Sound* s =
        audio::make_sound(bytes->data() + wave->data_offset, wave->data_bytes, wave->channels, wave->rate, wave->bits);
    if (!s) return 0;
    int32_t handle = next_wave_++;
    waves_[handle].reset(s);
    return handle;
  }

  uint32_t OpenChannel(int32_t mixer, int32_t channels, uint32_t flags) override {
    if (!ours(mixer)) return 1;
    // Flags 2: that many channels from channel 0.
    if (flags == 2) channels_ = std::clamp(channels, 0, audio::kMixerChannels);
    else if (channels >= 0 && channels < audio::kMixerChannels) channels_ = std::max(channels_, channels + 1);
    return 0;
  }

  uint32_t Activate(int32_t mixer, int32_t activate) override {
    if (!ours(mixer)) return 1;
    active_ = activate != 0;
    if (!active_) Mix_HaltChannel(-1);
    return 0;
  }

  uint32_t Play(const MixPlayParams& p) override {
    auto word32 = [&](int at) {
      return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(p[at])) |
                                  (static_cast<uint32_t>(static_cast<uint16_t>(p[at + 1])) << 16));
    };
    const int32_t mixer = word32(1), channel = word32(3), wave = word32(5);
    const int loops = p[11];
    // A record that names no open mixer, channel or wave plays nothing.
    if (p[0] != 24 || !ours(mixer) || !active_ || channel < 0 || channel >= channels_) return 1;
    auto it = waves_.find(wave);
    if (it == waves_.end()) return 1;
    return Mix_PlayChannel(channel, it->second->chunk, std::max(loops, 0)) == channel ? 0 : 1;
  }

  uint32_t CloseChannel(int32_t mixer, int32_t channel, uint32_t flags) override {
    if (!ours(mixer)) return 1;
    if (flags == 1) {  // all of them
      for (int c = 0; c < channels_; ++c) Mix_HaltChannel(c);
      channels_ = 0;
    } else if (channel >= 0 && channel < channels_) {
      Mix_HaltChannel(channel);
    }
    return 0;
  }

  uint32_t FreeWave(int32_t mixer, int32_t wave) override {
    if (!ours(mixer)) return 1;
    return waves_.erase(wave) ? 0 : 1;
  }

  uint32_t CloseSession(int32_t mixer) override {
    if (!ours(mixer)) return 1;
    for (int c = 0; c < audio::kMixerChannels; ++c) Mix_HaltChannel(c);
    waves_.clear();
    channels_ = 0;
    active_ = false;
    session_ = 0;
    audio::release();
    return 0;
  }

 private:
  bool ours(int32_t mixer) const { return session_ != 0 && mixer == session_; }

  int32_t session_ = 0;
  int32_t next_mixer_ = kFirstMixer;
  int32_t next_wave_ = kFirstWave;
  int channels_ = 0;
  bool active_ = false;
  std::map<int32_t, std::unique_ptr<audio::Sound>> waves_;
};

}  // namespace

std::unique_ptr<WaveMixer> make_system_wave_mixer() { return std::make_unique<SdlWaveMixer>(); }

}  // namespace vex
