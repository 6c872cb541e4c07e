// One frame of the saver, every creature on, composed three ways from the
// very same calls: by our own raster, by SDL2's blitter (sprites blitted
// with a colour key) and by pixman (sprites composited through a1 masks),
// beside a plain memcpy of the frame's bytes. The three frames are checked
// to be the same pixels before anything is timed.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "animation/creature.h"
#include "animation/properties.h"
#include "display/screen_saver.h"
#include "os/window.h"
#include "platform/error_report.h"
#include "platform/pictures.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/starter.h"

namespace vex {
namespace {

// One drawing step of the frame: a masked sprite (its mask and image calls
// as one), an opaque copy, a glow (image ORed), or one pixel.
struct Step {
  enum Kind { kCopy, kMasked, kGlow, kPixel } kind;
  BlitCall call;  // for kMasked: the image call (the mask is Height rows below)
};

struct Frame {
  std::vector<Step> steps;
  std::vector<Surface> pictures;
  std::vector<SDL_Rect> glow_rects;  // where OR and the peers' nearest operation differ
};

Frame& recorded() {
  static Frame f;
  return f;
}

// The saver as start-up builds it, with the build's own media, every
// creature on, run for a while so that the creatures are spread over the
// scene; then one frame's calls recorded.
void record_frame() {
  static bool done = false;
  if (done) return;
  done = true;
  namespace fs = std::filesystem;
  fs::path home = fs::temp_directory_path() / "vexmoor-peers-bench";
  fs::create_directories(home / "config");
  {
    std::ofstream ini(home / "config/zelvora.ini");
    ini << "[Vexmoor]\nfirstrun=1\nspeed=10\n";
    for (const char* k : kCreatureKeys) ini << k << "=1\n";
  }
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", VEXMOOR_BUILD_DATADIR, 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  open_display();
  StarterState& st = starter();
  st.ScreenWidth = 800;
  st.ScreenHeight = 600;
  st.SceneMinX = -400;
  st.SceneMaxX = 1200;
  st.SceneMinY = -150;
  st.SceneHalfMaxX = 750;
  st.SaverMode = 1;
  GetDirectories();
  X_GetData();
  Properties_Creatures();
  LoadPics4ScreenSaver();
  FrameCounters& fc = counters();
  // Into the middle of everything: bolts, the hand risen, the spider down.
  for (int t = 0; t < 535; ++t) {
    fc.FrameCounter1000 = (fc.FrameCounter1000 + 1) % 1001;
    fc.FrameCounter40 = (fc.FrameCounter40 + 1) % 41;
    fc.FrameCounter100 = (fc.FrameCounter100 + 1) % 101;
    screen_saver::compose_frame();
  }
  std::vector<BlitCall> calls;
  set_blit_observer([&](const BlitCall& c) { calls.push_back(c); });
  screen_saver::compose_frame();
  set_blit_observer(nullptr);
  Frame& f = recorded();
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const BlitCall& c = calls[i];
    if (c.set_pixel) {
      f.steps.push_back({Step::kPixel, c});
      continue;
    }
    if (c.rop == Rop::kSrcAnd && i + 1 < calls.size() && calls[i + 1].rop == Rop::kSrcPaint &&
        calls[i + 1].src == c.src && calls[i + 1].x == c.x && calls[i + 1].y == c.y && calls[i + 1].sy == 0) {
      f.steps.push_back({Step::kMasked, calls[i + 1]});
      ++i;
    } else if (c.rop == Rop::kSrcPaint) {
      f.steps.push_back({Step::kGlow, c});
      f.glow_rects.push_back({c.x, c.y, c.w, c.h});
    } else {
      f.steps.push_back({Step::kCopy, c});
    }
    if (std::find(f.pictures.begin(), f.pictures.end(), c.src) == f.pictures.end()) f.pictures.push_back(c.src);
  }
}

// --- ours: the calls as recorded.
void compose_ours(const PixelView& dst) {
  for (const Step& s : recorded().steps) {
    const BlitCall& c = s.call;
    switch (s.kind) {
      case Step::kPixel: set_pixel(dst, c.x, c.y, from_colorref(static_cast<uint32_t>(c.sx))); break;
      case Step::kMasked:
        bit_blt(dst, c.x, c.y, c.w, c.h, surface_view(c.src), c.sx, c.h, Rop::kSrcAnd);
        bit_blt(dst, c.x, c.y, c.w, c.h, surface_view(c.src), c.sx, 0, Rop::kSrcPaint);
        break;
      default: bit_blt(dst, c.x, c.y, c.w, c.h, surface_view(c.src), c.sx, c.sy, c.rop); break;
    }
  }
}

// --- SDL2: plain surfaces for copies, colour-keyed ones for sprites.
struct SdlScene {
  std::map<Surface, SDL_Surface*> plain, keyed;
  SDL_Surface* frame = nullptr;
  SdlScene() {
    for (Surface s : recorded().pictures) {
      PixelView v = surface_view(s);
      SDL_Surface* p = SDL_CreateRGBSurfaceWithFormat(0, v.width, v.height, 32, SDL_PIXELFORMAT_RGB888);
      for (int y = 0; y < v.height; ++y) std::memcpy(static_cast<char*>(p->pixels) + y * p->pitch, v.row(y), v.width * 4);
      plain[s] = p;
      SDL_Surface* k = SDL_ConvertSurface(p, p->format, 0);
      SDL_SetColorKey(k, SDL_TRUE, 0);
      keyed[s] = k;
    }
    frame = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 32, SDL_PIXELFORMAT_RGB888);
  }
  ~SdlScene() {
    for (auto& [s, p] : plain) SDL_FreeSurface(p);
    for (auto& [s, p] : keyed) SDL_FreeSurface(p);
    SDL_FreeSurface(frame);
  }
  void compose() {
    for (const Step& s : recorded().steps) {
      const BlitCall& c = s.call;
      if (s.kind == Step::kPixel) {
        if (c.x >= 0 && c.y >= 0 && c.x < 800 && c.y < 600)
          static_cast<Uint32*>(frame->pixels)[c.y * (frame->pitch / 4) + c.x] =
              from_colorref(static_cast<uint32_t>(c.sx));
        continue;
      }
      SDL_Rect from{c.sx, c.sy, c.w, c.h}, to{c.x, c.y, c.w, c.h};
      SDL_BlitSurface(s.kind == Step::kCopy ? plain[c.src] : keyed[c.src], &from, frame, &to);
    }
  }
};

