// The three stone pictures: the big arched stone the crow sits on and the
// blood runs down, the small Celtic cross of the far graves, and the pointed
// stone that holds the medallion. Stone is lit from the moon (upper right),
// grained, mossy where the damp collects.
#include "font.hpp"
#include "geom.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

using Shape = std::function<void(cairo_t*)>;

// Fills a stone shape with light from the upper right, a dark edge and a
// bright rim on the lit side.
void stone(cairo_t* cr, const Shape& shape, double x0, double y0, double x1, double y1, double far = 0.0) {
  Col lit = mix(look::kStoneLit, look::kHillFar, far), mid = mix(look::kStone, look::kHillFar, far * 0.8),
      dark = mix(look::kStoneDark, look::kHillNear, far * 0.6);
  cairo_new_path(cr);
  shape(cr);
  set(cr, rgb(10, 10, 16));
  cairo_set_line_width(cr, 2.0);
  cairo_stroke(cr);
  cairo_save(cr);
  shape(cr);
  cairo_clip(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(x1, y0, x0, y1);
  cairo_pattern_add_color_stop_rgb(p, 0, lit.r * 0.9, lit.g * 0.9, lit.b * 0.9);
  cairo_pattern_add_color_stop_rgb(p, 0.45, mid.r, mid.g, mid.b);
  cairo_pattern_add_color_stop_rgb(p, 1, dark.r, dark.g, dark.b);
  cairo_set_source(cr, p);
  cairo_paint(cr);
  cairo_pattern_destroy(p);
  // Bevel: the edge stroked twice from inside, dark where the shape's
  // lower-left edges are, light along the upper-right ones.
  cairo_new_path(cr);
  cairo_translate(cr, 1.6, -1.6);
  shape(cr);
  cairo_set_line_width(cr, 2.4);
  set(cr, scale(dark, 0.7), 0.9);
  cairo_stroke(cr);
  cairo_translate(cr, -3.2, 3.2);
  shape(cr);
  set(cr, lit, 0.9);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// Letters or lines cut into the stone: a dark groove with its lower-left
// wall catching the light.
void engrave(cairo_t* cr, const Shape& path, double width) {
  cairo_new_path(cr);
  path(cr);
  set(cr, rgb(26, 28, 38));
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, -0.7, 0.7);
  path(cr);
  set(cr, rgb(150, 156, 178), 0.5);
  cairo_set_line_width(cr, width * 0.45);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A raised carving: shadow cast down-left, then the relief itself.
void relief(cairo_t* cr, const Shape& shape) {
  cairo_save(cr);
  cairo_translate(cr, -1.4, 1.4);
  shape(cr);
  set(cr, rgb(28, 30, 42), 0.85);
  cairo_fill(cr);
  cairo_restore(cr);
  rimlit(cr, shape, look::kStone, look::kStoneLit, -1.0, 1.0);
}

void grain_and_moss(Canvas& c, int seed, double mossFrom) {
  c.modulate([&](int x, int y) {
    double g = 0.84 + 0.30 * fbm(x / 7.0, y / 7.0, seed, 4) + 0.10 * (hash01(x, y, seed + 9) - 0.5);
    // Dark streaks where rain runs down.
    g *= 1.0 - 0.18 * smoothstep(0.6, 0.8, fbm(x / 3.0, y / 40.0, seed + 3, 3));
    return g;
  });
  cairo_t* cr = c.cr();
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);  // moss only where there is stone
  for (int y = 0; y < c.h(); ++y)
    for (int x = 0; x < c.w(); ++x) {
      // Moss gathers low down where the damp stays, in clumps.
      double wet = smoothstep(mossFrom, c.h(), y);
      double m = 0.7 * fbm(x / 9.0, y / 7.0, seed + 20, 3) + 0.3 * fbm(x / 2.5, y / 2.5, seed + 22, 2) + 0.22 * wet;
      double a = smoothstep(0.66, 0.76, m) * 0.85;
      if (a <= 0) continue;
      set(cr, mix(look::kMoss, rgb(90, 120, 70), hash01(x, y, seed + 21) * 0.5), a);
      cairo_rectangle(cr, x, y, 1, 1);
      cairo_fill(cr);
    }
  cairo_restore(cr);
}

void grass_front(cairo_t* cr, double x0, double x1, double base, int seed) {
  Rng rng{std::uint64_t(seed)};
  cairo_set_line_width(cr, 1.0);
  for (double x = x0; x < x1; x += rng.range(1.2, 3.0)) {
    double h = rng.range(3, 10);
    double lean = rng.range(-3, 3);
    set(cr, mix(rgb(18, 32, 32), rgb(64, 94, 90), rng.uni()));
    cairo_move_to(cr, x, base + rng.range(0, 2));
    cairo_curve_to(cr, x, base - h / 2, x + lean * 0.6, base - h * 0.8, x + lean, base - h);
    cairo_stroke(cr);
  }
}

Image finish(const Layout& lay, Canvas& c) {
  Image image(lay.fw, lay.fh), mask(lay.fw, lay.fh);
  resolve_frame(c, {look::kNightGround, 0.45}, image, mask, 0);
  Image out(lay.fw, 2 * lay.fh);
  out.paste(image, 0, 0);
  out.paste(mask, 0, lay.fh);
  return out;
}

}  // namespace

