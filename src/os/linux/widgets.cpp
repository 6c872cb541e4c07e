// Dialog windows on FLTK, placed on the X11 screen by their outer frame.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Tabs.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <list>
#include <memory>

#include "os/host_window.h"
#include "os/linux/fltk_loop.h"
#include "os/widgets.h"

namespace vex::ui {
namespace {

// The classic 8-point dialog font at 96 dpi is 11 pixels; a sans of that
// size keeps the 17-pixel rows legible.
constexpr int kFontSize = 11;
const Fl_Color kGreyText = fl_rgb_color(96, 96, 96);

Fl_Align to_fl(TextAlign a) {
  switch (a) {
    case TextAlign::kCentre: return FL_ALIGN_CENTER;
    case TextAlign::kTopLeft: return FL_ALIGN_TOP_LEFT;
    case TextAlign::kLeft: return FL_ALIGN_LEFT;
    case TextAlign::kRight: return FL_ALIGN_RIGHT;
  }
  return FL_ALIGN_LEFT;
}

// FLTK keeps a pointer to a widget's label and tooltip text; the control
// owns both.
class FltkControl : public Control {
 public:
  explicit FltkControl(Fl_Widget* w) : widget_(w) {
    widget_->callback([](Fl_Widget*, void* self) { static_cast<FltkControl*>(self)->fire(); }, this);
    widget_->labelsize(kFontSize);
  }
  void set_caption(const std::string& caption) override {
    caption_ = caption;
    widget_->label(caption_.c_str());
    widget_->redraw();
    if (widget_->parent()) widget_->parent()->redraw();
  }
  std::string caption() const override { return caption_; }
  void set_tooltip(const std::string& tip) override {
    tip_ = tip;
    widget_->tooltip(tip_.empty() ? nullptr : tip_.c_str());
  }

 protected:
  virtual void fire() {
    if (on_click) on_click();
  }
  Fl_Widget* widget_;

 private:
  std::string caption_;
  std::string tip_;
};

class CheckBox : public FltkControl {
 public:
  explicit CheckBox(Fl_Check_Button* b) : FltkControl(b), box_(b) {}
  int value() const override { return box_->value() ? 1 : 0; }
  void set_value(int v) override { box_->value(v ? 1 : 0); }

 private:
  void fire() override {
    if (on_change) on_change();
  }
  Fl_Check_Button* box_;
};

class TextBox : public FltkControl {
 public:
  explicit TextBox(Fl_Input* in) : FltkControl(in), input_(in) {
    input_->when(FL_WHEN_CHANGED);
    input_->maximum_size(INT_MAX);
    input_->textsize(kFontSize);
  }
  std::string text() const override { return input_->value() ? input_->value() : ""; }
  void set_text(const std::string& t) override { input_->value(t.c_str(), static_cast<int>(t.size())); }

 private:
  void fire() override {
    if (on_change) on_change();
  }
  Fl_Input* input_;
};

class ScrollBar : public FltkControl {
 public:
  explicit ScrollBar(Fl_Scrollbar* s) : FltkControl(s), bar_(s) { bar_->type(FL_HORIZONTAL); }
  int value() const override { return bar_->value(); }
  void set_value(int v) override { bar_->value(std::clamp(v, min_, max_)); }
  void set_range(int min, int max, int small_step, int large_step) override {
    min_ = min;
    max_ = max;
    bar_->bounds(min, max);
    bar_->linesize(small_step);
    // FLTK takes a click in the bar's trough as a step of the slider's own
    // share of the range.
    if (max > min) bar_->slider_size(static_cast<double>(large_step) / (max - min + large_step));
  }

 private:
  void fire() override {
    if (on_change) on_change();
  }
  Fl_Scrollbar* bar_;
  int min_ = 0, max_ = 0;
};

// Shows a copy of the program's pixels; a press and release inside is a click.
class PictureWidget : public Fl_Widget {
 public:
  PictureWidget(int x, int y, int w, int h) : Fl_Widget(x, y, w, h), rgb_(static_cast<std::size_t>(w) * h * 3, 0) {}
  void show(const PixelView& p) {
    std::fill(rgb_.begin(), rgb_.end(), 0);
    int cw = std::min(w(), p.width), ch = std::min(h(), p.height);
    for (int yy = 0; yy < ch; ++yy) {
      const Pixel* row = p.row(yy);
      unsigned char* out = &rgb_[static_cast<std::size_t>(yy) * w() * 3];
      for (int xx = 0; xx < cw; ++xx) {
        out[3 * xx] = static_cast<unsigned char>(row[xx] >> 16);
        out[3 * xx + 1] = static_cast<unsigned char>(row[xx] >> 8);
        out[3 * xx + 2] = static_cast<unsigned char>(row[xx]);
      }
    }
    redraw();
  }
  bool hand = false;
  std::function<void()> clicked;

