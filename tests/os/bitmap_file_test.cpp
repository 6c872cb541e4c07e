#include "os/bitmap_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "support/temp_dir.h"

namespace vex {
namespace {

// Builds .bmp files byte by byte, so each test states exactly what it feeds.
struct BmpBuilder {
  int width = 0, height = 0, bpp = 24;
  uint32_t compression = 0;
  uint32_t header_size = 40;
  std::vector<uint8_t> palette = {};  // BGRx (or BGR for the OS/2 header)
  std::vector<uint8_t> masks = {};    // for bit fields
  std::vector<uint8_t> pixels = {};

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> out;
    auto w16 = [&](uint32_t v) {
      out.push_back(v & 255);
      out.push_back((v >> 8) & 255);
    };
    auto w32 = [&](uint32_t v) {
      w16(v & 0xFFFF);
      w16(v >> 16);
    };
    uint32_t offset = 14 + header_size + static_cast<uint32_t>(masks.size() + palette.size());
    out.push_back('B');
    out.push_back('M');
    w32(offset + static_cast<uint32_t>(pixels.size()));
    w32(0);
    w32(offset);
    w32(header_size);
    if (header_size == 12) {
      w16(static_cast<uint32_t>(width));
      w16(static_cast<uint32_t>(height));
      w16(1);
      w16(static_cast<uint32_t>(bpp));
    } else {
      w32(static_cast<uint32_t>(width));
      w32(static_cast<uint32_t>(height));
      w16(1);
      w16(static_cast<uint32_t>(bpp));
      w32(compression);
      w32(static_cast<uint32_t>(pixels.size()));
      w32(2835);
      w32(2835);
      w32(static_cast<uint32_t>(palette.size() / 4));  // colours used
      w32(0);
      while (out.size() < 14 + header_size) out.push_back(0);
    }
    out.insert(out.end(), masks.begin(), masks.end());
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
  }
};

std::optional<Bitmap> decode(const BmpBuilder& b) {
  auto bytes = b.bytes();
  return decode_bmp(bytes);
}

TEST(BmpReader, Reads24BitBottomUpWithRowPadding) {
  BmpBuilder b{.width = 2, .height = 2};
  // Bottom row first: blue, green; then top row: red, white. 2 bytes padding.
  b.pixels = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
  auto bm = decode(b);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->at(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(bm->at(1, 0), rgb(255, 255, 255));
  EXPECT_EQ(bm->at(0, 1), rgb(0, 0, 255));
  EXPECT_EQ(bm->at(1, 1), rgb(0, 255, 0));
}

TEST(BmpReader, ReadsTopDownFiles) {
  BmpBuilder b{.width = 1, .height = -2};
  b.pixels = {0, 0, 255, 0, 255, 0, 0, 0};
  auto bm = decode(b);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->height(), 2);
  EXPECT_EQ(bm->at(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(bm->at(0, 1), rgb(0, 0, 255));
}

TEST(BmpReader, ReadsPalettedPictures) {
  BmpBuilder b8{.width = 3, .height = 1, .bpp = 8};
  b8.palette = {0, 0, 0, 0, 10, 20, 30, 0, 255, 255, 255, 0};
  b8.pixels = {1, 2, 0, 0};
  auto bm8 = decode(b8);
  ASSERT_TRUE(bm8);
  EXPECT_EQ(bm8->at(0, 0), rgb(30, 20, 10));
  EXPECT_EQ(bm8->at(1, 0), rgb(255, 255, 255));
  EXPECT_EQ(bm8->at(2, 0), 0u);

  BmpBuilder b4{.width = 3, .height = 1, .bpp = 4};
  b4.palette = {0, 0, 0, 0, 0, 0, 255, 0};
  b4.pixels = {0x10, 0x10, 0, 0};
  auto bm4 = decode(b4);
  ASSERT_TRUE(bm4);
  EXPECT_EQ(bm4->at(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(bm4->at(1, 0), 0u);
  EXPECT_EQ(bm4->at(2, 0), rgb(255, 0, 0));

  BmpBuilder b1{.width = 10, .height = 1, .bpp = 1};
  b1.palette = {0, 0, 0, 0, 255, 255, 255, 0};
  b1.pixels = {0b10100000, 0b01000000, 0, 0};
  auto bm1 = decode(b1);
  ASSERT_TRUE(bm1);
  EXPECT_EQ(bm1->at(0, 0), 0xFFFFFFu);
  EXPECT_EQ(bm1->at(1, 0), 0u);
  EXPECT_EQ(bm1->at(2, 0), 0xFFFFFFu);
  EXPECT_EQ(bm1->at(9, 0), 0xFFFFFFu);
}

TEST(BmpReader, ReadsTheOs2Header) {
  BmpBuilder b{.width = 1, .height = 1, .bpp = 8, .header_size = 12};
  b.palette.assign(256 * 3, 0);
  b.palette[3 * 7 + 2] = 99;
  b.pixels = {7, 0, 0, 0};
  auto bm = decode(b);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->at(0, 0), rgb(99, 0, 0));
}

TEST(BmpReader, ReadsRunLengthPictures) {
  BmpBuilder b{.width = 4, .height = 2, .bpp = 8, .compression = 1};
  b.palette = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0};
  // Bottom row: 3 x colour 1, end of line; top row: absolute run 2,1,2 (padded), end.
  b.pixels = {3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 0, 1};
  auto bm = decode(b);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->at(0, 1), rgb(255, 0, 0));
  EXPECT_EQ(bm->at(2, 1), rgb(255, 0, 0));
  EXPECT_EQ(bm->at(3, 1), 0u);
  EXPECT_EQ(bm->at(0, 0), rgb(0, 255, 0));
  EXPECT_EQ(bm->at(1, 0), rgb(255, 0, 0));

  BmpBuilder r4{.width = 4, .height = 1, .bpp = 4, .compression = 2};
  r4.palette = {0, 0, 0, 0, 0, 0, 255, 0};
  r4.pixels = {4, 0x10, 0, 1};
  auto bm4 = decode(r4);
  ASSERT_TRUE(bm4);
  EXPECT_EQ(bm4->at(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(bm4->at(1, 0), 0u);
  EXPECT_EQ(bm4->at(2, 0), rgb(255, 0, 0));
}

TEST(BmpReader, ReadsBitFieldsAndIgnoresAlpha) {
  BmpBuilder b{.width = 1, .height = 1, .bpp = 16, .compression = 3};
  b.masks = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0x00, 0, 0};  // 5-6-5
  b.pixels = {0x1F, 0xF8, 0, 0};                                     // full red and blue
  auto bm = decode(b);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->at(0, 0), rgb(255, 0, 255));

  BmpBuilder b32{.width = 1, .height = 1, .bpp = 32};
  b32.pixels = {1, 2, 3, 0x80};
  auto bm32 = decode(b32);
  ASSERT_TRUE(bm32);
  EXPECT_EQ(bm32->at(0, 0), rgb(3, 2, 1));
}

TEST(BmpReader, RefusesDamagedOrAbsurdFiles) {
  BmpBuilder good{.width = 2, .height = 2};
  good.pixels.assign(16, 9);
  auto bytes = good.bytes();
  ASSERT_TRUE(decode_bmp(bytes));
  // Truncated anywhere before its last row is complete: no picture, no crash.
  for (std::size_t n = 0; n + 2 < bytes.size(); ++n)
    EXPECT_FALSE(decode_bmp(std::span<const uint8_t>(bytes.data(), n))) << n;
  // A header claiming 100 000 x 100 000 pixels is refused before anything
  // is allocated.
  BmpBuilder huge{.width = 100000, .height = 100000};
  huge.pixels.assign(16, 0);
  EXPECT_FALSE(decode(huge));
  BmpBuilder tall{.width = 4000, .height = 16000};
  tall.pixels.assign(16, 0);
  EXPECT_FALSE(decode(tall));
  // Sizes that fit but data that does not.
  BmpBuilder short_data{.width = 1000, .height = 1000};
  short_data.pixels.assign(100, 0);
  EXPECT_FALSE(decode(short_data));
  BmpBuilder zero{.width = 0, .height = 5};
  EXPECT_FALSE(decode(zero));
  BmpBuilder odd_bpp{.width = 1, .height = 1, .bpp = 7};
  odd_bpp.pixels.assign(4, 0);
  EXPECT_FALSE(decode(odd_bpp));
  std::vector<uint8_t> not_bmp(100, 'x');
  EXPECT_FALSE(decode_bmp(not_bmp));
}

TEST(BmpReader, RunLengthDataCannotWriteOutsideThePicture) {
  BmpBuilder b{.width = 2, .height = 2, .bpp = 8, .compression = 1};
  b.palette = {0, 0, 0, 0, 0, 0, 255, 0};
  // Runs far longer than a row, deltas far past the edge, then more runs.
  b.pixels = {255, 1, 0, 2, 250, 250, 255, 1, 0, 0, 255, 1, 0, 0, 255, 1, 0, 1};
  auto bm = decode(b);
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->at(0, 1), rgb(255, 0, 0));
}

TEST(BmpFiles, SaveAndLoadRoundTrip) {
  test::TempDir dir;
  Bitmap bm(3, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) bm.at(x, y) = rgb(x * 40, y * 30, 200);
  ASSERT_TRUE(save_bmp24(dir / "a.bmp", bm));
  auto back = load_bmp_file(dir / "a.bmp");
  ASSERT_TRUE(back);
  ASSERT_EQ(back->width(), 3);
  ASSERT_EQ(back->height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(back->at(x, y), bm.at(x, y));
  EXPECT_FALSE(load_bmp_file(dir / "missing.bmp"));
  std::ofstream(dir / "empty.bmp");
  EXPECT_FALSE(load_bmp_file(dir / "empty.bmp"));
  EXPECT_FALSE(load_bmp_file(dir.str()));  // a directory
}

}  // namespace
}  // namespace vex
