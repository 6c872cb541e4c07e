#include "os/bitmap_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "os/file_io.h"

namespace vex {
namespace {

uint32_t u16(std::span<const uint8_t> d, std::size_t o) { return d[o] | (d[o + 1] << 8); }
uint32_t u32(std::span<const uint8_t> d, std::size_t o) {
  return d[o] | (d[o + 1] << 8) | (d[o + 2] << 16) | (static_cast<uint32_t>(d[o + 3]) << 24);
}
int32_t s32(std::span<const uint8_t> d, std::size_t o) { return static_cast<int32_t>(u32(d, o)); }

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

// One colour channel described by a bit mask, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  int get(uint32_t v) const {
    if (!bits) return 0;
    uint32_t x = (v & mask) >> shift;
    uint32_t max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    return static_cast<int>((static_cast<uint64_t>(x) * 255 + max / 2) / max);
  }
};

struct Header {
  int width = 0;
  int height = 0;  // absolute
  bool top_down = false;
  int bpp = 0;
  uint32_t compression = kRgb;
  uint32_t masks[3] = {0, 0, 0};
  std::vector<Pixel> palette;
  std::size_t data_offset = 0;
};

std::optional<Header> read_header(std::span<const uint8_t> d) {
  if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') return std::nullopt;
  Header h;
  h.data_offset = u32(d, 10);
  uint32_t hsize = u32(d, 14);
  std::size_t pal_entry = 4;
  if (hsize == 12) {  // OS/2 core header
    h.width = static_cast<int>(u16(d, 18));
    int32_t hh = static_cast<int16_t>(u16(d, 20));
    h.top_down = hh < 0;
    h.height = hh < 0 ? -hh : hh;
    h.bpp = static_cast<int>(u16(d, 24));
    pal_entry = 3;
  } else if (hsize >= 40 && hsize <= 124) {
    if (d.size() < 14 + 40) return std::nullopt;
    int32_t w = s32(d, 18), hh = s32(d, 22);
    if (w <= 0 || hh == 0 || hh == INT32_MIN) return std::nullopt;
    h.width = w;
    h.top_down = hh < 0;
    h.height = hh < 0 ? -hh : hh;
    h.bpp = static_cast<int>(u16(d, 28));
    h.compression = u32(d, 30);
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
      if (d.size() < 14 + 40 + 12) return std::nullopt;
      for (int i = 0; i < 3; ++i) h.masks[i] = u32(d, 14 + 40 + 4 * i);
    }
  } else {
    return std::nullopt;
  }
  if (h.width <= 0 || h.height <= 0 || h.width > kMaxBitmapSide || h.height > kMaxBitmapSide) return std::nullopt;
  if (static_cast<long long>(h.width) * h.height > kMaxBitmapPixels) return std::nullopt;
  switch (h.bpp) {
    case 1:
    case 4:
    case 8:
    case 24: break;
    case 16:
    case 32:
      if (h.compression == kRgb) {
        if (h.bpp == 16) {
          h.masks[0] = 0x7C00;
          h.masks[1] = 0x03E0;
          h.masks[2] = 0x001F;
        } else {
          h.masks[0] = 0xFF0000;
          h.masks[1] = 0xFF00;
          h.masks[2] = 0xFF;
        }
      } else if (h.compression != kBitFields && h.compression != kAlphaBitFields) {
        return std::nullopt;
      }
      break;
    default: return std::nullopt;
  }
  if (h.compression == kRle8 && h.bpp != 8) return std::nullopt;
  if (h.compression == kRle4 && h.bpp != 4) return std::nullopt;
  if (h.compression > kBitFields && h.compression != kAlphaBitFields) return std::nullopt;
  if (h.top_down && (h.compression == kRle8 || h.compression == kRle4)) return std::nullopt;
  if (h.bpp <= 8) {
    std::size_t colours = 1u << h.bpp;
    if (hsize != 12) {
      uint32_t used = u32(d, 46);
      if (used > 0 && used < colours) colours = used;
    }
    std::size_t pal_at = 14 + hsize;
    if (hsize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields)) pal_at += 12;
    if (pal_at + colours * pal_entry > d.size()) return std::nullopt;
    h.palette.resize(1u << h.bpp, 0);
    for (std::size_t i = 0; i < colours; ++i) {
      const uint8_t* p = &d[pal_at + i * pal_entry];
      h.palette[i] = rgb(p[2], p[1], p[0]);
    }
  }
  if (h.data_offset >= d.size()) return std::nullopt;
  return h;
}

