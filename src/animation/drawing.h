#pragma once
// The three ways a creature's current frame reaches the frame buffer, and the
// frame advance that follows the draw.
#include "animation/creature.h"

namespace vex {

// Mask row ANDed, then image row ORed. picture defaults to c's own.
void draw_masked(const Creature& c, Surface picture);
inline void draw_masked(const Creature& c) { draw_masked(c, c.Picture); }
// Image row copied over the scene.
void draw_opaque(const Creature& c);
// Image row ORed: only lit pixels reach the scene.
void draw_glow(const Creature& c, Surface picture);

// Next frame, back to 0 after the last.
void advance_frame(Creature& c);

// Left edge of c's current frame in its picture; the product is 16-bit.
int32_t source_x(const Creature& c);

}  // namespace vex
