#include "display/screen_saver.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

#include "animation/creature.h"
#include "animation/creatures.h"
#include "animation/drawing.h"
#include "display/clock_message.h"
#include "display/music.h"
#include "display/sound_fx.h"
#include "os/paths.h"
#include "os/sound_volume.h"
#include "os/system_services.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace vex::screen_saver {

State& state() {
  static State s;
  return s;
}

bool exists() { return state().window != nullptr; }

namespace {

void copy_layer(const Creature& layer, Rop rop) {
  BitBlt(surfaces().FrameBuffer, layer.X, layer.Y, layer.Width, layer.Height, layer.Picture, 0, 0, rop);
}

void advance_counter(I16& counter, int top) {
  counter = counter + 1;
  if (counter > top) counter = 0;
}

void request_close() {
  int cancel = 0;
  Form_QueryUnload(cancel);
  if (!cancel) Form_Unload();
}

}  // namespace

namespace {

// Every window the saver shows, the primary (with the labels) first, with
// the part of its pixels that covers its monitor.
template <typename F>
void each_window(F f) {
  State& st = state();
  auto area = [&](FullScreenWindow& w, std::size_t i) {
    PixelView v = w.canvas();
    if (i < st.monitors.size()) {
      // The primary monitor is the screen the scene was laid out for.
      const bool primary = i == 0;
      v.width = std::min(v.width, primary ? static_cast<int>(starter().ScreenWidth) : st.monitors[i].w);
      v.height = std::min(v.height, primary ? static_cast<int>(starter().ScreenHeight) : st.monitors[i].h);
    }
    return v;
  };
  if (st.window) f(*st.window, area(*st.window, 0));
  for (std::size_t i = 0; i < st.others.size(); ++i) f(*st.others[i], area(*st.others[i], i + 1));
}

void open_windows() {
  State& st = state();
  st.shown.clear();
  const StarterState& s = starter();
  if (s.Options.embedded()) {
    // A daemon's window (or the root): its input is not ours; it ends the
    // saver only by going away.
    st.window = attach_to_window(target_window(s.Options));
    st.window->on_close = clean_up_and_end;
    st.window->on_resize = follow_resize;
    st.window->on_seen_changed = seen_changed;
    return;
  }
  std::vector<PixelRect> all = monitors();
  if (all.empty()) all.push_back({0, 0, s.ScreenWidth, s.ScreenHeight});
  st.monitors = all;
  st.others.clear();
  for (std::size_t i = 0; i < all.size(); ++i) {
    auto w = create_fullscreen_window(all[i]);
    w->on_click = Form_Click;
    w->on_key = Form_KeyDown;
    w->on_close = request_close;
    w->on_seen_changed = seen_changed;
    if (i == 0) st.window = std::move(w);
    else st.others.push_back(std::move(w));
  }
}

// Black, with the labels on the primary.
void blank_windows() {
  state().shown.clear();
  each_window([](FullScreenWindow& w, PixelView screen) {
    bit_blt(screen, 0, 0, screen.width, screen.height, {}, 0, 0, Rop::kBlackness);
    if (&w == state().window.get()) draw_labels(screen);
    w.update();
  });
}

bool any_window_seen() {
  bool seen = false;
  each_window([&](FullScreenWindow& w, const PixelView&) { seen = seen || w.seen(); });
  return seen;
}

// The frames stop where they are; the music plays on by its own timer, and
// the ambient sounds keep their turns, as the settings ask.
void rest() {
  State& st = state();
  if (st.resting) return;
  st.resting = true;
  EventLoop& loop = event_loop();
  st.labeltimer_was_on = loop.enabled(st.labeltimer);
  loop.set_enabled(st.labeltimer, false);
  loop.set_enabled(st.maintimer, false);
  const long long period = loop.interval(st.maintimer);
  loop.set_interval(st.ambienttimer, (period < 10 ? 10 : period) * 101);
  loop.set_enabled(st.ambienttimer, true);
  // Input, a termination request and the display waking all end a wait at
  // once; nothing else needs looking at more than once a second.
  loop.set_longest_wait(kRestingWaitMs);
}

}  // namespace

void seen_changed() {
  trap("ScreenSaver/MainTimer", [] {
    State& st = state();
    if (!st.resting || !any_window_seen()) return;
    st.resting = false;
    EventLoop& loop = event_loop();
    loop.set_enabled(st.ambienttimer, false);
    loop.set_longest_wait(EventLoop::kShortestLongestWaitMs);
    loop.set_enabled(st.labeltimer, st.labeltimer_was_on);
    loop.set_enabled(st.maintimer, true);
  });
}

void ambienttimer_Timer() {
  trap("ScreenSaver/MainTimer", [] { Rotate_SoundFX(); });
}

