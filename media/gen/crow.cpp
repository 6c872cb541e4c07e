// The crows. The first stands on the big stone: idle in frames 0-1, turns
// its head in 2-3, stretches in 4 and caws, beak open, in 5. The second pecks
// about on the ground in a seven-frame loop.
#include "geom.hpp"
#include "look.hpp"
#include "parts.hpp"

namespace mediagen {

namespace {

const Col kBlack = rgb(22, 22, 32), kSheen = rgb(116, 126, 170), kFeather = rgb(44, 46, 66);
const Col kBeak = rgb(50, 50, 58), kBeakLit = rgb(150, 150, 164), kEdge = rgb(6, 6, 10);

struct CrowPose {
  double pitch = -0.28;    // body tilt, negative: tail down
  double neck = 0.0;       // head raise (negative up) relative to the body
  double neckReach = 0.0;  // neck stretched out, units
  double beakOpen = 0.0;   // radians
  double turn = 0.0;       // 1: looking at the viewer, -1: looking back over its shoulder
  double breath = 0.0;     // chest swell
  double tail = 0.0;       // tail flick, radians
};

void feathered(cairo_t* cr, const std::function<void(cairo_t*)>& shape, Col base, Col lit) {
  cairo_new_path(cr);
  shape(cr);
  set(cr, kEdge);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  rimlit(cr, shape, base, lit, -0.9, 0.9);
}

// A crow standing with its feet at (0,0), facing +x, about 30 units long.
void draw_crow(cairo_t* cr, const CrowPose& p) {
  cairo_set_line_width(cr, 1.1);
  set(cr, rgb(40, 40, 46));
  for (double fx : {-1.5, 2.0}) {
    cairo_move_to(cr, fx * 0.6, -7.5);
    cairo_line_to(cr, fx, 0);
    cairo_move_to(cr, fx - 2.2, 0.3);
    cairo_line_to(cr, fx + 3.0, 0.3);
    cairo_stroke(cr);
  }
  cairo_save(cr);
  cairo_translate(cr, 0, -9);
  cairo_rotate(cr, p.pitch);
  cairo_save(cr);
  cairo_translate(cr, -9, -1);
  cairo_rotate(cr, p.tail);
  feathered(
      cr,
      [](cairo_t* c) {
        cairo_move_to(c, 0, -3);
        cairo_line_to(c, -15, -1.5);
        cairo_line_to(c, -15.5, 1.5);
        cairo_line_to(c, 0, 3);
        cairo_close_path(c);
      },
      kBlack, kSheen);
  cairo_restore(cr);
  double sw = 1.0 + 0.05 * p.breath;
  feathered(
      cr, [&](cairo_t* c) { ellipse(c, 0, -5.5, 11.5, 6.2 * sw); }, kBlack, kSheen);
  // Folded wing with its primaries.
  feathered(
      cr,
      [](cairo_t* c) {
        cairo_move_to(c, 6, -9);
        cairo_curve_to(c, 0, -11, -9, -8.5, -14, -3);
        cairo_curve_to(c, -8, -1.2, 0, -1.5, 5, -4);
        cairo_close_path(c);
      },
      kFeather, kSheen);
  set(cr, kEdge);
  cairo_set_line_width(cr, 0.5);
  for (int i = 0; i < 3; ++i) {
    cairo_move_to(cr, -3 - i * 3, -6.5 + i * 0.8);
    cairo_line_to(cr, -8 - i * 2.6, -3.6 + i * 0.4);
  }
  cairo_stroke(cr);
  cairo_translate(cr, 8.5 + p.neckReach * 0.6, -9.0 - p.neckReach);
  cairo_rotate(cr, -p.pitch * 0.7 + p.neck);
  feathered(
      cr, [&](cairo_t* c) { capsule(c, -3.0, 4.0 + p.neckReach, 4.2, 0, 0, 3.8); }, kBlack, kSheen);
  double k = 1.0 - 0.55 * std::abs(p.turn);  // beak foreshortens when the head turns
  double dir = p.turn < -0.5 ? -1.0 : 1.0;   // looking back points the beak the other way
  feathered(
      cr, [](cairo_t* c) { ellipse(c, 0.5, -1.0, 5.2, 4.6); }, kBlack, kSheen);
  // Beak: upper and lower mandible, opening from the gape.
  double bx = dir > 0 ? 3.8 : -2.8, by = 0.0;
  cairo_save(cr);
  cairo_translate(cr, bx, by);
  cairo_scale(cr, dir * k, 1);
  if (p.beakOpen > 0.1) {  // the dark gape
    cairo_save(cr);
    cairo_move_to(cr, 0, 0.2);
    cairo_line_to(cr, 7.0 * std::cos(-p.beakOpen * 0.6), 7.0 * std::sin(-p.beakOpen * 0.6) + 0.2);
    cairo_line_to(cr, 6.0 * std::cos(p.beakOpen * 0.4), 6.0 * std::sin(p.beakOpen * 0.4) + 0.4);
    cairo_close_path(cr);
    set(cr, rgb(90, 20, 30));
    cairo_fill(cr);
    cairo_restore(cr);
  }
  feathered(
      cr,
      [&](cairo_t* c) {
        cairo_save(c);
        cairo_rotate(c, -p.beakOpen * 0.6);
        cairo_move_to(c, -0.5, -2.6);
        cairo_curve_to(c, 3, -2.8, 6.5, -1.6, 8.5, 0.2);
        cairo_line_to(c, -0.5, 0.4);
        cairo_close_path(c);
        cairo_restore(c);
      },
      kBeak, kBeakLit);
  feathered(
      cr,
      [&](cairo_t* c) {
        cairo_save(c);
        cairo_rotate(c, p.beakOpen * 0.4);
        cairo_move_to(c, -0.5, 0.2);
        cairo_line_to(c, 7.5, 0.4);
        cairo_curve_to(c, 5, 1.8, 2, 2.2, -0.5, 2.0);
        cairo_close_path(c);
        cairo_restore(c);
      },
      kBeak, kBeakLit);
  cairo_restore(cr);
  // Eye(s): one in profile, two when it faces the viewer.
  auto eye = [&](double ex) {
    ellipse(cr, ex, -2.0, 1.3, 1.3);
    set(cr, rgb(8, 8, 12));
    cairo_fill(cr);
    ellipse(cr, ex + 0.4, -2.4, 0.45, 0.45);
    set(cr, rgb(230, 236, 255));
    cairo_fill(cr);
  };
  if (p.turn > 0.5) {
    eye(-0.6);
    eye(3.0);
  } else if (p.turn < -0.5) {
    eye(-0.8);
  } else {
    eye(2.2);
  }
  cairo_restore(cr);
}

}  // namespace

Image make_crow1(const Layout& lay) {
  using namespace geom;
  // The feet grip the stone's top edge exactly where the stone is.
  const double feetCol = 43.0;
  const double feetRow = kTomb1Y + tomb1_top(feetCol + 51.0) - 365.0;
  DrawFn d = [&](cairo_t* cr, int f, int) {
    CrowPose p;
    switch (f) {
      case 0: break;
      case 1:
        p.breath = 1.0;
        p.tail = 0.12;
        p.pitch = -0.25;
        break;
      case 2:
        p.turn = 1.0;
        p.neck = 0.05;
        break;
      case 3:
        p.turn = -1.0;
        p.neck = -0.05;
        break;
      case 4:
        p.pitch = -0.12;
        p.neck = -0.35;
        p.neckReach = 2.5;
        p.breath = 1.5;
        break;
      case 5:
        p.pitch = -0.05;
        p.neck = -0.55;
        p.neckReach = 3.5;
        p.beakOpen = 0.9;
        p.breath = 2.5;
        p.tail = -0.1;
        break;
    }
    cairo_translate(cr, feetCol, feetRow);
    cairo_scale(cr, 1.6, 1.6);
    draw_crow(cr, p);
  };
  return build_masked(lay, d, {look::kStone, 0.42});
}

Image make_crow2(const Layout& lay) {
  DrawFn d = [&](cairo_t* cr, int f, int) {
    // A pecking loop: lean, dip, peck, come up, look about.
    static const double kPitch[] = {-0.25, 0.05, 0.45, 0.62, 0.30, -0.15, -0.30};
    static const double kNeck[] = {0.0, 0.25, 0.55, 0.75, 0.35, 0.0, -0.1};
    static const double kTurn[] = {0, 0, 0, 0, 0, 0, 1.0};
    CrowPose p;
    p.pitch = kPitch[f];
    p.neck = kNeck[f];
    p.turn = kTurn[f];
    p.tail = -0.25 * p.pitch;
    p.beakOpen = f == 4 ? 0.25 : 0.0;
    // Facing left, standing on the ground at the bottom of the frame.
    cairo_translate(cr, lay.fw, 0);
    cairo_scale(cr, -1, 1);
    cairo_translate(cr, 46, 55);
    cairo_scale(cr, 1.5, 1.5);
    draw_crow(cr, p);
  };
  return build_masked(lay, d, {look::kNightGround, 0.42});
}

}  // namespace mediagen
