// The graveyard itself: night sky with the moon and a storm moving in from
// the left, far hills with a chapel, the far graveyard, the old dead tree
// with the owl's hollow, the wall-and-fence band, and the ground in front.
// Everything is drawn on one 800 x 600 plan and cut into the five layers, so
// the layers join without seams.
#include "geom.hpp"
#include "look.hpp"
#include "parts.hpp"

#include <algorithm>

namespace mediagen {

namespace {

using namespace geom;

struct FBuf {
  int w, h;
  std::vector<Col> px;
  FBuf(int w_, int h_, Col c = {}) : w(w_), h(h_), px(std::size_t(w_) * h_, c) {}
  Col& at(int x, int y) { return px[std::size_t(y) * w + x]; }
  void add(double x, double y, Col c, double a) {
    // Bilinear splat, so small lights sit between pixels.
    int xi = int(std::floor(x)), yi = int(std::floor(y));
    double fx = x - xi, fy = y - yi;
    const double wts[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const int dx[4] = {0, 1, 0, 1}, dy[4] = {0, 0, 1, 1};
    for (int i = 0; i < 4; ++i) {
      int px_ = xi + dx[i], py = yi + dy[i];
      if (px_ < 0 || py < 0 || px_ >= w || py >= h) continue;
      Col& d = at(px_, py);
      d = mix(d, c, clamp01(a * wts[i]));
    }
  }
  Image image() const {
    Image out(w, h);
    for (std::size_t i = 0; i < px.size(); ++i)
      out.px[i] = {std::uint8_t(std::lround(clamp01(px[i].r) * 255)), std::uint8_t(std::lround(clamp01(px[i].g) * 255)),
                   std::uint8_t(std::lround(clamp01(px[i].b) * 255))};
    return out;
  }
};

// Ridge lines, far to near.
double far_ridge(double x) { return 258 + 14 * std::sin(x / 105 + 0.6) + 22 * (fbm(x / 70, 1.5, 21, 4) - 0.5); }
double near_ridge(double x) { return 296 + 9 * std::sin(x / 83 + 2.0) + 14 * (fbm(x / 48, 4.5, 31, 4) - 0.5); }
double yard_ridge(double x) { return 340 + 7 * std::sin(x / 140 + 1.0) + 8 * (fbm(x / 40, 7.5, 41, 3) - 0.5); }

double cloud_density(double x, double y) {
  // Wisps stretched sideways, thicker in a few bands; the storm piles up on the left.
  double d = fbm(x / 150, y / 26, 11, 5);
  double band = 0.0;
  band += 0.20 * std::exp(-std::pow((y - 38) / 22, 2));
  band += 0.16 * std::exp(-std::pow((y - 150) / 30, 2));
  band += 0.22 * std::exp(-std::pow((y - 205) / 14, 2)) * std::exp(-std::pow((x - 410) / 110, 2));
  double storm = 0.30 * std::exp(-std::pow((y - 108) / 34, 2)) * smoothstep(330, 40, x);
  storm += 0.12 * smoothstep(260, 0, x) * smoothstep(260, 60, y);
  // The clouds the two bolts drop from.
  storm += 0.34 * std::exp(-std::pow((x - 105) / 95, 2) - std::pow((y - 104) / 26, 2));
  storm += 0.40 * std::exp(-std::pow((x - 405) / 115, 2) - std::pow((y - 205) / 15, 2));
  double moonClear = 0.18 * std::exp(-std::pow(std::hypot(x - kMoonX, (y - kMoonY) * 1.4) / 90, 2));
  return d + band + storm - moonClear - 0.10;
}

void paint_sky(FBuf& b) {
  Rng rng(0x5ca1ab1e);
  for (int y = 0; y < b.h; ++y)
    for (int x = 0; x < b.w; ++x) {
      double t = y / 300.0;
      Col c = t < 0.55 ? mix(look::kSkyTop, look::kSkyMid, t / 0.55)
                       : mix(look::kSkyMid, look::kSkyLow, clamp01((t - 0.55) / 0.45));
      double d = std::hypot(x - kMoonX, y - kMoonY);
      double glow = 0.45 * std::exp(-std::pow(d / 170, 2)) + 0.35 * std::exp(-std::pow(d / 60, 2));
      c = mix(c, look::kMoonGlow, glow * 0.55);
      b.at(x, y) = c;
    }
  // Stars: fainter near the moon and the horizon, none behind it.
  for (int i = 0; i < 340; ++i) {
    double x = rng.range(0, b.w), y = rng.range(0, 270);
    double m = rng.uni();
    double d = std::hypot(x - kMoonX, y - kMoonY);
    double a = (0.25 + 0.75 * m * m) * smoothstep(60, 170, d) * smoothstep(275, 150, y);
    Col sc = mix(rgb(200, 210, 255), rgb(255, 240, 210), rng.uni());
    b.add(x, y, sc, a);
    if (m > 0.93) {
      for (int k = 1; k <= 2; ++k) {
        double aa = a * (k == 1 ? 0.45 : 0.18);
        b.add(x + k, y, sc, aa);
        b.add(x - k, y, sc, aa);
        b.add(x, y + k, sc, aa);
        b.add(x, y - k, sc, aa);
      }
    }
  }
  // The moon: a pale disc with soft grey seas, lit a little more on its right.
  for (int y = int(kMoonY - kMoonR - 2); y <= int(kMoonY + kMoonR + 2); ++y)
    for (int x = int(kMoonX - kMoonR - 2); x <= int(kMoonX + kMoonR + 2); ++x) {
      double dx = x + 0.5 - kMoonX, dy = y + 0.5 - kMoonY;
      double cov = clamp01(kMoonR - std::hypot(dx, dy) + 0.5);
      if (cov <= 0) continue;
      double seas = smoothstep(0.48, 0.66, fbm(x / 13.0, y / 13.0, 77, 4));
      double crater = smoothstep(0.70, 0.80, fbm(x / 5.0, y / 5.0, 78, 2)) * 0.5;
      double limb = std::hypot(dx, dy) / kMoonR;
      Col c = mix(look::kMoon, rgb(170, 172, 176), 0.45 * seas + 0.15 * crater);
      c = mix(c, rgb(200, 200, 205), 0.25 * limb * limb);
      c = mix(c, rgb(255, 252, 236), 0.25 * clamp01((dx - dy) / kMoonR));
      b.at(x, y) = mix(b.at(x, y), c, cov);
    }
  // Clouds over stars and moon, their edges silvered on the side facing the moon.
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < b.w; ++x) {
      double dens = cloud_density(x, y);
      double a = smoothstep(0.50, 0.72, dens);
      if (a <= 0) continue;
      double toward = cloud_density(x + 3.5, y - 2.5);
      double edge = clamp01((dens - toward) * 9.0);
      double dm = std::hypot(x - kMoonX, y - kMoonY);
      double near = std::exp(-std::pow(dm / 210, 2));
      double stormy = smoothstep(300, 60, x) * smoothstep(40, 130, y);
      // Storm clouds are heavier and catch a little light on their rolls.
      Col base = mix(rgb(30, 34, 62), rgb(38, 40, 68), stormy);
      base = mix(base, rgb(70, 78, 112), near * 0.6);
      Col lit = mix(rgb(96, 104, 140), rgb(205, 210, 228), near);
      Col c = mix(base, lit, clamp01(edge * (0.35 + 0.65 * near + 0.5 * stormy) + 0.08 * near));
      c = mix(c, rgb(14, 15, 28), stormy * smoothstep(0.62, 0.9, dens) * 0.6);
      b.at(x, y) = mix(b.at(x, y), c, a * 0.93);
    }
  // Hills: far ridge, near ridge, and the rise the old graveyard stands on.
  for (int y = 200; y < b.h; ++y)
    for (int x = 0; x < b.w; ++x) {
      Col& c = b.at(x, y);
      double f = far_ridge(x), n = near_ridge(x), g = yard_ridge(x);
      if (y + 0.5 >= f) {
        double a = clamp01(y + 0.5 - f);
        Col hc = mix(look::kHillFar, look::kMist, 0.35 * smoothstep(f + 6, n + 4, y));
        hc = mix(hc, rgb(60, 68, 100), 0.25 * std::exp(-std::pow(std::hypot(x - kMoonX, y - 280) / 160, 2)));
        c = mix(c, hc, a);
      }
      if (y + 0.5 >= n) {
        double a = clamp01(y + 0.5 - n);
        Col hc = mix(look::kHillNear, mix(look::kHillNear, look::kMist, 0.45), smoothstep(n + 8, g + 6, y));
        hc = mix(hc, rgb(26, 30, 54), 0.4 * fbm(x / 30.0, y / 12.0, 51, 3));
        c = mix(c, hc, a);
      }
      if (y + 0.5 >= g) {
        double a = clamp01(y + 0.5 - g);
        double tex = fbm(x / 18.0, y / 6.0, 61, 4);
        Col gc = mix(rgb(16, 22, 34), rgb(30, 40, 52), tex);
        gc = mix(gc, rgb(12, 16, 26), smoothstep(g, g + 90, y) * 0.5);
        c = mix(c, gc, a);
      }
    }
}

// A little tapered, slightly bent branch; children fork off its tip.
void branch(cairo_t* cr, Rng& rng, double x, double y, double ang, double len, double w, int depth) {
  const int segs = 3;
  double cx = x, cy = y, cw = w;
  for (int i = 0; i < segs; ++i) {
    ang += rng.range(-0.28, 0.28);
    double nx = cx + std::cos(ang) * len / segs, ny = cy + std::sin(ang) * len / segs;
    double nw = cw * 0.86;
    capsule(cr, cx, cy, cw / 2, nx, ny, nw / 2);
    cairo_fill(cr);
    cx = nx;
    cy = ny;
    cw = nw;
  }
  if (depth <= 0 || cw < 0.9) return;
  int kids = rng.uni() < 0.35 ? 3 : 2;
  for (int k = 0; k < kids; ++k) {
    double spread = rng.range(0.35, 0.75) * (k % 2 ? 1 : -1);
    // Old oaks reach sideways and up, never straight down.
    double na = ang + spread;
    if (std::sin(na) > 0.35) na -= 0.6;
    branch(cr, rng, cx, cy, na, len * rng.range(0.58, 0.78), cw * rng.range(0.6, 0.75), depth - 1);
  }
}

void trunk_path(cairo_t* cr) {
  cairo_move_to(cr, trunk_cx(kTrunkTop) - trunk_half(kTrunkTop), kTrunkTop);
  for (double y = kTrunkTop; y <= kTrunkBase; y += 4) {
    double wob = 1.6 * std::sin(y / 9.0) + 1.2 * std::sin(y / 23.0 + 1);
    cairo_line_to(cr, trunk_cx(y) - trunk_half(y) + wob, y);
  }
  // Roots flaring into the ground.
  cairo_line_to(cr, trunk_cx(kTrunkBase) - trunk_half(kTrunkBase) - 16, kTrunkBase + 6);
  cairo_line_to(cr, trunk_cx(kTrunkBase) + trunk_half(kTrunkBase) + 18, kTrunkBase + 6);
  for (double y = kTrunkBase; y >= kTrunkTop; y -= 4) {
    double wob = 1.4 * std::sin(y / 11.0 + 2) + 1.0 * std::sin(y / 19.0);
    cairo_line_to(cr, trunk_cx(y) + trunk_half(y) + wob, y);
  }
  cairo_close_path(cr);
}

void paint_tree(cairo_t* cr) {
  Col bark = rgb(14, 14, 22);
  Col barkLit = rgb(70, 74, 96);
  // Trunk with a moonlit right flank, then the limbs growing out of its top
  // in the same bark so the fork has no seam.
  rimlit(cr, trunk_path, bark, barkLit, -2.6, 1.2);
  Rng rng(0x0a4e);
  cairo_save(cr);
  set(cr, bark);
  const double tx = trunk_cx(kTrunkTop), ty = kTrunkTop + 14;
  capsule(cr, tx - 6, ty + 6, 14, tx - 14, ty - 14, 10);
  capsule(cr, tx + 6, ty + 6, 14, tx + 12, ty - 14, 10);
  cairo_fill(cr);
  branch(cr, rng, tx - 12, ty - 10, -2.15, 78, 19, 5);         // up and left
  branch(cr, rng, tx + 10, ty - 10, -1.22, 70, 18, 5);         // across the moon
  branch(cr, rng, tx, ty - 8, -1.7, 60, 14, 4);                // straight up
  branch(cr, rng, trunk_cx(236) + 16, 236, -0.35, 60, 12, 4);  // a low limb to the right
  branch(cr, rng, trunk_cx(262) - 16, 262, -2.75, 46, 10, 3);  // and a short one to the left
  cairo_restore(cr);
  // Bark: long fissures, dark and light.
  Rng brng(0xba4c);
  cairo_set_line_width(cr, 1.0);
  for (int i = 0; i < 16; ++i) {
    double u = brng.range(-0.8, 0.85);
    double y0 = brng.range(kTrunkTop + 4, kTrunkBase - 40), len = brng.range(25, 80);
    set(cr, u > 0.45 ? rgb(48, 50, 68) : rgb(6, 6, 10), 0.8);
    cairo_move_to(cr, trunk_cx(y0) + u * trunk_half(y0), y0);
    for (double y = y0; y < std::min(y0 + len, kTrunkBase); y += 5)
      cairo_line_to(cr, trunk_cx(y) + u * trunk_half(y) + 1.2 * std::sin(y / 7 + i), y);
    cairo_stroke(cr);
  }
  // The hollow: a bark lip lit from the right and a deep dark inside.
  ellipse(cr, kHollowCX + 0.6, kHollowCY + 0.5, kHollowRX + 3.4, kHollowRY + 3.6);
  set(cr, rgb(24, 25, 36));
  cairo_fill(cr);
  ellipse(cr, kHollowCX + 1.6, kHollowCY - 0.8, kHollowRX + 1.6, kHollowRY + 1.6);
  set(cr, rgb(58, 62, 82));
  cairo_fill(cr);
  ellipse(cr, kHollowCX, kHollowCY, kHollowRX, kHollowRY);
  set(cr, rgb(7, 5, 9));
  cairo_fill(cr);
  ellipse(cr, kHollowCX - 2, kHollowCY + 3, kHollowRX - 4, kHollowRY - 5);
  set(cr, rgb(3, 2, 4));
  cairo_fill(cr);
}

void paint_chapel(cairo_t* cr) {
  // A ruined chapel on the near hill, one window still lit.
  Col wall = rgb(12, 14, 26), lit = rgb(58, 64, 92);
  auto body = [](cairo_t* c) {
    cairo_rectangle(c, 214, 262, 70, 50);  // nave
    cairo_move_to(c, 210, 264);
    cairo_line_to(c, 249, 238);
    cairo_line_to(c, 288, 264);
    cairo_close_path(c);
    cairo_rectangle(c, 268, 222, 22, 90);  // tower
    cairo_move_to(c, 266, 224);
    cairo_line_to(c, 279, 178);
    cairo_line_to(c, 292, 224);
    cairo_close_path(c);
  };
  rimlit(cr, body, wall, lit, -1.4, 1.0);
  set(cr, wall);
  cairo_set_line_width(cr, 1.6);
  cairo_move_to(cr, 279, 180);
  cairo_line_to(cr, 279, 166);
  cairo_move_to(cr, 274, 171);
  cairo_line_to(cr, 284, 171);
  cairo_stroke(cr);
  // Windows: arched slits, one warm.
  for (int i = 0; i < 3; ++i) {
    double x = 224 + i * 18;
    cairo_move_to(cr, x, 296);
    cairo_line_to(cr, x, 282);
    cairo_arc(cr, x + 3, 282, 3, kPi, 2 * kPi);
    cairo_line_to(cr, x + 6, 296);
    cairo_close_path(cr);
    if (i == 1) {
      cairo_pattern_t* p = cairo_pattern_create_linear(0, 279, 0, 296);
      cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.82, 0.45);
      cairo_pattern_add_color_stop_rgb(p, 1, 0.75, 0.38, 0.12);
      cairo_set_source(cr, p);
      cairo_fill(cr);
      cairo_pattern_destroy(p);
    } else {
      set(cr, rgb(4, 4, 8));
      cairo_fill(cr);
    }
  }
  cairo_pattern_t* glow = cairo_pattern_create_radial(245, 289, 1, 245, 289, 16);
  cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.7, 0.3, 0.25);
  cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.7, 0.3, 0.0);
  cairo_set_source(cr, glow);
  cairo_paint(cr);
  cairo_pattern_destroy(glow);
  // The belfry opening.
  cairo_rectangle(cr, 275, 230, 8, 11);
  set(cr, rgb(4, 4, 8));
  cairo_fill(cr);
}

