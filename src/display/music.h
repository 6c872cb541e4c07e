#pragma once
// The saver's background music: the chosen songs, one after another in
// index order, round and round, through the command strings' sequencer.
#include <array>
#include <cstdint>
#include <string>

#include "base/int16.h"
#include "os/event_loop.h"

namespace vex {

struct MusicState {
  I16 CurrentSong;
  std::string MciReturnText;
  uint32_t MciResult = 0;
  TimerId MusicTimer = -1;
  // Songs that could not be played when their turn came: left out of the
  // rotation for the rest of the run.
  std::array<bool, 12> dropped{};
};
MusicState& music();

inline constexpr long long kMusicTimerMs = 10000;

// Creates the MusicTimer (disabled) on the event loop; the saver window
// does so when it is made.
void create_music_timer();
void Initialize_Songs();
void MusicTimer_Timer();

}  // namespace vex
