#pragma once
// Windows on the screen: the full-screen saver windows (one per monitor),
// a window of someone else's drawn into (a saver daemon's, or the root
// window), and the preview window embedded in a host. The pictures are drawn
// by our own raster code into a canvas; the window only shows it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "os/raster.h"

namespace vex {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// What the display is opened for. A process that shows nothing but the
// full-screen saver's windows may be shown in a way that could neither
// draw into another's window nor hold a dialog (on a Wayland desktop, say).
enum class DisplayUse { kAnything, kFullScreenSaver };
// Opens the display and measures the screen; nullopt, with the reason in
// error, when there is no display to open.
std::optional<ScreenSize> open_display(std::string* error = nullptr, DisplayUse use = DisplayUse::kAnything);
void close_display();
bool display_open();
// The connection to the display is gone: nothing may talk to the window
// system any more, and what would (the cursor, closing the display) does
// nothing from now on.
void forget_display();

// The monitors the screen is made of, where each lies on the screen, the
// primary first; the whole screen as one when it is not divided.
std::vector<PixelRect> monitors();

// A monitor as the window system lists it.
struct ListedMonitor {
  PixelRect area;
  bool primary = false;
};
// The monitors the saver makes a scene for, from what the window system
// listed: the primary first, the rest as listed; none without an area (one
// switched off mid-change may be listed so); none that covers another (the
// whole screen kept beside the parts it was divided into), and of the same
// area twice (a mirrored pair) only the first, since a scene there would
// only be drawn over the others.
std::vector<PixelRect> saver_monitors(std::vector<ListedMonitor> listed);

// Cursor shown while the display count is 0 or more, as the platform counts
// it; returns the new count.
int ShowCursor(bool show);
int cursor_display_count();

class FullScreenWindow {
 public:
  virtual ~FullScreenWindow() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // The window's pixels; valid until the next call of any other member.
  virtual PixelView canvas() = 0;
  // Puts what was drawn into the canvas on the screen.
  virtual void update() = 0;
  // Puts only these parts of the canvas on the screen; the rest of the
  // screen keeps what the updates before put there.
  virtual void update_parts(std::span<const PixelRect> parts) {
    (void)parts;
    update();
  }
  // Counts the times the canvas lost what was drawn in it (new pixels for a
  // new size, say): a drawing kept up by parts must start over then.
  uint64_t renewals() const { return renewals_; }
  void note_renewed() { ++renewals_; }
  virtual void show() = 0;
  virtual void hide() = 0;
  virtual bool visible() const = 0;
  virtual void set_topmost(bool above) = 0;
  // The window system's id of the window (0 where it has none to give).
  virtual unsigned long native_id() const { return 0; }
  // Whether what is drawn here can be seen now: not while the display is
  // powered down (its power saving, a monitor switched off), nor while the
  // window system shows the window nowhere. A frame drawn then is wasted
  // work on a machine meant to be idle; on_seen_changed tells when this
  // changes, from the event loop's thread.
  virtual bool seen() const { return true; }

  std::function<void()> on_click;
  std::function<void()> on_key;
  std::function<void()> on_close;  // closed, or (for another's window) gone
  std::function<void(int width, int height)> on_resize;
  std::function<void()> on_seen_changed;

 private:
  uint64_t renewals_ = 0;
};
// Covers one monitor, above everything else.
std::unique_ptr<FullScreenWindow> create_fullscreen_window(const PixelRect& where);
// A window larger than this on either side is not drawn pixel for pixel: at
// 8000 x 8000 its canvas alone would take 256 MB, and the image the window
// system reads as much again.
inline constexpr int kMaxCanvasSide = 4096;
// The canvas a window of this size is drawn at and stretched over it: the
// window's own size, or, for a larger window, its shape scaled down to fit
// within kMaxCanvasSide on both sides.
inline ScreenSize stretched_canvas_size(int width, int height) {
  if (width <= kMaxCanvasSide && height <= kMaxCanvasSide) return {width, height};
  const long long longest = width > height ? width : height;
  auto scaled = [&](long long side) {
    const long long s = (side * kMaxCanvasSide + longest / 2) / longest;
    return static_cast<int>(s < 1 ? 1 : s);
  };
  return {scaled(width), scaled(height)};
}
// The canvas of a preview in a host of this size: the host's size, or at most
// kMaxCanvasSide on a side (less one where that keeps it an even number of
// pixels from both edges), shown unscaled in the middle of the host, whose
// rest stays black as a preview's surroundings are anyway.
inline ScreenSize centred_canvas_size(int width, int height) {
  auto side = [](int s) { return s <= kMaxCanvasSide ? s : kMaxCanvasSide - ((s - kMaxCanvasSide) & 1); };
  return {side(width), side(height)};
}

// Draws into a window that belongs to someone else (0: the root window),
// with that window's own visual and depth, following its size. Input there
// is not ours: no clicks or keys are reported. Its canvas has the size
// stretched_canvas_size gives for the window.
std::unique_ptr<FullScreenWindow> attach_to_window(unsigned long id);

class EmbeddedWindow {
 public:
  virtual ~EmbeddedWindow() = default;
  virtual PixelView canvas() = 0;
  virtual void update() = 0;
  // The host window went away (the preview must end with it).
  std::function<void()> on_host_gone;
};
// A child window filling (0, 0, width, height) of the host X11 window. Given a
// canvas size smaller than the host (centred_canvas_size), the child fills
// the host in black and shows the canvas in its middle.
std::unique_ptr<EmbeddedWindow> create_embedded_window(unsigned long host, int width, int height,
                                                       const std::string& caption);

}  // namespace vex
