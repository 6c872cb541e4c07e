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
