#pragma once
// The ways a layer or a creature's current frame reaches the frame buffer
// (each one step of the frame, frame_steps.h), the frame advance that follows the draw, and the steps every travelling
// creature takes: move by its speed, turn round at the ends of its range.
#include "animation/creature.h"

namespace vex {

// The frame of a creature that is not drawn: its source lies left of the picture.
inline constexpr int kHiddenFrame = -1;

// A scene layer: its whole picture from (0, 0) at its own place, with rop.
void draw_layer(const Creature& layer, Rop rop);

// Mask row ANDed, then image row ORed. picture defaults to c's own.
void draw_masked(const Creature& c, Surface picture);
inline void draw_masked(const Creature& c) { draw_masked(c, c.Picture); }
// Image row copied over the scene.
void draw_opaque(const Creature& c);
// Image row ORed: only lit pixels reach the scene.
void draw_glow(const Creature& c, Surface picture);

// Next frame, back to 0 after the last.
void advance_frame(Creature& c);
// The whole tick of a creature that only plays its strip in place.
void draw_and_loop(Creature& c);

// Left edge of c's current frame in its picture; the product is 16-bit.
int32_t source_x(const Creature& c);
// Where the strip drawn for the other direction starts: right after the first.
int32_t second_strip(const Creature& c);

enum class Look { kMasked, kGlow };
// Draw the current frame (from picture: a family shares its first member's),
// advance the frame, move by the speed: how every travelling creature's tick
// begins, before its own rule at the edges.
void travel(Creature& c, Surface picture, Look look);

// The edges belong to the range: only a position strictly beyond one turns the
// speed round. Says which end was passed, if any.
enum class Passed { kNeither, kLow, kHigh };
Passed turn_at_ends(int32_t position, I16& speed, int32_t low, int32_t high);

// A creature with a strip for each direction turns round at the ends of
// [low, high] in x and shows the strip for the way it now goes.
struct Strips {
  int32_t rightward;
  int32_t leftward;
};
void turn_at_ends(Creature& c, int32_t low, int32_t high, Strips strips);

// The spider's grey thread, from the scene's top row down to the spider's top
// row in its middle column; none while the spider is above the scene.
void draw_thread(const Creature& spider);

}  // namespace vex
