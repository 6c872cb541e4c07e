#include "os/event_loop.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <memory>
#include <thread>

#include "base/failure.h"

namespace vex {
namespace {
std::unique_ptr<EventLoop>& loop_instance() {
  static std::unique_ptr<EventLoop> loop = std::make_unique<EventLoop>();
  return loop;
}
}  // namespace

EventLoop& event_loop() { return *loop_instance(); }
void reset_event_loop() { loop_instance() = std::make_unique<EventLoop>(); }

TimerId EventLoop::add_timer(std::string name, std::function<void()> tick) {
  timers_.push_back(Timer{std::move(name), std::move(tick)});
  return static_cast<TimerId>(timers_.size() - 1);
}

EventLoop::Timer& EventLoop::timer(TimerId id) {
  if (id < 0 || static_cast<std::size_t>(id) >= timers_.size()) throw Failure(kNoObject);
  return timers_[static_cast<std::size_t>(id)];
}
const EventLoop::Timer& EventLoop::timer(TimerId id) const { return const_cast<EventLoop*>(this)->timer(id); }

void EventLoop::arm(Timer& t) { t.due = now() + effective(t.period); }

void EventLoop::set_interval(TimerId id, long long ms) {
  if (ms < 0) throw Failure(kInvalidPropertyValue);
  Timer& t = timer(id);
  t.period = ms;
  if (t.on) arm(t);
}

long long EventLoop::interval(TimerId id) const { return timer(id).period; }

void EventLoop::set_enabled(TimerId id, bool on) {
  Timer& t = timer(id);
  if (on && !t.on) arm(t);
  t.on = on;
}

bool EventLoop::enabled(TimerId id) const { return timer(id).on; }

void EventLoop::add_pump(std::function<void()> pump) { pumps_.push_back(std::move(pump)); }

long long EventLoop::now() const {
  if (virtual_) return virtual_now_;
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void EventLoop::use_virtual_clock(bool on) {
  virtual_ = on;
  virtual_now_ = 0;
  for (Timer& t : timers_)
    if (t.on) arm(t);
}

void EventLoop::fire_due() {
  // Timers may be added by a tick; index, do not iterate.
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    if (!timers_[i].on || timers_[i].period == 0 || timers_[i].due > now()) continue;
    long long step = effective(timers_[i].period);
    timers_[i].due += step;
    // Behind by more than a tick: one late tick now, no backlog.
    if (timers_[i].due <= now()) timers_[i].due = now() + step;
    auto tick = timers_[i].tick;  // the tick may change the timer table
    if (tick) tick();
  }
}

void EventLoop::run_once(int max_wait_ms) {
  for (std::size_t i = 0; i < pumps_.size(); ++i) pumps_[i]();
  fire_due();
  long long next = std::numeric_limits<long long>::max();
  for (const Timer& t : timers_)
    if (t.on && t.period != 0) next = std::min(next, t.due);
  long long wait = std::clamp<long long>(next - now(), 0, max_wait_ms);
  if (virtual_) {
    virtual_now_ += wait;
    return;
  }
  if (wait <= 0) return;
  if (waiter_) waiter_(static_cast<int>(wait));
  else std::this_thread::sleep_for(std::chrono::milliseconds(wait));
}

void EventLoop::advance(long long ms) {
  long long target = virtual_now_ + ms;
  while (true) {
    long long next = std::numeric_limits<long long>::max();
    for (const Timer& t : timers_)
      if (t.on && t.period != 0) next = std::min(next, t.due);
    if (next > target) break;
    virtual_now_ = std::max(virtual_now_, next);
    fire_due();
  }
  virtual_now_ = std::max(virtual_now_, target);
}

}  // namespace vex
