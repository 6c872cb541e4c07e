#include "animation/background.h"

#include "animation/drawing.h"

namespace vex {
namespace {

// Tombstones have no frames: the strip offset alone picks the source.
void draw_stone(const Creature& t, Surface picture) {
  Surface fb = surfaces().FrameBuffer;
  BitBlt(fb, t.X, t.Y, t.Width, t.Height, picture, t.StripX, t.Height, Rop::kSrcAnd);
  BitBlt(fb, t.X, t.Y, t.Width, t.Height, picture, t.StripX, 0, Rop::kSrcPaint);
}

}  // namespace

void Anim_FarTombStones() {
  trap("Animations\\Anim_FarTombStones", [] {
    Scene& s = scene();
    draw_stone(s.TombStone2, s.TombStone2.Picture);
    draw_stone(s.TombStone3, s.TombStone2.Picture);
  });
}

void Anim_CloseTombStones() {
  trap("Animations\\Anim_CloseTombStones", [] {
    Scene& s = scene();
    draw_stone(s.TombStone1, s.TombStone1.Picture);
    draw_stone(s.TombStone4, s.TombStone4.Picture);
  });
}

void Anim_Still_Loop(Creature& c) {
  trap("Animations\\Anim_Still_Loop", [&] {
    draw_masked(c);
    advance_frame(c);
  });
}

}  // namespace vex
