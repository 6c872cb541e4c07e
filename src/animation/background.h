#pragma once
#include "animation/creature.h"

namespace vex {

void Anim_FarTombStones(Scene& s);
void Anim_CloseTombStones(Scene& s);
// Masked draw of c's current frame, then on to its next frame.
void Anim_Still_Loop(Creature& c);

}  // namespace vex