void paint_far_graves(cairo_t* cr) {
  // Small crosses and headstones along the far rise, dark with moonlit rims.
  Rng rng(0x6a4e);
  for (double x = 8; x < 800; x += rng.range(16, 34)) {
    if (x > 660 && x < 752) continue;  // the tree's roots
    double base = yard_ridge(x) + rng.range(4, 12);
    double h = rng.range(9, 19), w = rng.range(6, 10);
    int kind = rng.below(3);
    auto shape = [&](cairo_t* c) {
      if (kind == 0) {  // cross
        cairo_rectangle(c, x - 1.4, base - h, 2.8, h);
        cairo_rectangle(c, x - w / 2, base - h * 0.72, w, 2.6);
      } else {  // round-topped headstone
        cairo_move_to(c, x - w / 2, base);
        cairo_line_to(c, x - w / 2, base - h + w / 2);
        cairo_arc(c, x, base - h + w / 2, w / 2, kPi, 2 * kPi);
        cairo_line_to(c, x + w / 2, base);
        cairo_close_path(c);
      }
    };
    rimlit(cr, shape, rgb(20, 24, 38), rgb(86, 94, 124), -1.0, 0.8);
  }
}

void paint_far_trees(cairo_t* cr) {
  Rng rng(0x7733);
  for (double x : {40.0, 130.0, 355.0, 520.0, 600.0}) {
    double base = near_ridge(x) + 3;
    set(cr, rgb(16, 20, 38));
    branch(cr, rng, x, base, -kPi / 2 + rng.range(-0.15, 0.15), rng.range(22, 34), 3.4, 4);
  }
}

