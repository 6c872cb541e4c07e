#pragma once
// Dialog windows and their controls, as the program's forms use them:
// labels, buttons, check boxes, text boxes, scroll bars, picture boxes,
// group frames and tab strips, placed in pixels relative to their container.
// The program keeps each form's behaviour; this layer only draws, and
// reports clicks and changes through the callbacks the program sets.
// Controls belong to their window and live as long as it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "os/raster.h"

namespace vex::ui {

enum class TextAlign { kCentre, kTopLeft, kLeft, kRight };

struct TextStyle {
  TextAlign align = TextAlign::kLeft;
  bool bold = false;
  bool grey = false;
};

class Control {
 public:
  virtual ~Control() = default;
  // A "&" before a letter of a button's caption makes Alt and that letter
  // press it ("&&" stands for "&" itself).
  virtual void set_caption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual void set_tooltip(const std::string& tip) = 0;
  // Check boxes: 0 or 1. Scroll bars: the position. Tab strips: the tab shown.
  virtual int value() const { return 0; }
  virtual void set_value(int /*v*/) {}
  // Text boxes.
  virtual std::string text() const { return {}; }
  virtual void set_text(const std::string& /*t*/) {}
  // Scroll bars: the range, the step of an arrow and of a click in the bar.
  virtual void set_range(int /*min*/, int /*max*/, int /*small_step*/, int /*large_step*/) {}
  // Picture boxes: shows a copy of these pixels from the box's corner,
  // clipped to the box; black where they do not reach.
  virtual void show_pixels(const PixelView& /*pixels*/) {}
  virtual void set_hand_cursor(bool /*on*/) {}

  std::function<void()> on_click;   // buttons, picture boxes
  std::function<void()> on_change;  // check boxes, scroll bars, text boxes, tab strips (after a switch)
};

class Container;

class Tabs : public Control {
 public:
  // The page of tab i: its controls are placed relative to the strip's
  // own corner (the tab row included).
  virtual Container& page(int i) = 0;
};

class Container {
 public:
  virtual ~Container() = default;
  virtual Control& add_label(PixelRect r, const std::string& caption, TextStyle style) = 0;
  virtual Control& add_button(PixelRect r, const std::string& caption) = 0;
  virtual Control& add_check_box(PixelRect r, const std::string& caption) = 0;
  virtual Control& add_text_box(PixelRect r) = 0;
  virtual Control& add_scroll_bar(PixelRect r) = 0;  // horizontal
  virtual Control& add_picture_box(PixelRect r) = 0;
  // A group frame with its caption on the frame line (none when empty);
  // its controls are placed relative to its corner.
  virtual Container& add_frame(PixelRect r, const std::string& caption, const std::string& tooltip) = 0;
  // A strip of tabs in one row, one page per caption, the first shown.
  virtual Tabs& add_tabs(PixelRect r, const std::vector<std::string>& captions) = 0;
};

class Window : public Container {
 public:
  // A window holds its controls as its client area does.
  Control& add_label(PixelRect r, const std::string& caption, TextStyle style) override {
    return client_area().add_label(r, caption, style);
  }
  Control& add_button(PixelRect r, const std::string& caption) override { return client_area().add_button(r, caption); }
  Control& add_check_box(PixelRect r, const std::string& caption) override {
    return client_area().add_check_box(r, caption);
  }
  Control& add_text_box(PixelRect r) override { return client_area().add_text_box(r); }
  Control& add_scroll_bar(PixelRect r) override { return client_area().add_scroll_bar(r); }
  Control& add_picture_box(PixelRect r) override { return client_area().add_picture_box(r); }
  Container& add_frame(PixelRect r, const std::string& caption, const std::string& tooltip) override {
    return client_area().add_frame(r, caption, tooltip);
  }
  Tabs& add_tabs(PixelRect r, const std::vector<std::string>& captions) override {
    return client_area().add_tabs(r, captions);
  }

  virtual void set_caption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual void show() = 0;
  virtual bool shown() const = 0;
  // The window's outer size on the screen: the client area plus whatever
  // frame a window manager puts round it (known once shown; the client size
  // before that).
  virtual int outer_width() const = 0;
  virtual int outer_height() const = 0;
  // Moves the window so that its outer top-left corner (frame included)
  // stands at (left, top).
  virtual void move_outer_to(int left, int top) = 0;
  virtual void set_topmost(bool above) = 0;

  // The user closed the window (close box, the window manager; Escape too,
  // but for a dialog).
  std::function<void()> on_close;

 protected:
  // The container of the window's own controls, placed from its client
  // area's corner.
  virtual Container& client_area() = 0;
};

// A dialog is a tool window of a fixed size: a small caption and a close box,
// nothing to minimise, maximise or resize it, and no key that cancels it.
enum class WindowKind { kNormal, kDialog };

std::unique_ptr<Window> create_window(int client_width, int client_height, const std::string& caption,
                                      WindowKind kind = WindowKind::kNormal);

// Can these windows be shown at all? Not where there is no window system
// for them (a Wayland desktop without XWayland, where the saver itself
// needs none).
bool windows_available();

// Tells the user something in a small window of its own with an OK button;
// returns at once (the window closes itself when dismissed).
void show_message(const std::string& title, const std::string& text);

}  // namespace vex::ui
