#include "os/linux/wayland_window.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/failure.h"
#include "os/event_loop.h"
#include <xdg-output-unstable-v1-client-protocol.h>
#include <xdg-shell-client-protocol.h>

namespace vex::wayland {
namespace {

// Measured on a headless compositor at 1024 x 768 and 1920 x 1080 with every
// creature on (scripts/measure sway): our own buffers cost less than the
// same frames through XWayland, whose server copies each frame once more.
constexpr bool kNativeCheaperThanXWayland = true;

class Window;

struct Output {
  uint32_t name = 0;
  wl_output* output = nullptr;
  zxdg_output_v1* xdg = nullptr;
  int x = 0, y = 0;            // wl_output's position
  int mode_w = 0, mode_h = 0;  // its current mode, in device pixels
  int scale = 1;
  int logical_x = 0, logical_y = 0, logical_w = 0, logical_h = 0;  // xdg-output's view
  bool logical = false;
  PixelRect monitor() const {
    if (logical && logical_w > 0 && logical_h > 0) return {logical_x, logical_y, logical_w, logical_h};
    const int s = std::max(scale, 1);
    return {x, y, mode_w / s, mode_h / s};
  }
};

struct Seat {
  uint32_t name = 0;
  wl_seat* seat = nullptr;
  wl_pointer* pointer = nullptr;
  wl_keyboard* keyboard = nullptr;
  uint32_t pointer_serial = 0;
  wl_surface* pointer_over = nullptr;
  wl_surface* keyboard_focus = nullptr;
};

struct Connection {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  uint32_t compositor_version = 0;
  wl_shm* shm = nullptr;
  xdg_wm_base* wm_base = nullptr;
  zxdg_output_manager_v1* output_manager = nullptr;
  std::vector<std::unique_ptr<Output>> outputs;
  std::vector<std::unique_ptr<Seat>> seats;
  std::vector<Window*> windows;
  bool cursor_shown = true;
  bool lost = false;
};

Connection* connection = nullptr;
bool cursor_wanted = true;  // the cursor count's word, kept while no compositor is connected

// May protocol objects still be touched? Not once the connection is closed
// (windows a module's state holds at exit outlive it) or lost.
bool live() { return connection && !connection->lost; }

// A protocol error or a compositor gone: nothing can be shown any more.
void check_connection() {
  if (!connection || connection->lost) return;
  if (wl_display_get_error(connection->display) == 0) return;
  connection->lost = true;
  report_display_lost();
}

// Reads what the compositor sent, waiting at most timeout_ms for it, and
// runs the handlers; sends what we queued.
void dispatch(int timeout_ms) {
  if (!connection || connection->lost) return;
  wl_display* d = connection->display;
  while (wl_display_prepare_read(d) != 0) {
    if (wl_display_dispatch_pending(d) < 0) return check_connection();
  }
  // A full socket only delays what we send; the next round sends it.
  if (wl_display_flush(d) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(d);
    return check_connection();
  }
  pollfd p{wl_display_get_fd(d), POLLIN, 0};
  const int ready = poll(&p, 1, timeout_ms);
  if (ready > 0 && (p.revents & (POLLIN | POLLERR | POLLHUP))) {
    if (wl_display_read_events(d) < 0) return check_connection();
  } else {
    wl_display_cancel_read(d);
  }
  if (wl_display_dispatch_pending(d) < 0) return check_connection();
  check_connection();
}

// Waits for the compositor to answer everything asked so far.
bool roundtrip() {
  if (!connection || connection->lost) return false;
  if (wl_display_roundtrip(connection->display) < 0) {
    check_connection();
    return false;
  }
  return true;
}

Window* window_of(wl_surface* s);

// --- outputs -------------------------------------------------------------

void output_geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*,
                     int32_t) {
  auto* o = static_cast<Output*>(data);
  o->x = x;
  o->y = y;
}
void output_mode(void* data, wl_output*, uint32_t flags, int32_t w, int32_t h, int32_t) {
  auto* o = static_cast<Output*>(data);
  if (flags & WL_OUTPUT_MODE_CURRENT) {
    o->mode_w = w;
    o->mode_h = h;
  }
}
void output_done(void*, wl_output*) {}
void output_scale(void* data, wl_output*, int32_t factor) { static_cast<Output*>(data)->scale = factor; }
void output_name(void*, wl_output*, const char*) {}
void output_description(void*, wl_output*, const char*) {}
const wl_output_listener output_listener = {output_geometry, output_mode, output_done,
                                            output_scale,    output_name, output_description};

void xdg_output_position(void* data, zxdg_output_v1*, int32_t x, int32_t y) {
  auto* o = static_cast<Output*>(data);
  o->logical_x = x;
  o->logical_y = y;
  o->logical = true;
}
void xdg_output_size(void* data, zxdg_output_v1*, int32_t w, int32_t h) {
  auto* o = static_cast<Output*>(data);
  o->logical_w = w;
  o->logical_h = h;
  o->logical = true;
}
void xdg_output_done(void*, zxdg_output_v1*) {}
void xdg_output_name(void*, zxdg_output_v1*, const char*) {}
void xdg_output_description(void*, zxdg_output_v1*, const char*) {}
const zxdg_output_v1_listener xdg_output_listener = {xdg_output_position, xdg_output_size, xdg_output_done,
                                                     xdg_output_name, xdg_output_description};

void describe_output(Output& o) {
  if (connection->output_manager && !o.xdg) {
    o.xdg = zxdg_output_manager_v1_get_xdg_output(connection->output_manager, o.output);
    zxdg_output_v1_add_listener(o.xdg, &xdg_output_listener, &o);
  }
}

// --- input ---------------------------------------------------------------

void hide_pointer(Seat& s) {
  if (!live()) return;
  if (s.pointer && s.pointer_over && !connection->cursor_shown)
    wl_pointer_set_cursor(s.pointer, s.pointer_serial, nullptr, 0, 0);
}

void pointer_enter(void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t, wl_fixed_t) {
  auto* s = static_cast<Seat*>(data);
  s->pointer_serial = serial;
  s->pointer_over = window_of(surface) ? surface : nullptr;
  hide_pointer(*s);
}
void pointer_leave(void* data, wl_pointer*, uint32_t, wl_surface*) { static_cast<Seat*>(data)->pointer_over = nullptr; }
void pointer_motion(void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {}
void pointer_button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state);
void pointer_axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void pointer_frame(void*, wl_pointer*) {}
void pointer_axis_source(void*, wl_pointer*, uint32_t) {}
void pointer_axis_stop(void*, wl_pointer*, uint32_t, uint32_t) {}
void pointer_axis_discrete(void*, wl_pointer*, uint32_t, int32_t) {}
void pointer_axis_value120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener pointer_listener = {
    pointer_enter, pointer_leave,       pointer_motion,    pointer_button,        pointer_axis,
    pointer_frame, pointer_axis_source, pointer_axis_stop, pointer_axis_discrete, pointer_axis_value120};

void keyboard_keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { ::close(fd); }
void keyboard_enter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  // The keys already down as the focus arrives were pressed before the saver
  // was there: only a key pressed now ends it.
  static_cast<Seat*>(data)->keyboard_focus = surface;
}
void keyboard_leave(void* data, wl_keyboard*, uint32_t, wl_surface*) {
  static_cast<Seat*>(data)->keyboard_focus = nullptr;
}
void keyboard_key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state);
void keyboard_modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void keyboard_repeat_info(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboard_listener = {keyboard_keymap, keyboard_enter,     keyboard_leave,
                                                keyboard_key,    keyboard_modifiers, keyboard_repeat_info};

void seat_capabilities(void* data, wl_seat* seat, uint32_t caps) {
  auto* s = static_cast<Seat*>(data);
  const bool pointer = caps & WL_SEAT_CAPABILITY_POINTER, keyboard = caps & WL_SEAT_CAPABILITY_KEYBOARD;
  if (pointer && !s->pointer) {
    s->pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(s->pointer, &pointer_listener, s);
  } else if (!pointer && s->pointer) {
    wl_pointer_destroy(s->pointer);
    s->pointer = nullptr;
    s->pointer_over = nullptr;
  }
  if (keyboard && !s->keyboard) {
    s->keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(s->keyboard, &keyboard_listener, s);
  } else if (!keyboard && s->keyboard) {
    wl_keyboard_destroy(s->keyboard);
    s->keyboard = nullptr;
    s->keyboard_focus = nullptr;
  }
}
void seat_name(void*, wl_seat*, const char*) {}
const wl_seat_listener seat_listener = {seat_capabilities, seat_name};

void forget_seat(Seat& s) {
  if (s.pointer) wl_pointer_destroy(s.pointer);
  if (s.keyboard) wl_keyboard_destroy(s.keyboard);
  wl_seat_destroy(s.seat);
}

// --- the registry --------------------------------------------------------

void wm_base_ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener wm_base_listener = {wm_base_ping};

void global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  Connection& c = *connection;
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !c.compositor) {
    c.compositor_version = std::min(version, 4u);
    c.compositor =
        static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, c.compositor_version));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !c.shm) {
    c.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !c.wm_base) {
    c.wm_base = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(c.wm_base, &wm_base_listener, nullptr);
  } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !c.output_manager) {
    c.output_manager = static_cast<zxdg_output_manager_v1*>(
        wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 2u)));
    for (auto& o : c.outputs) describe_output(*o);
  } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
    auto o = std::make_unique<Output>();
    o->name = name;
    o->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
    wl_output_add_listener(o->output, &output_listener, o.get());
    describe_output(*o);
    c.outputs.push_back(std::move(o));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0) {
    auto s = std::make_unique<Seat>();
    s->name = name;
    s->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u)));
    wl_seat_add_listener(s->seat, &seat_listener, s.get());
    c.seats.push_back(std::move(s));
  }
}

