#include "animation/moving.h"

#include "animation/drawing.h"
#include "animation/schedule.h"
#include "display/sound_fx.h"
#include "platform/error_report.h"
#include "startup/starter.h"

namespace vex {

void Anim_Bat(Scene& s) {
  trap("Animations\\Anim_Bat", [&] {
    const StarterState& st = starter();
    const int32_t band = s.BackgroundMid1.Y;  // they flutter in the 40 rows below its top
    for (int i = 1; i <= 6; ++i) {
      Creature& bat = s.Bat[i];
      travel(bat, s.Bat[1].Picture, Look::kMasked);
      turn_at_ends(bat, st.SceneMinX, st.SceneMaxX, {.rightward = 0, .leftward = second_strip(bat)});
      turn_at_ends(bat.Y, bat.SpeedY, band, check32(band + 40LL));
    }
  });
}

void Anim_Dove(Scene& s) {
  trap("Animations\\Anim_Dove", [&] {
    Creature& dove = s.Dove;
    travel(dove, dove.Picture, Look::kMasked);
    turn_at_ends(dove, starter().SceneMinX, starter().SceneMaxX, {.rightward = second_strip(dove), .leftward = 0});
  });
}

void Anim_Rat(Scene& s, int index) {
  trap("Animations\\Anim_Rat", [&] {
    if (index != 1 && index != 2) throw Failure(kIndexOutOfRange);
    Creature& rat = s.Rat[static_cast<std::size_t>(index)];
    travel(rat, rat.Picture, Look::kMasked);
    turn_at_ends(rat, starter().SceneMinX, starter().SceneMaxX, {.rightward = 0, .leftward = second_strip(rat)});
  });
}

void Anim_Skeleton1(Scene& s) {
  trap("Animations\\Anim_Skeleton1", [&] {
    Creature& k = s.Skeleton1;
    const StarterState& st = starter();
    travel(k, k.Picture, Look::kMasked);
    if (k.X > mul16(2, st.SceneMaxX)) k.X = st.SceneMinX;
    // Two steps heard in each 12-frame stride, only while some of it is in view.
    if ((k.Frame == 4 || k.Frame == 9) && k.X > -k.Width && k.X < 800) play_sound_if_selected(kFootStepsSound);
  });
}

void Anim_Skeleton2(Scene& s) {
  trap("Animations\\Anim_Skeleton2", [&] {
    Creature& k = s.Skeleton2;
    const StarterState& st = starter();
    travel(k, k.Picture, Look::kMasked);
    turn_at_ends(k, mul16(3, st.SceneMinX), mul16(3, st.SceneMaxX), {.rightward = second_strip(k), .leftward = 0});
  });
}

void Anim_Zombie(Scene& s) {
  trap("Animations\\Anim_Zombie", [&] {
    Creature& z = s.Zombie;
    travel(z, z.Picture, Look::kMasked);
    if (z.X < 180) z.X = starter().SceneMaxX;
  });
}

void Anim_Watchman(Scene& s) {
  trap("Animations\\Anim_Watchman", [&] {
    Creature& w = s.Watchman;
    travel(w, w.Picture, Look::kGlow);
    if (w.X < starter().SceneMinX) w.X = starter().SceneMaxX;
  });
}

void Anim_BouncingPumpkin(Scene& s) {
  trap("Animations\\Anim_BouncingPumpkin", [&] {
    Creature& p = s.BouncingPumpkin;
    travel(p, p.Picture, Look::kMasked);
    turn_at_ends(p.X, p.SpeedX, starter().SceneMinX, starter().SceneMaxX);
  });
}

void Anim_Scorpion(Scene& s) {
  trap("Animations\\Anim_Scorpion", [&] {
    Creature& sc = s.Scorpion;
    travel(sc, sc.Picture, Look::kMasked);
    if (sc.Y > mul16(2, starter().SceneHalfDepth)) {
      sc.X = 700;
      sc.Y = 500;
    }
  });
}

void Anim_FireFly(Scene& s) {
  trap("Animations\\Anim_FireFly", [&] {
    const StarterState& st = starter();
    for (int i = 1; i <= 15; ++i) {
      Creature& f = s.FireFly[i];
      travel(f, s.FireFly[1].Picture, Look::kGlow);
      turn_at_ends(f.X, f.SpeedX, st.SceneMinX, st.SceneMaxX);
      turn_at_ends(f.Y, f.SpeedY, st.SceneMinY, 400);
    }
  });
}

}  // namespace vex
