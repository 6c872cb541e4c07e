#include "os/wave_mixer.h"

namespace vex {
namespace {

std::unique_ptr<WaveMixer>& current() {
  static std::unique_ptr<WaveMixer> m;
  return m;
}

}  // namespace

std::optional<MixPlay> read_play_record(const MixPlayParams& p) {
  if (p[0] != 24) return std::nullopt;
  // Each 32-bit field low word first.
  auto word32 = [&](int at) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(p[at])) |
                                (static_cast<uint32_t>(static_cast<uint16_t>(p[at + 1])) << 16));
  };
  return MixPlay{word32(1), word32(3), word32(5), static_cast<uint16_t>(p[11])};
}

WaveMixer& wave_mixer() {
  if (!current()) current() = make_system_wave_mixer();
  return *current();
}

void set_wave_mixer(std::unique_ptr<WaveMixer> mixer) { current() = std::move(mixer); }

}  // namespace vex