void load() {
  State& st = state();
  open_windows();
  st.maintimer = event_loop().add_timer("maintimer", maintimer_Timer);
  st.labeltimer = event_loop().add_timer("labeltimer", labeltimer_Timer);
  st.ambienttimer = event_loop().add_timer("ambienttimer", ambienttimer_Timer);
  create_music_timer();
  if (!starter().Options.embedded()) {
    st.monitortimer = event_loop().add_timer("monitortimer", monitortimer_Timer);
    event_loop().set_interval(st.monitortimer, kMonitorCheckMs);
    event_loop().set_enabled(st.monitortimer, true);
  }
  error_report().saver_give_way = give_way;
  Form_Initialize();
  Form_Load();
}

void follow_resize(int width, int height) {
  trap("ScreenSaver/Resize", [&] {
    StarterState& s = starter();
    s.ScreenWidth = width;
    s.ScreenHeight = height;
    setup_labels();
    blank_windows();
  });
}

void monitortimer_Timer() {
  trap("ScreenSaver/Monitors", [] {
    State& st = state();
    std::vector<PixelRect> now = monitors();
    if (now.empty() || now == st.monitors) return;
    // Monitors came or went, or the screen changed its size: a window for
    // each as it is now, the labels laid out for the primary again.
    const bool shown = st.window && st.window->visible();
    open_windows();
    StarterState& s = starter();
    s.ScreenWidth = now.front().w;
    s.ScreenHeight = now.front().h;
    setup_labels();
    if (shown) each_window([](FullScreenWindow& w, const PixelView&) { w.show(); });
    blank_windows();
  });
}

void Form_Initialize() {
  trap("ScreenSaver/Form_Initialize", [] {
    event_loop().set_interval(state().maintimer, settings().Speed);
    if (settings().Speed == 0)
      std::fprintf(stderr, "vexmoor: the frame period (\"speed\" in %s) is 0, so no frame is ever drawn\n",
                   settings_file_path().c_str());
    Scene& s = scene();
    copy_layer(s.BackgroundTop, Rop::kSrcCopy);
    copy_layer(s.BackgroundMid1, Rop::kSrcCopy);
    copy_layer(s.BackgroundBottom, Rop::kSrcCopy);
    set_output_volume(settings().Volume);
    Initialize_Songs();
    Initialize_SoundFX();
    setup_labels();
  });
}

void Form_Load() {
  trap("ScreenSaver/Form_Load", [] {
    State& st = state();
    event_loop().set_enabled(st.maintimer, true);
    const long long period = event_loop().interval(st.maintimer);
    if (settings().ClockEnabled && (period == 0 || period > kLabelRefreshMs)) {
      event_loop().set_interval(st.labeltimer, kLabelRefreshMs);
      event_loop().set_enabled(st.labeltimer, true);
    }
    each_window([](FullScreenWindow& w, const PixelView&) { w.show(); });
    // Black from the first moment it shows (the window's own pixels are
    // only valid once it is shown), with the labels over it before the first
    // frame, however long that takes; with no frames to carry it, the clock
    // keeps the time by a timer of its own.
    Update_Clock();
    blank_windows();
    // A failure reported before the window existed (a bad settings file)
    // would otherwise sit unseen behind the full-screen window.
    if (error_report().view && error_report().view->exists()) give_way();
  });
}

void compose_frame() {
  compose_in_steps([] {
    Scene& s = scene();
    auto draw_steps = [&](int from, int to) {
      for (const DepthEntry& step : depth_order())
        if (step.depth >= from && step.depth < to && switched_on(*step.row, s)) step.draw(s);
    };
    draw_layer(s.BackgroundTop, Rop::kSrcCopy);
    draw_layer(s.BackgroundMid1, Rop::kSrcCopy);
    // Far off, behind the foreground band.
    draw_steps(0, kGroundDepth);
    draw_layer(s.BackgroundMid2, Rop::kSrcAnd);
    draw_layer(s.BackgroundMid3, Rop::kSrcPaint);
    draw_layer(s.BackgroundBottom, Rop::kSrcCopy);
    // On the ground and in front of it, the stones among them.
    draw_steps(kGroundDepth, INT_MAX);
  });
}

