#pragma once
// The creatures that travel across the scene, far beyond its 800 columns,
// and come back: each tick draws, advances the frame, moves, then applies the
// creature's rule at the edges of its range.
#include "animation/creature.h"

namespace vex {

void Anim_Bat(Scene& s);
void Anim_Dove(Scene& s);
// index 1: the rat in front of everything; 2: the one behind the far stones.
void Anim_Rat(Scene& s, int index);
void Anim_Skeleton1(Scene& s);
void Anim_Skeleton2(Scene& s);
void Anim_Zombie(Scene& s);
void Anim_Watchman(Scene& s);
void Anim_BouncingPumpkin(Scene& s);
void Anim_Scorpion(Scene& s);
void Anim_FireFly(Scene& s);

}  // namespace vex
