#pragma once
// The settings dialog's behaviour, on the state of its controls. The window
// it drives (configuration_view.cpp) only shows that state and reports the
// user's clicks and changes; tests drive the same logic without a display.
#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "os/event_loop.h"
#include "os/raster.h"

namespace vex {
struct Creature;
struct CreatureRow;
}  // namespace vex

namespace vex::configuration {

// What the logic reads from and sets on the controls.
struct Controls {
  std::map<std::string, int, std::less<>> check;  // the creature check boxes and "clockcheck", 0 or 1
  std::array<int, 12> songchk{};
  std::array<int, 12> soundchk{};
  int speedchk = 0;     // 0 (slow) .. kSpeedMax (fast)
  int volumechk = 100;  // 0 .. 100, the songs and sounds together
  std::string Text1;
  int Tabs = 0;  // the tab shown
  std::string VersionLabel;
};
inline constexpr int kSpeedMax = 140;

// What the logic asks of the window it drives.
class View {
 public:
  virtual ~View() = default;
  // Builds the window from the controls' state; not yet shown.
  virtual void create(const Controls& controls) = 0;
  // Moves it to the middle of the screen by its outer size.
  virtual void centre() = 0;
  virtual void show() = 0;
  virtual void show_preview(int box, const PixelView& pixels) = 0;
  // One plain message to the user; the dialog carries on.
  virtual void tell(const std::string& title, const std::string& text) = 0;
  virtual void close() = 0;
};
std::unique_ptr<View> make_view();  // the real window

struct ConfigurationState {
  Controls controls;
  // What the two preview boxes show, composed by preview_timer (the records they
  // show are the animation engine's previews()).
  Bitmap PreviewPicture;
  Bitmap PreviewPicture2;
  TimerId preview_timer = -1;
  std::unique_ptr<View> view;
  // Surfaces the previews made; each is released once nothing shows it.
  std::set<int32_t> preview_surfaces;
  // What draws each box's record at each tick: the routine of the creature
  // last clicked for it (none yet: the filmstrip plays in a loop).
  std::array<void (*)(Creature&), 2> box_routine{};
};
ConfigurationState& state();
bool exists();

// Loads the dialog with the given window (the real one unless a test gives
// its own): Form_Load.
void load(std::unique_ptr<View> view = nullptr);
void Form_Load();
void Form_Unload();
void Tabs_Click();
// The Cancel button: closes the dialog, nothing saved.
void on_cancel();
// The Apply button: saves every setting at once and closes the dialog.
void on_apply();
// Every 100 ms: the frame counters on, both preview boxes drawn.
void preview_tick();
// The logo and the web address: our home page in the browser.
void open_home_page();

// A creature's preview button: its record shown in the preview box of its tab.
void preview_clicked(const CreatureRow& row);
// The same by the name of the button's control.
void preview_button_click(std::string_view button);

// Listening (listening.cpp).
void stop_listening_song();
void speaker_Click(int n);
void fxspeaker_Click(int n);

// The page the logo and the web address open.
std::string home_page_path();

}  // namespace vex::configuration
