// The owl in the tree hollow. Its frames are cut from the very sky picture the
// saver copies them over, so only the owl itself ever differs from the sky.
#include "geom.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

// An owl seen from the front, head centre at (0,0), in units where the head
// is about 19 wide; `open` runs from 0 (eyes shut) to 1 (wide open).
void draw_owl(cairo_t* cr, double open, bool perched) {
  const Col feather = rgb(104, 88, 72), featherDark = rgb(52, 42, 36), featherLit = rgb(176, 160, 136);
  const Col disc = rgb(168, 150, 122), discDark = rgb(96, 80, 64);
  auto body = [](cairo_t* c) { ellipse(c, 0, 13.5, 9.0, 11.5); };
  rimlit(cr, body, feather, featherLit, -1.4, 0.8);
  // Breast: pale with dark chevrons.
  ellipse(cr, 0.4, 15, 5.8, 8.2);
  set(cr, rgb(150, 134, 108));
  cairo_fill(cr);
  cairo_set_line_width(cr, 0.8);
  set(cr, featherDark);
  for (int r = 0; r < 4; ++r)
    for (int k = -1; k <= 1; ++k) {
      double x = k * 2.8 + (r % 2) * 1.4 - 0.7, y = 10.5 + r * 3.0;
      cairo_move_to(cr, x - 1.1, y - 0.6);
      cairo_line_to(cr, x, y + 0.5);
      cairo_line_to(cr, x + 1.1, y - 0.6);
      cairo_stroke(cr);
    }
  // Folded wings at the sides.
  auto wings = [](cairo_t* c) {
    cairo_move_to(c, -9.2, 6);
    cairo_curve_to(c, -11.5, 14, -9.5, 22, -5.5, 25);
    cairo_curve_to(c, -7.5, 18, -7.8, 11, -6.2, 6);
    cairo_close_path(c);
    cairo_move_to(c, 9.2, 6);
    cairo_curve_to(c, 11.5, 14, 9.5, 22, 5.5, 25);
    cairo_curve_to(c, 7.5, 18, 7.8, 11, 6.2, 6);
    cairo_close_path(c);
  };
  rimlit(cr, wings, featherDark, feather, -1.0, 0.6);
  if (perched) {
    set(cr, rgb(200, 170, 90));
    for (int s : {-1, 1})
      for (int k = -1; k <= 1; ++k) {
        cairo_set_line_width(cr, 0.9);
        cairo_move_to(cr, s * 3.2, 23.5);
        cairo_line_to(cr, s * 3.2 + k * 1.3, 26.5);
        cairo_stroke(cr);
      }
  }
  auto head = [](cairo_t* c) {
    ellipse(c, 0, 0, 9.6, 8.4);
    cairo_move_to(c, -8.8, -3);
    cairo_line_to(c, -9.6, -11.5);
    cairo_line_to(c, -4.2, -6.8);
    cairo_close_path(c);
    // Wound the same way round as the left ear and the head, or the
    // overlap would cancel out of the fill and leave a see-through slit.
    cairo_move_to(c, 8.8, -3);
    cairo_line_to(c, 4.2, -6.8);
    cairo_line_to(c, 9.6, -11.5);
    cairo_close_path(c);
  };
  rimlit(cr, head, feather, featherLit, -1.3, 0.9);
  // Facial disc: two rounded halves with a dark rim.
  for (int s : {-1, 1}) {
    ellipse(cr, s * 4.1, 0.6, 4.9, 5.3);
    set(cr, discDark);
    cairo_fill(cr);
    ellipse(cr, s * 4.1, 0.6, 4.2, 4.6);
    set(cr, disc);
    cairo_fill(cr);
  }
  for (int s : {-1, 1}) {
    double ex = s * 4.0, ey = 0.4, r = 2.9;
    if (open < 0.08) {
      cairo_set_line_width(cr, 0.9);
      set(cr, rgb(40, 30, 26));
      cairo_move_to(cr, ex - r, ey);
      cairo_curve_to(cr, ex - r / 2, ey + 1.2, ex + r / 2, ey + 1.2, ex + r, ey);
      cairo_stroke(cr);
      continue;
    }
    cairo_save(cr);
    // Lids part from the middle: clip the eye to the open band.
    double half = r * open;
    cairo_rectangle(cr, ex - r - 1, ey - half, 2 * r + 2, 2 * half);
    cairo_clip(cr);
    ellipse(cr, ex, ey, r, r);
    cairo_pattern_t* p = cairo_pattern_create_radial(ex, ey, 0.3, ex, ey, r);
    cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.92, 0.45);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.93, 0.56, 0.10);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    ellipse(cr, ex, ey, r * (0.35 + 0.25 * open), r * (0.35 + 0.25 * open));
    set(cr, rgb(8, 6, 6));
    cairo_fill(cr);
    ellipse(cr, ex + 0.7, ey - 0.8, 0.55, 0.55);
    set(cr, rgb(255, 255, 240));
    cairo_fill(cr);
    cairo_restore(cr);
    // Lid edges, only across the eye itself.
    if (open < 0.95) {
      cairo_save(cr);
      ellipse(cr, ex, ey, r, r);
      cairo_clip(cr);
      cairo_set_line_width(cr, 0.7);
      set(cr, rgb(60, 46, 38));
      cairo_move_to(cr, ex - r, ey - half);
      cairo_line_to(cr, ex + r, ey - half);
      cairo_move_to(cr, ex - r, ey + half);
      cairo_line_to(cr, ex + r, ey + half);
      cairo_stroke(cr);
      cairo_restore(cr);
    }
  }
  cairo_move_to(cr, -1.3, 2.6);
  cairo_line_to(cr, 1.3, 2.6);
  cairo_line_to(cr, 0, 5.6);
  cairo_close_path(cr);
  set(cr, rgb(210, 190, 130));
  cairo_fill(cr);
}

}  // namespace