 protected:
  void draw() override { fl_draw_image(rgb_.data(), x(), y(), w(), h(), 3); }
  int handle(int event) override {
    switch (event) {
      case FL_ENTER:
        if (hand && window()) window()->cursor(FL_CURSOR_HAND);
        return 1;
      case FL_LEAVE:
        if (window()) window()->cursor(FL_CURSOR_DEFAULT);
        return 1;
      case FL_PUSH: return 1;
      case FL_RELEASE:
        if (Fl::event_inside(this) && clicked) clicked();
        return 1;
      default: return Fl_Widget::handle(event);
    }
  }

 private:
  std::vector<unsigned char> rgb_;
};

class PictureBox : public FltkControl {
 public:
  explicit PictureBox(PictureWidget* p) : FltkControl(p), pic_(p) {
    pic_->clicked = [this] {
      if (on_click) on_click();
    };
  }
  void show_pixels(const PixelView& pixels) override { pic_->show(pixels); }
  void set_hand_cursor(bool on) override { pic_->hand = on; }

 private:
  PictureWidget* pic_;
};

// A group frame whose caption sits on its line, as dialogs draw them.
class FrameGroup : public Fl_Group {
 public:
  FrameGroup(int x, int y, int w, int h) : Fl_Group(x, y, w, h) {
    box(FL_NO_BOX);
    align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
    labelsize(kFontSize);
    labelfont(FL_HELVETICA_BOLD);
  }

 protected:
  void draw() override {
    if (damage() & ~FL_DAMAGE_CHILD) {
      fl_push_clip(x(), y(), w(), h());
      fl_color(parent() ? parent()->color() : color());
      fl_rectf(x(), y(), w(), h());
      int line = y() + kFontSize / 2;
      fl_draw_box(FL_ENGRAVED_FRAME, x(), line, w(), h() - (line - y()), FL_BACKGROUND_COLOR);
      if (label() && *label()) {
        fl_font(labelfont(), labelsize());
        int tw = 0, th = 0;
        fl_measure(label(), tw, th, 0);
        fl_color(parent() ? parent()->color() : color());
        fl_rectf(x() + 6, y(), tw + 4, th);
        fl_color(labelcolor());
        fl_draw(label(), x() + 8, y(), tw, th, FL_ALIGN_LEFT | FL_ALIGN_INSIDE, nullptr, 0);
      }
      fl_pop_clip();
    }
    draw_children();
  }
};

class FltkTabs;

// Adds controls to an FLTK group at positions relative to an origin; every
// control is owned by the window's store.
class FltkContainer : public Container {
 public:
  FltkContainer(Fl_Group* group, int ox, int oy, std::list<std::unique_ptr<Control>>* controls,
                std::list<std::unique_ptr<Container>>* containers)
      : group_(group), ox_(ox), oy_(oy), controls_(controls), containers_(containers) {}

