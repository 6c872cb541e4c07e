// A small stroke alphabet of our own (capitals, digits, a few signs), so
// lettering comes out the same on every machine, whatever fonts it has.
#pragma once

#include "core.hpp"

#include <string>

namespace mediagen {

// Adds the strokes of `text` to the current path: cap height `h`, starting
// at (x, baseline y); returns the advance width. Stroke it yourself.
double text_path(cairo_t* cr, const std::string& text, double x, double y, double h, double tracking = 0.25);
double text_width(const std::string& text, double h, double tracking = 0.25);

}  // namespace mediagen
