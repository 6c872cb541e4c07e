#pragma once
// The settings dialog's moving previews: the two records shown in its two
// preview boxes, and the routines of the six creatures whose preview
// differs from their run in the saver. Each draws one frame into the frame
// buffer at box coordinates.
#include <string>

#include "animation/creature.h"

namespace vex {

struct Previews {
  Creature PreviewCreature;   // the first box ("Creatures")
  Creature PreviewCreature2;  // the second box ("More Creatures")
  // The boxes' inner sizes, as the arithmetic reads them.
  float ScaleWidth1 = 201, ScaleHeight1 = 195;
  float ScaleWidth2 = 201, ScaleHeight2 = 195;
};
Previews& previews();

// Three bats from one record: left third at its own height, two at the
// right third one above the other.
void Anim_Preview_Multiple(Creature& c);
void Anim_Preview_Owl();
void Anim_Preview_Hand();
void Anim_Preview_Lightning();
void Anim_Preview_Spider();
void Anim_Preview_FireFly();

// What a preview needs besides a copy of its creature's record with a
// picture of its own; picture makes (and keeps account of) a picture.
void prepare_owl_preview(Creature& preview, Surface (*picture)(const std::string& file));
void prepare_bat_preview(Creature& preview, Surface (*picture)(const std::string& file));
void prepare_spider_preview(Creature& preview, Surface (*picture)(const std::string& file));
void prepare_lightning_preview(Creature& preview, Surface (*picture)(const std::string& file));
void prepare_hand_preview(Creature& preview, Surface (*picture)(const std::string& file));
void prepare_firefly_preview(Creature& preview, Surface (*picture)(const std::string& file));

}  // namespace vex
