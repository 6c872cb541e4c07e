#pragma once
// Every control of the settings dialog, in one table: its kind, name,
// container, place, size, caption and tooltip. The view builds the widgets
// from it; the logic finds controls by name.
#include <span>
#include <string_view>

namespace vex::configuration {

enum class Kind {
  kTabs,   // the tab strip filling the window
  kFrame,  // a group frame
  kCheckBox,
  kPreviewButton,  // 17 x 17 picture box with the question mark
  kListenButton,   // 17 x 17 picture box with the loudspeaker
  kPreviewBox,     // 201 x 195 black picture box the previews are drawn in
  kPicture,        // a picture box showing a picture of the media directory
  kScrollBar,
  kLabel,
  kBoldLabel,  // bold grey, as the About tab's
  kTextBox,
  kButton,
};

enum class Align { kLeft, kCentre, kRight };

struct ControlSpec {
  Kind kind;
  std::string_view name;       // arrays share a name and differ by index
  int index;                   // element of an array, -1 for single controls
  std::string_view container;  // "" the window, "Tabs:n" a tab's page, else a frame's name
  int x, y, w, h;              // relative to the container, pixels
  std::string_view caption;    // or, for kPicture, the picture's file name
  std::string_view tooltip;
  Align align = Align::kLeft;
};

std::span<const ControlSpec> control_table();

// The five tabs, in their order.
inline constexpr std::string_view kTabCaptions[] = {"Creatures", "More Creatures", "Sounds", "Options", "About"};
inline constexpr int kOptionsTab = 3;
inline constexpr int kSoundsTab = 2;

// The dialog's client area.
inline constexpr int kClientWidth = 512;
inline constexpr int kClientHeight = 273;
inline constexpr int kPreviewBoxWidth = 201;
inline constexpr int kPreviewBoxHeight = 195;

// The names of the songs and sounds, by index (the captions of their boxes).
std::string_view song_name(int n);
std::string_view sound_name(int n);

}  // namespace vex::configuration
