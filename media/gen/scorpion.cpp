// The scorpion crawls 2 px left and 1 px down each tick, seen from above at a
// slant: body turned along its path, tail raised over its back. Its eight
// legs step in two alternating sets, planted feet sliding back exactly
// (+2, -1) per frame inside the sprite.
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kShell = rgb(84, 48, 38), kShellLit = rgb(214, 168, 140), kShellDark = rgb(30, 16, 16);
const Col kEdge = rgb(10, 6, 8);

struct View {
  // Local frame: +x is the way it crawls, +y its right side.
  double cx, cy, c, s, squash;
  Pt operator()(double lx, double ly, double up = 0) const {
    double x = lx * c - ly * s, y = lx * s + ly * c;
    return {cx + x, cy + y * squash - up};
  }
};

void blob(cairo_t* cr, Pt p, double rx, double ry, double ang, Col base, Col lit) {
  auto shape = [&](cairo_t* k) {
    cairo_save(k);
    cairo_translate(k, p.x, p.y);
    cairo_rotate(k, ang);
    ellipse(k, 0, 0, rx, ry);
    cairo_restore(k);
  };
  cairo_new_path(cr);
  shape(cr);
  set(cr, kEdge);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  rimlit(cr, shape, base, lit, -0.6, 0.6);
}

void limb(cairo_t* cr, const std::vector<Pt>& pts, double w, Col col) {
  cairo_new_path(cr);
  cairo_move_to(cr, pts[0].x, pts[0].y);
  for (std::size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].x, pts[i].y);
  set(cr, kEdge);
  cairo_set_line_width(cr, w + 1.0);
  cairo_stroke_preserve(cr);
  set(cr, col);
  cairo_set_line_width(cr, w);
  cairo_stroke(cr);
}

void draw_scorpion(cairo_t* cr, int f, double k) {
  const int n = 5;
  const double heading = std::atan2(1.0, -2.0);
  const View V{20.0, 19.5, std::cos(heading), std::sin(heading), 0.8};
  const Pt step{2.0 / k, -1.0 / k};  // how the ground moves inside the sprite per frame, before scaling by k
  const double phase = kTau * f / n;
  // Legs: attach along the body, feet out to the side; two alternating sets.
  for (int side : {-1, 1})
    for (int i = 0; i < 4; ++i) {
      bool setA = (i % 2 == 0) == (side < 0);
      double land = setA ? 0.0 : 2.5;
      double since = std::fmod(f - land + 10.0, double(n));
      Pt attach = V(3.0 - 2.2 * i, side * 2.2);
      Pt rest = V(4.5 - 3.2 * i, side * 8.5);
      Pt foot;
      double lift = 0;
      const double stance = 3.0;
      if (since <= stance) {
        double k = since - stance / 2;
        foot = {rest.x + step.x * k, rest.y + step.y * k};
      } else {
        double t = (since - stance) / (n - stance);
        double k = lerp(stance / 2, -stance / 2, t * t * (3 - 2 * t));
        foot = {rest.x + step.x * k, rest.y + step.y * k};
        lift = 2.0 * std::sin(kPi * t);
      }
      foot.y -= lift;
      Pt knee{(attach.x + foot.x) / 2, (attach.y + foot.y) / 2 - 2.6};
      Col col = side > 0 ? kShell : scale(kShell, 0.75);
      limb(cr, {attach, knee, foot}, 1.1, col);
    }
  // Pincers reaching forward, opening and closing a little.
  for (int side : {-1, 1}) {
    double snap = 0.25 + 0.2 * std::sin(phase + (side > 0 ? 0 : 1.6));
    Pt a = V(5.0, side * 2.5), b = V(9.5, side * 6.0, 1.0), c = V(13.5, side * 4.0, 1.5);
    limb(cr, {a, b, c}, 1.8, kShell);
    blob(cr, V(15.5, side * 4.0, 1.5), 2.8, 1.8, heading - side * 0.2, kShell, kShellLit);
    Pt tip1 = V(19.5, side * (4.0 - 1.4 - snap * 2), 1.5), tip2 = V(19.0, side * (4.0 + 1.2 + snap * 2), 1.5);
    Pt base = V(16.5, side * 4.0, 1.5);
    limb(cr, {base, tip1}, 1.1, kShellLit);
    limb(cr, {base, tip2}, 1.0, kShell);
  }
  // Body: head-chest and segmented abdomen.
  for (int i = 4; i >= 0; --i) blob(cr, V(-2.0 - i * 2.2, 0), 2.6, 3.6 - 0.2 * i, heading, kShell, kShellLit);
  blob(cr, V(3.0, 0), 3.6, 3.4, heading, kShell, kShellLit);
  set(cr, rgb(230, 200, 160));
  for (int side : {-1, 1}) {
    Pt e = V(5.2, side * 1.0, 0.5);
    ellipse(cr, e.x, e.y, 0.55, 0.55);
    cairo_fill(cr);
  }
  // Tail: segments rising from the back end and arching forward over the body.
  double sway = 0.8 * std::sin(phase);
  const double tail[][2] = {{-15.5, 2.5}, {-18.0, 5.5}, {-18.6, 8.8}, {-17.0, 11.2}, {-14.4, 12.2}, {-11.8, 11.4}};
  Pt prev = V(-12.0, 0);
  for (int i = 0; i < 6; ++i) {
    Pt p = V(tail[i][0], sway * (i + 1) / 6.0, tail[i][1]);
    limb(cr, {prev, p}, 2.7 - 0.22 * i, i % 2 ? kShell : mix(kShell, kShellLit, 0.35));
    prev = p;
  }
  // Sting: an amber bulb and a dark hook.
  blob(cr, prev, 1.9, 1.5, heading, rgb(170, 110, 40), rgb(250, 200, 110));
  Pt hook = {prev.x - 1.6, prev.y + 2.4};
  limb(cr, {prev, hook}, 0.9, kShellDark);
}

}  // namespace

Image make_scorpion(const Layout& lay) {
  DrawFn d = [](cairo_t* cr, int f, int) {
    cairo_translate(cr, 18, 17);
    cairo_scale(cr, 0.88, 0.88);
    cairo_translate(cr, -19, -17);
    draw_scorpion(cr, f, 0.88);
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

}  // namespace mediagen
