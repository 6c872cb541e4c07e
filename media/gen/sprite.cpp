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

Image build_masked(const PicSpec& spec, const DrawFn& draw, const Edge& edge) {
    Image image(spec.width(), spec.fh), mask(spec.width(), spec.fh);
    for (int s = 0; s < spec.strips; ++s)
        for (int f = 0; f < spec.frames; ++f) {
            Canvas c(spec.fw, spec.fh);
            draw(c.cr(), f, s);
            resolve_frame(c, edge, image, mask, (s * spec.frames + f) * spec.fw);
        }
    Image out(spec.width(), 2 * spec.fh);
    out.paste(image, 0, 0);
    out.paste(mask, 0, spec.fh);
    return out;
}

Image build_glow(const PicSpec& spec, const DrawFn& draw) {
    Image image(spec.width(), spec.fh);
    for (int s = 0; s < spec.strips; ++s)
        for (int f = 0; f < spec.frames; ++f) {
            Canvas c(spec.fw, spec.fh);
            draw(c.cr(), f, s);
            image.paste(c.on_black(), (s * spec.frames + f) * spec.fw, 0);
        }
    return spec.has_mask() ? with_mask(image) : image;
}

Image with_mask(const Image& row) {
    Image out(row.w, 2 * row.h);
    out.paste(row, 0, 0);
    for (int y = 0; y < row.h; ++y)
        for (int x = 0; x < row.w; ++x) out.at(x, row.h + y) = row.at(x, y) == kBlack ? kWhite : kBlack;
    return out;
}

std::string check_layout(const PicSpec& spec, const Image& img) {
    if (img.w != spec.width() || img.h != spec.height())
        return spec.file + ": " + std::to_string(img.w) + "x" + std::to_string(img.h) + " instead of " +
               std::to_string(spec.width()) + "x" + std::to_string(spec.height());
    if (!spec.has_mask()) return {};
    for (int y = 0; y < spec.fh; ++y)
        for (int x = 0; x < img.w; ++x) {
            bool scene = img.at(x, y) == kBlack;
            if (img.at(x, spec.fh + y) != (scene ? kWhite : kBlack))
                return spec.file + ": mask disagrees with image at (" + std::to_string(x) + "," + std::to_string(y) +
                       ")";
        }
    return {};
}

}  // namespace mediagen