void forget_output(Output& o) {
  if (o.xdg) zxdg_output_v1_destroy(o.xdg);
  wl_output_destroy(o.output);
}

void global_remove(void*, wl_registry*, uint32_t name);
const wl_registry_listener registry_listener = {global, global_remove};

// --- windows -------------------------------------------------------------

// One shared-memory buffer the compositor reads a frame from.
struct Buffer {
  wl_buffer* buffer = nullptr;
  Pixel* pixels = nullptr;
  std::size_t bytes = 0;
  int width = 0, height = 0;
  bool busy = false;  // the compositor may be reading it
  // What changed in the canvas since this buffer last took it whole.
  std::vector<PixelRect> owed;
  bool owes_all = true;
  ~Buffer() {
    if (buffer && live()) wl_buffer_destroy(buffer);
    if (pixels) munmap(pixels, bytes);
  }
};

void buffer_release(void* data, wl_buffer*) { static_cast<Buffer*>(data)->busy = false; }
const wl_buffer_listener buffer_listener = {buffer_release};

std::unique_ptr<Buffer> new_buffer(int width, int height) {
  auto b = std::make_unique<Buffer>();
  b->width = width;
  b->height = height;
  b->bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  const int fd = memfd_create("vexmoor-frame", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  if (ftruncate(fd, static_cast<off_t>(b->bytes)) != 0) {
    ::close(fd);
    return nullptr;
  }
  void* p = mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) {
    ::close(fd);
    return nullptr;
  }
  b->pixels = static_cast<Pixel*>(p);
  wl_shm_pool* pool = wl_shm_create_pool(connection->shm, fd, static_cast<int32_t>(b->bytes));
  // Our pixels are 0x00RRGGBB words: the layout every compositor must take.
  b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  ::close(fd);
  wl_buffer_add_listener(b->buffer, &buffer_listener, b.get());
  return b;
}