Image make_tombstone1(const Layout& lay) {
  using namespace geom;
  Canvas c(lay.fw, lay.fh);
  cairo_t* cr = c.cr();
  const double L = kTomb1Left, R = kTomb1Right;
  const double ledgeTop = 83, ledgeBot = kDripY - kTomb1Y;  // the blood drips off this corner
  // Upper tablet with the segmental arch the crow stands on.
  auto tablet = [&](cairo_t* k) {
    cairo_move_to(k, L + 4, ledgeTop);
    for (double x = L + 4; x <= R - 4 + 1e-9; x += 2) cairo_line_to(k, x, tomb1_top(x));
    cairo_line_to(k, R - 4, ledgeTop);
    cairo_close_path(k);
  };
  stone(cr, tablet, L, 18, R, ledgeTop);
  // Lower body and the cornice between them.
  auto body = [&](cairo_t* k) { cairo_rectangle(k, L, ledgeBot, R - L, 168 - ledgeBot); };
  stone(cr, body, L, ledgeBot, R, 168);
  auto ledge = [&](cairo_t* k) {
    cairo_rectangle(k, kDripX - kTomb1X - 3, ledgeTop, (R + 4) - (kDripX - kTomb1X - 3), ledgeBot - ledgeTop);
  };
  stone(cr, ledge, 0, ledgeTop, R + 4, ledgeBot);
  auto plinth = [](cairo_t* k) { cairo_rectangle(k, 0, 166, 134, 34); };
  stone(cr, plinth, 0, 166, 134, 200);
  // Winged skull on the tablet.
  const double sx = 67, sy = 56;
  relief(cr, [&](cairo_t* k) {
    for (int s : {-1, 1}) {
      cairo_move_to(k, sx + s * 8, sy - 2);
      cairo_curve_to(k, sx + s * 20, sy - 14, sx + s * 36, sy - 12, sx + s * 46, sy - 6);
      cairo_curve_to(k, sx + s * 38, sy - 3, sx + s * 40, sy + 1, sx + s * 34, sy + 2);
      cairo_curve_to(k, sx + s * 28, sy + 1, sx + s * 30, sy + 6, sx + s * 24, sy + 7);
      cairo_curve_to(k, sx + s * 18, sy + 6, sx + s * 14, sy + 6, sx + s * 8, sy + 4);
      cairo_close_path(k);
    }
  });
  engrave(
      cr,
      [&](cairo_t* k) {
        for (int s : {-1, 1})
          for (int i = 0; i < 3; ++i) {
            cairo_move_to(k, sx + s * (14 + i * 9), sy - 3 + i * 0.5);
            cairo_line_to(k, sx + s * (20 + i * 9), sy + 4 - i * 0.8);
          }
      },
      1.0);
  relief(cr, [&](cairo_t* k) {
    ellipse(k, sx, sy - 3, 9, 9.5);
    cairo_rectangle(k, sx - 5.5, sy + 3, 11, 6);
  });
  set(cr, rgb(20, 20, 30));
  ellipse(cr, sx - 3.6, sy - 3, 2.8, 3.2);
  cairo_fill(cr);
  ellipse(cr, sx + 3.6, sy - 3, 2.8, 3.2);
  cairo_fill(cr);
  cairo_move_to(cr, sx, sy + 0.5);
  cairo_line_to(cr, sx - 1.6, sy + 3.5);
  cairo_line_to(cr, sx + 1.6, sy + 3.5);
  cairo_close_path(cr);
  cairo_fill(cr);
  engrave(
      cr,
      [&](cairo_t* k) {
        for (int i = -2; i <= 2; ++i) {
          cairo_move_to(k, sx + i * 2.0, sy + 5);
          cairo_line_to(k, sx + i * 2.0, sy + 9);
        }
      },
      0.9);
  // Lettering: R.I.P. and a worn inscription.
  const double capH = 15;
  double tw = text_width("R.I.P.", capH, 0.2);
  engrave(
      cr, [&](cairo_t* k) { text_path(k, "R.I.P.", 67 - tw / 2, 118, capH, 0.2); }, 2.4);
  const double rows[][2] = {{128, 38}, {137, 50}, {146, 30}};
  for (auto& r : rows)
    engrave(
        cr,
        [&](cairo_t* k) {
          Rng rng{std::uint64_t(r[0])};
          double x = 67 - r[1];
          while (x < 67 + r[1]) {
            double w = rng.range(3, 7);
            cairo_move_to(k, x, r[0]);
            cairo_line_to(k, x + w, r[0]);
            x += w + rng.range(2, 4);
          }
        },
        1.2);
  // A crack through the body.
  engrave(
      cr,
      [](cairo_t* k) {
        polyline(k, {{118, 92}, {112, 104}, {115, 112}, {106, 126}, {109, 134}, {101, 150}});
      },
      1.1);
  grain_and_moss(c, 301, 120);
  grass_front(cr, 0, 134, 199, 303);
  return finish(lay, c);
}

