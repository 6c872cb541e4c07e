// Any bytes as a label's text, in a label of any width: laid out and drawn
// without reading or writing past anything, whatever they hold (broken
// UTF-8, bidirectional controls, marks without a letter, rare scripts).
// The first two bytes choose the width and the alignment.
#include <cstdint>
#include <string>

#include "os/label_font.h"
#include "os/linux/label_layout.h"
#include "os/raster.h"

// fontconfig keeps a little for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int width = 1 + ((data[0] | (data[1] << 8)) & 0x3FF);
  const auto align = (data[1] & 0x80) ? vex::LabelAlign::kLeft : vex::LabelAlign::kCentre;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  const vex::label_text::Layout lay = vex::label_text::lay_out(text, width, align);
  std::size_t chars = 0;
  for (const auto& run : lay.runs) {
    if (run.chars.empty() || run.width < 0) __builtin_trap();
    chars += run.chars.size();
  }
  if (chars != lay.chars_laid_out) __builtin_trap();
  // Drawn into a picture just wider than the label, at an offset.
  vex::Bitmap b(width + 8, 24, vex::rgb(1, 2, 3));
  vex::draw_text_label(b.view(), 4, 2, width, 19, text, align, vex::rgb(64, 64, 64), 0);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < width + 8; ++x) {
      const bool inside = x >= 4 && x < 4 + width && y >= 2 && y < 21;
      if (!inside && b.at(x, y) != vex::rgb(1, 2, 3)) __builtin_trap();
      if (b.at(x, y) >> 24) __builtin_trap();
    }
  return 0;
}
