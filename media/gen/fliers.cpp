// Bats and the white dove: wing-beat cycles of eight frames that loop
// without a hitch, one strip per direction of flight.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

// A bat seen from the front and a little above, head turned the way it flies
// (+x). `e` is the wing lift: 1 raised, -1 fully down.
void draw_bat(cairo_t* cr, double e, double bob) {
  const double cx = 13, cy = 11.5 + bob;
  // A silhouette darker than the night sky with moonlight along its upper
  // edges: at 26 px that is what makes it read as a bat, not a smudge.
  const Col body = rgb(8, 6, 12), lit = rgb(178, 170, 222), membrane = rgb(12, 8, 16);
  for (int s : {-1, 1}) {
    // Each wing is one membrane hinged at the shoulder and swung up or
    // down; the far wing (behind the turned body) is a touch smaller.
    double k = s < 0 ? 0.88 : 1.0;
    cairo_save(cr);
    cairo_translate(cr, cx + s * 1.6, cy - 1.5);
    cairo_scale(cr, s * k, 1);
    cairo_rotate(cr, -0.85 * e);
    auto wing = [](cairo_t* c) {
      cairo_move_to(c, 0, -0.8);
      cairo_curve_to(c, 2.0, -2.6, 3.5, -3.4, 5.0, -3.2);
      cairo_line_to(c, 11.4, -4.6);
      cairo_curve_to(c, 10.4, -2.4, 10.2, -0.6, 10.2, 1.2);
      cairo_curve_to(c, 9.0, 0.6, 7.8, 1.2, 7.0, 3.6);
      cairo_curve_to(c, 6.0, 2.6, 4.6, 2.8, 3.6, 4.6);
      cairo_curve_to(c, 2.6, 3.6, 1.2, 3.6, 0, 4.4);
      cairo_close_path(c);
    };
    // A faint moonlit edge all round sets the shape off the sky.
    cairo_new_path(cr);
    wing(cr);
    set(cr, rgb(120, 112, 168), 0.7);
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
    rimlit(cr, wing, membrane, lit, -0.8, 0.8);
    // The finger bones, faintly lit through the dark membrane.
    set(cr, rgb(46, 40, 66));
    cairo_set_line_width(cr, 0.55);
    cairo_move_to(cr, 5.0, -3.2);
    cairo_line_to(cr, 10.2, 1.2);
    cairo_move_to(cr, 5.0, -3.2);
    cairo_line_to(cr, 7.0, 3.6);
    cairo_move_to(cr, 5.0, -3.2);
    cairo_line_to(cr, 3.6, 4.6);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  auto torso = [&](cairo_t* c) { ellipse(c, cx + 0.3, cy + 0.6, 2.6, 3.8); };
  rimlit(cr, torso, body, lit, -0.8, 0.8);
  // Head turned towards the flight, with two tall ears.
  auto head = [&](cairo_t* c) {
    ellipse(c, cx + 1.2, cy - 3.8, 2.3, 2.0);
    cairo_move_to(c, cx - 0.6, cy - 4.5);
    cairo_line_to(c, cx - 0.6, cy - 8.3);
    cairo_line_to(c, cx + 1.0, cy - 5.4);
    cairo_close_path(c);
    cairo_move_to(c, cx + 1.8, cy - 5.2);
    cairo_line_to(c, cx + 3.6, cy - 8.2);
    cairo_line_to(c, cx + 3.5, cy - 4.2);
    cairo_close_path(c);
  };
  rimlit(cr, head, body, lit, -0.7, 0.7);
  set(cr, rgb(255, 70, 40));
  ellipse(cr, cx + 0.7, cy - 3.9, 0.45, 0.45);
  cairo_fill(cr);
  ellipse(cr, cx + 2.5, cy - 4.0, 0.4, 0.4);
  cairo_fill(cr);
}

// The dove from the side, flying right; `e` lifts the wings.
void draw_dove(cairo_t* cr, double e, double bob) {
  const double cx = 13.5, cy = 23 + bob;
  const Col white = rgb(236, 240, 248), shade = rgb(158, 168, 196), edge = rgb(48, 54, 84);
  auto outline = [&](const std::function<void(cairo_t*)>& shape, Col b, Col l) {
    cairo_new_path(cr);
    shape(cr);
    set(cr, edge);
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
    rimlit(cr, shape, b, l, -0.7, 0.8);
  };
  // Far wing peeks out opposite the near one.
  auto wing = [&](cairo_t* c, double lift, double len) {
    double tipx = cx - 3.0, tipy = cy - lift * len;
    cairo_move_to(c, cx + 3.0, cy - 1.0);
    cairo_curve_to(c, cx + 3.5, cy - lift * len * 0.5, tipx + 3.0, tipy + lift * 2.0, tipx, tipy);
    // Feathered trailing edge.
    double bx = cx - 5.5, by = cy - 0.5;
    for (int i = 1; i <= 4; ++i) {
      double t = i / 4.0;
      double px = lerp(tipx, bx, t), py = lerp(tipy, by, t);
      cairo_line_to(c, px - 1.2, py - lift * 0.6);
      cairo_line_to(c, px, py + (lift >= 0 ? 0.8 : -0.8));
    }
    cairo_close_path(c);
  };
  outline([&](cairo_t* c) { wing(c, -e * 0.65, 13.0); }, shade, white);
  outline(
      [&](cairo_t* c) {
        cairo_move_to(c, cx - 5.0, cy - 1.0);
        cairo_line_to(c, cx - 12.5, cy - 2.5 + bob * 0.5);
        cairo_line_to(c, cx - 12.0, cy + 2.5);
        cairo_line_to(c, cx - 4.0, cy + 2.2);
        cairo_close_path(c);
      },
      shade, white);
  outline(
      [&](cairo_t* c) {
        ellipse(c, cx, cy, 6.5, 3.6);
        ellipse(c, cx + 6.2, cy - 2.4, 2.7, 2.5);
      },
      white, rgb(255, 255, 255));
  set(cr, rgb(20, 20, 30));
  ellipse(cr, cx + 6.9, cy - 3.0, 0.55, 0.55);
  cairo_fill(cr);
  cairo_move_to(cr, cx + 8.5, cy - 3.0);
  cairo_line_to(cr, cx + 11.0, cy - 2.0);
  cairo_line_to(cr, cx + 8.4, cy - 1.4);
  cairo_close_path(cr);
  set(cr, rgb(236, 150, 110));
  cairo_fill(cr);
  outline([&](cairo_t* c) { wing(c, e, 19.5); }, white, rgb(255, 255, 255));
}

}  // namespace

