#include "animation/scheduled.h"

#include "animation/drawing.h"
#include "animation/schedule.h"
#include "display/sound_fx.h"
#include "platform/error_report.h"

namespace vex {
namespace {

// By TickTo1000: rises through frames 1..16, stays up, sinks back to 0;
// again later with a shorter pause.
constexpr Row kHand[] = {
    {{thru(30, 45), thru(500, 515)}, up},
    {{thru(80, 95), thru(550, 565)}, down},
    {otherwise, keep},
};

// By TickTo100: opens its eyes over five ticks, hooting as they are
// fully open, and closes them twenty ticks later.
constexpr Row kOwl[] = {
    {{thru(70, 74)}, up, sound_on_reaching(kOwlSound, 5)},
    {{thru(90, 94)}, down},
    {otherwise, keep},
};

// By TickTo100: three glints (frames 1, 2, 1, 0) in a row.
constexpr Row kMedallion[] = {
    {{40, 41, 44, 45, 48, 49}, up},
    {{42, 43, 46, 47, 50, 51}, down},
    {otherwise, to(0)},
};

// By TickTo40: turns its head three times and caws once a cycle, even
// if its frame is already the cawing one.
constexpr Row kCrow1[] = {
    {{5, 25, 35}, to(2)}, {{6, 26, 36}, to(3)}, {{11}, to(4)},     {{12}, to(5), sound(kCrowSound)},
    {{18}, to(0)},        {{19}, to(1)},        {otherwise, keep},
};

// By TickTo100: each bolt thunders, then flashes twice (frames 0, 1, 0
// and 0, 1); outside its flashes it is hidden, so a bolt left visible by a
// pause of the creature is hidden again at its next tick.
constexpr Row kBolt1[] = {
    {{30}, keep, sound(kThunderSound)},
    {{33, 34, 43, 44}, up},
    {{35, 36}, down},
    {otherwise, to(kHiddenFrame)},
};
constexpr Row kBolt2[] = {
    {{78}, keep, sound(kThunderSound)},
    {{80, 81, 90, 91}, up},
    {{82, 83}, down},
    {otherwise, to(kHiddenFrame)},
};

// By TickTo1000, the spider's vertical speed: down 31 x 8 pixels, a
// wait, and back up the same way.
constexpr Row kSpiderSpeed[] = {
    {{thru(30, 60)}, to(8)},
    {{thru(90, 120)}, to(-8)},
    {otherwise, to(0)},
};

}  // namespace

void Anim_Hand(Scene& s) {
  trap("Animations\\Anim_Hand", [&] {
    Creature& h = s.Hand;
    draw_masked(h);
    follow(kHand, counters().TickTo1000, h.Frame);
  });
}

void Anim_Owl(Scene& s) {
  trap("Animations\\Anim_Owl", [&] {
    Creature& o = s.Owl;
    draw_opaque(o);
    follow(kOwl, counters().TickTo100, o.Frame);
  });
}

void Anim_Medallion(Scene& s) {
  trap("Animations\\Anim_Medallion", [&] {
    Creature& m = s.Medallion;
    draw_masked(m);
    follow(kMedallion, counters().TickTo100, m.Frame);
  });
}

void Anim_Crow1(Creature& c) {
  trap("Animations\\Anim_Crow1", [&] {
    draw_masked(c);
    follow(kCrow1, counters().TickTo40, c.Frame);
  });
}

void Anim_Crow2(Scene& s) {
  trap("Animations\\Anim_Crow2", [&] { draw_and_loop(s.Crow2); });
}

void Anim_BloodDrip(Scene& s) {
  trap("Animations\\Anim_BloodDrip", [&] {
    Creature& d = s.BloodDrip;
    draw_and_loop(d);
    // The drop lands on frame 4: one drip heard every 14 ticks.
    if (d.Frame == 4) play_sound_if_selected(kBloodDripSound);
  });
}

void Anim_GraveDigger(Scene& s) {
  trap("Animations\\Anim_GraveDigger", [&] { draw_and_loop(s.GraveDigger); });
}

void Anim_Lightning(Scene& s) {
  trap("Animations\\Anim_Lightning", [&] {
    draw_masked(s.Lightning[1]);
    draw_masked(s.Lightning[2]);
    const int v = counters().TickTo100;
    follow(kBolt1, v, s.Lightning[1].Frame);
    follow(kBolt2, v, s.Lightning[2].Frame);
  });
}

void Anim_Spider(Scene& s) {
  trap("Animations\\Anim_Spider", [&] {
    Creature& sp = s.Spider;
    draw_masked(sp);
    draw_thread(sp);
    follow(kSpiderSpeed, counters().TickTo1000, sp.SpeedY);
    sp.Y = check32(static_cast<long long>(sp.Y) + sp.SpeedY);
  });
}

}  // namespace vex
