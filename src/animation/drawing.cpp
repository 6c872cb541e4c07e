#include "animation/drawing.h"

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

}  // namespace vex
