// The jack-o'-lantern bouncing along: eight frames of one bounce, squashed
// where it hits the ground on frame 0, at the top of its arc on frame 4.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

void draw_pumpkin(cairo_t* cr, double w, double h, double tilt) {
  const Col skin = rgb(214, 104, 18), skinLit = rgb(255, 186, 80), skinDark = rgb(110, 40, 8);
  cairo_save(cr);
  cairo_rotate(cr, tilt);
  // Lobes from the back to the front, each shaded dark at its crease.
  const double lobes[][2] = {{-0.62, 0.44}, {0.62, 0.44}, {-0.33, 0.52}, {0.33, 0.52}, {0.0, 0.56}};
  for (auto& l : lobes) {
    auto shape = [&](cairo_t* c) { ellipse(c, l[0] * w / 2, 0, l[1] * w / 2 * 1.05, h / 2); };
    cairo_new_path(cr);
    shape(cr);
    set(cr, rgb(40, 14, 6));
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    cairo_save(cr);
    shape(cr);
    cairo_clip(cr);
    cairo_pattern_t* p =
        cairo_pattern_create_radial(l[0] * w / 2 + w * 0.12, -h * 0.22, 1, l[0] * w / 2, 0, l[1] * w / 2 * 1.2);
    cairo_pattern_add_color_stop_rgb(p, 0, skinLit.r, skinLit.g, skinLit.b);
    cairo_pattern_add_color_stop_rgb(p, 0.55, skin.r, skin.g, skin.b);
    cairo_pattern_add_color_stop_rgb(p, 1, skinDark.r, skinDark.g, skinDark.b);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
  }
  auto stem = [&](cairo_t* c) {
    cairo_move_to(c, -2.5, -h / 2 + 2);
    cairo_curve_to(c, -2.5, -h / 2 - 3, 0, -h / 2 - 6, 4, -h / 2 - 7);
    cairo_line_to(c, 5, -h / 2 - 4.5);
    cairo_curve_to(c, 2.5, -h / 2 - 4, 2.5, -h / 2 - 1, 2.5, -h / 2 + 2);
    cairo_close_path(c);
  };
  rimlit(cr, stem, rgb(60, 70, 30), rgb(150, 160, 90), -0.8, 0.6);
  // The carved face, lit from within.
  auto face = [&](cairo_t* c) {
    double sx = w / 40.0, sy = h / 34.0;
    for (int s : {-1, 1}) {  // triangular eyes
      cairo_move_to(c, s * 4.0 * sx, -2.5 * sy);
      cairo_line_to(c, s * 11.5 * sx, -1.5 * sy);
      cairo_line_to(c, s * 8.0 * sx, -8.5 * sy);
      cairo_close_path(c);
    }
    cairo_move_to(c, -1.8 * sx, 1.5 * sy);  // nose
    cairo_line_to(c, 1.8 * sx, 1.5 * sy);
    cairo_line_to(c, 0, -1.2 * sy);
    cairo_close_path(c);
    // A jagged grin with two teeth.
    cairo_move_to(c, -12.0 * sx, 3.5 * sy);
    cairo_curve_to(c, -7.0 * sx, 7.0 * sy, 7.0 * sx, 7.0 * sy, 12.0 * sx, 3.5 * sy);
    cairo_curve_to(c, 10.5 * sx, 10.5 * sy, 5.0 * sx, 12.5 * sy, 3.5 * sx, 12.0 * sy);
    cairo_line_to(c, 3.0 * sx, 9.0 * sy);
    cairo_line_to(c, 0.5 * sx, 9.5 * sy);
    cairo_line_to(c, 0.0 * sx, 12.4 * sy);
    cairo_curve_to(c, -4.0 * sx, 12.6 * sy, -7.0 * sx, 11.5 * sy, -8.0 * sx, 11.0 * sy);
    cairo_line_to(c, -7.5 * sx, 8.0 * sy);
    cairo_line_to(c, -10.0 * sx, 7.5 * sy);
    cairo_curve_to(c, -11.5 * sx, 6.5 * sy, -12.0 * sx, 5.0 * sy, -12.0 * sx, 3.5 * sy);
    cairo_close_path(c);
  };
  cairo_new_path(cr);
  face(cr);
  set(cr, rgb(70, 20, 4));
  cairo_set_line_width(cr, 1.4);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* glow = cairo_pattern_create_radial(0, 2, 1, 0, 2, w * 0.45);
  cairo_pattern_add_color_stop_rgb(glow, 0, look::kWarmHot.r, look::kWarmHot.g, look::kWarmHot.b);
  cairo_pattern_add_color_stop_rgb(glow, 0.6, look::kWarm.r, look::kWarm.g, look::kWarm.b);
  cairo_pattern_add_color_stop_rgb(glow, 1, 0.8, 0.35, 0.05);
  cairo_set_source(cr, glow);
  cairo_fill(cr);
  cairo_pattern_destroy(glow);
  cairo_restore(cr);
}

}  // namespace

Image make_pumpkin(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int) {
    const double ground = 135.0, apex = 96.0;
    double t = (f - 4) / 4.0;
    double height = apex * (1 - t * t);
    // Squash on the ground, stretch while it moves fast, round at the top.
    double sy = f == 0 ? 0.82 : (f == 1 || f == 7 ? 1.10 : 1.0);
    double sx = f == 0 ? 1.12 : (f == 1 || f == 7 ? 0.93 : 1.0);
    double w = 36 * sx, h = 31 * sy;
    cairo_translate(cr, lay.fw / 2.0, ground - height - h / 2);
    draw_pumpkin(cr, w, h, 0.09 * std::sin(kTau * f / 8));
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

}  // namespace mediagen
