// One frame of the saver, every creature on, composed three ways from the
// very same drawing steps, each over the whole frame: by our own raster, by SDL2's blitter (sprites blitted
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
#include <map>
#include <memory>
#include <vector>

#include "bench_home.h"
#include "animation/creature.h"
#include "animation/frame_steps.h"
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

// One drawing step of the frame as the peers need it: a copy, a masked
// sprite (mask picture and image picture, which may be one picture with its
// mask rows), a glow (image ORed), or a one-pixel column.
struct PeerStep {
  enum Kind { kCopy, kMasked, kGlow, kColumn } kind;
  Step step;  // kMasked: source is the mask, image the image
};

struct Frame {
  std::vector<PeerStep> steps;
  std::vector<Surface> pictures;
  std::vector<SDL_Rect> glow_rects;  // where OR and the peers' nearest operation differ
};

Frame& recorded() {
  static Frame f;
  return f;
}

void note_picture(Frame& f, Surface s) {
  if (s > 0 && std::find(f.pictures.begin(), f.pictures.end(), s) == f.pictures.end()) f.pictures.push_back(s);
}

// The saver as start-up builds it, with the build's own media, every
// creature on, run for a while so that the creatures are spread over the
// scene; then one whole frame's steps taken as the frame composes them.
void record_frame() {
  static bool done = false;
  if (done) return;
  done = true;
  bench::make_home("vexmoor-peers-bench", "speed=10\n", VEXMOOR_BUILD_DATADIR);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  open_display();
  StarterState& st = starter();
  st.ScreenWidth = 800;
  st.ScreenHeight = 600;
  set_scene_bounds();
  st.Mode = SaverMode::kScreenSaver;
  GetDirectories();
  read_settings();
  Properties_Creatures();
  load_saver_pictures();
  FrameCounters& fc = counters();
  // Into the middle of everything: bolts, the hand risen, the spider down.
  for (int t = 0; t < 535; ++t) {
    fc.TickTo1000 = (fc.TickTo1000 + 1) % 1001;
    fc.TickTo40 = (fc.TickTo40 + 1) % 41;
    fc.TickTo100 = (fc.TickTo100 + 1) % 101;
    screen_saver::compose_frame();
  }
  const FrameSteps& fs_ = scene().Steps;
  const int last = 1 - fs_.now;
  const int n = fs_.count[last];
  Frame& f = recorded();
  for (int i = 0; i < n; ++i) {
    const Step& s = fs_.lists[last][i];
    if (s.kind == Step::kAnd && i + 1 < n && fs_.lists[last][i + 1].kind == Step::kPaint &&
        fs_.lists[last][i + 1].x == s.x && fs_.lists[last][i + 1].y == s.y) {
      // A band of the scene drawn through a mask picture of its own.
      const Step& image = fs_.lists[last][i + 1];
      Step m = s;
      m.kind = Step::kMaskAndPaint;
      m.image_handle = image.source_handle;
      m.image = image.source;
      m.image_x = image.source_x;
      m.image_y = image.source_y;
      f.steps.push_back({PeerStep::kMasked, m});
      ++i;
    } else if (s.kind == Step::kMaskAndPaint) {
      f.steps.push_back({PeerStep::kMasked, s});
    } else if (s.kind == Step::kPaint) {
      f.steps.push_back({PeerStep::kGlow, s});
      f.glow_rects.push_back({s.x, s.y, s.w, s.h});
    } else if (s.kind == Step::kColumn) {
      f.steps.push_back({PeerStep::kColumn, s});
    } else {
      f.steps.push_back({PeerStep::kCopy, s});
    }
    note_picture(f, f.steps.back().step.source_handle);
    note_picture(f, f.steps.back().step.image_handle);
  }
}