void paint_mist(FBuf& b, int y0, int y1, double strength, int seed) {
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < b.w; ++x) {
      double n = fbm(x / 90.0, y / 9.0, seed, 4);
      double band = std::sin(kPi * (y - y0) / double(y1 - y0));
      double a = strength * band * smoothstep(0.40, 0.75, n);
      b.at(x, y) = mix(b.at(x, y), look::kMist, a);
    }
}

FBuf from_canvas(const Canvas& c) {
  Image img = c.on_black();
  FBuf f(img.w, img.h);
  for (std::size_t i = 0; i < img.px.size(); ++i) f.px[i] = rgb(img.px[i].r, img.px[i].g, img.px[i].b);
  return f;
}

// Sky, hills, chapel, far graves and the tree: everything behind the band.
FBuf paint_back() {
  FBuf b(kSceneW, kBotY);
  paint_sky(b);
  paint_mist(b, 286, 318, 0.35, 91);
  Canvas c(b.w, b.h);
  c.fill_from(b.image());
  cairo_t* cr = c.cr();
  paint_far_trees(cr);
  paint_chapel(cr);
  paint_far_graves(cr);
  FBuf withGraves = from_canvas(c);
  paint_mist(withGraves, 338, 392, 0.30, 93);
  Canvas c2(b.w, b.h);
  c2.fill_from(withGraves.image());
  paint_tree(c2.cr());
  return from_canvas(c2);
}

