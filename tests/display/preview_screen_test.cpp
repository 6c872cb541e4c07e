#include "display/preview_screen.h"

#include <gtest/gtest.h>

#include "os/bitmap_file.h"
#include "platform/surfaces.h"
#include "startup/starter.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class Preview : public ProgramTest {
 protected:
  preview_screen::PreviewAnimation& anim() { return preview_screen::state().anim; }
  void host(int w, int h) {
    starter().PreviewRect = {0, 0, w, h};
    preview_screen::Form_Initialize();
  }
};

TEST_F(Preview, TheFilmstripIsCentredInTheHost) {
  host(152, 112);
  EXPECT_EQ(anim().DestX, 12);  // 12.5 to even
  EXPECT_EQ(anim().DestY, 6);
  EXPECT_EQ(anim().CurrentFrame, 1);
  EXPECT_EQ(anim().FrameCount, 18);
  EXPECT_EQ(anim().FrameWidth, 127);
  EXPECT_EQ(anim().FrameHeight, 100);
  host(153, 112);
  EXPECT_EQ(anim().DestX, 13);
  host(100, 80);
  EXPECT_EQ(anim().DestX, -14);  // -13.5 to even
  EXPECT_EQ(anim().DestY, -10);
}

TEST_F(Preview, EachTickShowsTheNextFrameAndWrapsAfter17) {
  // Frame k of the strip is painted grey level 10 * k.
  Bitmap strip(127 * 21, 200, 0);
  for (int k = 0; k < 21; ++k)
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 127; ++x) strip.at(127 * k + x, y) = rgb(10 * k, 10 * k, 10 * k);
  save_bmp24(dir_ / "v_preview.bmp", strip);
  surfaces().PreviewStrip = load_surface(dir_ / "v_preview.bmp");
  host(152, 112);
  Bitmap canvas(152, 112, rgb(1, 2, 3));
  std::vector<int> shown;
  for (int i = 0; i < 20; ++i) {
    preview_screen::previewtimer_Timer();  // no window: advances only
    preview_screen::draw_frame(canvas.view());
    shown.push_back(static_cast<int>(canvas.at(12, 6) & 0xFF) / 10);
  }
  EXPECT_EQ(shown, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 0, 1, 2, 3}));
  EXPECT_EQ(canvas.at(11, 6), rgb(1, 2, 3));     // left of the frame: untouched
  EXPECT_EQ(canvas.at(139, 105), rgb(1, 2, 3));  // beyond 127 x 100
  EXPECT_EQ(canvas.at(138, 105), rgb(30, 30, 30));
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
