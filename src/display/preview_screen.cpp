#include "display/preview_screen.h"

#include "base/convert.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace vex::preview_screen {

State& state() {
  static State s;
  return s;
}

bool exists() { return state().window != nullptr; }

void load() {
  State& st = state();
  const StarterState& s = starter();
  st.previewtimer = event_loop().add_timer("previewtimer", previewtimer_Timer);
  event_loop().set_interval(st.previewtimer, 70);
  Form_Initialize();
  st.window = create_embedded_window(static_cast<unsigned long>(s.PreviewParentWindow), s.PreviewRect.w,
                                     s.PreviewRect.h, "Preview");
  st.window->on_host_gone = Form_Unload;
  Form_Load();
}

void Form_Initialize() {
  trap("PreviewScreen/Form_Initialize", [] {
    PreviewAnimation& a = state().anim;
    const PixelRect& r = starter().PreviewRect;
    a.StripOriginX = 0;
    a.StripOriginY = 0;
    a.FrameHeight = 100;
    a.FrameWidth = 127;
    a.CurrentFrame = 1;
    a.FrameCount = 18;
    a.DestX = round_to_i32(static_cast<double>(r.w) / 2 - 63.5);
    a.DestY = round_to_i32(static_cast<double>(r.h) / 2 - 100.0 / 2);
  });
}

void Form_Load() { event_loop().set_enabled(state().previewtimer, true); }

void draw_frame(const PixelView& canvas) {
  const PreviewAnimation& a = state().anim;
  BitBltTo(canvas, a.DestX, a.DestY, a.FrameWidth, a.FrameHeight, surfaces().PreviewStrip,
           check32(static_cast<long long>(a.CurrentFrame) * a.FrameWidth + a.StripOriginX), a.StripOriginY,
           Rop::kSrcCopy);
}

void previewtimer_Timer() {
  trap("PreviewScreen/PreviewTimer", [] {
    State& st = state();
    PreviewAnimation& a = st.anim;
    a.CurrentFrame = a.CurrentFrame + 1;
    if (a.CurrentFrame >= 18) a.CurrentFrame = 0;
    if (!st.window) return;
    draw_frame(st.window->canvas());
    st.window->update();
  });
}

void Form_Unload() { clean_up_and_end(); }

}  // namespace vex::preview_screen
