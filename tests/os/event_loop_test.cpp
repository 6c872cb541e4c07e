#include "os/event_loop.h"

#include <gtest/gtest.h>

#include "base/failure.h"

namespace vex {
namespace {

class EventLoopTest : public ::testing::Test {
 protected:
  EventLoopTest() { loop.use_virtual_clock(true); }
  EventLoop loop;
};

TEST_F(EventLoopTest, ATimerTicksAtItsPeriodOnlyWhileEnabled) {
  int ticks = 0;
  TimerId t = loop.add_timer("t", [&] { ++ticks; });
  loop.set_interval(t, 70);
  loop.advance(1000);
  EXPECT_EQ(ticks, 0);
  loop.set_enabled(t, true);
  loop.advance(700);
  EXPECT_EQ(ticks, 10);
  loop.advance(69);
  EXPECT_EQ(ticks, 10);
  loop.set_enabled(t, false);
  loop.advance(1000);
  EXPECT_EQ(ticks, 10);
}

TEST_F(EventLoopTest, PeriodZeroNeverFiresAndShortPeriodsRunAtTenMs) {
  int zero = 0, one = 0;
  TimerId a = loop.add_timer("a", [&] { ++zero; });
  TimerId b = loop.add_timer("b", [&] { ++one; });
  loop.set_interval(a, 0);
  loop.set_interval(b, 1);
  loop.set_enabled(a, true);
  loop.set_enabled(b, true);
  loop.advance(100);
  EXPECT_EQ(zero, 0);
  EXPECT_EQ(one, 10);
}

TEST_F(EventLoopTest, ANegativePeriodIsAnInvalidPropertyValue) {
  TimerId t = loop.add_timer("t", [] {});
  try {
    loop.set_interval(t, -5);
    FAIL();
  } catch (const Failure& f) { EXPECT_EQ(f.code(), kInvalidPropertyValue); }
  EXPECT_THROW(loop.set_enabled(99, true), Failure);
}

TEST_F(EventLoopTest, TicksThatFallDueDuringALongTickAreNotQueued) {
  int ticks = 0;
  TimerId t = loop.add_timer("t", [&] {
    // The first tick takes 100 ms: nine ticks fall due meanwhile.
    if (++ticks == 1) loop.pass_time(100);
  });
  loop.set_interval(t, 10);
  loop.set_enabled(t, true);
  loop.advance(10);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(loop.now(), 110);
  // One late tick at once, not nine...
  loop.advance(0);
  EXPECT_EQ(ticks, 2);
  // ...then the timer's own pace again: 120, 130, 140, 150, 160.
  loop.advance(50);
  EXPECT_EQ(ticks, 7);
}

TEST_F(EventLoopTest, PumpsRunEveryIteration) {
  int pumped = 0;
  loop.add_pump([&] { ++pumped; });
  loop.run_once(5);
  loop.run_once(5);
  EXPECT_EQ(pumped, 2);
}

}  // namespace
}  // namespace vex