// --- ours: the steps drawn over the whole frame, as a first frame is.
void compose_ours(const PixelView& dst) {
  for (const PeerStep& p : recorded().steps) {
    const Step& s = p.step;
    switch (p.kind) {
      case PeerStep::kColumn: fill_rect(dst, s.x, s.y, 1, s.h, s.colour); break;
      case PeerStep::kMasked:
        bit_blt(dst, s.x, s.y, s.w, s.h, s.source, s.source_x, s.source_y, Rop::kSrcAnd);
        bit_blt(dst, s.x, s.y, s.w, s.h, s.image, s.image_x, s.image_y, Rop::kSrcPaint);
        break;
      case PeerStep::kGlow: bit_blt(dst, s.x, s.y, s.w, s.h, s.source, s.source_x, s.source_y, Rop::kSrcPaint); break;
      case PeerStep::kCopy: bit_blt(dst, s.x, s.y, s.w, s.h, s.source, s.source_x, s.source_y, Rop::kSrcCopy); break;
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
      for (int y = 0; y < v.height; ++y)
        std::memcpy(static_cast<char*>(p->pixels) + y * p->pitch, v.row(y), v.width * 4);
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
    for (const PeerStep& p : recorded().steps) {
      const Step& s = p.step;
      if (p.kind == PeerStep::kColumn) {
        SDL_Rect r{s.x, s.y, 1, s.h};
        SDL_FillRect(frame, &r, s.colour);
        continue;
      }
      // A sprite's image, keyed on black, is what its mask lets through.
      const bool masked = p.kind == PeerStep::kMasked;
      SDL_Rect from{masked ? s.image_x : s.source_x, masked ? s.image_y : s.source_y, s.w, s.h}, to{s.x, s.y, s.w, s.h};
      Surface src = masked ? s.image_handle : s.source_handle;
      SDL_BlitSurface(p.kind == PeerStep::kCopy ? plain[src] : keyed[src], &from, frame, &to);
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
    for (const PeerStep& p : recorded().steps) {
      const Step& s = p.step;
      switch (p.kind) {
        case PeerStep::kColumn:
          for (int y = std::max(s.y, 0); y < std::min(s.y + s.h, 600); ++y)
            if (s.x >= 0 && s.x < 800) frame_bits[static_cast<std::size_t>(y) * 800 + s.x] = s.colour;
          break;
        case PeerStep::kCopy:
          pixman_image_composite32(PIXMAN_OP_SRC, image[s.source_handle], nullptr, frame, s.source_x, s.source_y, 0, 0,
                                   s.x, s.y, s.w, s.h);
          break;
        case PeerStep::kMasked:
          // Where the mask picture is black, the image covers.
          pixman_image_composite32(PIXMAN_OP_OVER, image[s.image_handle], mask[s.source_handle], frame, s.image_x,
                                   s.image_y, s.source_x, s.source_y, s.x, s.y, s.w, s.h);
          break;
        case PeerStep::kGlow:
          pixman_image_composite32(PIXMAN_OP_OVER, image[s.source_handle], glow_mask[s.source_handle], frame,
                                   s.source_x, s.source_y, s.source_x, s.source_y, s.x, s.y, s.w, s.h);
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
          std::snprintf(buf, sizeof buf, "first difference at (%d, %d): ours %06x, SDL %06x, pixman %06x", x, y, o, s,
                        p);
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
  // How many times over the frame's own pixels the steps touch (a masked
  // sprite twice): the floor under a whole composition is this many memcpys.
  double touched = 0;
  for (const PeerStep& p : recorded().steps) touched += (p.kind == PeerStep::kMasked ? 2.0 : 1.0) * p.step.w * p.step.h;
  char label[64];
  std::snprintf(label, sizeof label, "touches %.2f x the frame", touched / (800.0 * 600.0));
  state.SetLabel(label);
}

// The saver's own tick, which redraws only where a step changed.
void BM_ComposeFrameSaverTick(benchmark::State& state) {
  check_or_skip(state);
  FrameCounters& fc = counters();
  for (auto _ : state) {
    fc.TickTo1000 = (fc.TickTo1000 + 1) % 1001;
    fc.TickTo40 = (fc.TickTo40 + 1) % 41;
    fc.TickTo100 = (fc.TickTo100 + 1) % 101;
    screen_saver::compose_frame();
  }
}
BENCHMARK(BM_ComposeFrameSaverTick);

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

// --- presenting the 800 x 600 frame on a larger screen: ours (the stretch
// into the window's pixels) beside SDL's own path for the same job (the
// frame streamed into a texture, stretched by the renderer, presented).
void BM_PresentOurs(benchmark::State& state) {
  record_frame();
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  screen_saver::compose_frame();
  StarterState& st = starter();
  const int keep_w = st.ScreenWidth, keep_h = st.ScreenHeight;
  st.ScreenWidth = w;
  st.ScreenHeight = h;
  Bitmap screen(w, h);
  for (auto _ : state) {
    screen_saver::present_frame(screen.view());
    benchmark::DoNotOptimize(screen.at(w - 1, h - 1));
  }
  st.ScreenWidth = keep_w;
  st.ScreenHeight = keep_h;
}
BENCHMARK(BM_PresentOurs)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

void BM_PresentSdl2(benchmark::State& state) {
  record_frame();
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  SDL_Window* win = SDL_CreateWindow("present", 0, 0, w, h, SDL_WINDOW_HIDDEN);
  SDL_Renderer* r = win ? SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE) : nullptr;
  SDL_Texture* t = r ? SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, 800, 600) : nullptr;
  if (!t) {
    state.SkipWithError(SDL_GetError());
  } else {
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
    screen_saver::compose_frame();
    const PixelView frame = surface_view(surfaces().FrameBuffer);
    for (auto _ : state) {
      SDL_UpdateTexture(t, nullptr, frame.pixels, frame.stride * 4);
      SDL_RenderCopy(r, t, nullptr, nullptr);
      SDL_RenderPresent(r);
    }
  }
  if (t) SDL_DestroyTexture(t);
  if (r) SDL_DestroyRenderer(r);
  if (win) SDL_DestroyWindow(win);
}
BENCHMARK(BM_PresentSdl2)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vex
