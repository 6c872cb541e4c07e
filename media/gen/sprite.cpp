#include "sprite.hpp"

namespace mediagen {

namespace {
const Rgb8 kBlack{0, 0, 0};
const Rgb8 kWhite{255, 255, 255};
// A sprite pixel may never be pure black, or the mask would call it scene.
const Rgb8 kNearBlack{2, 2, 3};
}  // namespace

void resolve_frame(const Canvas& c, const Edge& edge, Image& image, Image& mask, int x0) {
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) {
      double r, g, b, a;
      c.pixel(x, y, r, g, b, a);
      if (a + 1e-9 >= edge.threshold) {
        Rgb8 p{std::uint8_t(std::lround(clamp01(r + (1 - a) * edge.backdrop.r) * 255)),
               std::uint8_t(std::lround(clamp01(g + (1 - a) * edge.backdrop.g) * 255)),
               std::uint8_t(std::lround(clamp01(b + (1 - a) * edge.backdrop.b) * 255))};
        if (p == kBlack) p = kNearBlack;
        image.at(x0 + x, y) = p;
        mask.at(x0 + x, y) = kBlack;
      } else {
        image.at(x0 + x, y) = kBlack;
        mask.at(x0 + x, y) = kWhite;
      }
    }
}

Image build_masked(const Layout& lay, const DrawFn& draw, const Edge& edge) {
  Image image(lay.width(), lay.fh), mask(lay.width(), lay.fh);
  for (int s = 0; s < lay.strips; ++s)
    for (int f = 0; f < lay.frames; ++f) {
      Canvas c(lay.fw, lay.fh);
      draw(c.cr(), f, s);
      resolve_frame(c, edge, image, mask, (s * lay.frames + f) * lay.fw);
    }
  Image out(lay.width(), 2 * lay.fh);
  out.paste(image, 0, 0);
  out.paste(mask, 0, lay.fh);
  return out;
}

Image build_glow(const Layout& lay, const DrawFn& draw) {
  Image image(lay.width(), lay.fh);
  for (int s = 0; s < lay.strips; ++s)
    for (int f = 0; f < lay.frames; ++f) {
      Canvas c(lay.fw, lay.fh);
      draw(c.cr(), f, s);
      image.paste(c.on_black(), (s * lay.frames + f) * lay.fw, 0);
    }
  return lay.has_mask() ? with_mask(image) : image;
}

Image with_mask(const Image& row) {
  Image out(row.w, 2 * row.h);
  out.paste(row, 0, 0);
  for (int y = 0; y < row.h; ++y)
    for (int x = 0; x < row.w; ++x) out.at(x, row.h + y) = row.at(x, y) == kBlack ? kWhite : kBlack;
  return out;
}

std::string check_layout(const Layout& lay, const Image& img) {
  if (img.w != lay.width() || img.h != lay.height())
    return lay.file + ": " + std::to_string(img.w) + "x" + std::to_string(img.h) + " instead of " +
           std::to_string(lay.width()) + "x" + std::to_string(lay.height());
  if (!lay.has_mask()) return {};
  for (int y = 0; y < lay.fh; ++y)
    for (int x = 0; x < img.w; ++x) {
      bool scene = img.at(x, y) == kBlack;
      if (img.at(x, lay.fh + y) != (scene ? kWhite : kBlack))
        return lay.file + ": mask disagrees with image at (" + std::to_string(x) + "," + std::to_string(y) + ")";
    }
  return {};
}

}  // namespace mediagen
