#include "os/raster.h"

#include <gtest/gtest.h>

namespace vex {
namespace {

// A picture whose every pixel tells its own coordinates.
Bitmap coordinates(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.at(x, y) = rgb(x, y, 7);
  return b;
}

TEST(RasterOps, AndOrAndCopyCombinePixelsBitwise) {
  Bitmap dst(2, 1), src(2, 1);
  dst.at(0, 0) = 0x00F0F0F0;
  dst.at(1, 0) = 0x00123456;
  src.at(0, 0) = 0x00FF0F00;
  src.at(1, 0) = 0x00000000;
  Bitmap d1 = dst;
  bit_blt(d1.view(), 0, 0, 2, 1, src.view(), 0, 0, Rop::kSrcAnd);
  EXPECT_EQ(d1.at(0, 0), 0x00F00000u);
  EXPECT_EQ(d1.at(1, 0), 0u);
  Bitmap d2 = dst;
  bit_blt(d2.view(), 0, 0, 2, 1, src.view(), 0, 0, Rop::kSrcPaint);
  EXPECT_EQ(d2.at(0, 0), 0x00FFFFF0u);
  EXPECT_EQ(d2.at(1, 0), 0x00123456u);
  Bitmap d3 = dst;
  bit_blt(d3.view(), 0, 0, 2, 1, src.view(), 0, 0, Rop::kSrcCopy);
  EXPECT_EQ(d3.at(0, 0), 0x00FF0F00u);
  bit_blt(d3.view(), 1, 0, 5, 5, {}, 0, 0, Rop::kBlackness);
  EXPECT_EQ(d3.at(0, 0), 0x00FF0F00u);
  EXPECT_EQ(d3.at(1, 0), 0u);
}

TEST(RasterOps, MaskedDrawLeavesTheSceneWhereTheMaskIsWhite) {
  // Scene grey; sprite picture: image row (red, black), mask row (black, white).
  Bitmap scene(2, 1, rgb(100, 100, 100));
  Bitmap sprite(2, 2);
  sprite.at(0, 0) = rgb(200, 0, 0);
  sprite.at(1, 0) = 0;
  sprite.at(0, 1) = 0;
  sprite.at(1, 1) = 0xFFFFFF;
  bit_blt(scene.view(), 0, 0, 2, 1, sprite.view(), 0, 1, Rop::kSrcAnd);
  bit_blt(scene.view(), 0, 0, 2, 1, sprite.view(), 0, 0, Rop::kSrcPaint);
  EXPECT_EQ(scene.at(0, 0), rgb(200, 0, 0));
  EXPECT_EQ(scene.at(1, 0), rgb(100, 100, 100));
}

TEST(RasterOps, ClipsAgainstTheDestination) {
  Bitmap dst(4, 4, 1);
  Bitmap src = coordinates(4, 4);
  bit_blt(dst.view(), -2, -1, 4, 4, src.view(), 0, 0, Rop::kSrcCopy);
  EXPECT_EQ(dst.at(0, 0), rgb(2, 1, 7));
  EXPECT_EQ(dst.at(1, 2), rgb(3, 3, 7));
  EXPECT_EQ(dst.at(2, 0), 1u);  // beyond the copied 2 columns
  EXPECT_EQ(dst.at(0, 3), 1u);
  bit_blt(dst.view(), 3, 3, 4, 4, src.view(), 0, 0, Rop::kSrcCopy);
  EXPECT_EQ(dst.at(3, 3), rgb(0, 0, 7));
}

TEST(RasterOps, SourceOutsideThePictureDrawsNothingThere) {
  Bitmap src = coordinates(4, 2);
  Bitmap dst(4, 2, 1);
  // Frame -1 of a 2-wide strip: wholly left of the picture.
  bit_blt(dst.view(), 0, 0, 2, 2, src.view(), -2, 0, Rop::kSrcCopy);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.at(x, y), 1u);
  // Partly outside: only the part inside the source lands, at its place.
  bit_blt(dst.view(), 0, 0, 4, 2, src.view(), 2, 1, Rop::kSrcCopy);
  EXPECT_EQ(dst.at(0, 0), rgb(2, 1, 7));
  EXPECT_EQ(dst.at(1, 0), rgb(3, 1, 7));
  EXPECT_EQ(dst.at(2, 0), 1u);
  EXPECT_EQ(dst.at(0, 1), 1u);
  // Negative or zero sizes and extreme positions are harmless.
  bit_blt(dst.view(), 0, 0, -3, 2, src.view(), 0, 0, Rop::kSrcCopy);
  bit_blt(dst.view(), 2147483000, 0, 2000, 2, src.view(), 0, 0, Rop::kSrcCopy);
  bit_blt(dst.view(), 0, 0, 4, 2, src.view(), -2147483000, 0, Rop::kSrcCopy);
  EXPECT_EQ(dst.at(3, 1), 1u);
}

TEST(Stretch, ScalesByNearestNeighbour128) {
  Bitmap src = coordinates(800, 600);
  Bitmap dst(1024, 768);
  stretch_blt(dst.view(), 0, 0, 1024, 768, src.view(), 0, 0, 800, 600);
  // Destination i samples source floor(i * 800 / 1024) = floor(i / 1.28).
  EXPECT_EQ(dst.at(0, 0), src.at(0, 0));
  EXPECT_EQ(dst.at(1, 1), src.at(0, 0));
  EXPECT_EQ(dst.at(2, 2), src.at(1, 1));
  EXPECT_EQ(dst.at(128, 128), src.at(100, 100));
  EXPECT_EQ(dst.at(1023, 767), src.at(799, 599));
  EXPECT_EQ(dst.at(512, 384), src.at(400, 300));
}

TEST(Stretch, ScalesUnevenly1280x1024) {
  Bitmap src = coordinates(800, 600);
  Bitmap dst(1280, 1024);
  stretch_blt(dst.view(), 0, 0, 1280, 1024, src.view(), 0, 0, 800, 600);
  // 1.6 across, 1024/600 = 1.7067 down.
  EXPECT_EQ(dst.at(160, 0), src.at(100, 0));
  EXPECT_EQ(dst.at(161, 0), src.at(100, 0));
  EXPECT_EQ(dst.at(162, 0), src.at(101, 0));
  EXPECT_EQ(dst.at(0, 512), src.at(0, 300));
  EXPECT_EQ(dst.at(0, 170), src.at(0, 99));
  EXPECT_EQ(dst.at(0, 171), src.at(0, 100));
  EXPECT_EQ(dst.at(1279, 1023), src.at(799, 599));
}

TEST(Stretch, ClipsToTheDestination) {
  Bitmap src = coordinates(4, 4);
  Bitmap dst(4, 4, 1);
  stretch_blt(dst.view(), -4, -4, 8, 8, src.view(), 0, 0, 4, 4);
  EXPECT_EQ(dst.at(0, 0), src.at(2, 2));
  EXPECT_EQ(dst.at(3, 3), src.at(3, 3));
}

TEST(SetPixel, OutsideIsIgnored) {
  Bitmap b(2, 2);
  set_pixel(b.view(), 1, 1, 0x808080);
  set_pixel(b.view(), 2, 0, 0xFFFFFF);
  set_pixel(b.view(), -1, 0, 0xFFFFFF);
  EXPECT_EQ(b.at(1, 1), 0x808080u);
  EXPECT_EQ(b.at(0, 0), 0u);
  EXPECT_EQ(from_colorref(0x0000FF), rgb(255, 0, 0));
}

TEST(FillRect, OnlyWhatLiesInsideTheViewIsFilled) {
  // The view is a window into a larger bitmap, so a fill that ran past its
  // edges would show in the pixels around it.
  Bitmap whole(16, 8, 7);
  const PixelView v = sub_view(whole.view(), {4, 2, 8, 4});
  fill_rect(v, 10, 1, 89, 2, 0xFFFFFF);  // starts beyond the right edge
  fill_rect(v, -20, 0, 5, 4, 0xFFFFFF);  // ends before the left edge
  fill_rect(v, 0, 5, 8, 3, 0xFFFFFF);    // below the bottom
  fill_rect(v, 0, -9, 8, 3, 0xFFFFFF);   // above the top
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(whole.at(x, y), 7u) << x << "," << y;
  fill_rect(v, 6, 3, 10, 10, 0x808080);  // overlaps the bottom-right corner
  int filled = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) filled += whole.at(x, y) == 0x808080u;
  EXPECT_EQ(filled, 2);
  EXPECT_EQ(whole.at(10, 5), 0x808080u);
  EXPECT_EQ(whole.at(11, 5), 0x808080u);
}

}  // namespace
}  // namespace vex
