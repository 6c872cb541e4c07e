#pragma once
// The saver's sound effects through the wave mixer: the greeting at start,
// the five creature effects, the six ambient sounds in rotation.
#include <array>
#include <cstdint>

#include "base/int16.h"
#include "os/wave_mixer.h"

namespace vex {

struct SoundFxState {
  int32_t MixerHandle = 0;
  Flag16 SoundOn = kFalse;
  std::array<int32_t, 12> SoundWaves{};
  std::array<MixPlayParams, 12> SoundPlayParams{};
  I16 CurrentAmbientSound;
};
SoundFxState& sound_fx();

// The channel each sound plays on: its own for 0..5, one shared by the
// ambient sounds 6..11 (channel 6 is never played on).
constexpr int sound_channel(int n) { return n <= 5 ? n : 7; }

void Initialize_SoundFX();
void Rotate_SoundFX();
// Closes what Initialize_SoundFX opened (shutdown, saver mode, when on).
void close_sound_fx();

// What a creature does at its sound's moment: plays sound n if it is
// selected (and so, when the mixer is open).
void play_sound_if_selected(int n);

int16_t HighWordOf(int32_t value);
int16_t LowWordOf(int32_t value);

}  // namespace vex