Image make_tombstone2(const Layout& lay) {
  Canvas c(lay.fw, lay.fh);
  cairo_t* cr = c.cr();
  const double cx = 38.5, ringY = 32;
  // The ring first, then the cross over it.
  stone(
      cr,
      [&](cairo_t* k) {
        cairo_new_sub_path(k);
        cairo_arc(k, cx, ringY, 22, 0, kTau);
        cairo_new_sub_path(k);
        cairo_arc_negative(k, cx, ringY, 16.5, kTau, 0);
      },
      14, 8, 62, 56, 0.55);
  stone(
      cr,
      [&](cairo_t* k) {
        cairo_rectangle(k, cx - 7, 3, 14, 96);
        cairo_rectangle(k, 5, ringY - 7, 67, 14);
      },
      5, 3, 72, 99, 0.55);
  // Knotwork hint on the crossing, and a base block.
  engrave(
      cr,
      [&](cairo_t* k) {
        ellipse(k, cx, ringY, 4.5, 4.5);
        cairo_move_to(k, cx - 4, ringY - 4);
        cairo_line_to(k, cx + 4, ringY + 4);
        cairo_move_to(k, cx + 4, ringY - 4);
        cairo_line_to(k, cx - 4, ringY + 4);
      },
      1.0);
  stone(
      cr, [](cairo_t* k) { cairo_rectangle(k, 14, 96, 49, 24); }, 14, 96, 63, 120, 0.55);
  engrave(
      cr,
      [](cairo_t* k) {
        cairo_move_to(k, 22, 106);
        cairo_line_to(k, 55, 106);
        cairo_move_to(k, 26, 112);
        cairo_line_to(k, 51, 112);
      },
      1.0);
  grain_and_moss(c, 401, 80);
  grass_front(cr, 8, 70, 124, 403);
  return finish(lay, c);
}

Image make_tombstone4(const Layout& lay) {
  using namespace geom;
  Canvas c(lay.fw, lay.fh);
  cairo_t* cr = c.cr();
  const double L = kTomb4Left, R = kTomb4Right, mid = (L + R) / 2;
  auto body = [&](cairo_t* k) {
    cairo_move_to(k, L, 160);
    cairo_line_to(k, L, 46);
    cairo_curve_to(k, L, 26, mid - 18, 12, mid, 3);
    cairo_curve_to(k, mid + 18, 12, R, 26, R, 46);
    cairo_line_to(k, R, 160);
    cairo_close_path(k);
  };
  stone(cr, body, L, 3, R, 160);
  // The recess the medallion sits in.
  const double mx = 18 + 32.5, my = 50 + 19;
  cairo_new_path(cr);
  ellipse(cr, mx, my, 20.5, 19.5);
  set(cr, rgb(24, 26, 36));
  cairo_fill(cr);
  ellipse(cr, mx - 1.2, my + 1.2, 19.5, 18.5);
  set(cr, rgb(60, 64, 80));
  cairo_fill(cr);
  // Pointed-arch moulding and a small cross above.
  engrave(
      cr,
      [&](cairo_t* k) {
        cairo_move_to(k, L + 7, 150);
        cairo_line_to(k, L + 7, 48);
        cairo_curve_to(k, L + 7, 31, mid - 14, 19, mid, 11);
        cairo_curve_to(k, mid + 14, 19, R - 7, 31, R - 7, 48);
        cairo_line_to(k, R - 7, 150);
      },
      1.3);
  engrave(
      cr,
      [&](cairo_t* k) {
        cairo_move_to(k, mid, 20);
        cairo_line_to(k, mid, 40);
        cairo_move_to(k, mid - 6, 27);
        cairo_line_to(k, mid + 6, 27);
      },
      2.0);
  // An old name and dates, worn.
  double h = 8;
  double w1 = text_width("EZRA VANE", h, 0.18);
  engrave(
      cr, [&](cairo_t* k) { text_path(k, "EZRA VANE", mid - w1 / 2, 108, h, 0.18); }, 1.4);
  double w2 = text_width("1791-1847", 7, 0.2);
  engrave(
      cr, [&](cairo_t* k) { text_path(k, "1791-1847", mid - w2 / 2, 122, 7, 0.2); }, 1.2);
  engrave(
      cr,
      [&](cairo_t* k) {
        cairo_move_to(k, mid - 22, 134);
        cairo_line_to(k, mid + 22, 134);
        cairo_move_to(k, mid - 16, 142);
        cairo_line_to(k, mid + 16, 142);
      },
      1.1);
  stone(
      cr, [&](cairo_t* k) { cairo_rectangle(k, L - 6, 158, R - L + 12, 26); }, L - 6, 158, R + 6, 184);
  grain_and_moss(c, 501, 110);
  grass_front(cr, 6, 100, 183, 503);
  return finish(lay, c);
}

}  // namespace mediagen