Output* output_for(const PixelRect& m) {
  for (auto& o : connection->outputs)
    if (o->monitor() == m) return o.get();
  return connection->outputs.empty() ? nullptr : connection->outputs.front().get();
}

class Window : public FullScreenWindow {
 public:
  explicit Window(const PixelRect& where) : width_(std::max(where.w, 1)), height_(std::max(where.h, 1)) {
    Connection& c = *connection;
    if (Output* o = output_for(where)) output_name_ = o->name;
    surface_ = wl_compositor_create_surface(c.compositor);
    if (!surface_) throw Failure(kNoObject, "the compositor made no surface");
    c.windows.push_back(this);
    canvas_ = Bitmap(width_, height_, 0);
  }
  ~Window() override {
    on_seen_changed = nullptr;  // going: nobody is to be told
    unmap();
    buffers_.clear();
    if (!connection) return;
    auto& w = connection->windows;
    w.erase(std::remove(w.begin(), w.end(), this), w.end());
    if (!live()) return;
    wl_surface_destroy(surface_);
    wl_display_flush(connection->display);
  }
  wl_surface* surface() const { return surface_; }

  int width() const override { return width_; }
  int height() const override { return height_; }
  PixelView canvas() override { return canvas_.view(); }
  void update() override {
    const PixelRect all{0, 0, width_, height_};
    present({&all, 1});
  }
  void update_parts(std::span<const PixelRect> parts) override { present(parts); }
  void show() override {
    if (!toplevel_) map();
    visible_ = true;
    update();
  }
  void hide() override {
    unmap();
    visible_ = false;
  }
  bool visible() const override { return visible_; }
  // The compositor asks for the next frame only where the last one can be
  // seen: an output powered down, or a surface shown nowhere, gets no frame
  // callback. Until it comes, a frame drawn for this window is wasted.
  bool seen() const override {
    if (!frame_callback_) return true;
    told_unseen_ = true;
    return false;
  }
  // A full-screen surface is above the desktop's windows on its output
  // already; Wayland lets no client put itself above others.
  void set_topmost(bool) override {}

