// Drawing into a window that belongs to someone else: a screen-saver
// daemon's window, its settings window's preview, or the root window. Such a
// window has its own visual and depth, and its own size, which may change.
// A window too large to draw pixel for pixel gets a bounded canvas, stretched
// over it a band of rows at a time.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/failure.h"
#include "os/event_loop.h"
#include "os/linux/x11_power.h"
#include "os/window.h"

namespace vex {
namespace {

// How one channel of our 0x00RRGGBB pixels lands in the visual's pixel.
struct ChannelMap {
  int shift = 0;  // where the channel's top bit goes, less 7
  unsigned long mask = 0;
  explicit ChannelMap(unsigned long m) : mask(m) {
    if (!m) return;
    int top = 63;
    while (top > 0 && !((m >> top) & 1)) --top;
    shift = top - 7;
  }
  unsigned long place(unsigned v) const {
    unsigned long x = shift >= 0 ? static_cast<unsigned long>(v) << shift : static_cast<unsigned long>(v) >> -shift;
    return x & mask;
  }
};

class X11AttachedWindow : public FullScreenWindow {
 public:
  explicit X11AttachedWindow(unsigned long id) {
    // A connection of our own: events of this window come here, whatever
    // the rest of the program has open.
    d_ = XOpenDisplay(nullptr);
    if (!d_) throw Failure(kNoObject, "no X display");
    window_ = id ? id : DefaultRootWindow(d_);
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d_, window_, &a)) {
      XCloseDisplay(d_);
      d_ = nullptr;
      throw Failure(kNoObject, "no such window");
    }
    visual_ = a.visual;
    depth_ = a.depth;
    red_ = ChannelMap(visual_->red_mask);
    green_ = ChannelMap(visual_->green_mask);
    blue_ = ChannelMap(visual_->blue_mask);
    // A visual deeper than its colour channels (the 32-bit one compositing
    // managers offer) holds alpha in the bits left: they must say opaque, or
    // under a compositor everything drawn is see-through.
    const unsigned long colour = visual_->red_mask | visual_->green_mask | visual_->blue_mask;
    const unsigned long all = depth_ >= 32 ? 0xFFFFFFFFul : (1ul << depth_) - 1;
    alpha_ = all & ~colour;
    XSelectInput(d_, window_, StructureNotifyMask | ExposureMask);
    gc_ = XCreateGC(d_, window_, 0, nullptr);
    int major = 0, minor = 0;
    Bool pixmaps = False;
    use_shm_ = XShmQueryVersion(d_, &major, &minor, &pixmaps) == True && !getenv_is_set("VEXMOOR_NO_SHM");
    make_image(a.width, a.height);
    power_watch_ = x11_power::watch([this] {
      if (on_seen_changed) on_seen_changed();
    });
    event_loop().add_pump([this, alive = alive_] {
      if (*alive) watch();
    });
    // SDL's own wait, with none of its windows shown, wakes every
    // millisecond to look for events: a thousand wakeups a second, which
    // cost more than drawing the scene. Between frames we sleep on this
    // connection instead; a signal cuts the sleep short as it would SDL's.
    EventLoop::Waiter previous = event_loop().waiter();
    event_loop().set_waiter([previous, alive = alive_, d = d_](int ms) {
      if (!*alive) {
        if (previous) previous(ms);
        return;
      }
      if (XEventsQueued(d, QueuedAlready) > 0) return;
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      ::poll(&p, 1, ms);
    });
  }
  ~X11AttachedWindow() override {
    x11_power::unwatch(power_watch_);
    *alive_ = false;
    if (!d_) return;
    free_image();
    XFreeGC(d_, gc_);
    XCloseDisplay(d_);
  }

  int width() const override { return canvas_.width(); }
  int height() const override { return canvas_.height(); }
  PixelView canvas() override { return gone_ ? PixelView{} : canvas_.view(); }

  void update() override {
    const PixelRect all{0, 0, canvas_.width(), canvas_.height()};
    update_parts({&all, 1});
  }
  void update_parts(std::span<const PixelRect> parts) override {
    if (gone_ || !image_) return;
    for (const PixelRect& p : parts) {
      const PixelRect r = clip_rect(p, canvas_.width(), canvas_.height());
      if (r.empty()) continue;
      if (stretched_) {
        put_stretched(r);
        continue;
      }
      if (!direct_) convert(r);
      if (use_shm_) XShmPutImage(d_, window_, gc_, image_, r.x, r.y, r.x, r.y, r.w, r.h, False);
      else XPutImage(d_, window_, gc_, image_, r.x, r.y, r.x, r.y, r.w, r.h);
    }
    XFlush(d_);
  }
  // The window is the daemon's to show and hide.
  void show() override { update(); }
  void hide() override {}
  bool visible() const override { return !gone_; }
  bool seen() const override { return !x11_power::display_asleep(); }
  void set_topmost(bool) override {}

