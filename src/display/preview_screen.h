#pragma once
// The preview: an 18-frame filmstrip played inside a host window.
#include <cstdint>
#include <memory>

#include "base/int16.h"
#include "os/event_loop.h"
#include "os/window.h"

namespace vex::preview_screen {

struct PreviewAnimation {
  int32_t DestX = 0;
  int32_t DestY = 0;
  I16 FrameHeight;
  I16 FrameWidth;
  I16 FrameCount;
  I16 CurrentFrame;
  int32_t StripOriginX = 0;
  int32_t StripOriginY = 0;
};

struct State {
  std::unique_ptr<EmbeddedWindow> window;
  TimerId previewtimer = -1;
  PreviewAnimation anim;
};
State& state();
bool exists();

// Creates the child window filling the host, then Form_Initialize and
// Form_Load.
void load();
void Form_Initialize();
void Form_Load();
void previewtimer_Timer();
// Draws the current frame into the window's pixels.
void draw_frame(const PixelView& canvas);
void Form_Unload();

}  // namespace vex::preview_screen
