#include "animation/schedule.h"

#include "display/sound_fx.h"

namespace vex {

void follow(std::span<const Row> schedule, int v, I16& value) {
  for (const Row& row : schedule) {
    if (!row.when.holds(v)) continue;
    switch (row.change.kind) {
      case Change::kKeep: break;
      case Change::kAdd: value += row.change.value; break;
      case Change::kSet: value = row.change.value; break;
    }
    const Cue& cue = row.cue;
    if (cue.sound != Cue::kNone && (cue.on_reaching == Cue::kAnyValue || value == cue.on_reaching))
      play_sound_if_selected(cue.sound);
    return;
  }
}

}  // namespace vex
