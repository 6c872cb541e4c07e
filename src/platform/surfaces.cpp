#include "platform/surfaces.h"
#include "platform/error_report.h"

#include <cstdio>
#include <filesystem>
#include <unordered_map>

#include "os/bitmap_file.h"
#include "platform/system.h"

namespace vex {
namespace {

struct Table {
  std::unordered_map<Surface, Bitmap> bitmaps;
  Surface next = 1;
  long long picture_pixels = 0;  // of the pictures loaded from files and still held
  std::unordered_map<Surface, long long> from_file;
  bool said_over_budget = false;
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

Surface load_surface(const std::string& path) {
  Surface dc = 0;
  trap("System/GenerateDC", [&] {
    // A picture that cannot be read leaves an empty surface: drawing from it
    // shows nothing, as the scene code expects of a missing picture.
    std::optional<Bitmap> read = load_bmp_file(resolve_file_case(path));
    // Taken out of the optional at once: GCC 12 sees the empty optional's
    // bitmap read when one is moved out later (-Wmaybe-uninitialized).
    Bitmap picture = read ? std::move(*read) : Bitmap();
    Table& t = table();
    const long long pixels = static_cast<long long>(picture.width()) * picture.height();
    if (pixels > 0 && t.picture_pixels + pixels > kPictureBudgetPixels) {
      // The pictures together may not outgrow what the program can use:
      // past the budget a picture counts as missing.
      if (!t.said_over_budget)
        std::fprintf(stderr,
                     "vexmoor: the pictures in %s are far larger than expected; %s and later ones are "
                     "left out\n",
                     std::filesystem::path(path).parent_path().string().c_str(), path.c_str());
      t.said_over_budget = true;
      picture = Bitmap();
    }
    const long long used = static_cast<long long>(picture.width()) * picture.height();
    dc = add(std::move(picture));
    t.picture_pixels += used;
    t.from_file[dc] = used;
  });
  return dc;
}

Surface create_surface(I16 width, I16 height, Surface /*reference: one pixel format for all*/) {
  Surface dc = 0;
  trap("System/GenerateBufferDC", [&] { dc = add(Bitmap(width, height, 0)); });
  return dc;
}

int release_surface(Surface& surface) {
  int result = 0;
  trap("Starter/RemoveDC", [&] {
    if (surface <= 0) return;
    Table& t = table();
    if (auto it = t.from_file.find(surface); it != t.from_file.end()) {
      t.picture_pixels -= it->second;
      t.from_file.erase(it);
    }
    result = t.bitmaps.erase(surface) ? 1 : 0;
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

namespace {
std::function<void(const BlitCall&)>& observer() {
  static std::function<void(const BlitCall&)> o;
  return o;
}
}  // namespace

void set_blit_observer(std::function<void(const BlitCall&)> o) { observer() = std::move(o); }

void BitBlt(Surface dst, int x, int y, int w, int h, Surface src, int sx, int sy, Rop rop) {
  if (observer()) observer()({dst, x, y, w, h, src, sx, sy, rop});
  bit_blt(surface_view(dst), x, y, w, h, surface_view(src), sx, sy, rop);
}

void BitBltTo(const PixelView& dst, int x, int y, int w, int h, Surface src, int sx, int sy, Rop rop) {
  bit_blt(dst, x, y, w, h, surface_view(src), sx, sy, rop);
}

void SetPixel(Surface dst, int x, int y, uint32_t colorref) {
  if (observer()) observer()({dst, x, y, 1, 1, 0, static_cast<int>(colorref), 0, Rop::kSrcCopy, true});
  set_pixel(surface_view(dst), x, y, from_colorref(colorref));
}

}  // namespace vex
