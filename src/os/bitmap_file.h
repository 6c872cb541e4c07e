#pragma once
// Reads .bmp pictures (1/4/8/16/24/32 bits, RLE4/RLE8, bit fields, OS/2 and
// Windows headers, bottom-up and top-down) into our one pixel format. Alpha
// is ignored. A header that claims more than the file can hold, or a picture
// larger than any the program uses, is refused before anything is allocated.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "os/raster.h"

namespace vex {

// Far larger than any picture the program draws (the largest is a strip of
// 1812 x 400): a file claiming more is refused like a broken one, so that no
// media directory, however made, can make a picture cost more than 16 MB.
inline constexpr int kMaxBitmapSide = 8192;
inline constexpr long long kMaxBitmapPixels = 4LL * 1024 * 1024;

std::optional<Bitmap> decode_bmp(std::span<const uint8_t> data);
std::optional<Bitmap> load_bmp_file(const std::string& path);

// Writes a 24-bit bottom-up .bmp; used by tests and tools that need fixtures.
bool save_bmp24(const std::string& path, const Bitmap& bitmap);

}  // namespace vex
