#include "config/configuration.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "animation/creature.h"
#include "animation/creatures.h"
#include "animation/previews.h"
#include "base/convert.h"
#include "config/controls.h"
#include "os/launcher.h"
#include "os/paths.h"
#include "os/sound_volume.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "platform/system.h"
#include "startup/settings.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace vex::configuration {

ConfigurationState& state() {
  static ConfigurationState s;
  return s;
}

bool exists() { return state().view != nullptr; }

namespace {

Creature preview_start(const std::string& dir) {
  Creature c;
  c.Width = 127;
  c.Height = 100;
  c.StripX = 0;
  c.StripY = 0;
  c.Frame = 0;
  c.FrameCount = 21;
  c.X = 0;
  c.Y = 0;
  c.FileName = "v_preview.bmp";
  c.Picture = load_surface(dir + c.FileName);
  return c;
}

std::string flag_text(int value) { return num_to_text(value); }

}  // namespace

void load(std::unique_ptr<View> view) {
  ConfigurationState& st = state();
  st.view = view ? std::move(view) : make_view();
  st.PreviewPicture = Bitmap(kPreviewBoxWidth, kPreviewBoxHeight);
  st.PreviewPicture2 = Bitmap(kPreviewBoxWidth, kPreviewBoxHeight);
  st.preview_timer = event_loop().add_timer("Timer1", preview_tick);
  event_loop().set_interval(st.preview_timer, 100);
  event_loop().set_enabled(st.preview_timer, true);
  Form_Load();
}

void Form_Load() {
  trap("Configuration/Form_Load", [] {
    ConfigurationState& st = state();
    Controls& c = st.controls;
    const SettingsState& set = settings();
    for (const CreatureRow& row : creature_table()) {
      if (row.dialog.tab < 0) continue;
      const Creature& r = row.record(scene());
      c.check[std::string(row.dialog.check)] = (r.Enabled && r.Installed) ? 1 : 0;
    }
    // A hand-edited speed outside the bar's range would leave the user with
    // no dialog at all; the thumb goes to the nearest end instead, and
    // Apply then writes a speed the saver can use.
    c.speedchk = std::clamp(kSpeedMax - static_cast<int>(set.Speed), 0, kSpeedMax);
    for (int i = 0; i < 12; ++i) c.songchk[i] = set.SongEnabled[i] ? 1 : 0;
    for (int i = 0; i < 12; ++i) c.soundchk[i] = set.SoundEnabled[i] ? 1 : 0;
    c.volumechk = set.Volume;
    // The listen buttons play at the volume the slider shows.
    set_output_volume(c.volumechk);
    c.Text1 = set.MessageText;
    c.check["clockcheck"] = set.ClockEnabled ? 1 : 0;
    c.Tabs = kOptionsTab;

    SurfacesState& sf = surfaces();
    const StarterState& s = starter();
    sf.PaletteSurface = load_surface(set.MediaDirectory + "v_palette.bmp");
    sf.FrameBuffer = create_surface(s.ScreenWidth, s.ScreenHeight, sf.PaletteSurface);
    Previews& p = previews();
    p.PreviewCreature = preview_start(set.MediaDirectory);
    p.PreviewCreature2 = preview_start(set.MediaDirectory);
    st.preview_surfaces = {p.PreviewCreature.Picture, p.PreviewCreature2.Picture};
    st.box_routine = {};
    p.ScaleWidth1 = p.ScaleWidth2 = kPreviewBoxWidth;
    p.ScaleHeight1 = p.ScaleHeight2 = kPreviewBoxHeight;
    c.VersionLabel = std::string("Version ") + "6.0";

    st.view->create(c);
    st.view->centre();
    st.view->show();
  });
}

void Form_Unload() { clean_up_and_end(); }

void Tabs_Click() {
  // A song started on the Sounds tab plays on while the user stays there.
  if (state().controls.Tabs != kSoundsTab) stop_listening_song();
}

void on_cancel() { Form_Unload(); }

void on_apply() {
  bool saved = false;
  trap("Configuration/Command2_Click", [&] {
    const Controls& c = state().controls;
    std::vector<std::pair<std::string, std::string>> keys;
    auto put = [&](const std::string& key, const std::string& value) { keys.emplace_back(key, value); };
    put("firstrun", "1");
    for (std::size_t i = 0; i < kCreatureKeys.size(); ++i)
      put(kCreatureKeys[i], flag_text(c.check.at(std::string(row_for_key(i).dialog.check))));
    put("speed", c.speedchk == kSpeedMax ? "1" : num_to_text(I16(kSpeedMax - c.speedchk)));
    for (int i = 0; i < 12; ++i) put("song" + std::to_string(i), flag_text(c.songchk[i]));
    for (int i = 0; i < 12; ++i) put("sound" + std::to_string(i), flag_text(c.soundchk[i]));
    put("messagetext", c.Text1);
    put("clock", flag_text(c.check.at("clockcheck")));
    // After the keys every earlier version wrote, so those stay as they were.
    put("volume", num_to_text(std::clamp(c.volumechk, 0, 100)));
    // All the keys in one replacement of the file: a saver starting meanwhile
    // reads the settings as they were or as they are now, never "firstrun"
    // without the rest, and a second dialog applying at the same moment
    // leaves its settings or ours, not a mixture.
    if (!PutIniSection(kIniFile, kIniSection, keys)) {
      // The settings the user chose must not be lost unnoticed: the dialog
      // stays open so they can free the disk or fix the folder and apply
      // again.
      state().view->tell("Settings not saved",
                         "Vexmoor could not write its settings file\n" + settings_file_path() +
                             "\n\nCheck that the folder exists and may be written to, and that the disk is not full; "
                             "then press Apply again. The file was left as it was: none of these settings was saved.");
      return;
    }
    saved = true;
  });
  if (saved) Form_Unload();
}

std::string home_page_path() { return settings().MediaDirectory + "home.htm"; }

void open_home_page() {
  if (!FileInstallCheck(home_page_path())) {
    state().view->tell("Vexmoor", "The home page (" + home_page_path() + ") is not installed.");
    return;
  }
  open_in_browser("file://" + home_page_path());
}

}  // namespace vex::configuration
