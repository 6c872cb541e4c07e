// A zombie shuffling left at 2 px a tick: ten frames, two short dragging
// steps of 10 px, arms reaching ahead, the body rocking with each step.
#include "gait.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kSkin = rgb(116, 142, 102), kSkinLit = rgb(178, 200, 160), kSkinDark = rgb(56, 74, 56);
const Col kShirt = rgb(72, 60, 92), kShirtLit = rgb(120, 108, 146);
const Col kTrousers = rgb(50, 46, 46), kTrousersLit = rgb(96, 92, 98);
const Col kEdge = rgb(14, 14, 18);

void part(cairo_t* cr, const std::function<void(cairo_t*)>& shape, Col base, Col lit) {
  cairo_new_path(cr);
  shape(cr);
  set(cr, kEdge);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  rimlit(cr, shape, base, lit, -0.9, 0.7);
}

void leg(cairo_t* cr, Pt hip, Pt ankle, bool nearSide, double footPitch) {
  Pt knee = knee_of(hip, ankle, 13.0, 12.5, 1.0);
  Col tb = nearSide ? kTrousers : scale(kTrousers, 0.7), tl = nearSide ? kTrousersLit : scale(kTrousersLit, 0.7);
  part(
      cr, [&](cairo_t* c) { capsule(c, hip.x, hip.y, 3.6, knee.x, knee.y, 3.1); }, tb, tl);
  part(
      cr, [&](cairo_t* c) { capsule(c, knee.x, knee.y, 3.0, ankle.x, ankle.y - 1, 2.6); }, tb, tl);
  // A ragged hem and a bare, grey foot.
  cairo_save(cr);
  cairo_translate(cr, ankle.x, ankle.y);
  cairo_rotate(cr, footPitch);
  Col sb = nearSide ? kSkin : scale(kSkin, 0.7), sl = nearSide ? kSkinLit : scale(kSkinLit, 0.7);
  part(
      cr, [](cairo_t* c) { capsule(c, -1.0, 0.3, 1.7, 4.6, 1.0, 1.2); }, sb, sl);
  cairo_restore(cr);
}

void arm(cairo_t* cr, Pt shoulder, double a1, double a2, bool nearSide) {
  // Arms a little short for the body, so the hands reach no further than
  // the frame's edge allows.
  Pt elbow{shoulder.x + std::cos(a1) * 8.0, shoulder.y + std::sin(a1) * 8.0};
  Pt wrist{elbow.x + std::cos(a2) * 6.0, elbow.y + std::sin(a2) * 6.0};
  double k = nearSide ? 1.0 : 0.68;
  part(
      cr, [&](cairo_t* c) { capsule(c, shoulder.x, shoulder.y, 3.0, elbow.x, elbow.y, 2.6); }, scale(kShirt, k),
      scale(kShirtLit, k));
  part(
      cr, [&](cairo_t* c) { capsule(c, elbow.x, elbow.y, 2.0, wrist.x, wrist.y, 1.7); }, scale(kSkin, k),
      scale(kSkinLit, k));
  // Limp hand with hooked fingers.
  part(
      cr,
      [&](cairo_t* c) {
        ellipse(c, wrist.x + std::cos(a2) * 1.6, wrist.y + std::sin(a2) * 1.6 + 0.6, 2.4, 2.0);
        capsule(c, wrist.x + std::cos(a2) * 2.8, wrist.y + std::sin(a2) * 2.8 + 0.8, 0.9, wrist.x + std::cos(a2) * 3.8,
                wrist.y + std::sin(a2) * 3.8 + 2.8, 0.7);
      },
      scale(kSkin, k), scale(kSkinLit, k));
}

