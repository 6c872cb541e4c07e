#include "display/clock_message.h"

#include <gtest/gtest.h>

#include "startup/settings.h"
#include "startup/starter.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

std::tm five_past_nine_pm() {
  std::tm t{};
  t.tm_hour = 21;
  t.tm_min = 5;
  return t;
}

class ClockAndMessage : public ProgramTest {
 protected:
  ClockAndMessage() {
    starter().ScreenWidth = 1024;
    starter().ScreenHeight = 768;
    clock_message().now = five_past_nine_pm;
  }
  Label& message() { return clock_message().ScreenLabel; }
  Label& clock() { return clock_message().ClockLabel; }
};

TEST_F(ClockAndMessage, AMessageAloneSpansTheTopCentred) {
  settings().MessageText = "abc";
  setup_labels();
  EXPECT_TRUE(message().Visible);
  EXPECT_EQ(message().Left, 0);
  EXPECT_EQ(message().Width, 1024);
  EXPECT_EQ(message().Top, 5);
  EXPECT_EQ(message().Height, 19);
  EXPECT_EQ(message().Caption, "  abc  ");
  EXPECT_EQ(message().Alignment, LabelAlign::kCentre);
  EXPECT_FALSE(clock().Visible);
}

TEST_F(ClockAndMessage, WithTheClockTheMessageKeepsLeftAndTheClockMovesRight) {
  settings().MessageText = "abc";
  settings().ClockEnabled = kTrue;
  setup_labels();
  EXPECT_EQ(message().Alignment, LabelAlign::kLeft);
  EXPECT_TRUE(clock().Visible);
  EXPECT_EQ(clock().Width, 89);
  EXPECT_EQ(clock().Left, 468);  // 512 - 44.5, to even, until the first tick
  EXPECT_EQ(clock().Top, 5);
  Update_Clock();
  EXPECT_EQ(clock().Left, 924);
  EXPECT_EQ(clock().Caption, " 9:05 PM ");
}

TEST_F(ClockAndMessage, BlanksAreAMessageButEmptyIsNone) {
  settings().MessageText = "   ";
  setup_labels();
  EXPECT_TRUE(message().Visible);
  EXPECT_EQ(message().Caption, "       ");
  clock_message() = ClockMessageState{};
  settings().MessageText.clear();
  starter().ScreenWidth = 800;
  setup_labels();
  EXPECT_FALSE(message().Visible);
  EXPECT_FALSE(clock().Visible);
  // A hidden clock still keeps its text current.
  clock_message().now = five_past_nine_pm;
  Update_Clock();
  EXPECT_EQ(clock().Caption, " 9:05 PM ");
  EXPECT_EQ(clock().Left, 700);
}

// Columns of the canvas holding any pixel of the label's text colour.
std::pair<int, int> text_columns(const Bitmap& b, int top, int height) {
  int lo = b.width(), hi = -1;
  for (int y = top; y < top + height; ++y)
    for (int x = 0; x < b.width(); ++x)
      if (b.at(x, y) == kLabelText) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
  return {lo, hi};
}

TEST_F(ClockAndMessage, LabelsAreDrawnDarkGreyOnBlackInTheirPlaces) {
  settings().MessageText = "Happy Halloween";
  setup_labels();
  Bitmap screen(1024, 768, rgb(0, 0, 200));
  draw_labels(screen.view());
  EXPECT_EQ(screen.at(2, 6), kLabelBack);       // the label's background
  EXPECT_EQ(screen.at(2, 4), rgb(0, 0, 200));   // above the label: the scene
  EXPECT_EQ(screen.at(2, 24), rgb(0, 0, 200));  // below its 19 rows
  auto [lo, hi] = text_columns(screen, 5, 19);
  ASSERT_LT(lo, hi) << "no text drawn";
  EXPECT_NEAR((lo + hi) / 2.0, 512, 8);  // centred

  clock_message() = ClockMessageState{};
  settings().MessageText = "Happy Halloween";
  settings().ClockEnabled = kTrue;
  clock_message().now = five_past_nine_pm;
  setup_labels();
  Update_Clock();
  Bitmap screen2(1024, 768, rgb(0, 0, 200));
  draw_labels(screen2.view());
  auto [mlo, mhi] = text_columns(screen2, 5, 19);
  EXPECT_LT(mlo, 30);   // message from the left edge
  EXPECT_GT(mhi, 924);  // and the clock's text at the right
  EXPECT_EQ(screen2.at(1023, 30), rgb(0, 0, 200));
}

// Pixels of the label's rows, columns x0..x1-1, that are not its background.
int text_pixels(const Bitmap& b, int x0, int x1) {
  int n = 0;
  for (int y = 5; y < 24; ++y)
    for (int x = x0; x < x1; ++x) n += b.at(x, y) != kLabelBack;
  return n;
}

TEST_F(ClockAndMessage, ALongMessageStopsWhereTheClockBeginsAndReachesTheEdgeWithout) {
  std::string longer;
  while (longer.size() < 4000) longer += "Happy Halloween from the graveyard! ";
  settings().MessageText = longer;
  settings().ClockEnabled = kTrue;
  setup_labels();
  Update_Clock();
  clock().Caption.clear();  // the clock's band alone: nothing of its own text
  Bitmap screen(1024, 768, rgb(0, 0, 200));
  draw_labels(screen.view());
  EXPECT_GT(text_pixels(screen, 0, 30), 20) << "the message from the left edge";
  EXPECT_GT(text_pixels(screen, 880, 924), 20) << "up to the clock";
  EXPECT_EQ(text_pixels(screen, 924, 1024), 0) << "nothing of it under the clock or beyond";
  EXPECT_EQ(screen.at(1020, 10), kLabelBack) << "the label's band still spans the screen";

  clock_message() = ClockMessageState{};
  settings().ClockEnabled = kFalse;
  setup_labels();
  Bitmap alone(1024, 768, rgb(0, 0, 200));
  draw_labels(alone.view());
  EXPECT_GT(text_pixels(alone, 0, 30), 20) << "cut, the message shows its beginning, not its middle";
  EXPECT_GT(text_pixels(alone, 994, 1024), 20) << "and runs to the right edge";
}

}  // namespace
}  // namespace vex
