#pragma once
// How a label's line of text is laid out before it is drawn: the paragraph's
// direction from its first strong character, the characters in runs of one
// direction, one script and one font face (a face found through fontconfig
// wherever the label font lacks a character), each run shaped on its own,
// and the runs placed left to right in the order they are seen.
#include <string>
#include <vector>

#include "os/label_font.h"

namespace vex::label_text {

struct Run {
  std::u32string chars;  // in reading order
  int left = 0;          // from the text area's left edge; may be negative when cut
  int width = 0;
  bool right_to_left = false;
  std::string script;     // ISO 15924 tag, as HarfBuzz shapes the run ("Latn", "Hebr", ...)
  std::string face_file;  // the face the run is drawn with
  int face_index = 0;     // its index in a collection file
};

struct Layout {
  std::vector<Run> runs;       // left to right
  bool right_to_left = false;  // the paragraph's direction
  // The text is wider than the area: only its beginning is laid out, up to
  // and including the character that crosses the area's edge, and it is
  // placed from the side its reading starts on.
  bool cut = false;
  std::size_t chars_laid_out = 0;
};

// The text as draw_text_label draws it in an area of the given width.
Layout lay_out(const std::string& utf8, int width, LabelAlign align);

}  // namespace vex::label_text