  void key_pressed() {
    if (on_key) on_key();
  }
  void clicked() {
    if (on_click) on_click();
  }

 private:
  static void surface_configure(void* data, xdg_surface* s, uint32_t serial) {
    auto* w = static_cast<Window*>(data);
    xdg_surface_ack_configure(s, serial);
    w->configured_ = true;
    if (w->pending_w_ > 0 && w->pending_h_ > 0 && (w->pending_w_ != w->width_ || w->pending_h_ != w->height_))
      w->resize(w->pending_w_, w->pending_h_);
    if (w->visible_) w->update();
  }
  static void toplevel_configure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    auto* w = static_cast<Window*>(data);
    // 0 leaves the size to us: the output's.
    w->pending_w_ = width;
    w->pending_h_ = height;
  }
  static void toplevel_close(void* data, xdg_toplevel*) {
    auto* w = static_cast<Window*>(data);
    if (w->on_close) w->on_close();
  }
  static void frame_done(void* data, wl_callback* cb, uint32_t) {
    auto* w = static_cast<Window*>(data);
    wl_callback_destroy(cb);
    if (w->frame_callback_ == cb) w->frame_callback_ = nullptr;
    if (w->told_unseen_) {
      w->told_unseen_ = false;
      if (w->on_seen_changed) w->on_seen_changed();
    }
  }
  static constexpr wl_callback_listener frame_listener_ = {frame_done};
  void forget_frame_callback() {
    if (frame_callback_ && live()) wl_callback_destroy(frame_callback_);
    frame_callback_ = nullptr;
    if (told_unseen_) {
      told_unseen_ = false;
      if (on_seen_changed) on_seen_changed();
    }
  }
  static void toplevel_bounds(void*, xdg_toplevel*, int32_t, int32_t) {}
  static void toplevel_capabilities(void*, xdg_toplevel*, wl_array*) {}
  static constexpr xdg_surface_listener surface_listener_ = {surface_configure};
  static constexpr xdg_toplevel_listener toplevel_listener_ = {toplevel_configure, toplevel_close, toplevel_bounds,
                                                               toplevel_capabilities};

  void map() {
    Connection& c = *connection;
    xdg_surface_ = xdg_wm_base_get_xdg_surface(c.wm_base, surface_);
    xdg_surface_add_listener(xdg_surface_, &surface_listener_, this);
    toplevel_ = xdg_surface_get_toplevel(xdg_surface_);
    xdg_toplevel_add_listener(toplevel_, &toplevel_listener_, this);
    xdg_toplevel_set_title(toplevel_, "Vexmoor");
    xdg_toplevel_set_app_id(toplevel_, "vexmoor");
    wl_output* on = nullptr;
    for (auto& o : c.outputs)
      if (o->name == output_name_) on = o->output;
    xdg_toplevel_set_fullscreen(toplevel_, on);
    configured_ = false;
    wl_surface_commit(surface_);
    // No buffer may be shown before the compositor's first answer; it gives
    // the size the surface is to have.
    for (int i = 0; i < 50 && !configured_ && !c.lost; ++i) dispatch(100);
    if (!configured_) std::fputs("vexmoor: the compositor did not answer for a full-screen surface\n", stderr);
  }
  void unmap() {
    if (!toplevel_) return;
    forget_frame_callback();
    if (live()) {
      wl_surface_attach(surface_, nullptr, 0, 0);
      wl_surface_commit(surface_);
      xdg_toplevel_destroy(toplevel_);
      xdg_surface_destroy(xdg_surface_);
    }
    toplevel_ = nullptr;
    xdg_surface_ = nullptr;
    configured_ = false;
    for (auto& b : buffers_) b->busy = false;
  }
  void resize(int w, int h) {
    width_ = w;
    height_ = h;
    canvas_ = Bitmap(w, h, 0);
    // The buffers of the old size go as the compositor gives them back.
    std::erase_if(buffers_, [](const std::unique_ptr<Buffer>& b) { return !b->busy; });
    for (auto& b : buffers_) b->owes_all = true;
    note_renewed();
    if (on_resize) on_resize(w, h);
  }
  Buffer* free_buffer() {
    for (auto& b : buffers_)
      if (!b->busy && b->width == width_ && b->height == height_) return b.get();
    std::erase_if(buffers_, [&](const std::unique_ptr<Buffer>& b) {
      return !b->busy && (b->width != width_ || b->height != height_);
    });
    // Two let us draw one frame while the compositor shows the other; a
    // third covers a compositor slow to give them back.
    if (buffers_.size() >= 3) return nullptr;
    auto b = new_buffer(width_, height_);
    if (!b) return nullptr;
    buffers_.push_back(std::move(b));
    return buffers_.back().get();
  }
  void copy_part(Buffer& b, const PixelRect& r) {
    const PixelRect c = clip_rect(r, width_, height_);
    if (c.empty()) return;
    const PixelView from = canvas_.view();
    for (int y = c.y; y < c.y + c.h; ++y)
      std::memcpy(b.pixels + static_cast<std::ptrdiff_t>(y) * width_ + c.x, from.row(y) + c.x,
                  static_cast<std::size_t>(c.w) * 4);
  }
  void present(std::span<const PixelRect> parts) {
    if (!visible_ || !configured_ || !live()) return;
    // What is not shown now is owed to every buffer, shown or not.
    for (auto& b : buffers_) owe(*b, parts);
    Buffer* b = free_buffer();
    if (!b) {
      // The compositor holds every buffer: these parts go with the next frame.
      pending_damage_.insert(pending_damage_.end(), parts.begin(), parts.end());
      if (pending_damage_.size() > 64) pending_damage_.assign(1, PixelRect{0, 0, width_, height_});
      return;
    }
    if (b->owes_all) {
      copy_part(*b, {0, 0, width_, height_});
    } else {
      for (const PixelRect& r : b->owed) copy_part(*b, r);
    }
    b->owed.clear();
    b->owes_all = false;
    wl_surface_attach(surface_, b->buffer, 0, 0);
    if (connection->compositor_version >= 4) {
      for (const PixelRect& r : pending_damage_) wl_surface_damage_buffer(surface_, r.x, r.y, r.w, r.h);
      for (const PixelRect& r : parts) wl_surface_damage_buffer(surface_, r.x, r.y, r.w, r.h);
    } else {
      // Buffer and surface coordinates are the same: the scale stays 1.
      for (const PixelRect& r : pending_damage_) wl_surface_damage(surface_, r.x, r.y, r.w, r.h);
      for (const PixelRect& r : parts) wl_surface_damage(surface_, r.x, r.y, r.w, r.h);
    }
    pending_damage_.clear();
    // One request at a time: its answer says this frame was shown.
    if (!frame_callback_) {
      frame_callback_ = wl_surface_frame(surface_);
      wl_callback_add_listener(frame_callback_, &frame_listener_, this);
    }
    wl_surface_commit(surface_);
    b->busy = true;
    wl_display_flush(connection->display);
  }
  void owe(Buffer& b, std::span<const PixelRect> parts) {
    if (b.owes_all) return;
    for (const PixelRect& r : parts) {
      if (r.x <= 0 && r.y <= 0 && r.x + r.w >= width_ && r.y + r.h >= height_) {
        b.owes_all = true;
        b.owed.clear();
        return;
      }
      b.owed.push_back(r);
    }
    // A long list costs more to walk than one whole copy.
    if (b.owed.size() > 64) {
      b.owes_all = true;
      b.owed.clear();
    }
  }

  wl_surface* surface_ = nullptr;
  xdg_surface* xdg_surface_ = nullptr;
  xdg_toplevel* toplevel_ = nullptr;
  uint32_t output_name_ = 0;  // the output it is full screen on, by the compositor's name for it
  int width_, height_;
  int pending_w_ = 0, pending_h_ = 0;
  bool configured_ = false;
  bool visible_ = false;
  Bitmap canvas_;
  std::vector<std::unique_ptr<Buffer>> buffers_;
  std::vector<PixelRect> pending_damage_;
  wl_callback* frame_callback_ = nullptr;  // asked with the last frame, not yet answered
  mutable bool told_unseen_ = false;       // seen() said no: its answer must be passed on
};

