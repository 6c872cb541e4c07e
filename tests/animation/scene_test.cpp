#include <gtest/gtest.h>

#include "animation/background.h"
#include "animation/creature.h"
#include "animation/drawing.h"
#include "os/bitmap_file.h"
#include "platform/surfaces.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class SceneDrawing : public ProgramTest {
 protected:
  SceneDrawing() {
    surfaces().FrameBuffer = create_surface(800, 600, 0);
    fill_rect(fb(), 0, 0, 800, 600, kGround);
  }
  PixelView fb() { return surface_view(surfaces().FrameBuffer); }
  Pixel at(int x, int y) { return fb().at(x, y); }
  static constexpr Pixel kGround = rgb(10, 20, 30);
};

// A strip of 3 frames of 4 x 2: frame f's sprite is its left half, coloured
// (f + 1) * 50; the mask row is black exactly there.
Surface three_frame_strip() {
  Bitmap b(12, 4, 0);
  for (int f = 0; f < 3; ++f)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) {
        bool sprite = x < 2;
        b.at(f * 4 + x, y) = sprite ? rgb((f + 1) * 50, 0, 0) : 0;
        b.at(f * 4 + x, 2 + y) = sprite ? 0 : 0xFFFFFF;
      }
  test::TempDir d;
  save_bmp24(d / "s.bmp", b);
  return load_surface(d / "s.bmp");
}

TEST_F(SceneDrawing, MaskedDrawShowsTheCurrentFrameOverTheScene) {
  Creature c;
  c.Picture = three_frame_strip();
  c.Width = 4;
  c.Height = 2;
  c.FrameCount = 3;
  c.Frame = 1;
  c.X = 100;
  c.Y = 50;
  draw_masked(c);
  EXPECT_EQ(at(100, 50), rgb(100, 0, 0));
  EXPECT_EQ(at(101, 51), rgb(100, 0, 0));
  EXPECT_EQ(at(102, 50), kGround);  // transparent half
  EXPECT_EQ(at(99, 50), kGround);
  EXPECT_EQ(at(100, 52), kGround);
}

TEST_F(SceneDrawing, StillLoopDrawsThenAdvancesAndWraps) {
  Creature c;
  c.Picture = three_frame_strip();
  c.Width = 4;
  c.Height = 2;
  c.FrameCount = 3;
  c.Frame = 2;
  Anim_Still_Loop(c);
  EXPECT_EQ(at(0, 0), rgb(150, 0, 0));
  EXPECT_EQ(c.Frame, 0);
  Anim_Still_Loop(c);
  EXPECT_EQ(at(0, 0), rgb(50, 0, 0));
  EXPECT_EQ(c.Frame, 1);
  // One frame only: frame 0 every tick.
  c.FrameCount = 1;
  c.Frame = 0;
  Anim_Still_Loop(c);
  Anim_Still_Loop(c);
  EXPECT_EQ(c.Frame, 0);
  EXPECT_EQ(at(0, 0), rgb(50, 0, 0));
}

TEST_F(SceneDrawing, AFrameProductBeyond16BitsIsReportedUnderItsLabel) {
  Creature c;
  c.Picture = three_frame_strip();
  c.Width = 4000;
  c.Height = 2;
  c.FrameCount = 20;
  c.Frame = 10;
  Anim_Still_Loop(c);
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 6 Animations\\Anim_Still_Loop");
  EXPECT_EQ(c.Frame, 10);  // the advance after the failed draw did not run
}

TEST_F(SceneDrawing, TheHiddenFrameDrawsNothing) {
  Creature c;
  c.Picture = three_frame_strip();
  c.Width = 4;
  c.Height = 2;
  c.Frame = -1;
  draw_masked(c);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(at(x, 0), kGround);
}

TEST_F(SceneDrawing, TombstonesDrawFarThenCloseAndTheThirdSharesTheSecondsPicture) {
  install_fixture_media();
  Scene& s = scene();
  auto stone = [&](Creature& t, int w, int h, int x, int y) {
    t.Width = w;
    t.Height = h;
    t.X = x;
    t.Y = y;
  };
  stone(s.TombStone1, 134, 199, 15, 400);
  stone(s.TombStone2, 77, 125, 250, 450);
  stone(s.TombStone3, 77, 125, 473, 450);
  stone(s.TombStone4, 102, 184, 688, 400);
  s.TombStone1.Picture = load_surface(media_dir() + "v_tombstone1.bmp");
  s.TombStone2.Picture = load_surface(media_dir() + "v_tombstone2.bmp");
  s.TombStone4.Picture = load_surface(media_dir() + "v_tombstone4.bmp");
  Anim_FarTombStones(scene());
  EXPECT_EQ(at(250 + 30, 450 + 60), test::fixture_colour("v_tombstone2.bmp"));
  EXPECT_EQ(at(473 + 30, 450 + 60), test::fixture_colour("v_tombstone2.bmp"));
  EXPECT_EQ(at(250, 450), kGround);  // the fixture's transparent border
  EXPECT_EQ(at(20 + 15, 500), kGround);
  Anim_CloseTombStones(scene());
  EXPECT_EQ(at(15 + 60, 400 + 100), test::fixture_colour("v_tombstone1.bmp"));
  EXPECT_EQ(at(688 + 50, 400 + 100), test::fixture_colour("v_tombstone4.bmp"));
  // Without the second stone's picture neither far stone is drawn.
  fill_rect(fb(), 0, 0, 800, 600, kGround);
  release_surface(s.TombStone2.Picture);
  Anim_FarTombStones(scene());
  EXPECT_EQ(at(250 + 30, 450 + 60), kGround);
  EXPECT_EQ(at(473 + 30, 450 + 60), kGround);
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
