// The title filmstrip. The preview window loops frames 0-17, the dialog all
// 21, so the bat that crosses the moon is off stage from frame 15 on and the
// only motion both loops share is a three-frame flicker (3 divides 18 and
// 21): either loop closes without a jump. The dialog's three extra frames
// carry a far flash of lightning.
#include "font.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

void backdrop(cairo_t* cr, int f) {
  const double W = 127, H = 100;
  bool flash = f == 18 || f == 19;
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, H);
  Col top = flash ? rgb(40, 44, 90) : look::kSkyTop, low = flash ? rgb(110, 120, 170) : look::kSkyLow;
  cairo_pattern_add_color_stop_rgb(sky, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(sky, 1, low.r, low.g, low.b);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  // Stars.
  Rng rng(0x7171);
  for (int i = 0; i < 40; ++i) {
    double x = rng.range(0, W), y = rng.range(0, 60), a = rng.range(0.3, 1.0);
    set(cr, rgb(220, 225, 255), a);
    cairo_rectangle(cr, std::floor(x), std::floor(y), 1, 1);
    cairo_fill(cr);
  }
  // Moon with a halo.
  cairo_pattern_t* g = cairo_pattern_create_radial(100, 38, 6, 100, 38, 30);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.6, 0.65, 0.85, 0.5);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.6, 0.65, 0.85, 0.0);
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  ellipse(cr, 100, 38, 12, 12);
  set(cr, look::kMoon);
  cairo_fill(cr);
  ellipse(cr, 96, 35, 3, 2.5);
  ellipse(cr, 104, 42, 2.2, 2);
  set(cr, rgb(196, 196, 190));
  cairo_fill(cr);
  if (f == 18) {  // the flash: a far bolt on the left
    set(cr, rgb(235, 240, 255));
    cairo_set_line_width(cr, 1.2);
    polyline(cr, {{22, 28}, {18, 40}, {24, 46}, {17, 60}, {21, 64}, {16, 76}});
    cairo_stroke(cr);
  }
  // A hill with a dead tree and graves.
  cairo_move_to(cr, 0, 80);
  cairo_curve_to(cr, 40, 70, 90, 72, 127, 78);
  cairo_line_to(cr, 127, 100);
  cairo_line_to(cr, 0, 100);
  cairo_close_path(cr);
  set(cr, rgb(16, 22, 30));
  cairo_fill(cr);
  set(cr, rgb(12, 12, 20));
  cairo_set_line_width(cr, 2.2);
  cairo_move_to(cr, 118, 76);
  cairo_curve_to(cr, 117, 64, 119, 56, 114, 46);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, 117, 60);
  cairo_line_to(cr, 124, 52);
  cairo_move_to(cr, 115, 52);
  cairo_line_to(cr, 108, 47);
  cairo_move_to(cr, 114, 47);
  cairo_line_to(cr, 116, 40);
  cairo_stroke(cr);
  auto grave = [&](double x, double y, double w, double h) {
    auto s = [&](cairo_t* c) {
      cairo_move_to(c, x, y + h);
      cairo_line_to(c, x, y + w / 2);
      cairo_arc(c, x + w / 2, y + w / 2, w / 2, kPi, 2 * kPi);
      cairo_line_to(c, x + w, y + h);
      cairo_close_path(c);
    };
    rimlit(cr, s, rgb(60, 64, 80), rgb(150, 156, 180), -1.0, 1.0);
  };
  grave(14, 66, 14, 18);
  grave(88, 70, 10, 12);
  set(cr, rgb(34, 36, 50));
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, 18, 76);
  cairo_line_to(cr, 24, 76);
  cairo_move_to(cr, 21, 73);
  cairo_line_to(cr, 21, 81);
  cairo_stroke(cr);
}

void pumpkin(cairo_t* cr, int f) {
  const double x = 58, y = 86;
  auto body = [&](cairo_t* c) {
    ellipse(c, x - 3, y, 4.5, 5);
    ellipse(c, x + 3, y, 4.5, 5);
    ellipse(c, x, y, 4.5, 5.4);
  };
  rimlit(cr, body, rgb(190, 90, 16), rgb(255, 170, 70), -0.8, 0.8);
  double flick = 0.75 + 0.25 * (f % 3 == 1 ? 1 : (f % 3 == 2 ? 0.4 : 0.0));
  set(cr, mix(look::kWarm, look::kWarmHot, flick));
  for (int s : {-1, 1}) {
    cairo_move_to(cr, x + s * 1.2, y - 0.5);
    cairo_line_to(cr, x + s * 3.6, y - 0.5);
    cairo_line_to(cr, x + s * 2.4, y - 2.8);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, x - 3, y + 1.5, 6, 1.4);
  cairo_fill(cr);
  set(cr, rgb(60, 80, 30));
  cairo_rectangle(cr, x - 0.5, y - 7, 1.2, 2.2);
  cairo_fill(cr);
}

void title(cairo_t* cr, int f) {
  const std::string name = "VEXMOOR";
  const double h = 13, track = 0.24;
  double w = text_width(name, h, track);
  double x0 = (127 - w) / 2, base = 19;
  double glow = 0.22 + 0.06 * (f % 3);
  for (int pass = 0; pass < 3; ++pass) {
    cairo_new_path(cr);
    text_path(cr, name, x0, base, h, track);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    if (pass == 0) {
      set(cr, look::kGhost, glow);
      cairo_set_line_width(cr, 6.0);
    } else if (pass == 1) {
      set(cr, rgb(6, 6, 12));
      cairo_set_line_width(cr, 3.8);
    } else {
      set(cr, look::kBone);
      cairo_set_line_width(cr, 2.0);
    }
    cairo_stroke(cr);
  }
}

void bat(cairo_t* cr, int f) {
  if (f >= 15) return;  // off stage, so both loops close cleanly
  double t = f / 14.0;
  double x = lerp(136, -10, t), y = 46 + 8 * std::sin(t * kPi * 1.5);
  double e = std::cos(kTau * f / 3.0);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  for (int s : {-1, 1}) {
    cairo_save(cr);
    cairo_scale(cr, s, 1);
    cairo_rotate(cr, -0.8 * e);
    cairo_move_to(cr, 1, -0.5);
    cairo_curve_to(cr, 3, -2, 5, -2.5, 8, -2.5);
    cairo_curve_to(cr, 7, -0.5, 7, 0.5, 7, 1.5);
    cairo_curve_to(cr, 6, 0.8, 5, 1.2, 4.5, 2.5);
    cairo_curve_to(cr, 3.5, 1.5, 2, 2, 1, 2.5);
    cairo_close_path(cr);
    set(cr, rgb(24, 18, 30));
    cairo_fill(cr);
    cairo_restore(cr);
  }
  ellipse(cr, 0, 0.8, 1.8, 2.4);
  cairo_move_to(cr, -1.4, -1.0);
  cairo_line_to(cr, -1.0, -3.4);
  cairo_line_to(cr, 0, -1.6);
  cairo_line_to(cr, 1.0, -3.4);
  cairo_line_to(cr, 1.4, -1.0);
  cairo_close_path(cr);
  set(cr, rgb(24, 18, 30));
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace

Image make_title(const Layout& lay) {
  DrawFn d = [](cairo_t* cr, int f, int) {
    backdrop(cr, f);
    pumpkin(cr, f);
    bat(cr, f);
    title(cr, f);
  };
  return build_masked(lay, d, {rgb(0, 0, 0), 0.5});
}

}  // namespace mediagen
