// Any bytes as a picture file: decoding must never read or write out of
// bounds, and a picture it accepts has the size its header claims.
#include <cstdint>
#include <span>

#include "os/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto bm = vex::decode_bmp(std::span<const uint8_t>(data, size));
  if (bm) {
    if (bm->width() <= 0 || bm->height() <= 0 || bm->width() > vex::kMaxBitmapSide ||
        bm->height() > vex::kMaxBitmapSide)
      __builtin_trap();
    volatile vex::Pixel p = bm->at(bm->width() - 1, bm->height() - 1);
    (void)p;
  }
  return 0;
}