// --- pixman: x8r8g8b8 pictures, an a1 mask per sprite picture.
struct PixmanScene {
  std::map<Surface, pixman_image_t*> image, mask, glow_mask;
  std::vector<uint32_t> frame_bits = std::vector<uint32_t>(800 * 600);
  std::vector<std::vector<uint32_t>> bits;
  pixman_image_t* frame = nullptr;
  PixmanScene() {
    for (Surface s : recorded().pictures) {
      PixelView v = surface_view(s);
      image[s] = pixman_image_create_bits(PIXMAN_x8r8g8b8, v.width, v.height, reinterpret_cast<uint32_t*>(v.pixels),
                                          v.stride * 4);
      // Two a1 masks of the picture: where its mask rows are black (the
      // sprite covers), and where its image is lit (for the glows).
      int stride_words = (v.width + 31) / 32;
      bits.emplace_back(static_cast<std::size_t>(stride_words) * v.height, 0);
      bits.emplace_back(static_cast<std::size_t>(stride_words) * v.height, 0);
      auto& covers = bits[bits.size() - 2];
      auto& lit = bits.back();
      for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) {
          // The mask of row y sits Height rows below, which the masked
          // step's call names; a1 bit order follows the machine's.
          uint32_t bit = 1u << (x & 31);
          if ((v.row(y)[x] & 0xFFFFFF) != 0) lit[static_cast<std::size_t>(y) * stride_words + x / 32] |= bit;
          if ((v.row(y)[x] & 0xFFFFFF) == 0) covers[static_cast<std::size_t>(y) * stride_words + x / 32] |= bit;
        }
      mask[s] = pixman_image_create_bits(PIXMAN_a1, v.width, v.height, covers.data(), stride_words * 4);
      glow_mask[s] = pixman_image_create_bits(PIXMAN_a1, v.width, v.height, lit.data(), stride_words * 4);
    }
    frame = pixman_image_create_bits(PIXMAN_x8r8g8b8, 800, 600, frame_bits.data(), 800 * 4);
  }
  ~PixmanScene() {
    for (auto* m : {&image, &mask, &glow_mask})
      for (auto& [s, p] : *m) pixman_image_unref(p);
    pixman_image_unref(frame);
  }
  void compose() {
    for (const Step& s : recorded().steps) {
      const BlitCall& c = s.call;
      switch (s.kind) {
        case Step::kPixel:
          if (c.x >= 0 && c.y >= 0 && c.x < 800 && c.y < 600)
            frame_bits[static_cast<std::size_t>(c.y) * 800 + c.x] = from_colorref(static_cast<uint32_t>(c.sx));
          break;
        case Step::kCopy:
          pixman_image_composite32(PIXMAN_OP_SRC, image[c.src], nullptr, frame, c.sx, c.sy, 0, 0, c.x, c.y, c.w,
                                   c.h);
          break;
        case Step::kMasked:
          // The mask rows: where they are black the sprite covers.
          pixman_image_composite32(PIXMAN_OP_OVER, image[c.src], mask[c.src], frame, c.sx, 0, c.sx, c.h, c.x, c.y,
                                   c.w, c.h);
          break;
        case Step::kGlow:
          pixman_image_composite32(PIXMAN_OP_OVER, image[c.src], glow_mask[c.src], frame, c.sx, c.sy, c.sx, c.sy,
                                   c.x, c.y, c.w, c.h);
          break;
      }
    }
  }
};