  Control& add_label(PixelRect r, const std::string& caption, TextStyle style) override {
    auto* box = new Fl_Box(ox_ + r.x, oy_ + r.y, r.w, r.h);
    box->align(to_fl(style.align) | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
    if (style.bold) box->labelfont(FL_HELVETICA_BOLD);
    if (style.grey) box->labelcolor(kGreyText);
    return adopt<FltkControl>(box, caption);
  }
  Control& add_button(PixelRect r, const std::string& caption) override {
    return adopt<FltkControl>(new Fl_Button(ox_ + r.x, oy_ + r.y, r.w, r.h), caption);
  }
  Control& add_check_box(PixelRect r, const std::string& caption) override {
    return adopt<CheckBox>(new Fl_Check_Button(ox_ + r.x, oy_ + r.y, r.w, r.h), caption);
  }
  Control& add_text_box(PixelRect r) override {
    return adopt<TextBox>(new Fl_Input(ox_ + r.x, oy_ + r.y, r.w, r.h), "");
  }
  Control& add_scroll_bar(PixelRect r) override {
    return adopt<ScrollBar>(new Fl_Scrollbar(ox_ + r.x, oy_ + r.y, r.w, r.h), "");
  }
  Control& add_picture_box(PixelRect r) override {
    return adopt<PictureBox>(new PictureWidget(ox_ + r.x, oy_ + r.y, r.w, r.h), "");
  }
  Container& add_frame(PixelRect r, const std::string& caption, const std::string& tooltip) override {
    auto* frame = new FrameGroup(ox_ + r.x, oy_ + r.y, r.w, r.h);
    frame->end();
    group_->add(frame);
    auto& handle = adopt<FltkControl>(frame, caption);
    handle.set_tooltip(tooltip);
    containers_->push_back(std::make_unique<FltkContainer>(frame, ox_ + r.x, oy_ + r.y, controls_, containers_));
    return *containers_->back();
  }
  Tabs& add_tabs(PixelRect r, const std::vector<std::string>& captions) override;

 private:
  template <typename T, typename W>
  T& adopt(W* w, const std::string& caption) {
    if (w->parent() != group_) group_->add(w);
    auto c = std::make_unique<T>(w);
    c->set_caption(caption);
    T& ref = *c;
    controls_->push_back(std::move(c));
    return ref;
  }

  Fl_Group* group_;
  int ox_, oy_;
  std::list<std::unique_ptr<Control>>* controls_;
  std::list<std::unique_ptr<Container>>* containers_;
};

class FltkTabs : public Tabs {
 public:
  FltkTabs(PixelRect abs, const std::vector<std::string>& captions, std::list<std::unique_ptr<Control>>* controls,
           std::list<std::unique_ptr<Container>>* containers)
      : captions_(captions) {
    tabs_ = new Fl_Tabs(abs.x, abs.y, abs.w, abs.h);
    tabs_->labelsize(kFontSize);
    fl_font(FL_HELVETICA, kFontSize);
    const int row = fl_height() + 8;
    for (std::size_t i = 0; i < captions_.size(); ++i) {
      auto* page = new Fl_Group(abs.x, abs.y + row, abs.w, abs.h - row, captions_[i].c_str());
      page->labelsize(kFontSize);
      page->end();
      pages_.push_back(page);
      containers->push_back(std::make_unique<FltkContainer>(page, abs.x, abs.y, controls, containers));
      page_containers_.push_back(containers->back().get());
    }
    tabs_->end();
    tabs_->when(FL_WHEN_CHANGED);
    tabs_->callback(
        [](Fl_Widget*, void* self) {
          auto* me = static_cast<FltkTabs*>(self);
          if (me->on_change) me->on_change();
        },
        this);
  }
  Fl_Tabs* widget() { return tabs_; }
  Container& page(int i) override { return *page_containers_.at(static_cast<std::size_t>(i)); }
  int value() const override {
    Fl_Widget* shown = tabs_->value();
    for (std::size_t i = 0; i < pages_.size(); ++i)
      if (pages_[i] == shown) return static_cast<int>(i);
    return 0;
  }
  void set_value(int v) override {
    if (v >= 0 && static_cast<std::size_t>(v) < pages_.size()) tabs_->value(pages_[static_cast<std::size_t>(v)]);
  }
  void set_caption(const std::string&) override {}
  std::string caption() const override { return {}; }
  void set_tooltip(const std::string&) override {}

