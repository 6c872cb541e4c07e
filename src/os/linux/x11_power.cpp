#include "os/linux/x11_power.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <map>

#include "os/event_loop.h"

namespace vex::x11_power {
namespace {

// The server tells no one when it powers the monitors down, so it is asked;
// a second late is nothing against minutes of drawing to a dark screen.
constexpr long long kAskEveryMs = 1000;

struct Watch {
  // A connection of our own, opened once: the asking must not depend on
  // which of SDL's or a daemon window's connections is open.
  Display* display = nullptr;
  bool opened = false;  // asked once: a server that cannot be reached is not asked again each frame
  bool has_dpms = false;
  bool asleep = false;
  EventLoop* loop = nullptr;  // the loop the timer is on (tests make loops anew)
  TimerId timer = 0;
  int next_id = 1;
  std::map<int, std::function<void()>> listeners;
};

Watch& watch_state() {
  static auto* w = new Watch;  // lives to the end: a listener may go at exit
  return *w;
}

bool ask() {
  Watch& w = watch_state();
  if (!w.has_dpms) return false;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  if (!DPMSInfo(w.display, &level, &enabled) || !enabled) return false;
  return level == DPMSModeStandby || level == DPMSModeSuspend || level == DPMSModeOff;
}

void open_once() {
  Watch& w = watch_state();
  if (w.opened) return;
  w.opened = true;
  w.display = XOpenDisplay(nullptr);
  int event_base = 0, error_base = 0;
  w.has_dpms = w.display && DPMSQueryExtension(w.display, &event_base, &error_base) && DPMSCapable(w.display);
  // Without power saving there is never anything to ask: no connection is
  // kept for it.
  if (w.display && !w.has_dpms) {
    XCloseDisplay(w.display);
    w.display = nullptr;
  }
  w.asleep = ask();
}

void tick() {
  Watch& w = watch_state();
  const bool now = ask();
  if (now == w.asleep) return;
  w.asleep = now;
  // A listener may unwatch while being told.
  const auto listeners = w.listeners;
  for (const auto& [id, changed] : listeners)
    if (changed) changed();
}

}  // namespace

bool display_asleep() {
  open_once();
  return watch_state().asleep;
}

int watch(std::function<void()> changed) {
  open_once();
  Watch& w = watch_state();
  const int id = w.next_id++;
  w.listeners[id] = std::move(changed);
  // Without the extension there is never anything to tell.
  if (!w.has_dpms) return id;
  if (w.loop != &event_loop()) {
    w.loop = &event_loop();
    w.timer = w.loop->add_timer("display power", tick);
    w.loop->set_interval(w.timer, kAskEveryMs);
  }
  event_loop().set_enabled(w.timer, true);
  return id;
}

void unwatch(int id) {
  Watch& w = watch_state();
  w.listeners.erase(id);
  if (w.listeners.empty() && w.loop == &event_loop()) w.loop->set_enabled(w.timer, false);
}

}  // namespace vex::x11_power
