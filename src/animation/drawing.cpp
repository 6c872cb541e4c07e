#include "animation/drawing.h"

#include <algorithm>

namespace vex {

Scene& scene() {
  static Scene s;
  return s;
}

FrameCounters& counters() {
  static FrameCounters c;
  return c;
}

int32_t source_x(const Creature& c) { return check32(static_cast<long long>(mul16(c.Frame, c.Width)) + c.StripX); }

int32_t second_strip(const Creature& c) { return mul16(c.Width, c.FrameCount); }

void draw_masked(const Creature& c, Surface picture) {
  Surface fb = surfaces().FrameBuffer;
  int32_t sx = source_x(c);
  BitBlt(fb, c.X, c.Y, c.Width, c.Height, picture, sx, c.Height, Rop::kSrcAnd);
  BitBlt(fb, c.X, c.Y, c.Width, c.Height, picture, sx, 0, Rop::kSrcPaint);
}

void draw_opaque(const Creature& c) {
  BitBlt(surfaces().FrameBuffer, c.X, c.Y, c.Width, c.Height, c.Picture, source_x(c), 0, Rop::kSrcCopy);
}

void draw_glow(const Creature& c, Surface picture) {
  BitBlt(surfaces().FrameBuffer, c.X, c.Y, c.Width, c.Height, picture, source_x(c), 0, Rop::kSrcPaint);
}

void advance_frame(Creature& c) {
  c.Frame = c.Frame + 1;
  if (c.Frame >= c.FrameCount) c.Frame = 0;
}

void draw_and_loop(Creature& c) {
  draw_masked(c);
  advance_frame(c);
}

void travel(Creature& c, Surface picture, Look look) {
  if (look == Look::kGlow)
    draw_glow(c, picture);
  else
    draw_masked(c, picture);
  advance_frame(c);
  c.X = check32(static_cast<long long>(c.X) + c.SpeedX);
  c.Y = check32(static_cast<long long>(c.Y) + c.SpeedY);
}

Passed turn_at_ends(int32_t position, I16& speed, int32_t low, int32_t high) {
  if (position > high) {
    speed = -speed;
    return Passed::kHigh;
  }
  if (position < low) {
    speed = -speed;
    return Passed::kLow;
  }
  return Passed::kNeither;
}

void turn_at_ends(Creature& c, int32_t low, int32_t high, Strips strips) {
  switch (turn_at_ends(c.X, c.SpeedX, low, high)) {
    case Passed::kHigh: c.StripX = strips.leftward; break;
    case Passed::kLow: c.StripX = strips.rightward; break;
    case Passed::kNeither: break;
  }
}

void draw_thread(const Creature& spider) {
  constexpr uint32_t kThreadGrey = 0x808080;
  // Rows below the buffer would be clipped one by one; stop at its bottom.
  const PixelView fb = surface_view(surfaces().FrameBuffer);
  const int32_t last = std::min<int32_t>(spider.Y, fb.height - 1);
  const int x = check32(static_cast<long long>(spider.X) + 39);
  for (int32_t y = 0; y <= last; ++y) set_pixel(fb, x, y, from_colorref(kThreadGrey));
}

}  // namespace vex
