#include "os/linux/window_parts.h"

namespace vex {
namespace {

// Copies a canvas into an SDL surface of any pixel format.
void copy_to_surface(const Bitmap& from, SDL_Surface* to) {
  SDL_ConvertPixels(from.width(), from.height(), SDL_PIXELFORMAT_RGB888, from.view().pixels, from.width() * 4,
                    to->format->format, to->pixels, to->pitch);
}

PixelView surface_pixels(SDL_Surface* s) { return {static_cast<Pixel*>(s->pixels), s->w, s->h, s->pitch / 4}; }

}  // namespace

SurfaceShower::SurfaceShower(SDL_Window* w, FullScreenWindow* owner) : window_(w), owner_(owner) {
  PixelView c = canvas();
  fill_rect(c, 0, 0, c.width, c.height, 0);
}

PixelView SurfaceShower::canvas() {
  SDL_Surface* s = SDL_GetWindowSurface(window_);
  if (!s) return {};
  if (s != surface_ || s->pixels != pixels_) {
    // A surface SDL made anew holds none of what was drawn.
    surface_ = s;
    pixels_ = s->pixels;
    if (owner_) owner_->note_renewed();
  }
  if (s->format->format == SDL_PIXELFORMAT_RGB888 && s->pitch % 4 == 0) return surface_pixels(s);
  if (backing_.width() != s->w || backing_.height() != s->h) backing_ = Bitmap(s->w, s->h, 0);
  converting_ = true;
  return backing_.view();
}

void SurfaceShower::update() {
  SDL_Surface* s = SDL_GetWindowSurface(window_);
  if (!s) return;
  if (converting_ && backing_.width() == s->w && backing_.height() == s->h) copy_to_surface(backing_, s);
  SDL_UpdateWindowSurface(window_);
}

void SurfaceShower::update_parts(std::span<const PixelRect> parts) {
  SDL_Surface* s = SDL_GetWindowSurface(window_);
  if (!s) return;
  rects_.clear();
  for (const PixelRect& p : parts) {
    const PixelRect r = clip_rect(p, s->w, s->h);
    if (r.empty()) continue;
    if (converting_ && backing_.width() == s->w && backing_.height() == s->h)
      SDL_ConvertPixels(
          r.w, r.h, SDL_PIXELFORMAT_RGB888, backing_.view().row(r.y) + r.x, backing_.width() * 4, s->format->format,
          static_cast<Uint8*>(s->pixels) + static_cast<std::ptrdiff_t>(r.y) * s->pitch + r.x * s->format->BytesPerPixel,
          s->pitch);
    rects_.push_back({r.x, r.y, r.w, r.h});
  }
  if (!rects_.empty()) SDL_UpdateWindowSurfaceRects(window_, rects_.data(), static_cast<int>(rects_.size()));
}

}  // namespace vex
