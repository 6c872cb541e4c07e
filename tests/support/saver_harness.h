#pragma once
// The full-screen saver as start-up builds it, on SDL's offscreen display and
// the virtual clock, for tests that watch whole frame ticks: fixture pictures
// or a real media directory, sounds recorded by a wave mixer that notes every
// play.
#include <string>
#include <vector>

#include "os/raster.h"
#include "support/recording_mixer.h"
#include "support/test_support.h"

namespace vex::test {

// The start-up facts the creatures read: the screen's size and the scene's
// bounds, as start-up sets them.
void set_screen(int width, int height);

// Every creature's settings key switched on.
std::string all_creatures_ini(int speed = 10);

class SaverHarness : public ProgramTest {
 protected:
  SaverHarness();
  // ini is the settings file's text; media, when given, is the directory the
  // pictures are read from instead of the fixture set.
  void start(const std::string& ini, const std::string& media = {}, int width = 800, int height = 600);
  // Frame ticks, each a full run of the frame timer.
  void ticks(int n);
  Pixel frame(int x, int y) const;
  PixelView frame_view() const;
  // The sounds played since the last look, by number, in order.
  std::vector<int> plays();

  std::vector<RecordingWaveMixer::Call> mixer_calls;

 private:
  std::size_t seen_ = 0;
};

}  // namespace vex::test
