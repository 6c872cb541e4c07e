#include "platform/surfaces.h"
#include "platform/error_report.h"

#include <unordered_map>

#include "os/bitmap_file.h"
#include "platform/system.h"

namespace vex {
namespace {

struct Table {
  std::unordered_map<Surface, Bitmap> bitmaps;
  Surface next = 1;
};
Table& table() {
  static Table t;
  return t;
}

Surface add(Bitmap bm) {
  Table& t = table();
  Surface h = t.next++;
  t.bitmaps.emplace(h, std::move(bm));
  return h;
}

}  // namespace

SurfacesState& surfaces() {
  static SurfacesState s;
  return s;
}

void reset_surfaces() {
  table() = Table{};
  surfaces() = SurfacesState{};
}

int live_surface_count() { return static_cast<int>(table().bitmaps.size()); }

Surface GenerateDC(const std::string& path) {
  Surface dc = 0;
  trap("System/GenerateDC", [&] {
    // A picture that cannot be read leaves an empty surface: drawing from it
    // shows nothing, as the scene code expects of a missing picture.
    auto bm = load_bmp_file(resolve_file_case(path));
    dc = add(bm ? std::move(*bm) : Bitmap());
  });
  return dc;
}

Surface GenerateBufferDC(I16 width, I16 height, Surface /*reference: one pixel format for all*/) {
  Surface dc = 0;
  trap("System/GenerateBufferDC", [&] { dc = add(Bitmap(width, height, 0)); });
  return dc;
}

int RemoveDC(Surface& surface) {
  int result = 0;
  trap("Starter/RemoveDC", [&] {
    if (surface <= 0) return;
    result = table().bitmaps.erase(surface) ? 1 : 0;
    surface = 0;
  });
  return result;
}

PixelView surface_view(Surface s) {
  if (s <= 0) return {};
  auto& bm = table().bitmaps;
  auto it = bm.find(s);
  return it == bm.end() ? PixelView{} : it->second.view();
}

void BitBlt(Surface dst, int x, int y, int w, int h, Surface src, int sx, int sy, Rop rop) {
  bit_blt(surface_view(dst), x, y, w, h, surface_view(src), sx, sy, rop);
}

void BitBltTo(const PixelView& dst, int x, int y, int w, int h, Surface src, int sx, int sy, Rop rop) {
  bit_blt(dst, x, y, w, h, surface_view(src), sx, sy, rop);
}

void SetPixel(Surface dst, int x, int y, uint32_t colorref) { set_pixel(surface_view(dst), x, y, from_colorref(colorref)); }

}  // namespace vex