// --- The foreground band: a low stone wall with an iron fence, bushes. ---

void picket(cairo_t* cr, double x, double top, double bottom) {
  cairo_rectangle(cr, x - 1.1, top + 4, 2.2, bottom - top - 4);
  cairo_move_to(cr, x - 2.6, top + 6);
  cairo_line_to(cr, x, top);
  cairo_line_to(cr, x + 2.6, top + 6);
  cairo_close_path(cr);
}

void paint_band(cairo_t* cr) {
  const double wallTop = 427, rail1 = 409, rail2 = 421, pick = 401;
  const double pillars[] = {96, 316, 536, 756};
  // Iron fence: pickets and two rails.
  auto iron = [&](cairo_t* c) {
    for (double x = 3; x < 800; x += 9.5) picket(c, x, pick + 2 * std::sin(x * 0.7), wallTop + 1);
    cairo_rectangle(c, 0, rail1, 800, 2.2);
    cairo_rectangle(c, 0, rail2, 800, 2.2);
  };
  rimlit(cr, iron, rgb(8, 8, 14), rgb(96, 104, 136), -1.0, 0.8);
  // Stone wall with a coping course.
  Rng rng(0x3a11);
  cairo_rectangle(cr, 0, wallTop, 800, 447 - wallTop);
  set(cr, rgb(34, 36, 50));
  cairo_fill(cr);
  for (int row = 0; row < 3; ++row) {
    double y = wallTop + 5 + row * 5;
    double x = -rng.range(0, 14);
    while (x < 800) {
      double w = rng.range(11, 20);
      Col sc = mix(rgb(40, 43, 60), rgb(58, 62, 80), rng.uni());
      if (rng.uni() < 0.18) sc = mix(sc, look::kMoss, 0.5);
      cairo_rectangle(cr, x + 0.6, y + 0.6, w - 1.2, 3.8);
      set(cr, sc);
      cairo_fill(cr);
      x += w;
    }
  }
  cairo_rectangle(cr, 0, wallTop - 1, 800, 5);
  set(cr, rgb(64, 68, 88));
  cairo_fill(cr);
  cairo_rectangle(cr, 0, wallTop - 1, 800, 1.2);
  set(cr, rgb(120, 128, 158));
  cairo_fill(cr);
  cairo_rectangle(cr, 0, wallTop + 3, 800, 1.5);
  set(cr, rgb(18, 18, 28));
  cairo_fill(cr);
  // Pillars with capstones and a ball on top.
  for (double px : pillars) {
    auto pil = [&](cairo_t* c) {
      cairo_rectangle(c, px - 8, 408, 16, 40);
      cairo_rectangle(c, px - 10.5, 404, 21, 5);
      ellipse(c, px, 400.5, 4.2, 4.2);
    };
    rimlit(cr, pil, rgb(40, 43, 60), rgb(132, 140, 168), -2.0, 1.2);
    set(cr, rgb(26, 28, 40), 0.9);
    for (int k = 0; k < 4; ++k) {
      cairo_rectangle(cr, px - 8, 416 + k * 8, 16, 1);
      cairo_fill(cr);
    }
  }
  // Bushes and weeds piled against the wall.
  Rng brng(0xb05c);
  for (double x = 20; x < 800; x += brng.range(40, 90)) {
    double w = brng.range(26, 56), top = brng.range(410, 422);
    for (int k = 0; k < 18; ++k) {
      double bx = x + brng.range(-w / 2, w / 2);
      double by = brng.range(top, 444);
      double r = brng.range(4, 9);
      auto leaf = [&](cairo_t* c) { ellipse(c, bx, by, r * 1.2, r); };
      Col base = mix(rgb(10, 22, 20), rgb(18, 32, 30), brng.uni());
      rimlit(cr, leaf, base, rgb(54, 82, 80), -1.4, 1.2);
    }
  }
  // Tall dry grass along the wall foot.
  cairo_set_line_width(cr, 1.0);
  for (double x = 0; x < 800; x += brng.range(2, 5)) {
    double h = brng.range(6, 16);
    double lean = brng.range(-3, 3);
    set(cr, mix(rgb(20, 30, 28), rgb(60, 80, 78), brng.uni() * 0.6));
    cairo_move_to(cr, x, 447.5);
    cairo_curve_to(cr, x, 447 - h / 2, x + lean, 447 - h * 0.8, x + lean * 1.5, 447 - h);
    cairo_stroke(cr);
  }
}

