#pragma once
// Offscreen surfaces, identified by handle as the drawing code expects: 0 (or
// below) is no surface, and drawing from or to it does nothing.
#include <cstdint>
#include <functional>
#include <string>

#include "base/int16.h"
#include "os/raster.h"

namespace vex {

using Surface = int32_t;

struct SurfacesState {
  Surface PaletteSurface = 0;
  Surface FrameBuffer = 0;
  Surface PreviewStrip = 0;
};
SurfacesState& surfaces();
// Releases every bitmap and forgets every handle (tests start afresh).
void reset_surfaces();
int live_surface_count();

// All the pictures loaded from files together (the saver's are some 5
// million pixels): beyond this a picture counts as missing.
inline constexpr long long kPictureBudgetPixels = 24LL * 1024 * 1024;

Surface load_surface(const std::string& path);
Surface create_surface(I16 width, I16 height, Surface reference);
int release_surface(Surface& surface);

PixelView surface_view(Surface s);

void BitBlt(Surface dst, int x, int y, int w, int h, Surface src, int sx, int sy, Rop rop);

// What the drawing asked for, call by call: benchmarks replay one frame's
// calls with other raster libraries. A SetPixel is a 1 x 1 call with no
// source, its colour in sx.
struct BlitCall {
  Surface dst;
  int x, y, w, h;
  Surface src;
  int sx, sy;
  Rop rop;
  bool set_pixel = false;
};
void set_blit_observer(std::function<void(const BlitCall&)> observer);
void BitBltTo(const PixelView& dst, int x, int y, int w, int h, Surface src, int sx, int sy, Rop rop);
void SetPixel(Surface dst, int x, int y, uint32_t colorref);

}  // namespace vex
