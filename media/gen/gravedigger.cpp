// The grave digger at the edge of his pit, facing left: drives the spade in,
// levers, lifts, throws the earth over to the heap and swings back, sixteen
// frames that close on themselves.
#include "gait.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kCoat = rgb(62, 54, 52), kCoatLit = rgb(132, 122, 118), kHat = rgb(30, 28, 32), kHatLit = rgb(96, 96, 110);
const Col kSkin = rgb(168, 146, 128), kSkinLit = rgb(226, 208, 190), kWood = rgb(112, 82, 52),
          kWoodLit = rgb(186, 150, 110);
const Col kIron = rgb(88, 94, 108), kIronLit = rgb(186, 196, 216), kEarth = rgb(60, 48, 44),
          kEarthLit = rgb(120, 104, 96);
const Col kEdge = rgb(12, 10, 12);

struct Key {
  double tipX, tipY, ang, lean;
};
// The spade's tip and shaft angle through the cycle (every second frame).
const Key kKeys[8] = {
    {9, 60, -1.00, 0.18},   // 0: raised over the pit edge
    {8, 71, -1.08, 0.28},   // 2: driven in
    {8, 71, -0.72, 0.22},   // 4: levered back
    {10, 62, -0.52, 0.10},  // 6: lifting the load
    {4, 50, -0.34, 0.00},   // 8: swinging it up and over
    {2, 43, -0.42, -0.06},  // 10: at the top, over the heap
    {5, 47, -0.62, 0.00},   // 12: emptied
    {9, 55, -0.88, 0.10},   // 14: coming back
};

double catmull(double p0, double p1, double p2, double p3, double t) {
  return 0.5 *
         (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t + (-p0 + 3 * p1 - 3 * p2 + p3) * t * t * t);
}

Key key_at(int f) {
  double u = f / 2.0;
  int i = int(u);
  double t = u - i;
  auto k = [&](int j) { return kKeys[(j % 8 + 8) % 8]; };
  Key a = k(i - 1), b = k(i), c = k(i + 1), d = k(i + 2);
  return {catmull(a.tipX, b.tipX, c.tipX, d.tipX, t), catmull(a.tipY, b.tipY, c.tipY, d.tipY, t),
          catmull(a.ang, b.ang, c.ang, d.ang, t), catmull(a.lean, b.lean, c.lean, d.lean, t)};
}

void part(cairo_t* cr, const std::function<void(cairo_t*)>& shape, Col base, Col lit) {
  cairo_new_path(cr);
  shape(cr);
  set(cr, kEdge);
  cairo_set_line_width(cr, 1.3);
  cairo_stroke(cr);
  rimlit(cr, shape, base, lit, -0.9, 0.8);
}

void limb(cairo_t* cr, Pt a, Pt b, double r0, double r1, Col base, Col lit) {
  part(
      cr, [&](cairo_t* c) { capsule(c, a.x, a.y, r0, b.x, b.y, r1); }, base, lit);
}