// --- The ground in front. ---

double path_center(double y) { return 430 + 40 * std::sin((y - 447) / 70.0) - (y - 447) * 0.5; }

void paint_ground(FBuf& b) {
  for (int y = kBotY; y < kSceneH; ++y)
    for (int x = 0; x < b.w; ++x) {
      double depth = (y - kBotY) / double(kBotH);  // 0 far, 1 near
      double n1 = fbm(x / (14.0 + 20 * depth), y / (5.0 + 8 * depth), 201, 5);
      double n2 = fbm(x / 80.0, y / 30.0, 202, 3);
      Col c = mix(look::kGrass, look::kGrassLit, smoothstep(0.35, 0.85, n1) * (0.35 + 0.5 * depth));
      c = mix(c, rgb(14, 22, 24), smoothstep(0.55, 0.3, n2) * 0.6);
      // Soil shows through where the grass is thin.
      double bare = smoothstep(0.62, 0.75, fbm(x / 40.0, y / 14.0, 203, 3));
      c = mix(c, mix(look::kSoil, look::kSoilLit, n1), bare * 0.7);
      // A trodden path from the gate in the wall.
      double pd = std::abs(x - path_center(y)) / (14 + 30 * depth);
      double onPath = smoothstep(1.1, 0.7, pd + 0.25 * (n1 - 0.5));
      c = mix(c, mix(rgb(48, 44, 46), rgb(86, 80, 82), n1), onPath * 0.85);
      // Fine blades: short vertical streaks, finer further away.
      double blades = value_noise(x / (0.9 + 1.2 * depth), y / (3.0 + 5.0 * depth), 204) - 0.5;
      c = scale(c, 1.0 + 0.28 * blades * (1 - onPath) * (1 - bare * 0.7));
      // Shadow at the foot of the wall, moonlight further out.
      c = scale(c, 0.55 + 0.45 * smoothstep(0.0, 0.25, depth));
      c = mix(c, rgb(90, 100, 130), 0.08 * depth * smoothstep(0.4, 0.8, n2));
      b.at(x, y) = c;
    }
}

