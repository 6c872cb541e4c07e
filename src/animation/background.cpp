#include "animation/background.h"

#include "animation/drawing.h"
#include "platform/error_report.h"

namespace vex {

void Anim_FarTombStones(Scene& s) {
  trap("Animations\\Anim_FarTombStones", [&] {
    // A stone stays at frame 0, so its strip offset alone picks the source.
    draw_masked(s.TombStone2, s.TombStone2.Picture);
    draw_masked(s.TombStone3, s.TombStone2.Picture);
  });
}

void Anim_CloseTombStones(Scene& s) {
  trap("Animations\\Anim_CloseTombStones", [&] {
    draw_masked(s.TombStone1, s.TombStone1.Picture);
    draw_masked(s.TombStone4, s.TombStone4.Picture);
  });
}

void Anim_Still_Loop(Creature& c) {
  trap("Animations\\Anim_Still_Loop", [&] { draw_and_loop(c); });
}

}  // namespace vex