Window* window_of(wl_surface* s) {
  if (!connection || !s) return nullptr;
  for (Window* w : connection->windows)
    if (w->surface() == s) return w;
  return nullptr;
}

// Input goes to the window it happened over; the saver's windows cover
// every output, so input over none of them is theirs too.
Window* input_target(wl_surface* s) {
  if (Window* w = window_of(s)) return w;
  return connection && !connection->windows.empty() ? connection->windows.front() : nullptr;
}

void pointer_button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state != WL_POINTER_BUTTON_STATE_PRESSED) return;
  if (Window* w = input_target(static_cast<Seat*>(data)->pointer_over)) w->clicked();
}

void keyboard_key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
  if (Window* w = input_target(static_cast<Seat*>(data)->keyboard_focus)) w->key_pressed();
}

void global_remove(void*, wl_registry*, uint32_t name) {
  Connection& c = *connection;
  // A window on an output that went keeps its surface; the monitor check
  // that follows opens the windows anew for the outputs there are now.
  std::erase_if(c.outputs, [&](const std::unique_ptr<Output>& o) {
    if (o->name != name) return false;
    forget_output(*o);
    return true;
  });
  std::erase_if(c.seats, [&](const std::unique_ptr<Seat>& s) {
    if (s->name != name) return false;
    forget_seat(*s);
    return true;
  });
}

