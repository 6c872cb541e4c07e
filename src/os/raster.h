#pragma once
// Software raster in one pixel format, XRGB8888. Every operation clips the
// rectangle against the source and the destination once, then runs plain row
// loops; a source rectangle partly or wholly outside its picture draws nothing
// there.
#include <cstdint>
#include <vector>

namespace vex {

using Pixel = uint32_t;  // 0x00RRGGBB

inline constexpr Pixel rgb(int r, int g, int b) {
  return (static_cast<Pixel>(r & 255) << 16) | (static_cast<Pixel>(g & 255) << 8) | static_cast<Pixel>(b & 255);
}
// Colours given as a platform colour value 0x00BBGGRR.
inline constexpr Pixel from_colorref(uint32_t c) { return rgb(c & 255, (c >> 8) & 255, (c >> 16) & 255); }

struct PixelView {
  Pixel* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // in pixels
  Pixel* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
  Pixel at(int x, int y) const { return row(y)[x]; }
  bool empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
  // The same pixels seen the same way.
  bool operator==(const PixelView&) const = default;
};

// A rectangle of pixels, wherever they are (a picture, a window, the
// screen's monitors, a dialog's controls); ends exclusive at x + w, y + h.
struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool empty() const { return w <= 0 || h <= 0; }
  long long area() const { return empty() ? 0 : static_cast<long long>(w) * h; }
  // The ends, wide enough for any sum of the fields.
  long long right() const { return static_cast<long long>(x) + w; }
  long long bottom() const { return static_cast<long long>(y) + h; }
  // Does this one cover all of r?
  bool encloses(const PixelRect& r) const {
    return x <= r.x && y <= r.y && right() >= r.right() && bottom() >= r.bottom();
  }
  bool operator==(const PixelRect&) const = default;
};
// The part of v that r covers, cut to v; empty when they do not meet.
PixelView sub_view(const PixelView& v, PixelRect r);
PixelRect clip_rect(PixelRect r, int width, int height);
// The rectangle from (x0, y0) to before (x1, y1), no side below zero; a
// corner past the range of int lies past every picture and is kept at its edge.
PixelRect rect_between(long long x0, long long y0, long long x1, long long y1);
// Where a and b meet (empty, with no area, when they do not).
PixelRect intersection(const PixelRect& a, const PixelRect& b);
// The smallest rectangle covering both; an empty one adds nothing.
PixelRect bounding(const PixelRect& a, const PixelRect& b);

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, Pixel fill = 0);
  int width() const { return width_; }
  int height() const { return height_; }
  Pixel at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  Pixel& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  PixelView view() { return {pixels_.data(), width_, height_, width_}; }
  PixelView view() const { return {const_cast<Pixel*>(pixels_.data()), width_, height_, width_}; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Pixel> pixels_;
};

enum class Rop : uint32_t {
  kSrcCopy = 0x00CC0020,
  kSrcAnd = 0x008800C6,
  kSrcPaint = 0x00EE0086,
  kBlackness = 0x00000042,
};

// BitBlt: w x h from src (sx, sy) to dst (dx, dy). Blackness ignores src.
void bit_blt(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx, int sy, Rop rop);

// StretchBlt with SRCCOPY and nearest-neighbour sampling (the platform's
// default stretch mode when enlarging): the source rectangle (sx, sy, sw, sh)
// onto the destination rectangle (dx, dy, dw, dh).
void stretch_blt(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy, int sw,
                 int sh);

void fill_rect(const PixelView& dst, int x, int y, int w, int h, Pixel colour);
void set_pixel(const PixelView& dst, int x, int y, Pixel colour);

}  // namespace vex