Image make_bat(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int s) {
    if (s == 1) {  // second strip: flying left
      cairo_translate(cr, lay.fw, 0);
      cairo_scale(cr, -1, 1);
    }
    double ph = kTau * f / lay.frames;
    // A little under full size, so raised wing tips stay inside the frame.
    cairo_translate(cr, 13, 12.5);
    cairo_scale(cr, 0.9, 0.9);
    cairo_translate(cr, -13, -11.5);
    draw_bat(cr, std::cos(ph), 0.8 * std::sin(ph));
  };
  return build_masked(lay, d, {look::kNightSky, 0.42});
}

Image make_bat_preview(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int) {
    double ph = kTau * f / lay.frames;
    cairo_translate(cr, 18 - 13 * 1.26, 17 - 11.5 * 1.26);
    cairo_scale(cr, 1.26, 1.26);
    draw_bat(cr, std::cos(ph), 0.8 * std::sin(ph));
  };
  return build_masked(lay, d, {rgb(0, 0, 0), 0.45});
}

Image make_dove(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int s) {
    if (s == 0) {  // first strip: flying left
      cairo_translate(cr, lay.fw, 0);
      cairo_scale(cr, -1, 1);
    }
    double ph = kTau * f / lay.frames;
    cairo_translate(cr, 13.5, 23);
    cairo_scale(cr, 0.9, 0.9);
    cairo_translate(cr, -13.5, -23);
    draw_dove(cr, std::cos(ph), -1.5 * std::sin(ph));
  };
  return build_masked(lay, d, {look::kNightSky, 0.42});
}

}  // namespace mediagen