void draw_digger(cairo_t* cr, int f) {
  Key k = key_at(f);
  const double L = 34;
  Pt tip{k.tipX, k.tipY};
  Pt dir{std::cos(k.ang), std::sin(k.ang)};
  Pt top{tip.x + dir.x * L, tip.y + dir.y * L};
  Pt lowHand{tip.x + dir.x * L * 0.5, tip.y + dir.y * L * 0.5};
  Pt highHand{tip.x + dir.x * L * 0.93, tip.y + dir.y * L * 0.93};
  // Body: feet apart, knees bent, leaning into the work.
  Pt footBack{34, 69}, footFront{22, 70};
  Pt hip{31 - 3 * k.lean, 50 + 3 * k.lean};
  Pt shoulder{hip.x - 6 - 12 * k.lean, hip.y - 15 + 4 * k.lean};
  Pt head{shoulder.x - 3.5 - 3 * k.lean, shoulder.y - 7};
  // Far arm (to the lower hand), far leg.
  Pt elbowF = knee_of({shoulder.x + 1, shoulder.y + 1}, lowHand, 9.5, 9.5, -1.0);
  limb(cr, {shoulder.x + 1, shoulder.y + 1}, elbowF, 2.6, 2.3, scale(kCoat, 0.7), scale(kCoatLit, 0.7));
  limb(cr, elbowF, lowHand, 2.3, 2.0, scale(kCoat, 0.7), scale(kCoatLit, 0.7));
  Pt kneeB = knee_of(hip, footBack, 11, 10, -1.0);
  limb(cr, hip, kneeB, 3.4, 2.8, scale(kCoat, 0.7), scale(kCoatLit, 0.7));
  limb(cr, kneeB, footBack, 2.8, 2.4, scale(kCoat, 0.7), scale(kCoatLit, 0.7));
  part(
      cr, [&](cairo_t* c) { capsule(c, footBack.x - 3, footBack.y + 0.5, 2.0, footBack.x + 2, footBack.y + 0.5, 1.8); },
      kHat, kHatLit);
  part(
      cr, [&](cairo_t* c) { capsule(c, tip.x + dir.x * 6, tip.y + dir.y * 6, 1.2, top.x, top.y, 1.1); }, kWood,
      kWoodLit);
  part(
      cr,
      [&](cairo_t* c) {
        capsule(c, top.x - dir.y * 2.5, top.y + dir.x * 2.5, 0.9, top.x + dir.y * 2.5, top.y - dir.x * 2.5, 0.9);
      },
      kWood, kWoodLit);
  auto blade = [&](cairo_t* c) {
    Pt n{-dir.y, dir.x};
    cairo_move_to(c, tip.x + n.x * 3.4, tip.y + n.y * 3.4);
    cairo_line_to(c, tip.x + dir.x * 8 + n.x * 3.0, tip.y + dir.y * 8 + n.y * 3.0);
    cairo_line_to(c, tip.x + dir.x * 8 - n.x * 3.0, tip.y + dir.y * 8 - n.y * 3.0);
    cairo_line_to(c, tip.x - n.x * 3.4, tip.y - n.y * 3.4);
    cairo_curve_to(c, tip.x - dir.x * 1.5, tip.y - dir.y * 1.5, tip.x - dir.x * 1.5, tip.y - dir.y * 1.5,
                   tip.x + n.x * 3.4, tip.y + n.y * 3.4);
    cairo_close_path(c);
  };
  part(cr, blade, kIron, kIronLit);
  // Earth on the blade from the lift to the throw, then flying off it.
  bool loaded = f >= 5 && f <= 10;
  if (loaded) {
    part(
        cr, [&](cairo_t* c) { ellipse(c, tip.x + dir.x * 4 - dir.y * 2.5, tip.y + dir.y * 4 - 2.5, 4.2, 2.6); }, kEarth,
        kEarthLit);
  }
  if (f == 11 || f == 12 || f == 13) {
    int g = f - 11;
    for (int i = 0; i < 6; ++i) {
      double px = tip.x - 2 - g * 4 - i * 1.8, py = tip.y - 6 - (i % 3) * 2.2 + g * g * 3.0 + g * 2;
      // A clod past the frame's edge has gone over onto the heap; it
      // is not shown cut in half.
      if (px < 3) continue;
      part(
          cr, [&](cairo_t* c) { ellipse(c, px, py, 1.6 - g * 0.2, 1.3 - g * 0.15); }, kEarth, kEarthLit);
    }
  }
  // Coat: a long, stooped coat from shoulders to knees.
  auto coat = [&](cairo_t* c) {
    cairo_move_to(c, shoulder.x - 3, shoulder.y - 1);
    cairo_curve_to(c, shoulder.x + 6, shoulder.y - 3, hip.x + 5, hip.y - 8, hip.x + 6, hip.y + 2);
    cairo_line_to(c, hip.x + 7, hip.y + 12);
    cairo_line_to(c, hip.x + 2, hip.y + 11);
    cairo_line_to(c, hip.x - 1, hip.y + 13);
    cairo_line_to(c, hip.x - 6, hip.y + 11);
    cairo_curve_to(c, hip.x - 7, hip.y + 2, shoulder.x - 6, shoulder.y + 8, shoulder.x - 3, shoulder.y - 1);
    cairo_close_path(c);
  };
  Pt kneeF = knee_of(hip, footFront, 11, 10, -1.0);
  limb(cr, hip, kneeF, 3.4, 2.8, kCoat, kCoatLit);
  limb(cr, kneeF, footFront, 2.8, 2.4, kCoat, kCoatLit);
  part(
      cr,
      [&](cairo_t* c) {
        capsule(c, footFront.x - 3.5, footFront.y + 0.5, 2.0, footFront.x + 1.5, footFront.y + 0.5, 1.8);
      },
      kHat, kHatLit);
  part(cr, coat, kCoat, kCoatLit);
  // A rope for a belt, and the coat's buttoned edge catching the moon.
  set(cr, rgb(120, 100, 70));
  cairo_set_line_width(cr, 1.1);
  cairo_move_to(cr, hip.x - 6.5, hip.y - 1.5);
  cairo_line_to(cr, hip.x + 6.0, hip.y - 0.5);
  cairo_stroke(cr);
  set(cr, rgb(90, 84, 80));
  cairo_set_line_width(cr, 0.8);
  cairo_move_to(cr, shoulder.x - 4.5, shoulder.y + 3);
  cairo_curve_to(cr, shoulder.x - 6, shoulder.y + 10, hip.x - 7, hip.y - 4, hip.x - 6, hip.y + 10);
  cairo_stroke(cr);
  // Head: a grey face under a broad, battered hat.
  part(
      cr,
      [&](cairo_t* c) {
        ellipse(c, head.x, head.y + 0.5, 3.6, 4.0);
        // A long nose in profile, turned to his work.
        cairo_move_to(c, head.x - 3.0, head.y - 0.5);
        cairo_line_to(c, head.x - 5.6, head.y + 1.8);
        cairo_line_to(c, head.x - 3.0, head.y + 2.0);
        cairo_close_path(c);
      },
      kSkin, kSkinLit);
  set(cr, rgb(150, 150, 150));
  ellipse(cr, head.x - 1.2, head.y + 3.5, 2.6, 1.6);  // stubbled beard
  cairo_fill(cr);
  set(cr, rgb(20, 16, 16));
  ellipse(cr, head.x - 2.2, head.y - 0.2, 0.7, 0.6);
  cairo_fill(cr);
  part(
      cr,
      [&](cairo_t* c) {
        cairo_move_to(c, head.x - 7.5, head.y - 2.2);
        cairo_curve_to(c, head.x - 3, head.y - 3.6, head.x + 3, head.y - 3.6, head.x + 7, head.y - 1.6);
        cairo_line_to(c, head.x + 6.5, head.y - 0.8);
        cairo_curve_to(c, head.x + 2, head.y - 2.2, head.x - 3, head.y - 2.0, head.x - 7.5, head.y - 1.2);
        cairo_close_path(c);
        cairo_move_to(c, head.x - 3.6, head.y - 2.6);
        cairo_curve_to(c, head.x - 3.4, head.y - 8.0, head.x + 3.6, head.y - 8.4, head.x + 3.8, head.y - 2.4);
        cairo_close_path(c);
      },
      kHat, kHatLit);
  // Near arm to the top of the handle.
  Pt elbowN = knee_of({shoulder.x, shoulder.y + 1.5}, highHand, 9.5, 9.5, 1.0);
  if (elbowN.y < shoulder.y - 4) elbowN = knee_of({shoulder.x, shoulder.y + 1.5}, highHand, 9.5, 9.5, -1.0);
  limb(cr, {shoulder.x, shoulder.y + 1.5}, elbowN, 2.8, 2.4, kCoat, kCoatLit);
  limb(cr, elbowN, highHand, 2.4, 2.0, kCoat, kCoatLit);
  part(
      cr, [&](cairo_t* c) { ellipse(c, highHand.x, highHand.y, 1.9, 1.9); }, kSkin, kSkinLit);
  part(
      cr, [&](cairo_t* c) { ellipse(c, lowHand.x, lowHand.y, 1.8, 1.8); }, kSkin, kSkinLit);
}

}  // namespace

Image make_gravedigger(const Layout& lay) {
  // Set 4 px in from the left, so the spade swung up over the heap stays
  // inside the frame.
  DrawFn d = [](cairo_t* cr, int f, int) {
    cairo_translate(cr, 4, 0);
    draw_digger(cr, f);
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

}  // namespace mediagen
