#include "animation/previews.h"

#include <cmath>

#include "animation/drawing.h"
#include "base/convert.h"
#include "base/random.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"

namespace vex {

Previews& previews() {
  static Previews p;
  return p;
}

namespace {

// The record's current frame with its mask, at (x, y) instead of its own
// place.
void draw_masked_at(const Creature& c, int32_t x, int32_t y) {
  Creature at = c;
  at.X = x;
  at.Y = y;
  draw_masked(at);
}

bool in(int v, int from, int to) { return v >= from && v <= to; }

}  // namespace

void Anim_Preview_Multiple(Creature& c) {
  trap("Animations\\Anim_Preview_Multiple", [&] {
    const Previews& p = previews();
    const double sw = p.ScaleWidth1, sh = p.ScaleHeight1, w = c.Width, h = c.Height;
    draw_masked_at(c, round_to_i32(sw / 3 - w / 2), c.Y);
    const int32_t right = round_to_i32(2 * sw / 3 - w / 2);
    draw_masked_at(c, right, round_to_i32(sh / 3 - h / 2));
    draw_masked_at(c, right, round_to_i32(2 * sh / 3 - h / 2));
    advance_frame(c);
  });
}

void Anim_Preview_Owl() {
  trap("Animations\\Anim_Preview_Owl", [] {
    Creature& owl = previews().PreviewCreature;
    draw_masked(owl);
    const int v = counters().TickTo40;
    if (in(v, 1, 3)) owl.Frame += 1;         // the eyes open
    else if (in(v, 15, 17)) owl.Frame -= 1;  // and close again
  });
}

void Anim_Preview_Hand() {
  trap("Animations\\Anim_Preview_Hand", [] {
    Creature& hand = previews().PreviewCreature2;
    draw_masked(hand);
    const int v = counters().TickTo100;
    if (in(v, 5, 20)) hand.Frame += 1;        // rises
    else if (in(v, 70, 85)) hand.Frame -= 1;  // sinks
  });
}

void Anim_Preview_Lightning() {
  trap("Animations\\Anim_Preview_Lightning", [] {
    Creature& bolt = previews().PreviewCreature2;
    if (bolt.Frame >= 0) draw_masked(bolt);
    const int v = counters().TickTo40;
    if (in(v, 1, 4) || in(v, 23, 26)) bolt.Frame += 1;
    else if (in(v, 5, 6)) bolt.Frame -= 1;
    else bolt.Frame = -1;
  });
}

void Anim_Preview_Spider() {
  trap("Animations\\Anim_Preview_Spider", [] {
    Creature& spider = scene().Spider;
    draw_masked(spider);
    for (int32_t y = 0; y <= spider.Y; ++y) SetPixel(surfaces().FrameBuffer, check32(spider.X + 39LL), y, 0x808080);
    const int v = counters().TickTo100;
    spider.SpeedY = in(v, 1, 20) ? 8 : in(v, 61, 80) ? -8 : 0;
    spider.Y = check32(static_cast<long long>(spider.Y) + spider.SpeedY);
  });
}

void Anim_Preview_FireFly() {
  trap("Animations\\Anim_Preview_FireFly", [] {
    Scene& s = scene();
    const Previews& p = previews();
    for (int i = 1; i <= 8; ++i) {
      Creature& f = s.FireFly[i];
      draw_masked(f, s.FireFly[1].Picture);
      advance_frame(f);
      f.X = check32(static_cast<long long>(f.X) + f.SpeedX);
      f.Y = check32(static_cast<long long>(f.Y) + f.SpeedY);
      if (f.X > p.ScaleWidth2 - f.Width - 5 || f.X < 0) f.SpeedX = -f.SpeedX;
      if (f.Y > p.ScaleHeight2 - f.Height - 5 || f.Y < 0) f.SpeedY = -f.SpeedY;
    }
  });
}

void prepare_owl_preview(Creature& preview, Surface (*)(const std::string&)) {
  preview.Width = 82;
  preview.Height = 81;
  preview.FrameCount = 4;
  counters().TickTo40 = 0;
}

void prepare_bat_preview(Creature& preview, Surface (*)(const std::string&)) {
  preview.Width = 36;
  preview.Height = 32;
  preview.FrameCount = 8;
}

// The spider hangs from the top of the box on the scene's own record.
void prepare_spider_preview(Creature& preview, Surface (*picture)(const std::string&)) {
  Creature& spider = scene().Spider;
  spider.Picture = picture(spider.FileName);
  spider.Y = -static_cast<int>(spider.Height);
  spider.X = round_to_i32(previews().ScaleWidth2 / 2.0 - preview.Width / 2.0);
  counters().TickTo100 = 0;
}

void prepare_lightning_preview(Creature&, Surface (*)(const std::string&)) { counters().TickTo40 = 0; }

void prepare_hand_preview(Creature&, Surface (*)(const std::string&)) { counters().TickTo100 = 0; }

// Fireflies 1..8 of the scene, anywhere in the second box at least 5 pixels
// clear of its right and bottom edges; 5..8 turn round.
void prepare_firefly_preview(Creature&, Surface (*picture)(const std::string&)) {
  Scene& s = scene();
  s.FireFly[1].Picture = picture(s.FireFly[1].FileName);
  const Previews& p = previews();
  for (int i = 1; i <= 8; ++i) {
    Creature& f = s.FireFly[i];
    reseed_from_clock();
    f.X = check32(static_cast<long long>(std::floor((p.ScaleWidth2 - f.Width - 5 + 1) * rnd())));
    reseed_from_clock();
    f.Y = check32(static_cast<long long>(std::floor((p.ScaleHeight2 - f.Height - 5 + 1) * rnd())));
    if (i > 4) f.SpeedX = -f.SpeedX;
  }
}

}  // namespace vex
