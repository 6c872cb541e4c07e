#include "display/screen_saver.h"

#include "animation/background.h"
#include "animation/creature.h"
#include "display/clock_message.h"
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

void load() {
  State& st = state();
  const StarterState& s = starter();
  st.window = create_fullscreen_window(s.ScreenWidth, s.ScreenHeight);
  st.window->on_click = Form_Click;
  st.window->on_key = Form_KeyDown;
  st.window->on_close = request_close;
  st.maintimer = event_loop().add_timer("maintimer", maintimer_Timer);
  error_report().saver_give_way = give_way;
  Form_Initialize();
  Form_Load();
}

void Form_Initialize() {
  trap("ScreenSaver/Form_Initialize", [] {
    event_loop().set_interval(state().maintimer, settings().Speed);
    Scene& s = scene();
    copy_layer(s.BackgroundTop, Rop::kSrcCopy);
    copy_layer(s.BackgroundMid1, Rop::kSrcCopy);
    copy_layer(s.BackgroundBottom, Rop::kSrcCopy);
    setup_labels();
  });
}

void Form_Load() {
  trap("ScreenSaver/Form_Load", [] {
    State& st = state();
    const StarterState& s = starter();
    bit_blt(st.window->canvas(), 0, 0, s.ScreenWidth, s.ScreenHeight, {}, 0, 0, Rop::kBlackness);
    event_loop().set_enabled(st.maintimer, true);
    st.window->show();
    st.window->update();
    // A failure reported before the window existed (a bad settings file)
    // would otherwise sit unseen behind the full-screen window.
    if (error_report().view && error_report().view->exists()) give_way();
  });
}

void compose_frame() {
  Scene& s = scene();
  copy_layer(s.BackgroundTop, Rop::kSrcCopy);
  copy_layer(s.BackgroundMid1, Rop::kSrcCopy);
  copy_layer(s.BackgroundMid2, Rop::kSrcAnd);
  copy_layer(s.BackgroundMid3, Rop::kSrcPaint);
  copy_layer(s.BackgroundBottom, Rop::kSrcCopy);
  if (s.Flower.Enabled) Anim_Still_Loop(s.Flower);
  Anim_FarTombStones();
  Anim_CloseTombStones();
}

void maintimer_Timer() {
  trap("ScreenSaver/MainTimer", [] {
    FrameCounters& c = counters();
    advance_counter(c.FrameCounter1000, 1000);
    advance_counter(c.FrameCounter40, 40);
    advance_counter(c.FrameCounter100, 100);
    compose_frame();
    Update_Clock();
    State& st = state();
    PixelView screen = st.window->canvas();
    present_frame(screen);
    draw_labels(screen);
    st.window->update();
  });
}

void present_frame(const PixelView& screen) {
  const int W = starter().ScreenWidth, H = starter().ScreenHeight;
  PixelView fb = surface_view(surfaces().FrameBuffer);
  if (W < 800) {
    bit_blt(screen, W - 800, H - 600, 800, 600, fb, 0, 0, Rop::kSrcCopy);
  } else if (W == 800) {
    bit_blt(screen, 0, 0, W, H, fb, 0, 0, Rop::kSrcCopy);
  } else {
    stretch_blt(screen, 0, 0, W, H, fb, 0, 0, 800, 600);
  }
}

void Form_Click() { request_close(); }
void Form_KeyDown() { request_close(); }

void Form_QueryUnload(int& /*cancel*/) {
  trap("ScreenSaver/Form_QueryUnload", [] {
    const StarterState& s = starter();
    if (s.PlatformTag != "95" || s.PasswordFlag != 1) return;
    ShowCursor(true);
    // The password check belongs to the Windows 95/98 family and has no
    // counterpart here: with nothing to ask, the close goes ahead (cancel
    // stays 0).
    ShowCursor(false);
  });
}

void Form_Unload() { X_Cleanup_And_End(); }

void set_topmost(bool above) {
  if (exists()) state().window->set_topmost(above);
}

void give_way() {
  if (!exists()) return;
  ShowCursor(true);
  set_topmost(false);
  state().window->hide();
}

}  // namespace vex::screen_saver
