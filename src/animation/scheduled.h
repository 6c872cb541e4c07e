#pragma once
// The creatures that stay in place: some loop their strip every tick, the
// others follow a schedule read from a frame counter. Each draws first and
// then sets its frame (or position) for the next tick.
#include "animation/creature.h"

namespace vex {

void Anim_Hand(Scene& s);
void Anim_Owl(Scene& s);
void Anim_Medallion(Scene& s);
// Takes the record to animate: the saver's crow, or the settings dialog's
// preview of it.
void Anim_Crow1(Creature& c);
void Anim_Crow2(Scene& s);
void Anim_BloodDrip(Scene& s);
void Anim_GraveDigger(Scene& s);
void Anim_Lightning(Scene& s);
void Anim_Spider(Scene& s);

}  // namespace vex