void mound(cairo_t* cr, double cx, double cy, double rx, double ry) {
  auto m = [&](cairo_t* c) {
    cairo_move_to(c, cx - rx, cy);
    cairo_curve_to(c, cx - rx * 0.7, cy - ry, cx + rx * 0.7, cy - ry, cx + rx, cy);
    cairo_curve_to(c, cx + rx * 0.5, cy + ry * 0.35, cx - rx * 0.5, cy + ry * 0.35, cx - rx, cy);
    cairo_close_path(c);
  };
  rimlit(cr, m, rgb(30, 30, 36), rgb(84, 80, 88), -2.0, 2.0);
  // Speckled earth.
  Rng rng(std::uint64_t(cx * 131 + cy));
  for (int i = 0; i < int(rx * ry / 6); ++i) {
    double a = rng.uni() * kTau, r = std::sqrt(rng.uni());
    double x = cx + std::cos(a) * r * rx * 0.9, y = cy - std::abs(std::sin(a)) * r * ry * 0.65;
    set(cr, rng.uni() < 0.5 ? rgb(18, 18, 24) : rgb(70, 66, 72), 0.7);
    cairo_rectangle(cr, x, y, 1, 1);
    cairo_fill(cr);
  }
}

void paint_ground_details(cairo_t* cr) {
  // Grave mounds before the far stones.
  mound(cr, kTomb2X + 38, 584, 40, 12);
  mound(cr, kTomb3X + 38, 584, 40, 12);
  // The grave being dug: a dark pit and its spoil heap.
  auto pit = [](cairo_t* c) {
    cairo_move_to(c, 630, 482);
    cairo_line_to(c, 664, 481);
    cairo_line_to(c, 669, 491);
    cairo_line_to(c, 626, 492);
    cairo_close_path(c);
  };
  set(cr, rgb(50, 42, 42));
  cairo_save(cr);
  cairo_translate(cr, 0, -1.5);
  pit(cr);
  cairo_fill(cr);
  cairo_restore(cr);
  set(cr, rgb(6, 5, 7));
  pit(cr);
  cairo_fill(cr);
  mound(cr, 606, 488, 22, 13);
  // Grass tufts, bigger towards the viewer.
  Rng rng(0x9a55);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i < 900; ++i) {
    double y = kBotY + 4 + std::pow(rng.uni(), 0.7) * (kBotH - 4);
    double x = rng.range(-5, 805);
    if (std::abs(x - path_center(y)) < 10 + 30 * (y - kBotY) / kBotH) continue;
    if (x > 585 && x < 690 && y > 474 && y < 498) continue;
    double depth = (y - kBotY) / kBotH;
    double h = 2.5 + 9 * depth * rng.range(0.5, 1.2);
    int blades = 3 + rng.below(4);
    for (int k = 0; k < blades; ++k) {
      double lean = rng.range(-0.5, 0.5) * h;
      double bx = x + rng.range(-2, 2) * (0.5 + depth);
      Col gc = mix(rgb(14, 26, 26), rgb(50, 76, 74), rng.uni() * (0.4 + 0.6 * depth));
      set(cr, gc);
      cairo_set_line_width(cr, 0.7 + 0.6 * depth);
      cairo_move_to(cr, bx, y);
      cairo_curve_to(cr, bx, y - h * 0.5, bx + lean * 0.6, y - h * 0.8, bx + lean, y - h);
      cairo_stroke(cr);
    }
  }
  // Fallen leaves, dull orange and brown under the moon, thickest near the tree.
  for (int i = 0; i < 260; ++i) {
    double y = kBotY + 3 + std::pow(rng.uni(), 0.8) * (kBotH - 4);
    double x = rng.uni() < 0.35 ? rng.range(560, 800) : rng.range(0, 800);
    double depth = (y - kBotY) / kBotH;
    double len = 1.2 + 2.4 * depth * rng.range(0.6, 1.2);
    Col lc = mix(rgb(120, 70, 30), rgb(90, 60, 50), rng.uni());
    lc = mix(lc, rgb(60, 66, 80), 0.35);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, rng.range(-0.6, 0.6));
    ellipse(cr, 0, 0, len, len * 0.45);
    set(cr, lc);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  // Pebbles along the path.
  for (int i = 0; i < 90; ++i) {
    double y = rng.range(kBotY + 6, 598);
    double x = path_center(y) + rng.range(-1, 1) * (10 + 28 * (y - kBotY) / kBotH);
    double r = 0.6 + 1.4 * (y - kBotY) / kBotH * rng.uni();
    auto peb = [&](cairo_t* c) { ellipse(c, x, y, r * 1.3, r); };
    rimlit(cr, peb, rgb(50, 50, 58), rgb(120, 124, 140), -0.6, 0.6);
  }
}

