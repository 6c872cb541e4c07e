// Draws the program's icon, a jack-o'-lantern under a full moon, and writes it
// as a Windows .ico with the sizes Explorer and the Screen Saver settings
// ask for. Built and run on the build machine during the Windows build:
//   make_icon <out.ico>
// Deterministic: the same source gives the same bytes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

// Drawing in a unit square (0..1, y down), one colour per point, so that
// every size is the same picture sampled at its own resolution.
Rgba paint(double x, double y) {
  Rgba c;
  auto over = [&c](double r, double g, double b) { c = {r, g, b, 1}; };

  // The moon behind, upper right.
  double mx = x - 0.68, my = y - 0.30;
  if (mx * mx + my * my < 0.27 * 0.27) over(0.93, 0.91, 0.78);

  // The pumpkin: three overlapping lobes; the middle one lighter so the ribs show.
  auto lobe = [&](double cx, double rx, double ry) {
    double dx = (x - cx) / rx, dy = (y - 0.64) / ry;
    return dx * dx + dy * dy < 1.0;
  };
  bool side = lobe(0.32, 0.25, 0.30) || lobe(0.68, 0.25, 0.30);
  bool middle = lobe(0.50, 0.22, 0.32);
  if (side) over(0.85, 0.38, 0.04);
  if (middle) over(0.96, 0.52, 0.08);

  // The stem.
  if (x > 0.46 && x < 0.55 && y > 0.22 && y < 0.36 - (x - 0.46) * 0.4) over(0.24, 0.42, 0.12);

  if (side || middle) {
    // Eyes: two triangles, point up.
    auto eye = [&](double cx) {
      double top = 0.50, bottom = 0.62, half = 0.075;
      if (y < top || y > bottom) return false;
      double w = half * (y - top) / (bottom - top);
      return std::abs(x - cx) < w;
    };
    // The grin: a band between two curves, with two teeth.
    double u = x - 0.5;
    double upper = 0.72 - 0.9 * u * u;
    double lower = 0.78 - 1.2 * u * u;
    bool mouth = std::abs(u) < 0.24 && y > upper && y < lower;
    bool tooth = (std::abs(u + 0.08) < 0.025 || std::abs(u - 0.08) < 0.025) && y < upper + 0.035;
    if (eye(0.38) || eye(0.62) || (mouth && !tooth)) over(1.0, 0.86, 0.25);
  }
  return c;
}

// One size: straight (not premultiplied) BGRA, bottom-up, as an icon's DIB.
std::vector<uint8_t> render(int size) {
  const int ss = 4;  // 4 x 4 samples a pixel for smooth edges
  std::vector<uint8_t> bgra(static_cast<size_t>(size) * size * 4);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < ss; ++sy) {
        for (int sx = 0; sx < ss; ++sx) {
          Rgba c = paint((px + (sx + 0.5) / ss) / size, (py + (sy + 0.5) / ss) / size);
          r += c.r * c.a;
          g += c.g * c.a;
          b += c.b * c.a;
          a += c.a;
        }
      }
      uint8_t* p = &bgra[((static_cast<size_t>(size - 1 - py)) * size + px) * 4];
      auto byte = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
      p[0] = a > 0 ? byte(b / a) : 0;
      p[1] = a > 0 ? byte(g / a) : 0;
      p[2] = a > 0 ? byte(r / a) : 0;
      p[3] = byte(a / (ss * ss));
    }
  }
  return bgra;
}

void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xff);
  v.push_back((x >> 8) & 0xff);
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xffff);
  put16(v, x >> 16);
}

// A 32-bit icon image: BITMAPINFOHEADER (height doubled for the mask), the
// pixels, then the 1-bit AND mask (set where fully transparent, for the
// Windows versions that ignore alpha), rows padded to 4 bytes.
std::vector<uint8_t> icon_image(int size) {
  std::vector<uint8_t> bgra = render(size);
  std::vector<uint8_t> out;
  put32(out, 40);
  put32(out, size);
  put32(out, size * 2);
  put16(out, 1);
  put16(out, 32);
  put32(out, 0);  // BI_RGB
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  put32(out, 0);
  out.insert(out.end(), bgra.begin(), bgra.end());
  const int row = ((size + 31) / 32) * 4;
  for (int y = 0; y < size; ++y) {
    std::vector<uint8_t> bits(row, 0);
    for (int x = 0; x < size; ++x) {
      if (bgra[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0) bits[x / 8] |= 0x80 >> (x % 8);
    }
    out.insert(out.end(), bits.begin(), bits.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon <out.ico>\n");
    return 2;
  }
  const std::array<int, 6> sizes = {16, 24, 32, 48, 64, 256};
  std::vector<std::vector<uint8_t>> images;
  for (int s : sizes) images.push_back(icon_image(s));

  std::vector<uint8_t> ico;
  put16(ico, 0);
  put16(ico, 1);  // icon
  put16(ico, static_cast<uint32_t>(sizes.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    ico.push_back(sizes[i] == 256 ? 0 : static_cast<uint8_t>(sizes[i]));  // 0 means 256
    ico.push_back(sizes[i] == 256 ? 0 : static_cast<uint8_t>(sizes[i]));
    ico.push_back(0);  // no palette
    ico.push_back(0);
    put16(ico, 1);   // planes
    put16(ico, 32);  // bits per pixel
    put32(ico, static_cast<uint32_t>(images[i].size()));
    put32(ico, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (auto& img : images) ico.insert(ico.end(), img.begin(), img.end());

  std::ofstream f(argv[1], std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  f.close();
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
