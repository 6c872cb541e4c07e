#include "support/test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "animation/creature.h"
#include "animation/previews.h"
#include "config/configuration.h"
#include "display/clock_message.h"
#include "display/music.h"
#include "display/preview_screen.h"
#include "display/screen_saver.h"
#include "display/sound_fx.h"
#include "os/bitmap_file.h"
#include "os/event_loop.h"
#include "os/mci.h"
#include "os/sound_volume.h"
#include "platform/surfaces.h"
#include "platform/system.h"
#include "startup/settings.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace vex::test {

namespace fs = std::filesystem;

void reset_program_state() {
  screen_saver::state() = {};
  preview_screen::state() = {};
  scene() = Scene{};
  counters() = FrameCounters{};
  settings() = SettingsState{};
  starter() = StarterState{};
  reset_surfaces();
  error_report().view.reset();
  error_report().saver_give_way = nullptr;
  error_report().last_caption.clear();
  clock_message() = ClockMessageState{};
  sound_fx() = SoundFxState{};
  music() = MusicState{};
  configuration::state() = configuration::ConfigurationState{};
  previews() = Previews{};
  set_wave_mixer(nullptr);
  set_command_strings(nullptr);
  set_output_volume(kFullVolume);
  system_state() = SystemState{};
  shutdown_state() = ShutdownState{};
  reset_event_loop();
  event_loop().use_virtual_clock(true);
}

ProgramTest::ProgramTest()
    : config_("XDG_CONFIG_HOME", dir_ / "config"),
      data_home_("XDG_DATA_HOME", dir_ / "data"),
      data_dirs_("XDG_DATA_DIRS", dir_ / "nodata"),
      runtime_("XDG_RUNTIME_DIR", dir_.str()),
      cache_("XDG_CACHE_HOME", dir_ / "cache") {
  reset_program_state();
  error_report().view = std::make_unique<RecordingBugReport>(&captions_, &creates_);
  shutdown_state().end_hook = [this](int status) { ended_.push_back(status); };
}

ProgramTest::~ProgramTest() { reset_program_state(); }

void ProgramTest::restart_program() {
  reset_program_state();
  error_report().view = std::make_unique<RecordingBugReport>(&captions_, &creates_);
  shutdown_state().end_hook = [this](int status) { ended_.push_back(status); };
}

std::string ProgramTest::settings_file() const { return dir_ / "config/zelvora.ini"; }

void ProgramTest::write_settings(const std::string& text) const {
  fs::create_directories(dir_.path() / "config");
  std::ofstream(settings_file(), std::ios::binary) << text;
}

std::string ProgramTest::media_dir() const { return dir_ / "data/Zelvora/Vexmoor/"; }

std::string ProgramTest::install_fixture_media() const {
  write_fixture_media(media_dir());
  return media_dir();
}

Pixel fixture_colour(const std::string& file) {
  // Distinct, never black, never white, stable per name.
  uint32_t h = 2166136261u;
  for (char c : file) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
  return rgb(40 + (h & 0x7F), 40 + ((h >> 8) & 0x7F), 40 + ((h >> 16) & 0x7F));
}

void write_fixture_picture(const std::string& path, int w, int h, int frames, int strips, bool masked, Pixel colour) {
  int total_w = w * frames * strips;
  Bitmap bm(total_w, masked ? 2 * h : h, 0);
  for (int f = 0; f < frames * strips; ++f) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        bool sprite = x > 0 && y > 0 && x < w - 1 && y < h - 1;
        bm.at(f * w + x, y) = sprite ? colour : 0;
        if (masked) bm.at(f * w + x, h + y) = sprite ? 0 : 0xFFFFFF;
      }
    }
  }
  fs::create_directories(fs::path(path).parent_path());
  save_bmp24(path, bm);
}

void write_fixture_media(const std::string& dir) {
  struct P {
    const char* file;
    int w, h, frames, strips;
    bool masked;
  };
  const P pictures[] = {
      {"v_palette.bmp", 8, 8, 1, 1, false},
      {"v_background_top.bmp", 800, 315, 1, 1, false},
      {"v_background_mid1.bmp", 800, 132, 1, 1, false},
      {"v_background_bot.bmp", 800, 153, 1, 1, false},
      {"v_tombstone1.bmp", 134, 199, 1, 1, true},
      {"v_tombstone2.bmp", 77, 125, 1, 1, true},
      {"v_tombstone4.bmp", 102, 184, 1, 1, true},
      {"v_flower.bmp", 50, 50, 8, 1, true},
      {"v_bat.bmp", 26, 23, 8, 2, true},
      {"v_dove.bmp", 27, 46, 8, 2, true},
      {"v_skeleton1.bmp", 151, 200, 12, 1, true},
      {"v_skeleton2.bmp", 45, 64, 12, 2, true},
      {"v_zombie.bmp", 39, 66, 10, 1, true},
      {"v_watchman.bmp", 87, 157, 14, 1, false},
      {"v_bouncingpumpkin.bmp", 46, 137, 8, 1, true},
      {"v_scorpion.bmp", 38, 33, 5, 1, true},
      {"v_rat1.bmp", 65, 43, 5, 2, true},
      {"v_rat2.bmp", 45, 30, 5, 2, true},
      {"v_firefly.bmp", 20, 19, 8, 1, true},
      {"v_gravedigger.bmp", 59, 74, 16, 1, true},
      {"v_hand.bmp", 61, 98, 17, 1, true},
      {"v_owl.bmp", 32, 48, 6, 1, false},
      {"v_medallion.bmp", 65, 38, 3, 1, true},
      {"v_crow1.bmp", 83, 64, 6, 1, true},
      {"v_crow2.bmp", 84, 59, 7, 1, true},  // asked for as "v_Crow2.bmp"
      {"v_blooddrip.bmp", 51, 113, 14, 1, true},
      {"v_lightning1.bmp", 171, 182, 4, 1, true},
      {"v_lightning2.bmp", 171, 182, 2, 1, true},
      {"v_spider.bmp", 79, 93, 1, 1, true},
      {"v_preview.bmp", 127, 100, 21, 1, true},
      {"v_owl_preview.bmp", 82, 81, 4, 1, true},
      {"v_bat_preview.bmp", 36, 32, 8, 1, true},
      {"v_question.bmp", 17, 17, 1, 1, false},
      {"v_speaker.bmp", 17, 17, 1, 1, false},
      {"v_logo.bmp", 201, 66, 1, 1, false},
      {"v_webaddress.bmp", 144, 16, 1, 1, false},
  };
  for (const P& p : pictures)
    write_fixture_picture(dir + p.file, p.w, p.h, p.frames, p.strips, p.masked, fixture_colour(p.file));
  // The foreground band: its left half covers (image painted, mask black),
  // its right half is open (image black, mask white).
  Bitmap mask(800, 132, 0xFFFFFF), image(800, 132, 0);
  for (int y = 0; y < 132; ++y)
    for (int x = 0; x < 400; ++x) {
      mask.at(x, y) = 0;
      image.at(x, y) = fixture_colour("v_background_mid3.bmp");
    }
  save_bmp24(dir + "v_background_mid2.bmp", mask);
  save_bmp24(dir + "v_background_mid3.bmp", image);
}

}  // namespace vex::test