 private:
  static bool getenv_is_set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  }

  void make_image(int w, int h) {
    free_image();
    note_renewed();
    window_w_ = std::max(w, 1);
    window_h_ = std::max(h, 1);
    const ScreenSize c = stretched_canvas_size(window_w_, window_h_);
    canvas_ = Bitmap(c.width, c.height, 0);
    stretched_ = c.width != window_w_ || c.height != window_h_;
    if (stretched_) {
      make_band();
      return;
    }
    w = canvas_.width();
    h = canvas_.height();
    // Our pixels already are the visual's when it is the usual 24-bit
    // true-colour one: the image then reads them in place.
    if (use_shm_) {
      image_ = XShmCreateImage(d_, visual_, depth_, ZPixmap, nullptr, &shm_, w, h);
      if (image_) {
        shm_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * h, IPC_CREAT | 0600);
        shm_.shmaddr = shm_.shmid >= 0 ? static_cast<char*>(shmat(shm_.shmid, nullptr, 0)) : nullptr;
        if (shm_.shmaddr == reinterpret_cast<char*>(-1)) shm_.shmaddr = nullptr;
        shm_.readOnly = False;
        if (shm_.shmaddr && XShmAttach(d_, &shm_)) {
          XSync(d_, False);
          // Marked for removal now: it goes when both sides have let go,
          // even if we end without a word.
          shmctl(shm_.shmid, IPC_RMID, nullptr);
          image_->data = shm_.shmaddr;
          direct_ = false;
          return;
        }
        if (shm_.shmaddr) shmdt(shm_.shmaddr);
        if (shm_.shmid >= 0) shmctl(shm_.shmid, IPC_RMID, nullptr);
        image_->data = nullptr;
        XDestroyImage(image_);
        image_ = nullptr;
      }
      use_shm_ = false;
    }
    direct_ =
        depth_ == 24 && visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
    if (direct_) {
      image_ = XCreateImage(d_, visual_, depth_, ZPixmap, 0, reinterpret_cast<char*>(canvas_.view().pixels), w, h, 32,
                            w * 4);
      if (image_ && image_->bits_per_pixel == 32) return;
      if (image_) {
        image_->data = nullptr;
        XDestroyImage(image_);
      }
      direct_ = false;
    }
    image_ = XCreateImage(d_, visual_, depth_, ZPixmap, 0, nullptr, w, h, 32, 0);
    if (image_) image_->data = static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line), h));
  }

  // The image for a stretched canvas: a band of the window's rows, a few
  // megabytes however large the window, refilled and sent band after band.
  // Sent without shared memory, so the band may be refilled at once.
  void make_band() {
    direct_ = false;
    band_rows_ = static_cast<int>(std::clamp<long long>(kBandBytes / (4ll * window_w_), 1, window_h_));
    image_ = XCreateImage(d_, visual_, depth_, ZPixmap, 0, nullptr, window_w_, band_rows_, 32, 0);
    if (image_) image_->data = static_cast<char*>(std::calloc(static_cast<size_t>(image_->bytes_per_line), band_rows_));
    columns_.resize(window_w_);
    for (int x = 0; x < window_w_; ++x)
      columns_[x] = static_cast<int>(static_cast<long long>(x) * canvas_.width() / window_w_);
  }

  // The window's pixels that show the canvas's r, stretched: window column
  // X shows canvas column floor(X * canvas width / window width), so those
  // showing r.x .. r.x + r.w - 1 run from ceil(r.x * W / w) to before
  // ceil((r.x + r.w) * W / w); rows alike.
  void put_stretched(const PixelRect& r) {
    const PixelView v = canvas_.view();
    auto first = [](long long c, long long to, long long from) { return static_cast<int>((c * to + from - 1) / from); };
    const int x0 = first(r.x, window_w_, v.width), x1 = std::min(first(r.x + r.w, window_w_, v.width), window_w_);
    const int y0 = first(r.y, window_h_, v.height), y1 = std::min(first(r.y + r.h, window_h_, v.height), window_h_);
    if (x0 >= x1 || y0 >= y1) return;
    const bool fast32 = fast32_layout();
    for (int y = y0; y < y1; y += band_rows_) {
      const int n = std::min(band_rows_, y1 - y);
      for (int i = 0; i < n; ++i) {
        const Pixel* src = v.row(static_cast<int>(static_cast<long long>(y + i) * v.height / window_h_));
        if (fast32) {
          auto* dst = reinterpret_cast<uint32_t*>(image_->data + static_cast<size_t>(i) * image_->bytes_per_line);
          for (int x = x0; x < x1; ++x) dst[x] = (src[columns_[x]] & 0xFFFFFFu) | static_cast<uint32_t>(alpha_);
        } else {
          for (int x = x0; x < x1; ++x) XPutPixel(image_, x, i, visual_pixel(src[columns_[x]]));
        }
      }
      XPutImage(d_, window_, gc_, image_, x0, 0, x0, y, x1 - x0, n);
    }
  }

  // Our pixels are the image's own but for alpha: 32 bits each, the
  // usual channel order.
  bool fast32_layout() const {
    return image_->bits_per_pixel == 32 && image_->byte_order == LSBFirst && visual_->red_mask == 0xFF0000 &&
           visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
  }

  unsigned long visual_pixel(Pixel p) const {
    return red_.place((p >> 16) & 255) | green_.place((p >> 8) & 255) | blue_.place(p & 255) | alpha_;
  }

  void free_image() {
    if (!image_) return;
    if (use_shm_ && shm_.shmaddr) {
      XShmDetach(d_, &shm_);
      XSync(d_, False);
      shmdt(shm_.shmaddr);
      shm_.shmaddr = nullptr;
      image_->data = nullptr;
    } else if (direct_) {
      image_->data = nullptr;  // our canvas's pixels
    }
    XDestroyImage(image_);
    image_ = nullptr;
  }

  // Our pixels of r into the visual's format, row by row.
  void convert(const PixelRect& r) {
    const PixelView v = canvas_.view();
    const bool fast32 = fast32_layout();
    for (int y = r.y; y < r.y + r.h; ++y) {
      const Pixel* src = v.row(y);
      if (fast32) {
        auto* dst = reinterpret_cast<uint32_t*>(image_->data + static_cast<size_t>(y) * image_->bytes_per_line);
        if (!alpha_) {
          std::memcpy(dst + r.x, src + r.x, r.w * 4u);
        } else {
          for (int x = r.x; x < r.x + r.w; ++x) dst[x] = (src[x] & 0xFFFFFFu) | static_cast<uint32_t>(alpha_);
        }
        continue;
      }
      for (int x = r.x; x < r.x + r.w; ++x) XPutPixel(image_, x, y, visual_pixel(src[x]));
    }
  }

  void watch() {
    if (gone_) return;
    while (XPending(d_)) {
      XEvent e;
      XNextEvent(d_, &e);
      if (e.type == DestroyNotify && e.xdestroywindow.window == window_) {
        gone_ = true;
      } else if (e.type == ConfigureNotify && e.xconfigure.window == window_ &&
                 (e.xconfigure.width != window_w_ || e.xconfigure.height != window_h_)) {
        make_image(e.xconfigure.width, e.xconfigure.height);
        if (on_resize) on_resize(canvas_.width(), canvas_.height());
      } else if (e.type == Expose && e.xexpose.count == 0) {
        update();
      }
    }
    if (gone_ && on_close) on_close();
  }

  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int power_watch_ = 0;
  Display* d_ = nullptr;
  ::Window window_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  ChannelMap red_{0}, green_{0}, blue_{0};
  unsigned long alpha_ = 0;  // the visual's bits beyond its colours, all set
  GC gc_{};
  int window_w_ = 0, window_h_ = 0;
  Bitmap canvas_;  // the window's size, or smaller and stretched over it
  bool stretched_ = false;
  static constexpr long long kBandBytes = 4 << 20;
  int band_rows_ = 0;
  std::vector<int> columns_;  // for each window column, the canvas column it shows
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  bool use_shm_ = false;
  bool direct_ = false;
  bool gone_ = false;
};

}  // namespace

std::unique_ptr<FullScreenWindow> attach_to_window(unsigned long id) { return std::make_unique<X11AttachedWindow>(id); }

}  // namespace vex