SceneLayers build_layers() {
  FBuf back = paint_back();

  // The band is drawn on its own transparent plan and resolved into the
  // exact mask/image pair; its soft edges blend towards the far band.
  Canvas band(kSceneW, kSceneH);
  paint_band(band.cr());

  FBuf ground(kSceneW, kSceneH);
  paint_ground(ground);
  Canvas gc(kSceneW, kSceneH);
  gc.fill_from(ground.image());
  paint_ground_details(gc.cr());
  Image groundImg = gc.on_black();

  Image backImg = back.image();
  SceneLayers l;
  l.top = backImg.crop(0, 0, kSceneW, kTopH);
  l.mid1 = backImg.crop(0, kMidY, kSceneW, kMidH);
  l.mid2 = Image(kSceneW, kMidH);
  l.mid3 = Image(kSceneW, kMidH);
  for (int y = 0; y < kMidH; ++y)
    for (int x = 0; x < kSceneW; ++x) {
      double r, g, b, a;
      band.pixel(x, kMidY + y, r, g, b, a);
      if (a >= 0.5) {
        const Rgb8& bg = l.mid1.at(x, y);
        Rgb8 p{std::uint8_t(std::lround(clamp01(r + (1 - a) * bg.r / 255.0) * 255)),
               std::uint8_t(std::lround(clamp01(g + (1 - a) * bg.g / 255.0) * 255)),
               std::uint8_t(std::lround(clamp01(b + (1 - a) * bg.b / 255.0) * 255))};
        if (p == Rgb8{}) p = {2, 2, 3};
        l.mid3.at(x, y) = p;
        l.mid2.at(x, y) = {0, 0, 0};
      } else {
        l.mid3.at(x, y) = {0, 0, 0};
        l.mid2.at(x, y) = {255, 255, 255};
      }
    }
  l.bot = groundImg.crop(0, kBotY, kSceneW, kBotH);
  return l;
}

}  // namespace

const SceneLayers& scene_layers() {
  static const SceneLayers layers = build_layers();
  return layers;
}

Image make_background_top(const Layout&) { return scene_layers().top; }
Image make_background_mid1(const Layout&) { return scene_layers().mid1; }
Image make_background_mid2(const Layout&) { return scene_layers().mid2; }
Image make_background_mid3(const Layout&) { return scene_layers().mid3; }
Image make_background_bot(const Layout&) { return scene_layers().bot; }

}  // namespace mediagen
