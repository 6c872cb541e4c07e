// A dead hand clawing its way out of a fresh grave: frame 0 is only the
// disturbed soil, the fingertips break through at 2, the arm is up at 16.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kSkin = rgb(128, 140, 112), kSkinDark = rgb(58, 66, 54), kSkinLit = rgb(196, 206, 184);
const double kSoilLine = 86.0;  // where the arm leaves the ground

void soil(cairo_t* cr, double bulge) {
  Rng rng(0x5011);
  auto heap = [&](cairo_t* c) {
    cairo_move_to(c, 3, 97);
    cairo_curve_to(c, 8, 86 - bulge, 22, 81 - bulge, 31, 82 - bulge);
    cairo_curve_to(c, 42, 81 - bulge, 53, 86 - bulge, 58, 97);
    cairo_close_path(c);
  };
  rimlit(cr, heap, rgb(36, 30, 30), rgb(96, 86, 84), -2.0, 2.0);
  for (int i = 0; i < 40; ++i) {
    double x = rng.range(8, 54), y = rng.range(85, 96) - bulge * 0.6;
    double r = rng.range(0.8, 2.2);
    auto clod = [&](cairo_t* c) { ellipse(c, x, y, r * 1.3, r); };
    rimlit(cr, clod, rgb(30, 24, 24), rgb(110, 98, 94), -0.7, 0.7);
  }
}

// The arm in its own frame: wrist at (0,0), forearm going down, hand up.
// `spread` opens the fingers, `curl` bends them in.
void arm(cairo_t* cr, double spread, double curl) {
  // Forearm with rags of a sleeve.
  auto fore = [](cairo_t* c) { capsule(c, 0, 4, 5.2, 2, 60, 6.5); };
  rimlit(cr, fore, kSkin, kSkinLit, -1.6, 0.6);
  set(cr, kSkinDark, 0.8);
  cairo_set_line_width(cr, 0.8);
  cairo_move_to(cr, -1.5, 12);
  cairo_curve_to(cr, 0, 20, -1, 30, 0.5, 40);
  cairo_stroke(cr);
  auto sleeve = [](cairo_t* c) {
    cairo_move_to(c, -7.5, 38);
    cairo_line_to(c, -5, 30);
    cairo_line_to(c, -2, 35);
    cairo_line_to(c, 1, 28);
    cairo_line_to(c, 4, 34);
    cairo_line_to(c, 6.5, 29);
    cairo_line_to(c, 9, 38);
    cairo_line_to(c, 9.5, 62);
    cairo_line_to(c, -7.8, 62);
    cairo_close_path(c);
  };
  rimlit(cr, sleeve, rgb(34, 30, 40), rgb(90, 86, 104), -1.4, 0.8);
  auto palm = [](cairo_t* c) {
    cairo_move_to(c, -5.5, 2);
    cairo_curve_to(c, -7, -6, -6, -12, -2, -13);
    cairo_line_to(c, 5, -13);
    cairo_curve_to(c, 8, -11, 7.5, -4, 5.5, 2);
    cairo_close_path(c);
  };
  rimlit(cr, palm, kSkin, kSkinLit, -1.4, 0.6);
  // Fingers: three segments each, bony knuckles, dark nails.
  struct Finger {
    double x, len, base;
  };
  const Finger fingers[] = {{-4.6, 13, -2.30}, {-1.6, 16, -1.85}, {1.6, 17, -1.45}, {4.4, 14, -1.1}};
  for (int i = 0; i < 4; ++i) {
    const Finger& fg = fingers[i];
    double a = fg.base * (0.35 + 0.65 * spread) + (-kPi / 2) * (1 - (0.35 + 0.65 * spread));
    double x = fg.x, y = -12;
    double seg = fg.len / 3;
    for (int k = 0; k < 3; ++k) {
      double nx = x + std::cos(a) * seg, ny = y + std::sin(a) * seg;
      double w0 = 1.9 - k * 0.35, w1 = 1.7 - k * 0.4;
      auto bone = [&](cairo_t* c) { capsule(c, x, y, w0, nx, ny, w1); };
      rimlit(cr, bone, kSkin, kSkinLit, -0.9, 0.4);
      if (k == 2) {
        ellipse(cr, nx + std::cos(a) * 0.9, ny + std::sin(a) * 0.9, 1.0, 1.0);
        set(cr, rgb(40, 34, 30));
        cairo_fill(cr);
      }
      x = nx;
      y = ny;
      a += curl * (i < 2 ? -0.45 : 0.45);
    }
  }
  // Thumb off to the side.
  auto thumb = [&](cairo_t* c) {
    capsule(c, 5.5, -2, 2.1, 10.5 + 2 * spread, -8 - 2 * spread, 1.7);
    capsule(c, 10.5 + 2 * spread, -8 - 2 * spread, 1.7, 12 + 2.5 * spread - curl * 3, -14 - 2 * spread, 1.3);
  };
  rimlit(cr, thumb, kSkin, kSkinLit, -0.9, 0.4);
}

}  // namespace

Image make_hand(const Layout& lay) {
  DrawFn d = [](cairo_t* cr, int f, int) {
    double t = f / 16.0;
    double rise = t * t * (3 - 2 * t);  // slow start, a push, slow end
    double bulge = f == 0 ? 0.0 : std::min(1.0, f / 3.0) * 2.5;
    soil(cr, bulge);
    if (f == 0) return;
    // The arm comes up through the soil; everything below the surface is hidden.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 61, kSoilLine + 1 - bulge);
    cairo_clip(cr);
    // Risen in full, the spread fingertips stay a little under the frame's top.
    double wristY = kSoilLine + 14 - rise * 64;
    cairo_translate(cr, 30 - 3 * rise, wristY);
    cairo_rotate(cr, 0.06 - 0.12 * rise);
    arm(cr, rise, 1.0 - rise * 0.85);
    cairo_restore(cr);
    // Clods falling off the rising arm.
    Rng rng(0xc10d + f);
    for (int i = 0; i < 5; ++i) {
      double x = 30 + rng.range(-10, 10), y = kSoilLine - bulge - rng.range(1, 4 + 20 * (1 - rise));
      auto clod = [&](cairo_t* c) { ellipse(c, x, y, 1.4, 1.1); };
      rimlit(cr, clod, rgb(34, 28, 28), rgb(100, 90, 86), -0.6, 0.6);
    }
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

}  // namespace mediagen