 private:
  Fl_Tabs* tabs_ = nullptr;
  std::vector<std::string> captions_;
  std::vector<Fl_Group*> pages_;
  std::vector<Container*> page_containers_;
};

Tabs& FltkContainer::add_tabs(PixelRect r, const std::vector<std::string>& captions) {
  auto t = std::make_unique<FltkTabs>(PixelRect{ox_ + r.x, oy_ + r.y, r.w, r.h}, captions, controls_, containers_);
  group_->add(t->widget());
  FltkTabs& ref = *t;
  controls_->push_back(std::move(t));
  return ref;
}

struct Geometry {
  int x = 0, y = 0, w = 0, h = 0;
};

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

// Asks window managers for a tool window's frame: a small caption with a
// close box and no box to minimise, maximise or resize it. The window type
// says what it is; the Motif hints, which most managers also read, take the
// functions and the decorations away one by one.
void mark_as_tool_window(Display* d, ::Window xid) {
  const Atom types[] = {XInternAtom(d, "_NET_WM_WINDOW_TYPE_UTILITY", False),
                        XInternAtom(d, "_NET_WM_WINDOW_TYPE_DIALOG", False)};
  XChangeProperty(d, xid, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(types), 2);
  // flags (functions | decorations), functions, decorations, input mode, status.
  constexpr long kFunctions = 1, kDecorations = 2;
  constexpr long kFuncMove = 4, kFuncClose = 32;
  constexpr long kDecorBorder = 2, kDecorTitle = 8, kDecorMenu = 16;
  const long motif[5] = {kFunctions | kDecorations, kFuncMove | kFuncClose, kDecorBorder | kDecorTitle | kDecorMenu, 0,
                         0};
  const Atom motif_hints = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  XChangeProperty(d, xid, motif_hints, motif_hints, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(motif),
                  5);
}

class FltkWindow : public Window {
 public:
  FltkWindow(int w, int h, const std::string& caption, WindowKind kind) : kind_(kind) {
    serve_fltk_from_loop();
    window_ = new Fl_Double_Window(w, h);
    window_->end();
    if (kind == WindowKind::kDialog) window_->size_range(w, h, w, h);  // fixed size: min = max
    root_ = std::make_unique<FltkContainer>(window_, 0, 0, &controls_, &containers_);
    set_caption(caption);
    window_->callback(
        [](Fl_Widget*, void* self) {
          auto* me = static_cast<FltkWindow*>(self);
          // A dialog has no cancel key: Escape leaves it open. Its buttons
          // and its close box are the ways out.
          if (me->kind_ == WindowKind::kDialog && Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
          if (me->on_close) me->on_close();
        },
        this);
  }
  ~FltkWindow() override {
    controls_.clear();
    containers_.clear();
    delete window_;
  }

  void set_caption(const std::string& caption) override {
    caption_ = caption;
    window_->copy_label(caption.c_str());
  }
  std::string caption() const override { return caption_; }

  void show() override {
    if (kind_ == WindowKind::kDialog && !window_->shown()) {
      // The window manager reads what the window is as it maps it; with the
      // server held it reads it only once the window says.
      fl_open_display();
      XGrabServer(fl_display);
      window_->show();
      mark_as_tool_window(fl_display, fl_xid(window_));
      XUngrabServer(fl_display);
      XFlush(fl_display);
    } else {
      window_->show();
    }
    // Drawn before anybody can see it, so that a window that can be found
    // on the screen also shows its content.
    window_->wait_for_expose();
    Fl::flush();
    Display* d = fl_display;
    // A window manager frames the window some moments after it is mapped;
    // its outer size is only known from then on.
    if (window_manager_running())
      settle(500, [&] { return window_->shown() && outermost(d, fl_xid(window_)) != fl_xid(window_); });
    else settle(200, [&] { return window_->shown() != 0; });
    Fl::flush();
  }
  bool shown() const override { return window_->shown() != 0; }

  int outer_width() const override { return shown() ? outer_geometry(fl_display, fl_xid(window_)).w : window_->w(); }
  int outer_height() const override { return shown() ? outer_geometry(fl_display, fl_xid(window_)).h : window_->h(); }

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
  Container& client_area() override { return *root_; }

  WindowKind kind_;
  Fl_Double_Window* window_ = nullptr;
  std::string caption_;
  std::list<std::unique_ptr<Control>> controls_;  // stable addresses
  std::list<std::unique_ptr<Container>> containers_;
  std::unique_ptr<FltkContainer> root_;
};

}  // namespace

bool windows_available() {
  if (fl_display) return true;
  // FLTK ends the process when it finds no X display; ask first.
  static const bool available = [] {
    Display* d = XOpenDisplay(nullptr);
    if (d) XCloseDisplay(d);
    return d != nullptr;
  }();
  return available;
}

std::unique_ptr<Window> create_window(int client_width, int client_height, const std::string& caption,
                                      WindowKind kind) {
  return std::make_unique<FltkWindow>(client_width, client_height, caption, kind);
}

void show_message(const std::string& title, const std::string& text) {
  serve_fltk_from_loop();
  fl_font(FL_HELVETICA, kFontSize);
  int tw = 360, th = 0;
  fl_measure(text.c_str(), tw, th, 0);
  int w = std::max(240, std::min(tw, 420) + 32), h = th + 72;
  auto* win = new Fl_Window(w, h);
  win->copy_label(title.c_str());
  auto* box = new Fl_Box(16, 12, w - 32, th + 8);
  box->copy_label(text.c_str());
  box->labelsize(kFontSize);
  box->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  auto* ok = new Fl_Button(w - 96, h - 36, 80, 25, "OK");
  ok->labelsize(kFontSize);
  auto close = [](Fl_Widget* wdg, void*) {
    Fl_Window* top = wdg->as_window() ? wdg->as_window() : wdg->window();
    top->hide();
    Fl::delete_widget(top);
  };
  ok->callback(close);
  win->callback(close);
  win->end();
  win->set_non_modal();
  win->show();
}

}  // namespace vex::ui
