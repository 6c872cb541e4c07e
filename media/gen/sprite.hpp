// The strip-and-mask layout every creature picture follows, and the rule that
// turns a soft-edged cairo drawing into an exact image/mask pair.
#pragma once

#include "core.hpp"

#include <string>

namespace mediagen {

enum class Kind {
    Masked,      // image row, then mask row
    Opaque,      // image row only, copied as is
    Glow,        // image row only, ORed into the scene: black where nothing glows
    GlowMasked,  // ORed in the scene, masked in the dialog: glow plus mask row
};

struct Layout {
    std::string file;
    int fw = 0, fh = 0;  // one frame
    int frames = 1;
    int strips = 1;
    Kind kind = Kind::Masked;

    bool has_mask() const { return kind == Kind::Masked || kind == Kind::GlowMasked; }
    int width() const { return fw * frames * strips; }
    int height() const { return has_mask() ? 2 * fh : fh; }
};

// Draws frame `f` of direction strip `s` into a transparent canvas of one frame.
using DrawFn = std::function<void(cairo_t* cr, int f, int s)>;

struct Edge {
    // What the sprite mostly stands against; partly covered edge pixels that
    // stay sprite are blended towards it so they read as smooth.
    Col backdrop = rgb(22, 26, 40);
    // Coverage at or above which an edge pixel belongs to the sprite.
    double threshold = 0.42;
};

// Resolves one drawn frame into its image and mask halves (coverage rule).
void resolve_frame(const Canvas& c, const Edge& edge, Image& image, Image& mask, int x0);

Image build_masked(const Layout& lay, const DrawFn& draw, const Edge& edge = {});
Image build_glow(const Layout& lay, const DrawFn& draw);
// Adds the exact mask row under an image row (white where the image is black).
Image with_mask(const Image& imageRow);

// What every masked picture must satisfy; returns an empty string when it does.
std::string check_layout(const Layout& lay, const Image& img);

}  // namespace mediagen
