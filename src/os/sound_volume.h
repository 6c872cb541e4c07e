#pragma once
// How loud the process plays: the songs and the effects together, from 0
// (silent) to 100 (as they were made). It takes effect at once, on what is
// playing too; every sound output of the process reads it as it mixes.
namespace vex {

inline constexpr int kFullVolume = 100;
// Clamped to 0..100.
void set_output_volume(int percent);
int output_volume();

}  // namespace vex
