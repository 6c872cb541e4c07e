#pragma once
// One thread, window-timer semantics: a tick runs to its end before anything
// else; ticks that fall due meanwhile are not queued (at most one late tick
// follows); a period of 0 never fires; 1..9 ms run at the 10 ms minimum; a
// negative period is an invalid property value. The clock can be virtual so
// that tests step ticks without waiting.
#include <functional>
#include <string>
#include <vector>

namespace vex {

using TimerId = int;

class EventLoop {
 public:
  TimerId add_timer(std::string name, std::function<void()> tick);
  void set_interval(TimerId id, long long ms);
  long long interval(TimerId id) const;
  void set_enabled(TimerId id, bool on);
  bool enabled(TimerId id) const;

  // Called once per loop iteration, before timers run (event polling).
  void add_pump(std::function<void()> pump);
  // How the loop sleeps until its next timer; modules that bring their own
  // event sources wrap the previous waiter.
  using Waiter = std::function<void(int max_ms)>;
  void set_waiter(Waiter w) { waiter_ = std::move(w); }
  const Waiter& waiter() const { return waiter_; }

  // One iteration: pumps, due timers, then waits for the next due timer or
  // at most max_wait_ms (the longest wait set, when none is given).
  void run_once(int max_wait_ms);
  void run_once() { run_once(longest_wait_); }
  // How long an iteration may wait at most with nothing due: short enough
  // for what is only looked at between waits (another window's events, a
  // child's end), longer where nothing is wanted for a while and every
  // wakeup is a cost.
  static constexpr int kShortestLongestWaitMs = 50;
  void set_longest_wait(int ms) { longest_wait_ = ms; }

  void use_virtual_clock(bool on);
  // Virtual clock only: moves time forward, firing timers as they fall due.
  void advance(long long ms);
  long long now() const;
  // Virtual clock only: time passes while something runs (a long tick),
  // without the loop getting a chance to fire timers.
  void pass_time(long long ms) { virtual_now_ += ms; }

 private:
  struct Timer {
    std::string name;
    std::function<void()> tick;
    long long period = 0;
    bool on = false;
    long long due = 0;
  };
  static long long effective(long long period) { return period < 10 ? 10 : period; }
  void arm(Timer& t);
  void fire_due();
  Timer& timer(TimerId id);
  const Timer& timer(TimerId id) const;

  std::vector<Timer> timers_;
  std::vector<std::function<void()>> pumps_;
  Waiter waiter_;
  int longest_wait_ = kShortestLongestWaitMs;
  bool virtual_ = false;
  long long virtual_now_ = 0;
};

EventLoop& event_loop();
void reset_event_loop();

}  // namespace vex