Image make_owl(const Layout& lay) {
  using namespace geom;
  const Image sky = scene_layers().top.crop(kOwlX, kOwlY, kOwlW, kOwlH);
  Image out(lay.width(), lay.height());
  const double hx = kHollowCX - kOwlX, hy = kHollowCY - kOwlY;
  for (int f = 0; f < lay.frames; ++f) {
    Canvas c(kOwlW, kOwlH);
    c.fill_from(sky);
    cairo_t* cr = c.cr();
    // Inside the hollow only: the owl sits in the dark, shoulders hidden by the lip.
    ellipse(cr, hx, hy, kHollowRX - 0.6, kHollowRY - 0.6);
    cairo_clip(cr);
    cairo_translate(cr, hx + 0.3, hy - 5.5);
    cairo_scale(cr, 0.9, 0.9);
    static const double kOpen[] = {0.0, 0.15, 0.35, 0.58, 0.8, 1.0};
    draw_owl(cr, kOpen[f], false);
    out.paste(c.on_black(), f * kOwlW, 0);
  }
  return out;
}

Image make_owl_preview(const Layout& lay) {
  DrawFn d = [](cairo_t* cr, int f, int) {
    // A bough to sit on, lit from the right.
    auto bough = [](cairo_t* c) {
      cairo_move_to(c, 2, 75);
      cairo_curve_to(c, 26, 73, 56, 74, 80, 71);
      cairo_line_to(c, 80, 77);
      cairo_curve_to(c, 56, 80, 26, 80, 2, 80);
      cairo_close_path(c);
    };
    rimlit(cr, bough, rgb(30, 26, 28), rgb(110, 110, 130), -1.2, 1.4);
    cairo_save(cr);
    cairo_translate(cr, 41, 26);
    cairo_scale(cr, 2.05, 2.05);
    static const double kOpen[] = {0.0, 0.4, 0.75, 1.0};
    draw_owl(cr, kOpen[f], true);
    cairo_restore(cr);
  };
  return build_masked(lay, d, {rgb(0, 0, 0), 0.45});
}

}  // namespace mediagen
