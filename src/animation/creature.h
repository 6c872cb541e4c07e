#pragma once
// Everything shown in the graveyard is a Creature: a position, a strip of
// frames in a picture, and a speed.
#include <array>
#include <cstdint>
#include <string>

#include "animation/frame_steps.h"
#include "base/int16.h"
#include "platform/surfaces.h"

namespace vex {

struct Creature {
  int32_t X = 0;
  int32_t Y = 0;
  I16 Height;
  I16 Width;
  I16 FrameCount;
  I16 Frame;
  Surface Picture = 0;
  int32_t StripX = 0;
  int32_t StripY = 0;
  Flag16 Enabled = kFalse;
  I16 SpeedX;
  I16 SpeedY;
  std::string FileName;
  Flag16 Installed = kFalse;
};

// Every record of the scene; element 0 of each family is never used.
struct Scene {
  Creature BackgroundTop, BackgroundMid1, BackgroundMid2, BackgroundMid3, BackgroundBottom;
  Creature TombStone1, TombStone2, TombStone3, TombStone4;
  Creature Hand, Watchman, Owl, Dove, Medallion, Skeleton1, Skeleton2, Crow1, Crow2, Zombie, BloodDrip, GraveDigger,
      Flower, BouncingPumpkin, Scorpion, Spider;
  std::array<Creature, 8> Bat;
  std::array<Creature, 3> Lightning;
  std::array<Creature, 3> Rat;
  std::array<Creature, 16> FireFly;
  // How the last frame was drawn, so the next redraws only what changed;
  // starts afresh with the scene.
  FrameSteps Steps;
};
Scene& scene();

// The frame counters the creatures time their actions by. The saver counts
// each from 0 up to its number and starts again (TickTo100 runs through 101
// values); the dialog's preview timer starts again one value earlier.
struct FrameCounters {
  I16 TickTo1000;
  I16 TickTo40;
  I16 TickTo100;
};
FrameCounters& counters();

}  // namespace vex
