#pragma once
// What this system's window files share: the X connection of the queries,
// whether SDL's video runs, SDL's
// events handed to the full-screen windows, and the way a window shows our
// canvas through its SDL window surface.
#include <SDL.h>

#include <span>
#include <vector>

#include "os/raster.h"
#include "os/window.h"

struct _XDisplay;

namespace vex {

// The connection the queries of host_window.h and monitors() share
// (nullptr without an X display).
_XDisplay* x11_connection();

// Has open_display started SDL's video (and no one closed it since)?
bool sdl_video_running();
// Hands SDL's pending events to the full-screen windows they are for.
void pump_sdl_events();

// A window shows our canvas through its SDL window surface; when that surface
// already has our pixel format we draw straight into it.
class SurfaceShower {
 public:
  // A new window shows black, whatever memory its surface was given.
  SurfaceShower(SDL_Window* w, FullScreenWindow* owner);
  PixelView canvas();
  void update();
  void update_parts(std::span<const PixelRect> parts);

 private:
  SDL_Window* window_;
  FullScreenWindow* owner_;
  Bitmap backing_;
  bool converting_ = false;
  SDL_Surface* surface_ = nullptr;
  void* pixels_ = nullptr;
  std::vector<SDL_Rect> rects_;
};

}  // namespace vex
