#pragma once
// The drawing steps of one saver frame. While a frame is composed its steps
// are kept in order instead of drawn; at the frame's end only the parts of
// the frame buffer where some step differs from the last frame's step are
// drawn again, every step clipped to them. Each step is a copy, an AND or an
// OR with fixed pixels, so drawing an unchanged series again over its own
// result changes nothing: the frame comes out exactly as if every step had
// been drawn over the whole buffer. Outside a frame (the dialog's previews,
// tests) a step is drawn at once.
#include <array>
#include <cstdint>

#include "os/raster.h"

namespace vex {

struct Step {
  enum Kind : uint8_t { kCopy, kAnd, kPaint, kMaskAndPaint, kColumn };
  Kind kind = kCopy;
  // Destination rectangle in the frame buffer, before any clipping.
  int x = 0, y = 0, w = 0, h = 0;
  // kCopy, kAnd, kPaint: the source; kMaskAndPaint: source is the mask,
  // ANDed first, and image is ORed over it. Each is read from its (x, y).
  int32_t source_handle = 0, image_handle = 0;
  PixelView source, image;
  int source_x = 0, source_y = 0, image_x = 0, image_y = 0;
  Pixel colour = 0;  // kColumn: a one-pixel-wide column of this colour
};

// The steps of the frame being composed and of the one before it.
struct FrameSteps {
  static constexpr int kCapacity = 128;
  // Off: every step is drawn over the whole buffer as it comes, as a check.
  bool redraw_changes_only = true;
  bool composing = false;
  bool overflowed = false;  // more steps than kept: the rest are drawn at once
  std::array<std::array<Step, kCapacity>, 2> lists;
  int now = 0;                      // which list the frame being composed fills
  std::array<int, 2> count{0, -1};  // -1: no earlier frame to compare with
  int32_t frame_buffer = 0;         // the buffer the earlier frame was drawn in
  Pixel* frame_pixels = nullptr;
  // What the last frame changed in the buffer against the one before, so
  // that only that need be shown again: everything, or these rectangles
  // (which may overlap). frames counts the frames composed.
  uint64_t frames = 0;
  bool changed_whole = true;
  int changed_count = 0;
  std::array<PixelRect, 2 * kCapacity> changed;
};

// Draws step into the frame buffer now, or keeps it while a frame is composed.
void draw_step(const Step& step);

// The two ends of composing a frame (compose_in_steps calls them). A frame
// that did not complete draws the steps it kept over the whole buffer.
void begin_frame_steps();
void end_frame_steps(bool completed);

// Composes one frame: body's steps are kept, then drawn where they changed.
// A failure escaping body still leaves what it drew on the frame.
template <typename F>
void compose_in_steps(F&& body) {
  begin_frame_steps();
  try {
    body();
  } catch (...) {
    end_frame_steps(false);
    throw;
  }
  end_frame_steps(true);
}

}  // namespace vex
