// Small pieces: the firefly's blink, the dead orchid, the medallion's glint,
// the black widow.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

Image make_firefly(const Layout& lay) {
  // Eight frames of one slow pulse. It is ORed into the scene, so only
  // light is drawn; the frame's border stays black.
  static const double kPulse[] = {0.18, 0.4, 0.72, 1.0, 0.9, 0.66, 0.42, 0.24};
  DrawFn d = [](cairo_t* cr, int f, int) {
    double k = kPulse[f];
    const double cx = 10.0, cy = 9.5;
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 0.2, cx, cy, 3.0 + 5.0 * k);
    cairo_pattern_add_color_stop_rgba(g, 0, 1.0, 1.0, 0.6, 0.95);
    cairo_pattern_add_color_stop_rgba(g, 0.25, 0.85, 0.95, 0.25, 0.7 * k + 0.2);
    cairo_pattern_add_color_stop_rgba(g, 0.6, 0.55, 0.75, 0.08, 0.35 * k);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.3, 0.45, 0.0, 0.0);
    cairo_set_source(cr, g);
    ellipse(cr, cx, cy, 3.0 + 5.0 * k, 3.0 + 5.0 * k);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // Wings catching the glow, faint.
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    set(cr, rgb(150, 170, 120), 0.25 * k);
    ellipse(cr, cx - 2.2, cy - 2.0, 2.0, 1.0);
    cairo_fill(cr);
    ellipse(cr, cx + 2.2, cy - 2.0, 2.0, 1.0);
    cairo_fill(cr);
  };
  Image img = build_glow(lay, d);
  // Clear the outer ring: the glow fades out before it, but never leaks.
  for (int f = 0; f < lay.frames; ++f)
    for (int y = 0; y < lay.fh; ++y)
      for (int x = 0; x < lay.fw; ++x)
        if (x == 0 || y == 0 || x == lay.fw - 1 || y == lay.fh - 1) {
          img.at(f * lay.fw + x, y) = {};
          img.at(f * lay.fw + x, lay.fh + y) = {255, 255, 255};
        }
  return img;
}

