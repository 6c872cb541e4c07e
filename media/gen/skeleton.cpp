// The two walking skeletons, drawn from one posable skeleton seen from the
// side. The big one strides right at 15 px a tick with its footfalls on
// frames 4 and 9; the small one walks at 7 px a tick, two strides per strip.
#include "gait.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

struct Style {
  double s;        // pixels per body unit (standing height is about 100 units)
  double outline;  // dark edge in pixels, so the bones read against the night
  bool detail;     // teeth, finger bones, separate vertebrae
};

struct Pose {
  Pt hip, neck, head;
  double headTilt, jaw;
  Pt kneeN, ankleN, kneeF, ankleF;  // near and far leg
  double footN, footF;              // foot pitch (radians, toes down positive)
  Pt elbowN, wristN, elbowF, wristF;
  Pt shoulder;
};

// Colours for the near side and (darker) the far side.
struct BoneInk {
  Col base, lit, edge;
};
const BoneInk kNear{rgb(176, 174, 160), look::kBone, rgb(22, 22, 30)};
const BoneInk kFar{rgb(104, 106, 112), rgb(150, 150, 150), rgb(14, 14, 20)};

void with_edge(cairo_t* cr, const Style& st, const BoneInk& ink, const std::function<void(cairo_t*)>& shape) {
  if (st.outline > 0) {
    cairo_new_path(cr);
    shape(cr);
    set(cr, ink.edge);
    cairo_set_line_width(cr, 2 * st.outline);
    cairo_stroke(cr);
  }
  rimlit(cr, shape, ink.base, ink.lit, -0.9 * st.s * 0.5 - 0.3, 0.7 * st.s * 0.5 + 0.3);
}

// A long bone: a slim shaft with knobbly ends.
void long_bone(cairo_t* cr, const Style& st, const BoneInk& ink, Pt a, Pt b, double w) {
  double k = w * st.s;
  auto shape = [&](cairo_t* c) {
    capsule(c, a.x, a.y, k * 0.55, b.x, b.y, k * 0.5);
    ellipse(c, a.x, a.y, k * 0.95, k * 0.95);
    ellipse(c, b.x, b.y, k * 0.85, k * 0.85);
  };
  with_edge(cr, st, ink, shape);
}

void foot(cairo_t* cr, const Style& st, const BoneInk& ink, Pt ankle, double pitch) {
  double s = st.s;
  cairo_save(cr);
  cairo_translate(cr, ankle.x, ankle.y);
  cairo_rotate(cr, pitch);
  auto shape = [&](cairo_t* c) {
    ellipse(c, -1.2 * s, 1.2 * s, 2.0 * s, 1.6 * s);  // heel
    capsule(c, -0.5 * s, 0.8 * s, 1.5 * s, 6.5 * s, 2.2 * s, 0.9 * s);
    capsule(c, 6.5 * s, 2.2 * s, 0.9 * s, 9.0 * s, 2.6 * s, 0.6 * s);
  };
  with_edge(cr, st, ink, shape);
  cairo_restore(cr);
}

void hand(cairo_t* cr, const Style& st, const BoneInk& ink, Pt wrist, double ang) {
  double s = st.s;
  cairo_save(cr);
  cairo_translate(cr, wrist.x, wrist.y);
  cairo_rotate(cr, ang);
  auto shape = [&](cairo_t* c) {
    ellipse(c, 1.6 * s, 0, 1.9 * s, 1.5 * s);
    if (st.detail) {
      for (int i = -1; i <= 1; ++i)
        capsule(c, 2.5 * s, i * 0.8 * s, 0.45 * s, 6.0 * s, i * 1.3 * s + 0.6 * s, 0.35 * s);
      capsule(c, 1.5 * s, -1.2 * s, 0.45 * s, 3.6 * s, -2.6 * s, 0.35 * s);
    } else {
      capsule(c, 2.0 * s, 0, 1.0 * s, 5.5 * s, 0.6 * s, 0.7 * s);
    }
  };
  with_edge(cr, st, ink, shape);
  cairo_restore(cr);
}

