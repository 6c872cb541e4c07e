#pragma once
// The creatures that stay in place: some loop their strip every tick, the
// others follow a schedule read from a frame counter. Each draws first and
// then sets its frame (or position) for the next tick.
#include "animation/creature.h"

namespace vex {

void Anim_Hand();
void Anim_Owl();
void Anim_Medallion();
// Takes the record to animate: the saver's crow, or the settings dialog's
// preview of it.
void Anim_Crow1(Creature& c);
void Anim_Crow2();
void Anim_BloodDrip();
void Anim_GraveDigger();
void Anim_Lightning();
void Anim_Spider();

}  // namespace vex
