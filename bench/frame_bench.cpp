// What one frame costs: composing the scene, presenting it at common screen
// sizes, the masked draw of a large sprite, and decoding a picture.
#include <benchmark/benchmark.h>

#include <vector>

#include "animation/background.h"
#include "animation/creature.h"
#include "animation/drawing.h"
#include "display/screen_saver.h"
#include "os/bitmap_file.h"
#include "platform/surfaces.h"
#include "startup/starter.h"

namespace vex {
namespace {

Surface noise_picture(int w, int h, bool masked) {
  Surface s = create_surface(w, masked ? 2 * h : h, 0);
  PixelView v = surface_view(s);
  uint32_t x = 12345;
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w; ++i) {
      x = x * 1664525u + 1013904223u;
      bool sprite = (x >> 28) > 3;
      v.row(y)[i] = sprite ? (x & 0xFFFFFF) | 0x010101 : 0;
      if (masked) v.row(h + y)[i] = sprite ? 0 : 0xFFFFFF;
    }
  return s;
}

void layer(Creature& c, int w, int h, int y, bool masked = false) {
  c.Width = w;
  c.Height = h;
  c.Y = y;
  c.Picture = noise_picture(w, h, masked);
}

// The scene as the saver composes it each tick: five layers, the flower and
// four tombstones.
void build_scene() {
  reset_surfaces();
  scene() = Scene{};
  surfaces().FrameBuffer = create_surface(800, 600, 0);
  Scene& s = scene();
  layer(s.BackgroundTop, 800, 315, 0);
  layer(s.BackgroundMid1, 800, 132, 315);
  layer(s.BackgroundMid2, 800, 132, 315);
  layer(s.BackgroundMid3, 800, 132, 315);
  layer(s.BackgroundBottom, 800, 153, 447);
  layer(s.TombStone1, 134, 199, 400, true);
  s.TombStone1.X = 15;
  layer(s.TombStone2, 77, 125, 450, true);
  s.TombStone2.X = 250;
  s.TombStone3 = s.TombStone2;
  s.TombStone3.X = 473;
  layer(s.TombStone4, 102, 184, 400, true);
  s.TombStone4.X = 688;
  layer(s.Flower, 400, 50, 468, true);
  s.Flower.Width = 50;
  s.Flower.FrameCount = 8;
  s.Flower.X = 335;
  s.Flower.Enabled = kTrue;
}

void BM_ComposeFrame(benchmark::State& state) {
  build_scene();
  for (auto _ : state) {
    screen_saver::compose_frame();
    benchmark::DoNotOptimize(surface_view(surfaces().FrameBuffer).pixels[0]);
  }
}
BENCHMARK(BM_ComposeFrame);

void BM_PresentFrame(benchmark::State& state) {
  build_scene();
  screen_saver::compose_frame();
  int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  starter().ScreenWidth = w;
  starter().ScreenHeight = h;
  Bitmap screen(w, h);
  for (auto _ : state) {
    screen_saver::present_frame(screen.view());
    benchmark::DoNotOptimize(screen.at(w - 1, h - 1));
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_PresentFrame)
    ->Args({640, 480})
    ->Args({800, 600})
    ->Args({1024, 768})
    ->Args({1920, 1080})
    ->Args({2560, 1440})
    ->Args({3840, 2160});

void BM_MaskedDrawSkeleton(benchmark::State& state) {
  reset_surfaces();
  surfaces().FrameBuffer = create_surface(800, 600, 0);
  Creature c;
  c.Width = 151;
  c.Height = 200;
  c.FrameCount = 12;
  c.X = 300;
  c.Y = 385;
  c.Picture = noise_picture(151 * 12, 200, true);
  for (auto _ : state) {
    draw_masked(c);
    advance_frame(c);
  }
}
BENCHMARK(BM_MaskedDrawSkeleton);

void BM_DecodeSkyPicture(benchmark::State& state) {
  Bitmap sky(800, 315);
  for (int y = 0; y < 315; ++y)
    for (int x = 0; x < 800; ++x) sky.at(x, y) = rgb(x, y, x ^ y);
  std::string path = "/tmp/vexmoor-bench-sky.bmp";
  save_bmp24(path, sky);
  for (auto _ : state) benchmark::DoNotOptimize(load_bmp_file(path));
  std::remove(path.c_str());
}
BENCHMARK(BM_DecodeSkyPicture);

}  // namespace
}  // namespace vex
