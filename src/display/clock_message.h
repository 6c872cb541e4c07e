#pragma once
// The user's message and the digital clock at the top of the saver screen,
// placed in screen pixels so they keep their size on any screen.
#include <ctime>
#include <string>
#include <vector>

#include "os/label_font.h"
#include "os/raster.h"

namespace vex {

struct Label {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 19;  // 285 twips
  std::string Caption;
  bool Visible = false;
  LabelAlign Alignment = LabelAlign::kCentre;
};

inline constexpr Pixel kLabelText = rgb(64, 64, 64);
inline constexpr Pixel kLabelBack = rgb(0, 0, 0);

struct ClockMessageState {
  Label ScreenLabel;
  Label ClockLabel{0, 0, 89, 19, "", false, LabelAlign::kCentre};
  // The time Update_Clock shows; tests fix it, the saver reads the clock.
  std::tm (*now)() = nullptr;
};
ClockMessageState& clock_message();

// Message first, then clock; the last step of the saver window's set-up.
void setup_labels();
void Update_Clock();
// Both labels over the presented frame, the clock last.
void draw_labels(const PixelView& screen);
// The parts of the screen the labels cover.
void add_label_parts(std::vector<PixelRect>& parts);

}  // namespace vex
