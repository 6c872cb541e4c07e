// The mutant rats: a five-frame gallop, strip 0 running right and strip 1
// left. One stride per cycle covers exactly five ticks of travel (50 px for
// the big rat, 40 for the small one), so the planted paws hold the ground.
#include "gait.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kFur = rgb(86, 76, 76), kFurLit = rgb(160, 150, 150), kFurDark = rgb(44, 38, 42);
const Col kTail = rgb(150, 106, 110), kTailLit = rgb(206, 164, 168);
const Col kEdge = rgb(12, 10, 14);

void part(cairo_t* cr, const std::function<void(cairo_t*)>& shape, Col base, Col lit, double edge) {
  cairo_new_path(cr);
  shape(cr);
  set(cr, kEdge);
  cairo_set_line_width(cr, edge);
  cairo_stroke(cr);
  rimlit(cr, shape, base, lit, -0.8, 0.8);
}

// Rat in units of the big rat's pixels, running right, paws on y = 0 line
// `ground`; `v` is the travel per frame in these units.
void draw_rat(cairo_t* cr, double f, double v, double edge) {
  const int n = 5;
  const double ground = 41.0;
  const double phase = kTau * f / n;
  const double bob = 1.6 * std::sin(phase + 0.6);
  const double flex = std::sin(phase + 2.2);  // +: gathered and arched, -: stretched
  Pt hip{22.0 - 1.5 * flex, ground - 17.0 + bob};
  Pt shoulder{41.0 + 1.5 * flex, ground - 16.0 + bob * 0.6};

  struct LegDef {
    bool hind, nearSide;
    double land;
  };
  const LegDef legs[] = {{true, false, 0.0}, {true, true, 0.45}, {false, false, 2.3}, {false, true, 2.75}};
  auto draw_leg = [&](const LegDef& L) {
    Pt top = L.hind ? hip : shoulder;
    double reach = L.hind ? 9.0 : 10.0;
    Foot ft = foot_at(f, n, L.land, 2, reach, v, 6.0);
    Pt paw{top.x + ft.x, ground - 1.2 - ft.lift};
    double a = L.hind ? 9.5 : 8.0, b = L.hind ? 10.0 : 8.5;
    Pt joint = knee_of(top, paw, a, b, L.hind ? 1.0 : -1.0);
    double k = L.nearSide ? 1.0 : 0.62;
    Col fb = scale(kFur, k), fl = scale(kFurLit, k);
    if (L.hind)
      part(
          cr, [&](cairo_t* c) { capsule(c, top.x, top.y, 6.5, joint.x, joint.y, 3.0); }, fb, fl, edge);
    part(
        cr, [&](cairo_t* c) { capsule(c, joint.x, joint.y, L.hind ? 2.6 : 2.8, paw.x, paw.y, 1.3); }, fb, fl, edge);
    if (!L.hind)
      part(
          cr, [&](cairo_t* c) { capsule(c, top.x, top.y, 4.0, joint.x, joint.y, 2.8); }, fb, fl, edge);
    // Paw with claws.
    part(
        cr, [&](cairo_t* c) { capsule(c, paw.x - 1.0, paw.y, 1.6, paw.x + 2.6, paw.y + 0.4, 1.1); }, scale(kTail, k),
        scale(kTailLit, k), edge * 0.6);
  };
  draw_leg(legs[0]);
  draw_leg(legs[2]);
  // Tail: a long naked whip, trailing and swinging with the stride.
  cairo_new_path(cr);
  double tw = 2.8 * std::sin(phase + 1.0);
  cairo_move_to(cr, hip.x - 6, hip.y + 1);
  cairo_curve_to(cr, hip.x - 12, hip.y - 3 + tw, hip.x - 15, hip.y - 7 - tw, 2.5, hip.y - 5 + tw * 1.5);
  set(cr, kEdge);
  cairo_set_line_width(cr, 3.2 + edge);
  cairo_stroke_preserve(cr);
  set(cr, kTail);
  cairo_set_line_width(cr, 2.6);
  cairo_stroke_preserve(cr);
  set(cr, kTailLit);
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  // Body: heavy haunches, a hunched back, a narrower chest.
  auto body = [&](cairo_t* c) {
    cairo_move_to(c, hip.x - 8.5, hip.y + 2.0);
    cairo_curve_to(c, hip.x - 10.5, hip.y - 9.0, hip.x - 1.0, hip.y - 13.5 - 2.0 * flex, (hip.x + shoulder.x) / 2,
                   hip.y - 12.5 - 2.5 * flex);
    cairo_curve_to(c, shoulder.x - 4.0, shoulder.y - 11.0 - flex, shoulder.x + 5.0, shoulder.y - 9.0, shoulder.x + 7.0,
                   shoulder.y - 5.0);
    cairo_curve_to(c, shoulder.x + 6.0, shoulder.y + 3.0, shoulder.x + 1.0, shoulder.y + 5.5, shoulder.x - 4.0,
                   shoulder.y + 4.5);
    cairo_curve_to(c, shoulder.x - 10.0, shoulder.y + 6.0, hip.x + 4.0, hip.y + 7.5, hip.x - 2.0, hip.y + 6.5);
    cairo_curve_to(c, hip.x - 6.0, hip.y + 6.0, hip.x - 8.0, hip.y + 4.5, hip.x - 8.5, hip.y + 2.0);
    cairo_close_path(c);
  };
  part(cr, body, kFur, kFurLit, edge);
  // Mangy fur tufts along the spine.
  set(cr, kFurDark);
  cairo_set_line_width(cr, 1.0);
  for (int i = 0; i < 7; ++i) {
    double t = i / 6.0;
    double x = lerp(hip.x - 4, shoulder.x - 2, t);
    double y = lerp(hip.y - 12.0 - 2 * flex, shoulder.y - 9.5 - flex, t) - 2.2 * std::sin(t * kPi);
    cairo_move_to(cr, x, y + 1.5);
    cairo_line_to(cr, x - 2.0, y - 1.6);
  }
  cairo_stroke(cr);
  // Head: a long wedge of a snout, torn ear, red eye, yellow teeth.
  cairo_save(cr);
  cairo_translate(cr, shoulder.x + 6.0, shoulder.y - 4.0);
  cairo_rotate(cr, 0.18 - 0.08 * flex);
  auto head = [](cairo_t* c) {
    cairo_move_to(c, -4.0, -5.0);
    cairo_curve_to(c, 1.0, -7.0, 7.0, -4.5, 13.0, -0.8);
    cairo_line_to(c, 14.2, 0.6);
    cairo_curve_to(c, 10.0, 3.2, 4.0, 4.4, -2.0, 4.2);
    cairo_close_path(c);
  };
  part(cr, head, kFur, kFurLit, edge);
  part(
      cr, [](cairo_t* c) { ellipse(c, -1.0, -5.5, 3.0, 3.6); }, rgb(120, 84, 90), rgb(190, 150, 156), edge);
  set(cr, rgb(16, 6, 8));
  ellipse(cr, -0.6, -5.0, 1.5, 2.0);
  cairo_fill(cr);
  set(cr, rgb(40, 8, 8));
  ellipse(cr, 5.2, -2.4, 1.9, 1.6);
  cairo_fill(cr);
  set(cr, rgb(255, 50, 36));
  ellipse(cr, 5.4, -2.5, 1.2, 1.1);
  cairo_fill(cr);
  set(cr, rgb(255, 200, 170));
  ellipse(cr, 5.8, -2.9, 0.4, 0.4);
  cairo_fill(cr);
  set(cr, rgb(28, 18, 22));
  ellipse(cr, 14.0, -0.2, 1.1, 1.0);
  cairo_fill(cr);
  set(cr, rgb(232, 210, 140));
  cairo_rectangle(cr, 11.6, 1.4, 1.2, 2.2);
  cairo_fill(cr);
  set(cr, rgb(170, 170, 180), 0.8);
  cairo_set_line_width(cr, 0.5);
  for (int i = -1; i <= 1; ++i) {
    cairo_move_to(cr, 11.5, 0.0);
    cairo_line_to(cr, 17.0, -1.5 + i * 2.0);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
  draw_leg(legs[1]);
  draw_leg(legs[3]);
}

Image make_rat(const Layout& lay, double scaleBy, double speed) {
  DrawFn d = [&](cairo_t* cr, int f, int s) {
    if (s == 1) {  // the second strip runs left
      cairo_translate(cr, lay.fw, 0);
      cairo_scale(cr, -1, 1);
    }
    cairo_scale(cr, scaleBy, scaleBy);
    cairo_translate(cr, 32.5, 41);
    cairo_scale(cr, 0.94, 0.94);
    cairo_translate(cr, -32.5, -41);
    draw_rat(cr, f, speed / scaleBy / 0.94, 1.3 / scaleBy);
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

}  // namespace

Image make_rat1(const Layout& lay) { return make_rat(lay, 1.0, 10.0); }
Image make_rat2(const Layout& lay) { return make_rat(lay, 0.69, 8.0); }

}  // namespace mediagen
