// While no window can be seen (the display powered down) the saver neither
// composes nor presents frames, and goes on where it stopped when one can.
#include <gtest/gtest.h>

#include <memory>

#include "animation/creature.h"
#include "display/screen_saver.h"
#include "os/event_loop.h"
#include "os/window.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "support/saver_harness.h"

namespace vex {
namespace {

// The saver's real window, with its being seen in the test's hands.
class DarkenableWindow : public FullScreenWindow {
 public:
  explicit DarkenableWindow(std::unique_ptr<FullScreenWindow> real) : real_(std::move(real)) {}
  int width() const override { return real_->width(); }
  int height() const override { return real_->height(); }
  PixelView canvas() override { return real_->canvas(); }
  void update() override { ++updates; }
  void update_parts(std::span<const PixelRect>) override { ++updates; }
  void show() override { real_->show(); }
  void hide() override { real_->hide(); }
  bool visible() const override { return real_->visible(); }
  void set_topmost(bool above) override { real_->set_topmost(above); }
  bool seen() const override { return lit; }
  void set_lit(bool on) {
    lit = on;
    if (on_seen_changed) on_seen_changed();
  }
  bool lit = true;
  int updates = 0;

 private:
  std::unique_ptr<FullScreenWindow> real_;
};

class DarkDisplay : public test::SaverHarness {};

TEST_F(DarkDisplay, FramesRestWhileNothingIsSeenAndGoOnWhereTheyStopped) {
  // The flower and the ambient sounds, which keep their turns in the dark.
  start("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=10\nsound6=1\n");
  screen_saver::State& st = screen_saver::state();
  auto* w = new DarkenableWindow(std::move(st.window));
  w->on_seen_changed = screen_saver::seen_changed;
  st.window.reset(w);
  ticks(5);
  ASSERT_EQ(counters().TickTo1000, 5);
  plays();

  w->lit = false;
  const int updates = w->updates;
  // The tick that finds it dark, then all but the last moment of ten
  // ambient turns (one every 101 frame periods).
  event_loop().advance(10 + 10 * 1010 - 1);
  EXPECT_EQ(counters().TickTo1000, 5) << "frames composed for a dark display";
  EXPECT_EQ(w->updates, updates) << "frames presented to a dark display";
  EXPECT_FALSE(event_loop().enabled(st.maintimer));
  EXPECT_EQ(plays(), std::vector<int>(9, 6)) << "the ambient sounds keep their rhythm";

  w->set_lit(true);
  ticks(1);
  EXPECT_EQ(counters().TickTo1000, 6);
  EXPECT_EQ(w->updates, updates + 1);

  // A second monitor switched off alone: the scene goes on on the first.
  auto* second = new DarkenableWindow(create_fullscreen_window({0, 0, 800, 600}));
  second->lit = false;
  st.others.emplace_back(second);
  ticks(2);
  EXPECT_EQ(counters().TickTo1000, 8);
  EXPECT_EQ(w->updates, updates + 3);
  EXPECT_EQ(second->updates, 0);
  // And the first alone: it goes on on the second.
  w->lit = false;
  second->set_lit(true);
  ticks(1);
  EXPECT_EQ(counters().TickTo1000, 9);
  EXPECT_EQ(second->updates, 1);
}

}  // namespace
}  // namespace vex