Image make_flower(const Layout& lay) {
  // A withered orchid on a bent stalk, swaying on a loop of eight frames.
  DrawFn d = [&](cairo_t* cr, int f, int) {
    const double ph = kTau * f / lay.frames;
    const double sway = 0.12 * std::sin(ph);
    const Col stalk = rgb(58, 72, 48), stalkLit = rgb(120, 140, 100), edge = rgb(12, 14, 12);
    // Two dead leaves at the foot.
    for (int s : {-1, 1}) {
      auto leaf = [&](cairo_t* c) {
        cairo_move_to(c, 25, 48.5);
        cairo_curve_to(c, 25 + s * 6, 40 + 0.6 * std::sin(ph + s), 25 + s * 15, 41, 25 + s * 20, 47.5);
        cairo_curve_to(c, 25 + s * 13, 49.5, 25 + s * 6, 50, 25, 48.5);
        cairo_close_path(c);
      };
      cairo_new_path(cr);
      leaf(cr);
      set(cr, edge);
      cairo_set_line_width(cr, 1.2);
      cairo_stroke(cr);
      rimlit(cr, leaf, rgb(40, 58, 36), rgb(112, 132, 86), -0.8, 0.8);
    }
    // The stalk bends over at the top; the flowers hang from it.
    cairo_save(cr);
    cairo_translate(cr, 22, 49);
    cairo_rotate(cr, sway);
    auto stem = [](cairo_t* c) {
      cairo_move_to(c, 0, 0);
      cairo_curve_to(c, -2, -16, 1, -30, 8, -36);
      cairo_curve_to(c, 12, -39, 15, -36, 16, -29);
    };
    cairo_new_path(cr);
    stem(cr);
    set(cr, edge);
    cairo_set_line_width(cr, 3.0);
    cairo_stroke(cr);
    stem(cr);
    set(cr, stalk);
    cairo_set_line_width(cr, 1.8);
    cairo_stroke(cr);
    stem(cr);
    set(cr, stalkLit);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
    // Blooms: purple petals gone brown at the edges, drooping.
    const double blooms[][3] = {{16, -26, 1.0}, {8, -35, 0.85}, {1, -25, 0.75}};
    for (int b = 0; b < 3; ++b) {
      double bx = blooms[b][0], by = blooms[b][1], k = blooms[b][2];
      double droop = 0.15 * std::sin(ph + b * 1.3);
      cairo_save(cr);
      cairo_translate(cr, bx, by);
      cairo_rotate(cr, -sway * 0.5 + droop);
      cairo_scale(cr, k, k);
      // An orchid bloom gone over: three sepals, two broad petals, the
      // lip, purple fading to brown at the curled edges.
      auto part = [&](double x, double y, double rx, double ry, double rot, Col base, Col lit) {
        auto shape = [&](cairo_t* c) {
          cairo_save(c);
          cairo_translate(c, x, y);
          cairo_rotate(c, rot);
          ellipse(c, 0, 0, rx, ry);
          cairo_restore(c);
        };
        cairo_new_path(cr);
        shape(cr);
        set(cr, edge);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        rimlit(cr, shape, base, lit, -0.6, 0.6);
      };
      const Col sepal = rgb(96, 58, 92), petal = rgb(122, 60, 124), withered = rgb(100, 74, 54);
      part(0, -5.0, 2.0, 4.0, 0.0, mix(sepal, withered, 0.4), rgb(190, 140, 190));
      part(-3.6, 3.8, 1.7, 3.8, 0.55, mix(sepal, withered, 0.6), rgb(170, 130, 150));
      part(3.6, 3.8, 1.7, 3.8, -0.55, mix(sepal, withered, 0.3), rgb(190, 140, 190));
      part(-4.4, -0.6, 4.0, 3.2, -0.25, mix(petal, withered, 0.25), rgb(214, 150, 214));
      part(4.4, -0.6, 4.0, 3.2, 0.25, mix(petal, withered, 0.5), rgb(214, 150, 214));
      part(0, 2.6, 2.0, 2.6, 0.0, rgb(150, 40, 90), rgb(230, 110, 160));
      ellipse(cr, 0, 0.6, 1.0, 1.1);
      set(cr, rgb(230, 206, 110));
      cairo_fill(cr);
      cairo_restore(cr);
    }
    cairo_restore(cr);
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

Image make_medallion(const Layout& lay) {
  // A bronze medallion set into the stone, a skull in relief; a glint runs
  // across it in frames 1 and 2.
  DrawFn d = [](cairo_t* cr, int f, int) {
    const double cx = 32.5, cy = 19;
    auto rim = [&](cairo_t* c) { ellipse(c, cx, cy, 17.5, 16.5); };
    cairo_new_path(cr);
    rim(cr);
    set(cr, rgb(20, 16, 12));
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    cairo_save(cr);
    rim(cr);
    cairo_clip(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx + 12, cy - 14, cx - 12, cy + 14);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.85, 0.72, 0.42);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.55, 0.40, 0.20);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.25, 0.17, 0.09);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    // Verdigris in the recesses.
    for (int i = 0; i < 60; ++i) {
      double a = hash01(i, 1, 5) * kTau, r = 12 + hash01(i, 2, 5) * 5;
      set(cr, rgb(70, 120, 100), 0.5);
      ellipse(cr, cx + std::cos(a) * r, cy + std::sin(a) * r, 1.0, 1.0);
      cairo_fill(cr);
    }
    cairo_restore(cr);
    // Inner ring and the skull.
    ellipse(cr, cx, cy, 13.5, 12.5);
    set(cr, rgb(60, 40, 22));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    auto skull = [&](cairo_t* c) {
      ellipse(c, cx, cy - 2.5, 7.0, 6.5);
      cairo_rectangle(c, cx - 4, cy + 2, 8, 5);
    };
    rimlit(cr, skull, rgb(150, 116, 70), rgb(240, 214, 150), -0.9, 0.9);
    set(cr, rgb(30, 20, 12));
    ellipse(cr, cx - 2.8, cy - 2.0, 2.0, 2.2);
    cairo_fill(cr);
    ellipse(cr, cx + 2.8, cy - 2.0, 2.0, 2.2);
    cairo_fill(cr);
    cairo_move_to(cr, cx, cy + 0.5);
    cairo_line_to(cr, cx - 1.2, cy + 2.6);
    cairo_line_to(cr, cx + 1.2, cy + 2.6);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.7);
    for (int i = -1; i <= 1; ++i) {
      cairo_move_to(cr, cx + i * 2.0, cy + 4);
      cairo_line_to(cr, cx + i * 2.0, cy + 7);
    }
    cairo_stroke(cr);
    if (f > 0) {
      // The glint: a four-pointed star on the upper right of the rim.
      double k = f == 1 ? 0.6 : 1.0;
      double gx = cx + 10, gy = cy - 10;
      cairo_pattern_t* g = cairo_pattern_create_radial(gx, gy, 0.5, gx, gy, 9 * k);
      cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.9, 0.9);
      cairo_pattern_add_color_stop_rgba(g, 1, 1, 0.9, 0.6, 0.0);
      cairo_set_source(cr, g);
      ellipse(cr, gx, gy, 9 * k, 9 * k);
      cairo_fill(cr);
      cairo_pattern_destroy(g);
      set(cr, rgb(255, 255, 240));
      for (int i = 0; i < 4; ++i) {
        double a = i * kPi / 2 + 0.2;
        double len = (i % 2 ? 8 : 13) * k;
        cairo_move_to(cr, gx + std::cos(a + 0.12) * 1.2, gy + std::sin(a + 0.12) * 1.2);
        cairo_line_to(cr, gx + std::cos(a) * len, gy + std::sin(a) * len);
        cairo_line_to(cr, gx + std::cos(a - 0.12) * 1.2, gy + std::sin(a - 0.12) * 1.2);
        cairo_close_path(cr);
        cairo_fill(cr);
      }
    }
  };
  return build_masked(lay, d, {look::kStone, 0.45});
}

