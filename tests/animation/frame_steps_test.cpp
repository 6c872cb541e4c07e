// Composing a frame in steps: the same pixels as drawing every step over the
// whole buffer, with only what changed drawn again.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "animation/creature.h"
#include "animation/drawing.h"
#include "animation/frame_steps.h"
#include "platform/surfaces.h"
#include "support/test_support.h"

namespace vex {
namespace {

class FrameStepsTest : public test::ProgramTest {
 protected:
  FrameStepsTest() {
    surfaces().FrameBuffer = create_surface(200, 100, 0);
    sky.Width = 200;
    sky.Height = 100;
    sky.Picture = create_surface(200, 100, 0);
    fill_rect(surface_view(sky.Picture), 0, 0, 200, 100, rgb(0, 0, 90));
    // A 4 x 4 sprite, a 2 x 2 yellow square in its middle, with its mask.
    sprite.Width = sprite.Height = 4;
    sprite.FrameCount = 1;
    sprite.Picture = create_surface(4, 8, 0);
    PixelView p = surface_view(sprite.Picture);
    fill_rect(p, 0, 4, 4, 4, 0xFFFFFF);
    fill_rect(p, 1, 1, 2, 2, rgb(250, 250, 0));
    fill_rect(p, 1, 5, 2, 2, 0);
  }
  Pixel at(int x, int y) const { return surface_view(surfaces().FrameBuffer).at(x, y); }
  void frame(const std::vector<int>& xs) {
    compose_in_steps([&] {
      draw_layer(sky, Rop::kSrcCopy);
      for (int x : xs) {
        sprite.X = x;
        sprite.Y = 10;
        draw_masked(sprite);
      }
    });
  }
  Creature sky, sprite;
  static constexpr Pixel kSky = rgb(0, 0, 90), kYellow = rgb(250, 250, 0);
};

TEST_F(FrameStepsTest, OnlyWhatChangedIsDrawnAgainAndNoTrailIsLeft) {
  frame({20, 100});
  EXPECT_EQ(at(21, 11), kYellow);
  // A mark where nothing changes survives the next frame: it was not drawn
  // again. Where a sprite moved away, the sky is back.
  surface_view(surfaces().FrameBuffer).row(80)[150] = 0x123456;
  frame({24, 100});
  EXPECT_EQ(at(150, 80), 0x123456u);
  EXPECT_EQ(at(21, 11), kSky);
  EXPECT_EQ(at(25, 11), kYellow);
  EXPECT_EQ(at(101, 11), kYellow);
}

TEST_F(FrameStepsTest, AFrameWithMoreStepsThanKeptIsStillWhole) {
  std::vector<int> many;
  for (int i = 0; i < FrameSteps::kCapacity + 20; ++i) many.push_back(i);
  frame(many);
  EXPECT_EQ(at(1, 11), kYellow);
  EXPECT_EQ(at(FrameSteps::kCapacity + 19 + 1, 11), kYellow);  // drawn after the overflow
  EXPECT_EQ(at(100, 80), kSky);
  // The next frame has nothing to compare with and is drawn whole.
  surface_view(surfaces().FrameBuffer).row(80)[150] = 0x123456;
  frame({50});
  EXPECT_EQ(at(150, 80), kSky);
  EXPECT_EQ(at(1, 11), kSky);
  EXPECT_EQ(at(51, 11), kYellow);
}

TEST_F(FrameStepsTest, AFailureMidFrameLeavesWhatWasDrawnAndTheNextFrameWhole) {
  frame({20});
  EXPECT_THROW(compose_in_steps([&] {
                 draw_layer(sky, Rop::kSrcCopy);
                 sprite.X = 60;
                 draw_masked(sprite);
                 throw std::runtime_error("mid-frame");
               }),
               std::runtime_error);
  EXPECT_EQ(at(61, 11), kYellow);
  EXPECT_EQ(at(21, 11), kSky);
  surface_view(surfaces().FrameBuffer).row(80)[150] = 0x123456;
  frame({60});
  EXPECT_EQ(at(150, 80), kSky);
}

}  // namespace
}  // namespace vex