void skull(cairo_t* cr, const Style& st, Pt c, double tilt, double jaw) {
  double s = st.s;
  cairo_save(cr);
  cairo_translate(cr, c.x, c.y);
  cairo_rotate(cr, tilt);
  // Jaw first, hinged below the ear.
  cairo_save(cr);
  cairo_translate(cr, -1.0 * s, 3.2 * s);
  cairo_rotate(cr, jaw);
  auto mandible = [&](cairo_t* k) {
    cairo_move_to(k, -0.8 * s, -1.0 * s);
    cairo_line_to(k, 0.2 * s, 3.6 * s);
    cairo_curve_to(k, 2.0 * s, 4.6 * s, 5.4 * s, 4.4 * s, 7.2 * s, 3.4 * s);
    cairo_line_to(k, 7.0 * s, 1.6 * s);
    cairo_line_to(k, 2.0 * s, 1.8 * s);
    cairo_close_path(k);
  };
  with_edge(cr, st, kNear, mandible);
  if (st.detail) {
    set(cr, rgb(40, 38, 40));
    cairo_set_line_width(cr, 0.35 * s);
    for (int i = 0; i < 4; ++i) {
      cairo_move_to(cr, (3.3 + i * 1.1) * s, 1.7 * s);
      cairo_line_to(cr, (3.3 + i * 1.1) * s, 2.7 * s);
    }
    cairo_stroke(cr);
  }
  cairo_restore(cr);
  // Cranium and face.
  auto cranium = [&](cairo_t* k) {
    cairo_move_to(k, -6.5 * s, 1.0 * s);
    cairo_curve_to(k, -7.6 * s, -6.0 * s, -2.0 * s, -9.2 * s, 2.2 * s, -8.0 * s);
    cairo_curve_to(k, 6.2 * s, -6.8 * s, 7.6 * s, -3.0 * s, 7.4 * s, -0.4 * s);
    cairo_line_to(k, 8.2 * s, 1.6 * s);
    cairo_line_to(k, 7.2 * s, 2.4 * s);
    cairo_line_to(k, 7.6 * s, 4.0 * s);
    cairo_line_to(k, 2.6 * s, 4.4 * s);
    cairo_curve_to(k, 0.5 * s, 4.6 * s, -1.0 * s, 3.4 * s, -2.0 * s, 3.0 * s);
    cairo_curve_to(k, -4.5 * s, 3.4 * s, -6.0 * s, 2.6 * s, -6.5 * s, 1.0 * s);
    cairo_close_path(k);
  };
  with_edge(cr, st, kNear, cranium);
  // Roundness: light falls from the upper right, the back of the skull turns away.
  cairo_save(cr);
  cranium(cr);
  cairo_clip(cr);
  cairo_pattern_t* sh = cairo_pattern_create_radial(3.0 * s, -5.0 * s, 1.0 * s, 0.5 * s, -1.0 * s, 9.5 * s);
  cairo_pattern_add_color_stop_rgba(sh, 0, 1, 1, 0.95, 0.25);
  cairo_pattern_add_color_stop_rgba(sh, 0.6, 0, 0, 0, 0.0);
  cairo_pattern_add_color_stop_rgba(sh, 1, 0.05, 0.05, 0.12, 0.45);
  cairo_set_source(cr, sh);
  cairo_paint(cr);
  cairo_pattern_destroy(sh);
  cairo_restore(cr);
  // Cheekbone arching back under the eye towards the ear.
  if (st.detail) {
    cairo_move_to(cr, 5.6 * s, 1.6 * s);
    cairo_curve_to(cr, 3.5 * s, 2.6 * s, 0.5 * s, 1.8 * s, -1.5 * s, 1.2 * s);
    set(cr, rgb(110, 108, 104));
    cairo_set_line_width(cr, 0.5 * s);
    cairo_stroke(cr);
    ellipse(cr, -2.8 * s, 1.2 * s, 0.9 * s, 0.9 * s);  // ear hole
    set(cr, rgb(30, 28, 34));
    cairo_fill(cr);
  }
  // Eye socket, nose, cheek shadow, upper teeth.
  set(cr, rgb(10, 8, 12));
  ellipse(cr, 3.8 * s, -1.6 * s, 2.1 * s, 2.3 * s);
  cairo_fill(cr);
  cairo_move_to(cr, 7.0 * s, 0.4 * s);
  cairo_line_to(cr, 6.0 * s, 2.3 * s);
  cairo_line_to(cr, 7.3 * s, 2.3 * s);
  cairo_close_path(cr);
  cairo_fill(cr);
  if (st.detail) {
    set(cr, rgb(60, 58, 62));
    cairo_set_line_width(cr, 0.35 * s);
    for (int i = 0; i < 4; ++i) {
      cairo_move_to(cr, (3.3 + i * 1.1) * s, 3.1 * s);
      cairo_line_to(cr, (3.3 + i * 1.1) * s, 4.3 * s);
    }
    cairo_stroke(cr);
    // The faint glint of something still watching from the socket.
    ellipse(cr, 4.3 * s, -1.3 * s, 0.5 * s, 0.5 * s);
    set(cr, rgb(255, 110, 60));
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void spine_and_ribs(cairo_t* cr, const Style& st, Pt hip, Pt neck) {
  double s = st.s;
  // Vertebrae along a gentle S.
  int n = st.detail ? 13 : 7;
  for (int i = 0; i <= n; ++i) {
    double t = i / double(n);
    double x = lerp(hip.x - 1.0 * s, neck.x, t) - 1.6 * s * std::sin(t * kPi);
    double y = lerp(hip.y, neck.y, t);
    auto v = [&](cairo_t* c) { ellipse(c, x, y, 1.3 * s, 1.05 * s); };
    with_edge(cr, st, kNear, v);
  }
  // Ribs sweep forwards and down from the spine to the breastbone.
  int ribs = st.detail ? 7 : 4;
  for (int i = 0; i < ribs; ++i) {
    double t = 0.45 + 0.5 * i / double(ribs - 1);
    double sx = lerp(hip.x - 1.0 * s, neck.x, t) - 1.6 * s * std::sin(t * kPi);
    double sy = lerp(hip.y, neck.y, t);
    double reach = (6.0 + 3.2 * std::sin(kPi * (i + 0.8) / ribs)) * s;
    double drop = (2.0 + 1.6 * (ribs - i) / ribs) * s;
    auto rib = [&](cairo_t* c) {
      cairo_move_to(c, sx, sy);
      cairo_curve_to(c, sx + reach * 0.5, sy - 1.6 * s, sx + reach, sy + drop * 0.2, sx + reach * 0.95, sy + drop);
    };
    cairo_new_path(cr);
    rib(cr);
    set(cr, kNear.edge);
    cairo_set_line_width(cr, 1.1 * s + 2 * st.outline);
    cairo_stroke(cr);
    rib(cr);
    set(cr, i % 2 ? kNear.base : kNear.lit);
    cairo_set_line_width(cr, 1.1 * s);
    cairo_stroke(cr);
  }
  // Breastbone.
  double bx = lerp(hip.x, neck.x, 0.8) + 7.6 * s, by0 = lerp(hip.y, neck.y, 0.62), by1 = neck.y + 2 * s;
  long_bone(cr, st, kNear, {bx - 0.3 * s, by0}, {bx - 1.0 * s, by1}, 0.9);
}

void pelvis(cairo_t* cr, const Style& st, Pt hip) {
  double s = st.s;
  auto shape = [&](cairo_t* c) {
    cairo_move_to(c, hip.x - 4.0 * s, hip.y - 1.0 * s);
    cairo_curve_to(c, hip.x - 5.0 * s, hip.y - 7.0 * s, hip.x + 3.0 * s, hip.y - 9.0 * s, hip.x + 4.6 * s,
                   hip.y - 5.0 * s);
    cairo_curve_to(c, hip.x + 5.4 * s, hip.y - 1.5 * s, hip.x + 3.5 * s, hip.y + 2.5 * s, hip.x + 1.8 * s,
                   hip.y + 3.5 * s);
    cairo_line_to(c, hip.x - 2.5 * s, hip.y + 3.0 * s);
    cairo_close_path(c);
  };
  with_edge(cr, st, kNear, shape);
  set(cr, rgb(12, 10, 14));
  ellipse(cr, hip.x + 0.8 * s, hip.y - 3.8 * s, 1.5 * s, 2.0 * s);
  cairo_fill(cr);
}

void draw_pose(cairo_t* cr, const Style& st, const Pose& p) {
  // Far limbs, body, near limbs, head last.
  long_bone(cr, st, kFar, p.shoulder, p.elbowF, 1.3);
  long_bone(cr, st, kFar, p.elbowF, p.wristF, 1.05);
  hand(cr, st, kFar, p.wristF, std::atan2(p.wristF.y - p.elbowF.y, p.wristF.x - p.elbowF.x) + 0.2);
  long_bone(cr, st, kFar, p.hip, p.kneeF, 1.9);
  long_bone(cr, st, kFar, p.kneeF, p.ankleF, 1.55);
  foot(cr, st, kFar, p.ankleF, p.footF);
  spine_and_ribs(cr, st, p.hip, p.neck);
  pelvis(cr, st, p.hip);
  long_bone(cr, st, kNear, p.hip, p.kneeN, 1.9);
  long_bone(cr, st, kNear, p.kneeN, p.ankleN, 1.55);
  foot(cr, st, kNear, p.ankleN, p.footN);
  // Neck: a short stack of vertebrae up to the base of the skull.
  for (int i = 1; i <= 3; ++i) {
    double t = i / 4.0;
    Pt v{lerp(p.neck.x, p.head.x - 2.5 * st.s, t), lerp(p.neck.y, p.head.y + 3.0 * st.s, t)};
    with_edge(cr, st, kNear, [&](cairo_t* c) { ellipse(c, v.x, v.y, 1.2 * st.s, 0.9 * st.s); });
  }
  skull(cr, st, p.head, p.headTilt, p.jaw);
  long_bone(cr, st, kNear, p.shoulder, p.elbowN, 1.3);
  long_bone(cr, st, kNear, p.elbowN, p.wristN, 1.05);
  hand(cr, st, kNear, p.wristN, std::atan2(p.wristN.y - p.elbowN.y, p.wristN.x - p.elbowN.x) + 0.2);
}

struct Walk {
  int n;                  // frames per strip
  double v;               // pixels per tick
  double landN, landF;    // frames where the near and far foot land
  int stance;             // frames a foot stays down
  double reachN, reachF;  // how far ahead of the hip each foot lands, px
  double hipX, ground;    // in the frame
  double cycles;          // strides per strip
};

Pose pose_at(const Style& st, const Walk& w, double f) {
  const double s = st.s;
  const double thigh = 25 * s, shin = 24 * s, ankleH = 2.6 * s;
  // Where the cycle repeats more than once per strip, map f into one stride.
  double ff = std::fmod(f * w.cycles, double(w.n));
  double vv = w.v / w.cycles;
  Foot a = foot_at(ff, w.n, w.landN, w.stance, w.reachN, vv, 9 * s);
  Foot b = foot_at(ff, w.n, w.landF, w.stance, w.reachF, vv, 9 * s);
  const double leg = thigh + shin + ankleH;
  double standing = leg - 1.2 * s;
  double h = hip_height(standing, leg * 0.995, a, b);
  Pose p{};
  p.hip = {w.hipX, w.ground - h};
  auto place = [&](const Foot& ft, Pt& knee, Pt& ankle, double& pitch) {
    double toeRoll = ft.planted ? ft.toe * 0.55 : -0.15 + 0.4 * ft.toe;
    double ax = w.hipX + ft.x - 2.0 * s, ay = w.ground - ankleH - ft.lift;
    if (ft.planted) {
      // Rolling onto the toes pivots the foot about the toe tip, which
      // stays where it is on the ground.
      const double tx = 9.0 * s, ty = 2.6 * s;
      ax += tx - (tx * std::cos(toeRoll) - ty * std::sin(toeRoll));
      ay += ty - (tx * std::sin(toeRoll) + ty * std::cos(toeRoll));
    }
    ankle = {ax, ay};
    pitch = toeRoll;
    knee = knee_of(p.hip, ankle, thigh, shin, 1.0);
  };
  place(a, p.kneeN, p.ankleN, p.footN);
  place(b, p.kneeF, p.ankleF, p.footF);
  double bob = w.ground - h;
  double phase = kTau * ff / w.n;
  p.neck = {w.hipX + 3.0 * s, bob - 33.5 * s};
  p.shoulder = {p.neck.x - 0.5 * s, p.neck.y + 2.5 * s};
  p.head = {p.neck.x + 3.0 * s, p.neck.y - 7.5 * s};
  p.headTilt = 0.06 * std::sin(phase * 2 + 0.5) - 0.05;
  p.jaw = 0.10 + 0.10 * std::max(0.0, std::sin(kTau * f / w.n * 3));
  // Arms swing against the legs on the same side.
  auto arm = [&](const Foot& legFt, Pt& elbow, Pt& wrist) {
    double swing = -0.55 * (legFt.x / std::max(w.reachN, w.reachF));
    double ua = kPi / 2 - swing;  // from the shoulder, mostly down
    elbow = {p.shoulder.x + std::cos(ua) * 17 * s, p.shoulder.y + std::sin(ua) * 17 * s};
    double fa = ua - 0.35 - 0.35 * std::max(0.0, swing);
    wrist = {elbow.x + std::cos(fa) * 15 * s, elbow.y + std::sin(fa) * 15 * s};
  };
  arm(a, p.elbowN, p.wristN);
  arm(b, p.elbowF, p.wristF);
  return p;
}

}  // namespace

Image make_skeleton1(const Layout& lay) {
  // 12 frames, 15 px a tick: one stride of 180 px, two steps of 90. The far
  // foot lands on frame 9 and a little further ahead than the near foot does
  // on frame 4, which makes both steps 90 px although 5 and 7 frames apart.
  const Style st{1.84, 1.4, true};
  const Walk w{12, 15.0, 4, 9, 6, 37.5, 52.5, 68, 197, 1};
  DrawFn d = [&](cairo_t* cr, int f, int) { draw_pose(cr, st, pose_at(st, w, f)); };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

Image make_skeleton2(const Layout& lay) {
  // 12 frames at 7 px a tick: 84 px per strip, walked as two strides (four
  // steps of 21 px), which suits a figure 60 px tall. Drawn walking right and
  // mirrored for the left-walking first strip.
  const Style st{0.58, 0.75, false};
  const Walk w{12, 7.0, 0, 6, 7, 12.25, 12.25, 21, 62, 2};
  DrawFn d = [&](cairo_t* cr, int f, int s) {
    if (s == 0) {
      cairo_translate(cr, lay.fw, 0);
      cairo_scale(cr, -1, 1);
    }
    draw_pose(cr, st, pose_at(st, w, f));
  };
  return build_masked(lay, d, {rgb(20, 26, 40), 0.42});
}

}  // namespace mediagen
