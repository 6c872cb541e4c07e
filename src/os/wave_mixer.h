#pragma once
// The wave mixer: WAV sounds played on up to eight channels at once, mixed
// into the sound output, without anybody pumping it. Handles are opaque
// 32-bit values; 0 is failure or none. A call naming a mixer, channel or
// wave that does not exist does nothing.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vex {

// The play record as the program builds it: twelve 16-bit words, 24 bytes
// little-endian: size (24), mixer (2 words), channel (2), wave (2), window
// to notify (2), flags (2), loop count. Each 32-bit field low word first.
using MixPlayParams = std::array<int16_t, 12>;

// What a play record asks for, as every mixer reads it: nullopt for a
// record that is not 24 bytes.
struct MixPlay {
  int32_t mixer = 0, channel = 0, wave = 0;
  uint16_t loops = 0;
};
std::optional<MixPlay> read_play_record(const MixPlayParams& params);

// One real implementation (the system's sound output); tests that assert
// the exact calls install a recording one.
class WaveMixer {
 public:
  virtual ~WaveMixer() = default;
  virtual int32_t Init() = 0;
  virtual int32_t OpenWave(int32_t mixer, const std::string& path, int32_t instance, uint32_t flags) = 0;
  virtual uint32_t OpenChannel(int32_t mixer, int32_t channels, uint32_t flags) = 0;
  virtual uint32_t Activate(int32_t mixer, int32_t activate) = 0;
  virtual uint32_t Play(const MixPlayParams& params) = 0;
  virtual uint32_t CloseChannel(int32_t mixer, int32_t channel, uint32_t flags) = 0;
  virtual uint32_t FreeWave(int32_t mixer, int32_t wave) = 0;
  virtual uint32_t CloseSession(int32_t mixer) = 0;
};

// The channels every mixer has.
inline constexpr int kWaveMixChannels = 8;

// The calls every mixer answers alike, for one session at a time: the
// session's handle, the channels open, whether it plays, which records play
// and what closing stops. What a mixer does with its device and its sounds
// is its own.
class SessionWaveMixer : public WaveMixer {
 public:
  int32_t Init() override;
  uint32_t OpenChannel(int32_t mixer, int32_t channels, uint32_t flags) override;
  uint32_t Activate(int32_t mixer, int32_t activate) override;
  uint32_t Play(const MixPlayParams& params) override;
  uint32_t CloseChannel(int32_t mixer, int32_t channel, uint32_t flags) override;
  uint32_t CloseSession(int32_t mixer) override;

 protected:
  // Does this handle name the session open now?
  bool ours(int32_t mixer) const { return session_ != 0 && mixer == session_; }
  bool session_open() const { return session_ != 0; }
  // A handle for a wave opened in the session.
  int32_t new_wave_handle() { return next_wave_++; }

  // The device taken for a new session (false: none to be had).
  virtual bool take_device() = 0;
  // The session ends: every channel stopped, every wave let go of, the
  // device given back.
  virtual void end_session() = 0;
  // Plays the wave on the channel (open, in the session that plays); 0 when
  // it plays, 1 for a wave it does not know.
  virtual uint32_t play_wave(int channel, int32_t wave, uint16_t loops) = 0;
  virtual void stop_channel(int channel) = 0;
  virtual void stop_all_channels() = 0;

 private:
  int32_t session_ = 0;
  int32_t next_mixer_ = 0x4D580001;
  int32_t next_wave_ = 0x57560001;
  int channels_ = 0;
  bool active_ = false;
};

std::unique_ptr<WaveMixer> make_system_wave_mixer();

// The mixer the program talks to (the system's unless replaced).
WaveMixer& wave_mixer();
void set_wave_mixer(std::unique_ptr<WaveMixer> mixer);

// The calls by the names the program knows them by.
inline int32_t WaveMixInit() { return wave_mixer().Init(); }
inline int32_t WaveMixOpenWave(int32_t mixer, const std::string& path, int32_t instance, uint32_t flags) {
  return wave_mixer().OpenWave(mixer, path, instance, flags);
}
inline uint32_t WaveMixOpenChannel(int32_t mixer, int32_t channels, uint32_t flags) {
  return wave_mixer().OpenChannel(mixer, channels, flags);
}
inline uint32_t WaveMixActivate(int32_t mixer, int32_t activate) { return wave_mixer().Activate(mixer, activate); }
inline uint32_t WaveMixPlay(const MixPlayParams& params) { return wave_mixer().Play(params); }
inline uint32_t WaveMixCloseChannel(int32_t mixer, int32_t channel, uint32_t flags) {
  return wave_mixer().CloseChannel(mixer, channel, flags);
}
inline uint32_t WaveMixFreeWave(int32_t mixer, int32_t wave) { return wave_mixer().FreeWave(mixer, wave); }
inline uint32_t WaveMixCloseSession(int32_t mixer) { return wave_mixer().CloseSession(mixer); }

}  // namespace vex
