// Dialog windows on FLTK, placed on the X11 screen by their outer frame.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <chrono>
#include <list>
#include <thread>

#include "os/host_window.h"
#include "os/linux/fltk_loop.h"
#include "os/widgets.h"

namespace vex::ui {
namespace {

// FLTK keeps a pointer to a widget's label text; the control owns it.
class FltkControl : public Control {
 public:
  explicit FltkControl(Fl_Widget* w) : widget_(w) {
    widget_->callback(
        [](Fl_Widget*, void* self) {
          auto* c = static_cast<FltkControl*>(self);
          if (c->on_click) c->on_click();
        },
        this);
  }
  void set_caption(const std::string& caption) override {
    caption_ = caption;
    widget_->label(caption_.c_str());
    widget_->redraw();
  }
  std::string caption() const override { return caption_; }
  void set_tooltip(const std::string& tip) override {
    tip_ = tip;
    widget_->tooltip(tip_.empty() ? nullptr : tip_.c_str());
  }

 private:
  Fl_Widget* widget_;
  std::string caption_;
  std::string tip_;
};

struct Geometry {
  int x = 0, y = 0, w = 0, h = 0;
};

// Is some client managing the screen? Only one client may redirect the root
// window's structure requests, and a window manager always does.
bool window_manager_running(Display* d) {
  static int answer = -1;
  if (answer >= 0) return answer == 1;
  Display* probe = XOpenDisplay(nullptr);
  if (!probe) return false;
  static bool refused;
  refused = false;
  XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent* e) {
    if (e->error_code == BadAccess) refused = true;
    return 0;
  });
  XSelectInput(probe, DefaultRootWindow(probe), SubstructureRedirectMask);
  XSync(probe, False);
  XSetErrorHandler(old);
  XCloseDisplay(probe);
  (void)d;
  answer = refused ? 1 : 0;
  return refused;
}

// The top-level window holding w on the screen: the window manager's frame
// when there is one, w itself otherwise.
::Window outermost(Display* d, ::Window w) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  for (int depth = 0; depth < 8; ++depth) {
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) break;
    if (children) XFree(children);
    if (parent == root || parent == 0) break;
    w = parent;
  }
  return w;
}

Geometry outer_geometry(Display* d, ::Window client) {
  ::Window frame = outermost(d, client);
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, frame, &a)) return {};
  ::Window child = 0;
  int rx = 0, ry = 0;
  XTranslateCoordinates(d, frame, DefaultRootWindow(d), 0, 0, &rx, &ry, &child);
  return {rx - a.border_width, ry - a.border_width, a.width + 2 * a.border_width, a.height + 2 * a.border_width};
}

// Lets FLTK and the window manager catch up, for at most ms.
template <typename Done>
void settle(int ms, Done done) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done() && std::chrono::steady_clock::now() < until) {
    Fl::wait(0.01);
    XSync(fl_display, False);
  }
}

class FltkWindow : public Window {
 public:
  FltkWindow(int w, int h, const std::string& caption) {
    serve_fltk_from_loop();
    window_ = new Fl_Window(w, h);
    window_->end();
    set_caption(caption);
    window_->callback(
        [](Fl_Widget*, void* self) {
          auto* me = static_cast<FltkWindow*>(self);
          if (me->on_close) me->on_close();
        },
        this);
  }
  ~FltkWindow() override {
    controls_.clear();
    delete window_;
  }

  Control& add_label(Rect r, const std::string& caption, TextAlign align) override {
    auto* box = new Fl_Box(r.x, r.y, r.w, r.h);
    box->align((align == TextAlign::kCentre ? FL_ALIGN_CENTER : FL_ALIGN_TOP_LEFT) | FL_ALIGN_INSIDE |
               FL_ALIGN_WRAP);
    box->labelsize(12);
    return adopt(box, caption);
  }

  Control& add_button(Rect r, const std::string& caption) override {
    auto* button = new Fl_Button(r.x, r.y, r.w, r.h);
    button->labelsize(12);
    return adopt(button, caption);
  }

  void set_caption(const std::string& caption) override {
    caption_ = caption;
    window_->copy_label(caption.c_str());
  }
  std::string caption() const override { return caption_; }

  void show() override {
    window_->show();
    Display* d = fl_display;
    // A window manager frames the window some moments after it is mapped;
    // its outer size is only known from then on.
    if (window_manager_running(d))
      settle(500, [&] { return window_->shown() && outermost(d, fl_xid(window_)) != fl_xid(window_); });
    else
      settle(200, [&] { return window_->shown() != 0; });
  }
  bool shown() const override { return window_->shown() != 0; }

  int outer_width() const override { return shown() ? outer_geometry(fl_display, fl_xid(window_)).w : window_->w(); }
  int outer_height() const override {
    return shown() ? outer_geometry(fl_display, fl_xid(window_)).h : window_->h();
  }

  void move_outer_to(int left, int top) override {
    if (!shown()) {
      window_->position(left, top);
      return;
    }
    // Window managers read a move request either as the client's position
    // or as the frame's; asking, looking where the frame went and asking
    // again by the difference lands it right with either reading.
    Display* d = fl_display;
    for (int attempt = 0; attempt < 3; ++attempt) {
      Geometry g = outer_geometry(d, fl_xid(window_));
      int dx = left - g.x, dy = top - g.y;
      if (dx == 0 && dy == 0) return;
      window_->position(window_->x() + dx, window_->y() + dy);
      settle(300, [&] {
        Geometry now = outer_geometry(d, fl_xid(window_));
        return now.x != g.x || now.y != g.y;
      });
    }
  }

  void set_topmost(bool above) override {
    if (shown()) set_window_topmost(fl_xid(window_), above);
  }

 private:
  Control& adopt(Fl_Widget* w, const std::string& caption) {
    window_->add(w);
    controls_.emplace_back(w);
    controls_.back().set_caption(caption);
    return controls_.back();
  }

  Fl_Window* window_ = nullptr;
  std::string caption_;
  std::list<FltkControl> controls_;  // stable addresses
};

}  // namespace

std::unique_ptr<Window> create_window(int client_width, int client_height, const std::string& caption) {
  return std::make_unique<FltkWindow>(client_width, client_height, caption);
}

}  // namespace vex::ui