void maintimer_Timer() {
  trap("ScreenSaver/MainTimer", [] {
    if (!any_window_seen()) {
      rest();
      return;
    }
    FrameCounters& c = counters();
    advance_counter(c.TickTo1000, 1000);
    advance_counter(c.TickTo40, 40);
    advance_counter(c.TickTo100, 100);
    compose_frame();
    if (c.TickTo100 == 99) Rotate_SoundFX();
    Update_Clock();
    // Composed once, shown on every monitor at its own size: what changed
    // since the frame before where the screen holds that frame, else all.
    each_window([](FullScreenWindow& w, const PixelView& screen) {
      // Its screen keeps what it had; it gets a whole frame once seen.
      if (!w.seen()) return;
      State& st = state();
      const FrameSteps& f = scene().Steps;
      auto memo = std::find_if(st.shown.begin(), st.shown.end(), [&](const State::Shown& s) { return s.window == &w; });
      const bool by_parts = memo != st.shown.end() && !f.changed_whole && memo->frame + 1 == f.frames &&
                            memo->renewals == w.renewals() && memo->canvas == screen;
      const bool primary = &w == st.window.get();
      if (by_parts) {
        thread_local std::vector<PixelRect> parts;
        parts.clear();
        present_frame_parts(screen, {f.changed.data(), static_cast<std::size_t>(f.changed_count)}, parts);
        if (primary) {
          draw_labels(screen);
          add_label_parts(parts);
        }
        w.update_parts(parts);
      } else {
        present_frame(screen);
        if (primary) draw_labels(screen);
        w.update();
      }
      const State::Shown now{&w, screen, w.renewals(), f.frames};
      if (memo != st.shown.end()) *memo = now;
      else st.shown.push_back(now);
    });
  });
}

void labeltimer_Timer() {
  trap("ScreenSaver/MainTimer", [] {
    State& st = state();
    Update_Clock();
    if (!st.window->seen()) return;
    draw_labels(st.window->canvas());
    st.window->update();
  });
}

void present_frame(const PixelView& screen) {
  const int W = screen.width, H = screen.height;
  PixelView fb = surface_view(surfaces().FrameBuffer);
  if (W < 800) {
    bit_blt(screen, W - 800, H - 600, 800, 600, fb, 0, 0, Rop::kSrcCopy);
  } else if (W == 800) {
    bit_blt(screen, 0, 0, W, H, fb, 0, 0, Rop::kSrcCopy);
  } else {
    stretch_blt(screen, 0, 0, W, H, fb, 0, 0, 800, 600);
  }
}

void present_frame_parts(const PixelView& screen, std::span<const PixelRect> frame_parts,
                         std::vector<PixelRect>& screen_parts) {
  const int W = screen.width, H = screen.height;
  PixelView fb = surface_view(surfaces().FrameBuffer);
  if (screen.empty() || fb.empty()) return;
  for (const PixelRect& p : frame_parts) {
    const PixelRect r = clip_rect(p, fb.width, fb.height);
    if (r.empty()) continue;
    PixelRect to;
    if (W <= 800) {
      // Copied at an offset (none at 800 wide), as present_frame does.
      const int ox = W < 800 ? W - 800 : 0, oy = W < 800 ? H - 600 : 0;
      to = clip_rect({r.x + ox, r.y + oy, r.w, r.h}, W, H);
      if (to.empty()) continue;
      bit_blt(screen, to.x, to.y, to.w, to.h, fb, to.x - ox, to.y - oy, Rop::kSrcCopy);
    } else {
      // Screen column i shows frame column floor(i * 800 / W): the columns
      // showing r.x .. r.x + r.w - 1 are ceil(r.x * W / 800) up to before
      // ceil((r.x + r.w) * W / 800); rows alike.
      auto first = [](long long c, long long screen_len, long long frame_len) {
        return static_cast<int>((c * screen_len + frame_len - 1) / frame_len);
      };
      const int x0 = first(r.x, W, 800), x1 = first(static_cast<long long>(r.x) + r.w, W, 800);
      const int y0 = first(r.y, H, 600), y1 = first(static_cast<long long>(r.y) + r.h, H, 600);
      to = clip_rect({x0, y0, x1 - x0, y1 - y0}, W, H);
      if (to.empty()) continue;
      stretch_blt(sub_view(screen, to), -to.x, -to.y, W, H, fb, 0, 0, 800, 600);
    }
    screen_parts.push_back(to);
  }
}

void Form_Click() { request_close(); }
void Form_KeyDown() { request_close(); }

void Form_QueryUnload(int& cancel) {
  trap("ScreenSaver/Form_QueryUnload", [&] {
    const StarterState& s = starter();
    if (s.Platform != Platform::kWindows95 || s.PasswordFlag != 1) return;
    ShowCursor(true);
    // Where the system has no such check, there is nothing to ask and the
    // close goes ahead.
    const std::optional<bool> right = verify_saver_password(state().window ? state().window->native_id() : 0);
    if (right && !*right) cancel = -1;
    ShowCursor(false);
  });
}

void Form_Unload() { clean_up_and_end(); }

void set_topmost(bool above) {
  each_window([&](FullScreenWindow& w, const PixelView&) { w.set_topmost(above); });
}

void give_way() {
  if (!exists()) return;
  ShowCursor(true);
  set_topmost(false);
  each_window([](FullScreenWindow& w, const PixelView&) { w.hide(); });
}

}  // namespace vex::screen_saver
