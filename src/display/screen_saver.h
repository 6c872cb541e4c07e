#pragma once
// The full-screen saver window and its frame loop.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "os/event_loop.h"
#include "os/window.h"

namespace vex::screen_saver {

struct State {
  std::unique_ptr<FullScreenWindow> window;               // the primary monitor's, with the labels
  std::vector<std::unique_ptr<FullScreenWindow>> others;  // the other monitors'
  std::vector<PixelRect> monitors;                        // as the windows were made for them
  TimerId maintimer = -1;
  TimerId labeltimer = -1;    // keeps the clock going while frames are rare
  TimerId monitortimer = -1;  // notices monitors that come, go or change
  TimerId ambienttimer = -1;  // keeps the ambient sounds' rhythm while the frames rest
  // No window can be seen (the display powered down): no frame is composed
  // or shown until one can, and the scene then goes on where it stopped.
  bool resting = false;
  bool labeltimer_was_on = false;
  // What each window's screen holds: the frame it last showed on which
  // canvas, so that the next frame shows only what changed.
  struct Shown {
    const FullScreenWindow* window = nullptr;
    PixelView canvas;
    uint64_t renewals = 0;
    uint64_t frame = 0;
  };
  std::vector<Shown> shown;
};
State& state();
bool exists();

// Creates the window (Form_Initialize) and loads it (Form_Load).
void load();
void Form_Initialize();
void Form_Load();
void maintimer_Timer();
inline constexpr long long kLabelRefreshMs = 1000;
void labeltimer_Timer();
inline constexpr long long kMonitorCheckMs = 2000;
void monitortimer_Timer();
// A window became seen or unseen: the frames rest or go on.
void seen_changed();
inline constexpr int kRestingWaitMs = 1000;
void ambienttimer_Timer();
// The window drawn into changed its size: the labels and the picture follow.
void follow_resize(int width, int height);
// Copies, offsets or stretches the 800 x 600 frame onto the screen canvas.
void present_frame(const PixelView& screen);
// The same for these parts of the frame only; adds the parts of the screen
// drawn to screen_parts. The screen comes out as present_frame would leave
// it when the rest of the frame is what the screen already shows.
void present_frame_parts(const PixelView& screen, std::span<const PixelRect> frame_parts,
                         std::vector<PixelRect>& screen_parts);
void Form_Click();
void Form_KeyDown();
void Form_QueryUnload(int& cancel);
void Form_Unload();
void set_topmost(bool above);
// Steps out of the way of the error report: cursor back, not on top, hidden.
void give_way();

// The creature steps the frame tick takes, in depth order; tests read it.
void compose_frame();

}  // namespace vex::screen_saver
