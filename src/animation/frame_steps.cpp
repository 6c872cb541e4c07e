#include "animation/frame_steps.h"

#include <algorithm>

#include "animation/creature.h"
#include "platform/surfaces.h"

namespace vex {
namespace {

PixelRect target(const Step& s) { return {s.x, s.y, s.w, s.h}; }

// The destination pixels a source can reach: where it lies under the step's
// rectangle (found where the step reads the source, then moved to where it
// draws).
PixelRect under_source(const Step& s, const PixelView& src, int sx, int sy) {
  if (src.empty()) return {};
  const PixelRect r = intersection({sx, sy, s.w, s.h}, {0, 0, src.width, src.height});
  const long long x = static_cast<long long>(s.x) + r.x - sx, y = static_cast<long long>(s.y) + r.y - sy;
  return rect_between(x, y, x + r.w, y + r.h);
}

// Every pixel of the frame the step may change.
PixelRect reach(const Step& s, const PixelRect& frame) {
  switch (s.kind) {
    case Step::kMaskAndPaint:
      return intersection(
          bounding(under_source(s, s.source, s.source_x, s.source_y), under_source(s, s.image, s.image_x, s.image_y)),
          frame);
    case Step::kColumn: return intersection(target(s), frame);
    default: return intersection(under_source(s, s.source, s.source_x, s.source_y), frame);
  }
}

// The same pictures drawn the same way: only where and what part may differ.
bool same_kind(const Step& a, const Step& b) {
  return a.kind == b.kind && a.source_handle == b.source_handle && a.image_handle == b.image_handle &&
         a.source.pixels == b.source.pixels && a.image.pixels == b.image.pixels && a.colour == b.colour;
}

bool same_place(const Step& a, const Step& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h && a.source_x == b.source_x && a.source_y == b.source_y &&
         a.image_x == b.image_x && a.image_y == b.image_y;
}

// Each pixel keeps what the mask lets through and takes the image's bits:
// the mask ANDed and the image ORed in one pass. Built for the wider vector
// units too where the processor has them (the choice at load time needs
// the ELF loader's indirect functions).
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__SANITIZE_ADDRESS__)
__attribute__((target_clones("avx2", "default")))
#endif
void mask_and_paint_row(Pixel* __restrict d, const Pixel* __restrict mask, const Pixel* __restrict image, int n) {
  for (int x = 0; x < n; ++x) d[x] = (d[x] & mask[x]) | image[x];
}

// The mask with SRCAND, then the image with SRCPAINT, over one rectangle.
void mask_and_paint(const PixelView& fb, const Step& s) {
  const PixelRect frame{0, 0, fb.width, fb.height};
  const PixelRect through_mask = intersection(under_source(s, s.source, s.source_x, s.source_y), frame);
  const PixelRect through_image = intersection(under_source(s, s.image, s.image_x, s.image_y), frame);
  // Where the two would be cut differently (a picture without its whole mask
  // row, say), they are drawn one after the other.
  if (through_mask != through_image) {
    bit_blt(fb, s.x, s.y, s.w, s.h, s.source, s.source_x, s.source_y, Rop::kSrcAnd);
    bit_blt(fb, s.x, s.y, s.w, s.h, s.image, s.image_x, s.image_y, Rop::kSrcPaint);
    return;
  }
  const PixelRect& r = through_mask;
  if (r.empty()) return;
  const int n = r.w;
  const long long mx = static_cast<long long>(s.source_x) + (r.x - s.x);
  const long long ix = static_cast<long long>(s.image_x) + (r.x - s.x);
  for (long long y = r.y; y < r.bottom(); ++y) {
    const long long dy = y - s.y;
    mask_and_paint_row(fb.row(static_cast<int>(y)) + r.x, s.source.row(static_cast<int>(s.source_y + dy)) + mx,
                       s.image.row(static_cast<int>(s.image_y + dy)) + ix, n);
  }
}

// Draws the part of step s that falls inside clip.
void run(const Step& s, const PixelView& fb, const PixelRect& clip) {
  const PixelRect r = intersection(target(s), clip);
  if (r.empty()) return;
  Step part = s;
  part.x = r.x;
  part.y = r.y;
  part.w = r.w;
  part.h = r.h;
  const int dx = part.x - s.x, dy = part.y - s.y;
  part.source_x += dx;
  part.source_y += dy;
  part.image_x += dx;
  part.image_y += dy;
  switch (s.kind) {
    case Step::kCopy:
      bit_blt(fb, part.x, part.y, part.w, part.h, s.source, part.source_x, part.source_y, Rop::kSrcCopy);
      break;
    case Step::kAnd:
      bit_blt(fb, part.x, part.y, part.w, part.h, s.source, part.source_x, part.source_y, Rop::kSrcAnd);
      break;
    case Step::kPaint:
      bit_blt(fb, part.x, part.y, part.w, part.h, s.source, part.source_x, part.source_y, Rop::kSrcPaint);
      break;
    case Step::kMaskAndPaint: mask_and_paint(fb, part); break;
    case Step::kColumn: fill_rect(fb, part.x, part.y, 1, part.h, s.colour); break;
  }
}

void run_all(const Step* steps, int count, const PixelView& fb, const PixelRect& clip) {
  for (int i = 0; i < count; ++i) run(steps[i], fb, clip);
}

// The parts of the frame to draw again, as few rectangles as covers them
// without drawing much more.
class Changes {
 public:
  void add(const PixelRect& b) {
    if (b.empty()) return;
    for (int i = 0; i < n_; ++i) {
      const PixelRect u = bounding(boxes_[i], b);
      if (u.area() <= boxes_[i].area() + b.area()) {
        boxes_[i] = u;
        return;
      }
    }
    boxes_[n_++] = b;
  }
  const PixelRect* begin() const { return boxes_.data(); }
  const PixelRect* end() const { return boxes_.data() + n_; }

