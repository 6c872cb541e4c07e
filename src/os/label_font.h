#pragma once
// Text labels drawn over the saver's frame: one line, a font like Arial
// 12 pt bold, on a background colour.
#include <string>

#include "os/raster.h"

namespace vex {

enum class LabelAlign { kCentre, kLeft };

// Fills the label's rectangle with bg and writes text in fg, clipped to the
// rectangle (and to the target).
void draw_text_label(const PixelView& target, int left, int top, int width, int height, const std::string& text,
                     LabelAlign align, Pixel fg, Pixel bg);

}  // namespace vex
