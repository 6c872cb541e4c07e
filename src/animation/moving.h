#pragma once
// The creatures that travel across the scene, far beyond its 800 columns,
// and come back: each tick draws, advances the frame, moves, then applies the
// creature's rule at the edges of its range.
namespace vex {

void Anim_Bat();
void Anim_Dove();
// index 1: the rat in front of everything; 2: the one behind the far stones.
void Anim_Rat(int index);
void Anim_Skeleton1();
void Anim_Skeleton2();
void Anim_Zombie();
void Anim_Watchman();
void Anim_BouncingPumpkin();
void Anim_Scorpion();
void Anim_FireFly();

}  // namespace vex
