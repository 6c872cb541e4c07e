#pragma once
// Dialog windows and their controls, as the program's forms use them: a
// window of a given client size holding labels and buttons placed in pixels.
// The program keeps each form's behaviour; this layer only draws and
// reports clicks. Widgets belong to their window and live as long as it.
#include <functional>
#include <memory>
#include <string>

namespace vex::ui {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

class Control {
 public:
  virtual ~Control() = default;
  virtual void set_caption(const std::string& caption) = 0;
  virtual std::string caption() const = 0;
  virtual void set_tooltip(const std::string& tip) = 0;
  std::function<void()> on_click;
};

enum class TextAlign { kCentre, kTopLeft };

class Window {
 public:
  virtual ~Window() = default;
  // Text that wraps inside its rectangle.
  virtual Control& add_label(Rect r, const std::string& caption, TextAlign align) = 0;
  virtual Control& add_button(Rect r, const std::string& caption) = 0;

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

  // The user closed the window (close box, Escape, the window manager).
  std::function<void()> on_close;
};

std::unique_ptr<Window> create_window(int client_width, int client_height, const std::string& caption);

}  // namespace vex::ui
