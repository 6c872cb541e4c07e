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

namespace {

Step from_picture(Step::Kind kind, int x, int y, int w, int h, Surface picture, int sx, int sy) {
  Step s;
  s.kind = kind;
  s.x = x;
  s.y = y;
  s.w = w;
  s.h = h;
  s.source_handle = picture;
  s.source = surface_view(picture);
  s.source_x = sx;
  s.source_y = sy;
  return s;
}

Step::Kind kind_of(Rop rop) {
  switch (rop) {
    case Rop::kSrcAnd: return Step::kAnd;
    case Rop::kSrcPaint: return Step::kPaint;
    default: return Step::kCopy;
  }
}

}  // namespace

int32_t source_x(const Creature& c) { return check32(static_cast<long long>(mul16(c.Frame, c.Width)) + c.StripX); }

int32_t second_strip(const Creature& c) { return mul16(c.Width, c.FrameCount); }

void draw_layer(const Creature& layer, Rop rop) {
  draw_step(from_picture(kind_of(rop), layer.X, layer.Y, layer.Width, layer.Height, layer.Picture, 0, 0));
}

void draw_masked(const Creature& c, Surface picture) {
  const int32_t sx = source_x(c);
  Step s = from_picture(Step::kMaskAndPaint, c.X, c.Y, c.Width, c.Height, picture, sx, c.Height);
  s.image_handle = s.source_handle;
  s.image = s.source;
  s.image_x = sx;
  s.image_y = 0;
  draw_step(s);
}

void draw_opaque(const Creature& c) {
  draw_step(from_picture(Step::kCopy, c.X, c.Y, c.Width, c.Height, c.Picture, source_x(c), 0));
}

void draw_glow(const Creature& c, Surface picture) {
  draw_step(from_picture(Step::kPaint, c.X, c.Y, c.Width, c.Height, picture, source_x(c), 0));
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
  if (look == Look::kGlow) draw_glow(c, picture);
  else draw_masked(c, picture);
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
  // SetPixel on rows 0 to the spider's top row, every one inside the frame.
  Step s;
  s.kind = Step::kColumn;
  s.x = check32(static_cast<long long>(spider.X) + 39);
  s.y = 0;
  s.w = 1;
  s.h = check32(std::clamp<long long>(static_cast<long long>(spider.Y) + 1, 0, 1 << 16));
  s.colour = from_colorref(kThreadGrey);
  draw_step(s);
}

}  // namespace vex