bool set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

}  // namespace

Choice choice_for_full_screen() {
  if (const char* driver = std::getenv("SDL_VIDEODRIVER"); driver && *driver)
    return std::strcmp(driver, "wayland") == 0 ? Choice::kRequired : Choice::kNo;
  if (!set("WAYLAND_DISPLAY")) return Choice::kNo;
  if (!set("DISPLAY")) return Choice::kRequired;
  return kNativeCheaperThanXWayland ? Choice::kPreferred : Choice::kNo;
}

std::optional<ScreenSize> open(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    close();
    return std::nullopt;
  };
  if (connection) {
    const std::vector<PixelRect> all = monitors();
    if (all.empty()) return fail("the Wayland compositor has no output");
    return ScreenSize{all.front().w, all.front().h};
  }
  wl_display* d = wl_display_connect(nullptr);
  if (!d) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    return fail(std::string("cannot connect to the Wayland compositor (WAYLAND_DISPLAY=") + (name ? name : "(unset)") +
                "): " + std::strerror(errno));
  }
  connection = new Connection;
  connection->cursor_shown = cursor_wanted;
  connection->display = d;
  connection->registry = wl_display_get_registry(d);
  wl_registry_add_listener(connection->registry, &registry_listener, nullptr);
  // The globals, then what each output and seat says of itself.
  if (!roundtrip() || !roundtrip()) return fail("the Wayland compositor went away while starting");
  if (!connection->compositor || !connection->shm)
    return fail("the Wayland compositor offers no shared-memory surfaces");
  if (!connection->wm_base) return fail("the Wayland compositor offers no full-screen windows (xdg-shell)");
  const std::vector<PixelRect> all = monitors();
  if (all.empty()) return fail("the Wayland compositor has no output");
  event_loop().add_pump([] { dispatch(0); });
  event_loop().set_waiter([](int ms) { dispatch(ms); });
  return ScreenSize{all.front().w, all.front().h};
}

bool is_open() { return connection != nullptr; }

void close() {
  if (!connection) return;
  Connection* c = connection;
  if (!c->lost) {
    // Windows still held by the program's state are its to destroy; they
    // find no connection then and leave the protocol objects be.
    for (auto& s : c->seats) forget_seat(*s);
    for (auto& o : c->outputs) forget_output(*o);
    if (c->output_manager) zxdg_output_manager_v1_destroy(c->output_manager);
    if (c->wm_base) xdg_wm_base_destroy(c->wm_base);
    if (c->shm) wl_shm_destroy(c->shm);
    if (c->compositor) wl_compositor_destroy(c->compositor);
    if (c->registry) wl_registry_destroy(c->registry);
    wl_display_flush(c->display);
    wl_display_disconnect(c->display);
  }
  connection = nullptr;
  delete c;
}

std::vector<PixelRect> monitors() {
  std::vector<PixelRect> list;
  if (!connection) return list;
  for (const auto& o : connection->outputs) {
    const PixelRect m = o->monitor();
    if (!m.empty() && std::find(list.begin(), list.end(), m) == list.end()) list.push_back(m);
  }
  return list;
}

std::unique_ptr<FullScreenWindow> create_window(const PixelRect& where) {
  if (!connection) throw Failure(kNoObject, "no Wayland compositor");
  return std::make_unique<Window>(where);
}

void show_cursor(bool shown) {
  cursor_wanted = shown;
  if (!live()) return;
  connection->cursor_shown = shown;
  for (auto& s : connection->seats) hide_pointer(*s);
}

}  // namespace vex::wayland
