// Blood dripping from the corner of the big stone's cornice into a pool at
// its foot. Fourteen frames: the drop lets go after frame 0, falls through
// 1-3, lands with a splash on frame 4, the pool settles, a new bead swells.
#include "geom.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kDark = rgb(74, 0, 8), kRed = rgb(150, 8, 16), kShine = rgb(236, 96, 96);

void glossy(cairo_t* cr, const std::function<void(cairo_t*)>& shape) {
  cairo_new_path(cr);
  shape(cr);
  set(cr, rgb(30, 0, 4));
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  rimlit(cr, shape, kRed, kShine, -0.8, 0.8);
}

void drop(cairo_t* cr, double x, double y, double r, double stretch) {
  glossy(cr, [&](cairo_t* c) {
    cairo_move_to(c, x, y - r * stretch * 1.6);
    cairo_curve_to(c, x + r * 0.5, y - r * stretch * 0.8, x + r, y - r * 0.2, x + r, y + r * 0.2);
    cairo_arc(c, x, y + r * 0.2, r, 0, kPi);
    cairo_curve_to(c, x - r, y - r * 0.2, x - r * 0.5, y - r * stretch * 0.8, x, y - r * stretch * 1.6);
    cairo_close_path(c);
  });
}

}  // namespace

Image make_blooddrip(const Layout& lay) {
  using namespace geom;
  const double ox = kTomb1X - 20, oy = kTomb1Y + 83;  // where the saver puts this picture
  const double sx = kDripX - ox, sy = kDripY - oy;    // the cornice corner, in the frame
  const double poolX = 25, poolY = kGroundNearY - 4 - oy;
  DrawFn d = [&](cairo_t* cr, int f, int) {
    // The pool, always there, shining where the moon catches it.
    glossy(cr, [&](cairo_t* c) {
      cairo_move_to(c, poolX - 21, poolY + 1);
      cairo_curve_to(c, poolX - 20, poolY - 4, poolX - 6, poolY - 5.5, poolX + 4, poolY - 4.5);
      cairo_curve_to(c, poolX + 14, poolY - 5.5, poolX + 22, poolY - 2, poolX + 21, poolY + 1.5);
      cairo_curve_to(c, poolX + 18, poolY + 5, poolX - 4, poolY + 5.5, poolX - 12, poolY + 4.5);
      cairo_curve_to(c, poolX - 18, poolY + 4.5, poolX - 22, poolY + 3, poolX - 21, poolY + 1);
      cairo_close_path(c);
    });
    ellipse(cr, poolX + 5, poolY - 2.0, 6, 1.1);
    set(cr, kShine, 0.6);
    cairo_fill(cr);
    // Ripples after the landing.
    if (f >= 4 && f <= 8) {
      double t = (f - 4) / 4.0;
      ellipse(cr, sx, poolY, 3 + 14 * t, 1.0 + 2.6 * t);
      set(cr, mix(kShine, kRed, t), 1.0);
      cairo_set_line_width(cr, 1.0);
      cairo_stroke(cr);
    }
    // The stain on the cornice the drops come from, and a trickle down its edge.
    glossy(cr, [&](cairo_t* c) {
      cairo_move_to(c, sx - 6, sy - 7);
      cairo_curve_to(c, sx - 2, sy - 8, sx + 3, sy - 6, sx + 3, sy - 2);
      cairo_curve_to(c, sx + 2, sy + 0.5, sx - 2, sy + 0.5, sx - 3, sy - 1);
      cairo_curve_to(c, sx - 4, sy - 3, sx - 6, sy - 4, sx - 6, sy - 7);
      cairo_close_path(c);
    });
    static const double kBead[] = {3.1, 0, 0, 0, 0, 0, 0, 0.9, 1.3, 1.7, 2.0, 2.3, 2.6, 2.9};
    if (kBead[f] > 0) {
      double r = kBead[f];
      drop(cr, sx, sy + r * (f == 0 ? 1.8 : 1.0), r, f == 0 ? 1.6 : 0.6);
    } else if (f >= 1 && f <= 3) {
      double y = sy + 6 + (poolY - sy - 10) * std::pow(f / 3.3, 2.0);
      drop(cr, sx, y, 2.8, 2.0 + f * 0.4);
    } else if (f == 4 || f == 5) {
      // Splash: a little crown and flying droplets.
      double h = f == 4 ? 1.4 : 0.8;
      glossy(cr, [&](cairo_t* c) {
        cairo_move_to(c, sx - 6, poolY);
        cairo_line_to(c, sx - 5, poolY - 5 * h);
        cairo_line_to(c, sx - 2.5, poolY - 2 * h);
        cairo_line_to(c, sx, poolY - 7 * h);
        cairo_line_to(c, sx + 2.5, poolY - 2 * h);
        cairo_line_to(c, sx + 5, poolY - 5 * h);
        cairo_line_to(c, sx + 6, poolY);
        cairo_close_path(c);
      });
      for (int i = 0; i < 4; ++i) {
        double a = -kPi / 2 + (i - 1.5) * 0.7;
        double dist = (f == 4 ? 8 : 12) + i;
        double px = sx + std::cos(a) * dist,
               py = poolY - 4 + std::sin(a) * dist * (f == 4 ? 1.0 : 0.6) + (f == 5 ? 4 : 0);
        drop(cr, px, py, 1.1, 0.3);
      }
    }
  };
  return build_masked(lay, d, {look::kStone, 0.42});
}

}  // namespace mediagen