void draw_zombie(cairo_t* cr, int f, double v) {
  const int n = 10;
  const double ground = 64.0, hipX = 12.0;
  Foot a = foot_at(f, n, 0, 6, 6.0, v, 2.2);
  Foot b = foot_at(f, n, 5, 6, 6.0, v, 1.2);  // the bad leg barely leaves the ground
  double phase = kTau * f / n;
  double h = hip_height(27.0, 27.5, a, b);
  Pt hip{hipX, ground - h - 1.0};
  double rock = 0.07 * std::sin(phase * 2);  // forward lurch at each step
  // Far leg and far arm first.
  leg(cr, hip, {hipX + b.x - 1.5, ground - 1.6 - b.lift}, false, b.planted ? b.toe * 0.4 : 0.2);
  Pt shoulder{hip.x + 6.5 + 2.0 * std::sin(phase * 2), hip.y - 16.5};
  arm(cr, {shoulder.x - 1.0, shoulder.y + 2.5}, 0.10 + 0.07 * std::sin(phase + 1.2), 0.02, false);
  // Torso in rags, hunched forwards.
  cairo_save(cr);
  cairo_translate(cr, hip.x, hip.y);
  cairo_rotate(cr, rock);
  auto torso = [](cairo_t* c) {
    cairo_move_to(c, -4.5, 2.5);
    cairo_curve_to(c, -6.0, -6.0, -1.5, -15.5, 5.0, -18.5);
    cairo_line_to(c, 9.5, -16.5);
    cairo_curve_to(c, 8.5, -10.0, 6.0, -3.0, 6.5, 2.5);
    // Torn hem.
    cairo_line_to(c, 4.5, 5.0);
    cairo_line_to(c, 3.0, 2.5);
    cairo_line_to(c, 1.0, 5.5);
    cairo_line_to(c, -1.0, 2.5);
    cairo_line_to(c, -3.0, 5.0);
    cairo_close_path(c);
  };
  part(cr, torso, kShirt, kShirtLit);
  // A rip showing ribs.
  set(cr, kSkinDark);
  ellipse(cr, 3.2, -8.0, 2.0, 3.2);
  cairo_fill(cr);
  set(cr, kSkin);
  cairo_set_line_width(cr, 0.7);
  for (int i = 0; i < 3; ++i) {
    cairo_move_to(cr, 1.8, -10.0 + i * 1.7);
    cairo_line_to(cr, 4.6, -9.4 + i * 1.7);
  }
  cairo_stroke(cr);
  // Belt.
  set(cr, rgb(30, 24, 22));
  cairo_rectangle(cr, -4.6, -0.5, 11, 2);
  cairo_fill(cr);
  cairo_restore(cr);
  // Near leg.
  leg(cr, {hip.x + 0.5, hip.y + 0.5}, {hipX + a.x, ground - 1.6 - a.lift}, true, a.planted ? a.toe * 0.4 : -0.1);
  // Head lolling forward on a crooked neck.
  Pt neck{shoulder.x + 2.0, shoulder.y - 1.0};
  Pt head{neck.x + 2.6, neck.y - 6.6 + 0.6 * std::sin(phase * 2 + 1)};
  part(
      cr, [&](cairo_t* c) { capsule(c, neck.x - 1, neck.y + 2, 2.4, head.x - 1, head.y + 2, 2.2); }, kSkin, kSkinLit);
  cairo_save(cr);
  cairo_translate(cr, head.x, head.y);
  cairo_rotate(cr, 0.25 + 0.06 * std::sin(phase * 2));
  auto skull = [](cairo_t* c) {
    cairo_move_to(c, -4.8, -1.0);
    cairo_curve_to(c, -5.0, -6.4, 3.4, -7.2, 4.8, -3.0);
    cairo_line_to(c, 5.6, 0.4);
    cairo_line_to(c, 4.8, 1.4);
    cairo_curve_to(c, 5.0, 4.2, 2.4, 5.6, -0.6, 4.8);
    cairo_curve_to(c, -3.4, 4.2, -4.6, 2.2, -4.8, -1.0);
    cairo_close_path(c);
  };
  part(cr, skull, kSkin, kSkinLit);
  // Lank hair, a sunken glowing eye, a slack mouth.
  set(cr, rgb(20, 20, 22));
  cairo_move_to(cr, -5.0, -0.5);
  cairo_curve_to(cr, -5.2, -6.8, 2.0, -7.6, 3.6, -5.0);
  cairo_line_to(cr, 0.5, -4.4);
  cairo_line_to(cr, -1.5, -2.0);
  cairo_line_to(cr, -3.0, -3.4);
  cairo_line_to(cr, -4.0, 1.5);
  cairo_close_path(cr);
  cairo_fill(cr);
  set(cr, rgb(24, 30, 22));
  ellipse(cr, 2.6, -1.2, 1.6, 1.4);
  cairo_fill(cr);
  set(cr, rgb(236, 240, 150));
  ellipse(cr, 2.9, -1.1, 0.7, 0.7);
  cairo_fill(cr);
  set(cr, rgb(34, 20, 24));
  ellipse(cr, 3.4, 3.0, 1.6, 0.9);
  cairo_fill(cr);
  cairo_restore(cr);
  // Near arm reaching out in front.
  arm(cr, {shoulder.x, shoulder.y + 3.0}, 0.22 + 0.08 * std::sin(phase + 3.0), 0.0 + 0.05 * std::sin(phase), true);
}

}  // namespace

Image make_zombie(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int) {
    // Drawn walking right, mirrored: it shuffles left.
    cairo_translate(cr, lay.fw, 0);
    cairo_scale(cr, -1, 1);
    // Slightly reduced about the feet so the reaching hands stay in frame.
    cairo_translate(cr, 12, 64);
    cairo_scale(cr, 0.93, 0.93);
    cairo_translate(cr, -12, -64);
    draw_zombie(cr, f, 2.0 / 0.93);  // 2 px a tick in the scene, before the reduction
  };
  return build_masked(lay, d, {rgb(20, 26, 40), 0.42});
}

}  // namespace mediagen
