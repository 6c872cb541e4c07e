// Two lightning bolts. The first grows over four frames (the dialog plays all
// four, the saver the first two, so frame 1 already reaches the ground);
// the second strikes the far hills in two frames.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

using Pts = std::vector<std::pair<double, double>>;

// A channel from a towards b in short straight legs that kink sharply, the
// way a leader steps down, with a pull back towards the target.
Pts jag(Rng& rng, double ax, double ay, double bx, double by, double step) {
  Pts pts{{ax, ay}};
  double x = ax, y = ay;
  double total = std::hypot(bx - ax, by - ay);
  double dirx = (bx - ax) / total, diry = (by - ay) / total;
  while (true) {
    double left = std::hypot(bx - x, by - y);
    if (left < step * 1.2) break;
    double len = step * rng.range(0.5, 1.4);
    double side = rng.range(-1.1, 1.1);
    // Perpendicular kick plus the pull towards the end point.
    double px = -diry, py = dirx;
    double tx = (bx - x) / left, ty = (by - y) / left;
    double vx = tx + px * side, vy = ty + py * side;
    double vl = std::hypot(vx, vy);
    x += vx / vl * len;
    y += vy / vl * len;
    pts.push_back({x, y});
  }
  pts.push_back({bx, by});
  return pts;
}

struct Stroke {
  Pts pts;
  double width;
  int appears;  // first frame that shows it
};

// Strokes the path prefix up to fraction `t` of its points.
void bolt_path(cairo_t* cr, const Pts& p, double t) {
  std::size_t n = std::max<std::size_t>(2, std::size_t(std::ceil(t * (p.size() - 1))) + 1);
  n = std::min(n, p.size());
  cairo_move_to(cr, p[0].first, p[0].second);
  for (std::size_t i = 1; i < n; ++i) cairo_line_to(cr, p[i].first, p[i].second);
}

void draw_bolt(cairo_t* cr, const std::vector<Stroke>& strokes, int f, double mainReach, double intensity) {
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr, 3.0);
  for (int pass = 0; pass < 3; ++pass) {
    for (const Stroke& s : strokes) {
      if (s.appears > f) continue;
      double t = (&s == &strokes[0]) ? mainReach : 1.0;
      bolt_path(cr, s.pts, t);
      if (pass == 0) {  // outer halo
        cairo_set_line_width(cr, s.width * 3.6 * intensity);
        cairo_set_source_rgba(cr, 0.45, 0.5, 1.0, 0.5);
      } else if (pass == 1) {  // inner halo
        cairo_set_line_width(cr, s.width * 1.9);
        cairo_set_source_rgba(cr, 0.7, 0.75, 1.0, 0.85);
      } else {  // white-hot core
        cairo_set_line_width(cr, std::max(1.0, s.width * 0.8));
        cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 1.0);
      }
      cairo_stroke(cr);
    }
  }
}

std::vector<Stroke> make_bolt(std::uint64_t seed, double x0, double x1, double y1, int branchFrames) {
  Rng rng(seed);
  std::vector<Stroke> s;
  s.push_back({jag(rng, x0, -2, x1, y1, 9), 2.4, 0});
  const Pts main = s[0].pts;
  // Branches off the main channel, each forking once.
  for (int i = 0; i < 6; ++i) {
    std::size_t at = 2 + rng.below(int(main.size() * 0.6));
    auto [bx, by] = main[at];
    double dir = rng.uni() < 0.5 ? -1 : 1;
    double len = rng.range(25, 55);
    double ex = bx + dir * len * rng.range(0.5, 0.9), ey = by + len * rng.range(0.5, 0.9);
    int appears = branchFrames > 0 ? 1 + (i % branchFrames) + (branchFrames > 1 ? 1 : 0) : 0;
    if (appears > 3) appears = 3;
    s.push_back({jag(rng, bx, by, ex, ey, 6), 1.3, appears});
    auto [fx, fy] = s.back().pts[s.back().pts.size() / 2];
    s.push_back({jag(rng, fx, fy, fx + dir * rng.range(8, 18), fy + rng.range(10, 20), 4), 0.9, appears});
  }
  return s;
}

}  // namespace

Image make_lightning1(const Layout& lay) {
  auto strokes = make_bolt(0x1b01, 70, 96, 178, 2);
  DrawFn d = [&](cairo_t* cr, int f, int) {
    static const double kReach[] = {0.55, 1.0, 1.0, 1.0};
    static const double kGlow[] = {0.8, 1.0, 1.1, 1.25};
    draw_bolt(cr, strokes, f, kReach[f], kGlow[f]);
  };
  return build_masked(lay, d, {rgb(24, 30, 62), 0.40});
}

Image make_lightning2(const Layout& lay) {
  auto strokes = make_bolt(0x2b02, 100, 74, 172, 1);
  DrawFn d = [&](cairo_t* cr, int f, int) {
    // Frame 0: the leader halfway down with its first branches; 1: the full strike.
    draw_bolt(cr, strokes, f == 0 ? 0 : 3, f == 0 ? 0.6 : 1.0, f == 0 ? 0.85 : 1.15);
  };
  return build_masked(lay, d, {rgb(26, 32, 66), 0.40});
}

}  // namespace mediagen