Image make_spider(const Layout& lay) {
  // A black widow hanging head down from its thread, which comes in at
  // column 39 from the top of the frame, in the saver's thread grey.
  DrawFn d = [](cairo_t* cr, int, int) {
    const double cx = 39.5;
    set(cr, rgb(128, 128, 128));
    cairo_rectangle(cr, 39, 0, 1, 44);
    cairo_fill(cr);
    const Col body = rgb(16, 14, 20), lit = rgb(120, 118, 140), edge = rgb(4, 4, 6);
    // Eight jointed legs from the head-chest: front pairs reaching down,
    // hind pairs up along the abdomen, every knee bent outwards.
    const double dirs[4] = {1.00, 0.38, -0.30, -0.98};
    const double femur[4] = {15, 17, 16, 17}, tibia[4] = {17, 18, 16, 19};
    for (int side : {-1, 1})
      for (int i = 0; i < 4; ++i) {
        double a = dirs[i];
        double ax = cx + side * 3.0, ay = 65.5 - i * 1.2;
        double kx = ax + side * femur[i] * std::cos(a - 0.65), ky = ay + femur[i] * std::sin(a - 0.65);
        double tx = kx + side * tibia[i] * std::cos(a + 0.55), ty = ky + tibia[i] * std::sin(a + 0.55);
        cairo_move_to(cr, ax, ay);
        cairo_line_to(cr, kx, ky);
        cairo_line_to(cr, tx, ty);
        set(cr, edge);
        cairo_set_line_width(cr, 2.8);
        cairo_stroke_preserve(cr);
        set(cr, side > 0 ? mix(body, lit, 0.55) : mix(body, lit, 0.15));
        cairo_set_line_width(cr, 1.4);
        cairo_stroke(cr);
        // Knee joints catch the moon.
        ellipse(cr, kx, ky, 1.2, 1.2);
        set(cr, side > 0 ? lit : mix(body, lit, 0.3));
        cairo_fill(cr);
      }
    // It hangs from its spinnerets: abdomen up by the thread, head below.
    auto abdomen = [&](cairo_t* c) { ellipse(c, cx, 52, 10.5, 12.5); };
    cairo_new_path(cr);
    abdomen(cr);
    set(cr, edge);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    rimlit(cr, abdomen, body, lit, -1.4, 1.4);
    // Gloss.
    ellipse(cr, cx + 4.0, 46, 2.4, 4.0);
    set(cr, rgb(170, 170, 200), 0.55);
    cairo_fill(cr);
    // The red hourglass.
    cairo_move_to(cr, cx - 3.2, 47);
    cairo_line_to(cr, cx + 3.2, 47);
    cairo_line_to(cr, cx + 0.6, 52);
    cairo_line_to(cr, cx + 3.2, 57);
    cairo_line_to(cr, cx - 3.2, 57);
    cairo_line_to(cr, cx - 0.6, 52);
    cairo_close_path(cr);
    set(cr, rgb(220, 20, 24));
    cairo_fill(cr);
    auto head = [&](cairo_t* c) { ellipse(c, cx, 67, 6.0, 5.5); };
    cairo_new_path(cr);
    head(cr);
    set(cr, edge);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    rimlit(cr, head, body, lit, -1.0, 1.0);
    // Eyes and fangs.
    set(cr, rgb(220, 40, 40));
    for (int s : {-1, 1}) {
      ellipse(cr, cx + s * 1.6, 70, 0.8, 0.8);
      cairo_fill(cr);
    }
    set(cr, rgb(60, 56, 64));
    cairo_set_line_width(cr, 1.0);
    for (int s : {-1, 1}) {
      cairo_move_to(cr, cx + s * 1.2, 72);
      cairo_line_to(cr, cx + s * 0.6, 75);
    }
    cairo_stroke(cr);
  };
  return build_masked(lay, d, {look::kNightSky, 0.42});
}

}  // namespace mediagen