 private:
  std::array<PixelRect, 2 * FrameSteps::kCapacity> boxes_;
  int n_ = 0;
};

FrameSteps& steps() { return scene().Steps; }

}  // namespace

void draw_step(const Step& step) {
  FrameSteps& f = steps();
  if (f.composing && !f.overflowed) {
    int& n = f.count[f.now];
    if (n < FrameSteps::kCapacity) {
      f.lists[f.now][n++] = step;
      return;
    }
    // More steps than a frame keeps: what is kept is drawn everywhere now,
    // the rest as it comes, and the next frame compares with nothing.
    const PixelView fb = surface_view(surfaces().FrameBuffer);
    run_all(f.lists[f.now].data(), n, fb, {0, 0, fb.width, fb.height});
    f.overflowed = true;
  }
  const PixelView fb = surface_view(surfaces().FrameBuffer);
  run(step, fb, {0, 0, fb.width, fb.height});
}

void begin_frame_steps() {
  FrameSteps& f = steps();
  f.composing = f.redraw_changes_only;
  f.overflowed = false;
  f.count[f.now] = 0;
}

void end_frame_steps(bool completed) {
  FrameSteps& f = steps();
  ++f.frames;
  f.changed_whole = true;
  f.changed_count = 0;
  if (!f.composing) {  // drawn as it came: the next frame compares with nothing
    f.count[1 - f.now] = -1;
    return;
  }
  f.composing = false;
  const Surface handle = surfaces().FrameBuffer;
  const PixelView fb = surface_view(handle);
  const PixelRect frame{0, 0, fb.width, fb.height};
  const Step* now = f.lists[f.now].data();
  const Step* before = f.lists[1 - f.now].data();
  const int n = f.count[f.now];
  if (f.overflowed || !completed) {
    if (!f.overflowed) run_all(now, n, fb, frame);
    f.count[f.now] = -1;  // nothing to compare the next frame with
    f.now = 1 - f.now;
    return;
  }
  bool whole = f.count[1 - f.now] != n || f.frame_buffer != handle || f.frame_pixels != fb.pixels;
  for (int i = 0; i < n && !whole; ++i) whole = !same_kind(now[i], before[i]);
  if (whole) {
    run_all(now, n, fb, frame);
  } else {
    Changes changes;
    for (int i = 0; i < n; ++i) {
      if (same_place(now[i], before[i])) continue;
      changes.add(reach(before[i], frame));
      changes.add(reach(now[i], frame));
    }
    for (const PixelRect& b : changes) {
      run_all(now, n, fb, b);
      f.changed[f.changed_count++] = b;
    }
    f.changed_whole = false;
  }
  f.frame_buffer = handle;
  f.frame_pixels = fb.pixels;
  f.now = 1 - f.now;
}

}  // namespace vex