bool inside(const std::vector<SDL_Rect>& rects, int x, int y) {
  for (const SDL_Rect& r : rects)
    if (x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h) return true;
  return false;
}

// The three frames agree, but for what OR does that no peer offers.
bool same_pixels(std::string* why) {
  Bitmap ours(800, 600);
  compose_ours(ours.view());
  SdlScene sdl;
  sdl.compose();
  PixmanScene px;
  px.compose();
  int differ = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      if (inside(recorded().glow_rects, x, y)) continue;
      Pixel o = ours.at(x, y) & 0xFFFFFF;
      Pixel s = static_cast<Uint32*>(sdl.frame->pixels)[y * (sdl.frame->pitch / 4) + x] & 0xFFFFFF;
      Pixel p = px.frame_bits[static_cast<std::size_t>(y) * 800 + x] & 0xFFFFFF;
      if (o != s || o != p) {
        if (differ == 0 && why) {
          char buf[160];
          std::snprintf(buf, sizeof buf, "first difference at (%d, %d): ours %06x, SDL %06x, pixman %06x", x, y, o, s, p);
          *why = buf;
        }
        ++differ;
      }
    }
  return differ == 0;
}

void check_or_skip(benchmark::State& state) {
  record_frame();
  static std::string why;
  static const bool same = same_pixels(&why);
  if (!same) state.SkipWithError(("the frames differ: " + why).c_str());
  state.counters["steps"] = static_cast<double>(recorded().steps.size());
}

void BM_ComposeFrameOurs(benchmark::State& state) {
  check_or_skip(state);
  Bitmap frame(800, 600);
  for (auto _ : state) {
    compose_ours(frame.view());
    benchmark::DoNotOptimize(frame.at(799, 599));
  }
}
BENCHMARK(BM_ComposeFrameOurs);

void BM_ComposeFrameSdl2(benchmark::State& state) {
  check_or_skip(state);
  SdlScene sdl;
  for (auto _ : state) {
    sdl.compose();
    benchmark::DoNotOptimize(static_cast<Uint32*>(sdl.frame->pixels)[0]);
  }
}
BENCHMARK(BM_ComposeFrameSdl2);

void BM_ComposeFramePixman(benchmark::State& state) {
  check_or_skip(state);
  PixmanScene px;
  for (auto _ : state) {
    px.compose();
    benchmark::DoNotOptimize(px.frame_bits[0]);
  }
}
BENCHMARK(BM_ComposeFramePixman);

void BM_FrameMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(800 * 600, 0x123456), to(800 * 600);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size() * 4);
    benchmark::DoNotOptimize(to[0]);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameMemcpy);

}  // namespace
}  // namespace vex
