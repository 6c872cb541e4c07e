// The Lost Spirit: a hooded ghost with a lantern drifting left. It is ORed
// into the scene, so it is made of light on black and nothing else: wherever
// it does not glow the picture is pure black.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

void robe_path(cairo_t* c, double ph) {
  // Shoulders under the hood, the robe flaring back into tattered wisps
  // that ripple as it drifts.
  cairo_move_to(c, 28, 44);
  cairo_curve_to(c, 20, 62, 16, 92, 18, 118);
  double hemY = 124;
  const int tatters = 6;
  double x0 = 18, x1 = 72;
  for (int i = 0; i < tatters; ++i) {
    double t0 = (i + 0.5) / tatters, t1 = (i + 1.0) / tatters;
    double wave = 5.0 * std::sin(ph - i * 1.1);
    double tipY = hemY + 10 + i * 3.6 + wave;
    double tipX = lerp(x0, x1, t0) + 4 + i * 1.5;
    cairo_line_to(c, tipX, tipY);
    cairo_line_to(c, lerp(x0, x1, t1) + 2, hemY - 2 + 2 * i + 0.5 * wave);
  }
  cairo_curve_to(c, 70, 100, 58, 64, 48, 44);
  cairo_close_path(c);
}

void draw_spirit(cairo_t* cr, int f, int frames) {
  const double ph = kTau * f / frames;
  const double bob = 3.5 * std::sin(ph);
  const Col ghost = look::kGhost;
  cairo_translate(cr, 0, bob);
  // Soft aura: the robe stroked wide and faint several times.
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  for (int i = 5; i >= 1; --i) {
    robe_path(cr, ph);
    set(cr, ghost, 0.035);
    cairo_set_line_width(cr, i * 3.2);
    cairo_stroke(cr);
  }
  // The robe: bright at the shoulders, thinning to nothing at the hem.
  robe_path(cr, ph);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 40, 30, 150);
  cairo_pattern_add_color_stop_rgba(p, 0, ghost.r, ghost.g, ghost.b, 0.62);
  cairo_pattern_add_color_stop_rgba(p, 0.55, ghost.r * 0.8, ghost.g * 0.9, ghost.b, 0.34);
  cairo_pattern_add_color_stop_rgba(p, 1, ghost.r * 0.6, ghost.g * 0.8, ghost.b, 0.0);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  // Folds catching the light.
  cairo_set_line_width(cr, 1.4);
  for (int i = 0; i < 4; ++i) {
    double x = 30 + i * 9;
    cairo_move_to(cr, x, 52);
    cairo_curve_to(cr, x - 2, 80, x + 2 + 3 * std::sin(ph + i), 100, x + 6 + i * 2, 120 + i * 2);
    set(cr, ghost, 0.16);
    cairo_stroke(cr);
  }
  // The arm reaching forwards with the lantern.
  const double swing = 0.10 * std::sin(ph + 1.0);
  const double lx = 13 + 2 * std::sin(ph + 1.0), ly = 82;
  cairo_move_to(cr, 30, 56);
  cairo_curve_to(cr, 22, 64, 16, 68, lx + 1, ly - 14);
  set(cr, ghost, 0.45);
  cairo_set_line_width(cr, 5.0);
  cairo_stroke(cr);
  // Hood and the dark face inside it.
  auto hood = [](cairo_t* c) {
    cairo_move_to(c, 22, 48);
    cairo_curve_to(c, 18, 28, 30, 14, 42, 16);
    cairo_curve_to(c, 52, 18, 56, 32, 50, 48);
    cairo_close_path(c);
  };
  // The hood covers the top of the robe rather than adding to it.
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  hood(cr);
  cairo_pattern_t* hp = cairo_pattern_create_radial(44, 22, 2, 36, 34, 24);
  cairo_pattern_add_color_stop_rgba(hp, 0, 0.85, 1.0, 0.95, 0.85);
  cairo_pattern_add_color_stop_rgba(hp, 1, ghost.r * 0.7, ghost.g * 0.8, ghost.b * 0.8, 0.75);
  cairo_set_source(cr, hp);
  cairo_fill(cr);
  cairo_pattern_destroy(hp);
  ellipse(cr, 33, 35, 7.5, 9.5);
  set(cr, rgb(0, 0, 0));
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
  // Two pale points for eyes, looking ahead (left).
  for (double ex : {29.5, 35.0}) {
    ellipse(cr, ex, 33.5, 1.3, 1.0);
    set(cr, rgb(210, 255, 240), 0.95);
    cairo_fill(cr);
  }
  // The lantern: an iron cage around a cold flame.
  cairo_save(cr);
  cairo_translate(cr, lx, ly);
  cairo_rotate(cr, swing);
  cairo_pattern_t* g = cairo_pattern_create_radial(0, 4, 0.5, 0, 4, 20);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.85, 1.0, 0.7, 0.55);
  cairo_pattern_add_color_stop_rgba(g, 0.4, 0.4, 0.8, 0.55, 0.18);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.2, 0.5, 0.4, 0.0);
  cairo_set_source(cr, g);
  ellipse(cr, 0, 4, 20, 20);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  double flick = 0.8 + 0.2 * std::sin(ph * 3);
  cairo_move_to(cr, -2.2, 8);
  cairo_curve_to(cr, -3, 4, 0, 0 - 2 * flick, 0.3, -2 - 2 * flick);
  cairo_curve_to(cr, 1, 1, 3, 4, 2.2, 8);
  cairo_close_path(cr);
  set(cr, rgb(235, 255, 200), 0.95);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.0);
  set(cr, rgb(120, 170, 150), 0.8);
  cairo_rectangle(cr, -5, -4, 10, 14);
  cairo_move_to(cr, 0, -4);
  cairo_line_to(cr, 0, -9);
  cairo_move_to(cr, -6, 10);
  cairo_line_to(cr, 6, 10);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace

Image make_watchman(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int) { draw_spirit(cr, f, lay.frames); };
  Image img = build_glow(lay, d);
  // Keep the outermost ring of every frame dark so no stray glow draws a
  // line around the spirit.
  for (int f = 0; f < lay.frames; ++f)
    for (int y = 0; y < lay.fh; ++y)
      for (int x = 0; x < lay.fw; ++x)
        if (x == 0 || y == 0 || x == lay.fw - 1 || y == lay.fh - 1) img.at(f * lay.fw + x, y) = {};
  return img;
}

}  // namespace mediagen
