#include "os/raster.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vex {

Bitmap::Bitmap(int width, int height, Pixel fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

namespace {

// Shrinks [d, d+n) against [0, limit) and moves the paired coordinate along.
void clip_axis(int& d, int& s, int& n, int limit) {
  long long dd = d, ss = s, nn = n;
  if (dd < 0) {
    ss -= dd;
    nn += dd;
    dd = 0;
  }
  if (dd + nn > limit) nn = limit - dd;
  if (nn <= 0) {
    n = 0;
    return;
  }
  d = static_cast<int>(dd);
  s = static_cast<int>(ss);
  n = static_cast<int>(nn);
}

}  // namespace

void bit_blt(const PixelView& dst, int dx, int dy, int w, int h, const PixelView& src, int sx, int sy, Rop rop) {
  if (dst.empty() || w <= 0 || h <= 0) return;
  if (rop == Rop::kBlackness) {
    fill_rect(dst, dx, dy, w, h, 0);
    return;
  }
  if (src.empty()) return;
  // Clip against the source first (moving the destination with it), then
  // against the destination (moving the source with it).
  clip_axis(sx, dx, w, src.width);
  clip_axis(sy, dy, h, src.height);
  clip_axis(dx, sx, w, dst.width);
  clip_axis(dy, sy, h, dst.height);
  if (w <= 0 || h <= 0) return;
  for (int y = 0; y < h; ++y) {
    Pixel* d = dst.row(dy + y) + dx;
    const Pixel* s = src.row(sy + y) + sx;
    switch (rop) {
      case Rop::kSrcCopy: std::memmove(d, s, static_cast<std::size_t>(w) * sizeof(Pixel)); break;
      case Rop::kSrcAnd:
        for (int x = 0; x < w; ++x) d[x] &= s[x];
        break;
      case Rop::kSrcPaint:
        for (int x = 0; x < w; ++x) d[x] |= s[x];
        break;
      case Rop::kBlackness: break;
    }
  }
}

PixelRect clip_rect(PixelRect r, int width, int height) {
  const long long x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const long long x1 = std::min(static_cast<long long>(r.x) + r.w, static_cast<long long>(width));
  const long long y1 = std::min(static_cast<long long>(r.y) + r.h, static_cast<long long>(height));
  if (x0 >= x1 || y0 >= y1) return {};
  return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
}

PixelRect rect_between(long long x0, long long y0, long long x1, long long y1) {
  auto clamp = [](long long v) {
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  return {clamp(x0), clamp(y0), clamp(std::max(x1 - x0, 0LL)), clamp(std::max(y1 - y0, 0LL))};
}

PixelRect intersection(const PixelRect& a, const PixelRect& b) {
  return rect_between(std::max(a.x, b.x), std::max(a.y, b.y), std::min(a.right(), b.right()),
                      std::min(a.bottom(), b.bottom()));
}

PixelRect bounding(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return rect_between(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.right(), b.right()),
                      std::max(a.bottom(), b.bottom()));
}

PixelView sub_view(const PixelView& v, PixelRect r) {
  r = clip_rect(r, v.width, v.height);
  if (v.empty() || r.empty()) return {};
  return {v.row(r.y) + r.x, r.w, r.h, v.stride};
}

void stretch_blt(const PixelView& dst, int dx, int dy, int dw, int dh, const PixelView& src, int sx, int sy, int sw,
                 int sh) {
  if (dst.empty() || src.empty() || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  // Destination pixel i samples source pixel floor(i * sw / dw). Column
  // indexes are computed once per call; rows that sample the same source row
  // as the row above are copied from it.
  int x0 = std::max(dx, 0), x1 = std::min(dx + dw, dst.width);
  int y0 = std::max(dy, 0), y1 = std::min(dy + dh, dst.height);
  if (x0 >= x1 || y0 >= y1) return;
  thread_local std::vector<int> cols;
  cols.resize(static_cast<std::size_t>(x1 - x0));
  bool all_cols_inside = true;
  for (int x = x0; x < x1; ++x) {
    long long i = static_cast<long long>(x) - dx;
    int c = sx + static_cast<int>(i * sw / dw);
    cols[static_cast<std::size_t>(x - x0)] = c;
    all_cols_inside = all_cols_inside && c >= 0 && c < src.width;
  }
  int prev_sy = -1;
  const Pixel* prev_row = nullptr;
  for (int y = y0; y < y1; ++y) {
    long long j = static_cast<long long>(y) - dy;
    int syy = sy + static_cast<int>(j * sh / dh);
    Pixel* d = dst.row(y);
    if (syy < 0 || syy >= src.height) {
      prev_row = nullptr;
      prev_sy = -1;
      continue;
    }
    if (syy == prev_sy && prev_row && all_cols_inside) {
      std::memcpy(d + x0, prev_row + x0, static_cast<std::size_t>(x1 - x0) * sizeof(Pixel));
      continue;
    }
    const Pixel* s = src.row(syy);
    if (all_cols_inside) {
      // The common case, a whole frame on a larger screen: no per-pixel test,
      // so the loop stays a plain gather.
      const int* c = cols.data();
      Pixel* out = d + x0;
      const int n = x1 - x0;
      for (int i = 0; i < n; ++i) out[i] = s[c[i]];
    } else {
      for (int x = x0; x < x1; ++x) {
        int c = cols[static_cast<std::size_t>(x - x0)];
        if (c >= 0 && c < src.width) d[x] = s[c];
      }
    }
    prev_sy = syy;
    prev_row = d;
  }
}

void fill_rect(const PixelView& dst, int x, int y, int w, int h, Pixel colour) {
  if (dst.empty()) return;
  int x0 = std::max(x, 0), x1 = std::min(x + w, dst.width);
  int y0 = std::max(y, 0), y1 = std::min(y + h, dst.height);
  // A box wholly beside the view (a label laid out for a wider screen) has
  // no columns; the fill must not run from its start past its end.
  if (x0 >= x1 || y0 >= y1) return;
  for (int yy = y0; yy < y1; ++yy) std::fill(dst.row(yy) + x0, dst.row(yy) + x1, colour);
}

void set_pixel(const PixelView& dst, int x, int y, Pixel colour) {
  if (dst.empty() || x < 0 || y < 0 || x >= dst.width || y >= dst.height) return;
  dst.row(y)[x] = colour;
}

}  // namespace vex