bool decode_uncompressed(const Header& h, std::span<const uint8_t> d, Bitmap& out) {
  std::size_t stride = ((static_cast<std::size_t>(h.width) * h.bpp + 31) / 32) * 4;
  // The file must hold every row (the last row's padding may be missing).
  std::size_t need = stride * (h.height - 1) + (static_cast<std::size_t>(h.width) * h.bpp + 7) / 8;
  if (d.size() - h.data_offset < need) return false;
  Channel cr(h.masks[0]), cg(h.masks[1]), cb(h.masks[2]);
  for (int row = 0; row < h.height; ++row) {
    const uint8_t* s = &d[h.data_offset + stride * row];
    int y = h.top_down ? row : h.height - 1 - row;
    for (int x = 0; x < h.width; ++x) {
      Pixel p = 0;
      switch (h.bpp) {
        case 1: p = h.palette[(s[x >> 3] >> (7 - (x & 7))) & 1]; break;
        case 4: p = h.palette[(x & 1) ? (s[x >> 1] & 15) : (s[x >> 1] >> 4)]; break;
        case 8: p = h.palette[s[x]]; break;
        case 16: {
          uint32_t v = s[2 * x] | (s[2 * x + 1] << 8);
          p = rgb(cr.get(v), cg.get(v), cb.get(v));
          break;
        }
        case 24: p = rgb(s[3 * x + 2], s[3 * x + 1], s[3 * x]); break;
        case 32: {
          uint32_t v =
              s[4 * x] | (s[4 * x + 1] << 8) | (s[4 * x + 2] << 16) | (static_cast<uint32_t>(s[4 * x + 3]) << 24);
          p = rgb(cr.get(v), cg.get(v), cb.get(v));
          break;
        }
      }
      out.at(x, y) = p;
    }
  }
  return true;
}

// Run-length data; pixels not written by the runs (skipped by delta codes or
// an early end) stay black, the first palette colour's usual stand-in.
bool decode_rle(const Header& h, std::span<const uint8_t> d, Bitmap& out) {
  std::size_t i = h.data_offset;
  int x = 0, row = 0;
  auto put = [&](int index) {
    if (x >= h.width) return;  // past the row's end: dropped (and x cannot run away)
    if (row < h.height) out.at(x, h.height - 1 - row) = h.palette[index & ((1 << h.bpp) - 1)];
    ++x;
  };
  bool rle4 = h.compression == kRle4;
  while (i + 1 < d.size() && row < h.height) {
    uint8_t count = d[i], value = d[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(rle4 ? ((k & 1) ? (value & 15) : (value >> 4)) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++row;
      continue;
    }
    if (value == 1) break;
    if (value == 2) {
      if (i + 1 >= d.size()) break;
      x = std::min(x + d[i], h.width);
      row += d[i + 1];
      i += 2;
      continue;
    }
    // Absolute run of `value` pixels, padded to a 16-bit boundary.
    std::size_t bytes = rle4 ? (value + 1u) / 2 : value;
    if (i + bytes > d.size()) return false;
    for (int k = 0; k < value; ++k) {
      int idx = rle4 ? ((k & 1) ? (d[i + k / 2] & 15) : (d[i + k / 2] >> 4)) : d[i + k];
      put(idx);
    }
    i += bytes + (bytes & 1);
  }
  return true;
}

}  // namespace

std::optional<Bitmap> decode_bmp(std::span<const uint8_t> data) {
  auto h = read_header(data);
  if (!h) return std::nullopt;
  Bitmap out(h->width, h->height, 0);
  bool ok = (h->compression == kRle8 || h->compression == kRle4) ? decode_rle(*h, data, out)
                                                                 : decode_uncompressed(*h, data, out);
  if (!ok) return std::nullopt;
  return out;
}

std::optional<Bitmap> load_bmp_file(const std::string& path) {
  // The largest picture we accept, at 32 bits, plus headers and palette.
  auto bytes = read_regular_file(path, static_cast<std::size_t>(kMaxBitmapPixels) * 4 + 65536);
  if (!bytes || bytes->empty()) return std::nullopt;
  return decode_bmp(*bytes);
}

bool save_bmp24(const std::string& path, const Bitmap& bm) {
  std::size_t stride = (static_cast<std::size_t>(bm.width()) * 3 + 3) & ~std::size_t{3};
  std::size_t data = stride * bm.height();
  std::vector<uint8_t> out(54 + data, 0);
  auto w16 = [&](std::size_t o, uint32_t v) {
    out[o] = v & 255;
    out[o + 1] = (v >> 8) & 255;
  };
  auto w32 = [&](std::size_t o, uint32_t v) {
    w16(o, v & 0xFFFF);
    w16(o + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  w32(2, static_cast<uint32_t>(out.size()));
  w32(10, 54);
  w32(14, 40);
  w32(18, static_cast<uint32_t>(bm.width()));
  w32(22, static_cast<uint32_t>(bm.height()));
  w16(26, 1);
  w16(28, 24);
  w32(34, static_cast<uint32_t>(data));
  for (int y = 0; y < bm.height(); ++y) {
    uint8_t* r = &out[54 + stride * (bm.height() - 1 - y)];
    for (int x = 0; x < bm.width(); ++x) {
      Pixel p = bm.at(x, y);
      r[3 * x] = p & 255;
      r[3 * x + 1] = (p >> 8) & 255;
      r[3 * x + 2] = (p >> 16) & 255;
    }
  }
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(f);
}

}  // namespace vex
