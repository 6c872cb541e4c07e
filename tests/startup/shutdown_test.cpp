#include "startup/shutdown.h"

#include <gtest/gtest.h>

#include <map>

#include "animation/creature.h"
#include "os/window.h"
#include "platform/surfaces.h"
#include "startup/starter.h"
#include "support/recording_commands.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class Shutdown : public ProgramTest {};

TEST_F(Shutdown, ReleasesEverySurfaceShowsTheCursorAndEnds) {
  Scene& s = scene();
  s.BackgroundTop.Picture = create_surface(4, 4, 0);
  s.Owl.Picture = create_surface(4, 4, 0);
  s.Rat[2].Picture = create_surface(4, 4, 0);
  surfaces().FrameBuffer = create_surface(8, 8, 0);
  surfaces().PreviewStrip = create_surface(8, 8, 0);
  int cursor = cursor_display_count();
  set_exit_status(0);
  EXPECT_THROW(clean_up_and_end(), ProcessEnded);
  EXPECT_EQ(live_surface_count(), 0);
  EXPECT_EQ(s.BackgroundTop.Picture, 0);
  EXPECT_EQ(s.Owl.Picture, 0);
  EXPECT_EQ(surfaces().FrameBuffer, 0);
  EXPECT_EQ(cursor_display_count(), cursor + 1);
  EXPECT_EQ(ended_, std::vector<int>{0});
  EXPECT_TRUE(reports().empty());
}

TEST_F(Shutdown, EverySongAliasIsAskedPlayingOnesStoppedStoppedOnesClosed) {
  std::vector<std::string> sent;
  // song1 plays (then reads stopped), song4 has ended, song7 is paused;
  // the rest were never opened.
  std::map<std::string, std::vector<std::string>> modes = {
      {"song1", {"playing", "stopped"}}, {"song4", {"stopped", "stopped"}}, {"song7", {"paused", "paused"}}};
  set_command_strings(std::make_unique<test::RecordingCommandStrings>(
      &sent, [&](const std::string& c) -> test::RecordingCommandStrings::Answer {
        std::string alias = c.substr(c.find(' ') + 1);
        alias = alias.substr(0, alias.find(' '));
        auto it = modes.find(alias);
        if (it == modes.end()) return {kMciErrInvalidDeviceName, ""};
        if (c.rfind("status", 0) == 0) {
          std::string m = it->second.front();
          if (it->second.size() > 1) it->second.erase(it->second.begin());
          return {0, m};
        }
        return {0, ""};
      }));
  EXPECT_THROW(clean_up_and_end(), ProcessEnded);
  std::vector<std::string> expected;
  for (int n = 0; n < 12; ++n) {
    std::string a = "song" + std::to_string(n);
    expected.push_back("status " + a + " mode");
    if (n == 1) expected.push_back("stop " + a);
    expected.push_back("status " + a + " mode");
    if (n == 1 || n == 4) expected.push_back("close " + a);
  }
  EXPECT_EQ(sent, expected);
}

TEST_F(Shutdown, APreviewHoldsOnlyItsStripAndEndsTheSameWay) {
  surfaces().PreviewStrip = create_surface(8, 8, 0);
  EXPECT_THROW(clean_up_and_end(), ProcessEnded);
  EXPECT_EQ(live_surface_count(), 0);
  EXPECT_EQ(ended_.size(), 1u);
}

TEST_F(Shutdown, RemoveDcIgnoresHandlesThatAreNoSurface) {
  Surface none = 0, negative = -4, gone = 12345;
  EXPECT_EQ(release_surface(none), 0);
  EXPECT_EQ(release_surface(negative), 0);
  EXPECT_EQ(release_surface(gone), 0);
  Surface s = create_surface(800, 600, 0);
  EXPECT_EQ(surface_view(s).width, 800);
  EXPECT_EQ(surface_view(s).height, 600);
  EXPECT_EQ(release_surface(s), 1);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(release_surface(s), 0);
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
