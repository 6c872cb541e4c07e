#include "support/saver_harness.h"

#include <algorithm>
#include <memory>

#include "animation/properties.h"
#include "display/screen_saver.h"
#include "display/sound_fx.h"
#include "os/event_loop.h"
#include "os/window.h"
#include "platform/pictures.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/starter.h"

namespace vex::test {

std::string all_creatures_ini(int speed) {
  std::string ini = "[Vexmoor]\nfirstrun=1\nspeed=" + std::to_string(speed) + "\n";
  for (const char* key : kCreatureKeys) ini += std::string(key) + "=1\n";
  return ini;
}

void set_screen(int width, int height) {
  StarterState& st = starter();
  st.ScreenWidth = width;
  st.ScreenHeight = height;
  set_scene_bounds();
}

SaverHarness::SaverHarness() { set_wave_mixer(std::make_unique<RecordingWaveMixer>(&mixer_calls, 7)); }

void SaverHarness::start(const std::string& ini, const std::string& media, int width, int height) {
  if (media.empty()) install_fixture_media();
  write_settings(ini);
  open_display();
  set_screen(width, height);
  starter().Mode = SaverMode::kScreenSaver;
  GetDirectories();
  if (!media.empty()) settings().MediaDirectory = media.back() == '/' ? media : media + "/";
  read_settings();
  Properties_Creatures();
  load_saver_pictures();
  screen_saver::load();
}

void SaverHarness::ticks(int n) {
  const long long period = event_loop().interval(screen_saver::state().maintimer);
  for (int i = 0; i < n; ++i) event_loop().advance(period);
}

PixelView SaverHarness::frame_view() const { return surface_view(surfaces().FrameBuffer); }

Pixel SaverHarness::frame(int x, int y) const { return frame_view().at(x, y); }

std::vector<int> SaverHarness::plays() {
  std::vector<int> r;
  for (; seen_ < mixer_calls.size(); ++seen_) {
    if (mixer_calls[seen_].what != "Play") continue;
    // A play names its sound by the wave handle its record carries.
    const auto& waves = sound_fx().SoundWaves;
    const int32_t wave = record_field(mixer_calls[seen_].params, 5);
    const auto it = std::find(waves.begin(), waves.end(), wave);
    if (wave != 0 && it != waves.end()) r.push_back(static_cast<int>(it - waves.begin()));
  }
  return r;
}

}  // namespace vex::test
