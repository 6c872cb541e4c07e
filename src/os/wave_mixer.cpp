#include "os/wave_mixer.h"

namespace vex {
namespace {

std::unique_ptr<WaveMixer>& current() {
  static std::unique_ptr<WaveMixer> m;
  return m;
}

}  // namespace

WaveMixer& wave_mixer() {
  if (!current()) current() = make_system_wave_mixer();
  return *current();
}

void set_wave_mixer(std::unique_ptr<WaveMixer> mixer) { current() = std::move(mixer); }

}  // namespace vex
