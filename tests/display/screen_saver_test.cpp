#include "display/screen_saver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "animation/creature.h"
#include "animation/properties.h"
#include "display/clock_message.h"
#include "os/event_loop.h"
#include "os/window.h"
#include "platform/pictures.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/starter.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::fixture_colour;
using test::ProgramTest;

// The saver as start-up builds it, on SDL's offscreen display, with the
// fixture pictures and the virtual clock.
class Saver : public ProgramTest {
 protected:
  void start(const std::string& ini, int w = 800, int h = 600) {
    install_fixture_media();
    write_settings(ini);
    open_display();
    StarterState& st = starter();
    st.ScreenWidth = w;
    st.ScreenHeight = h;
    set_scene_bounds();
    st.Mode = SaverMode::kScreenSaver;
    GetDirectories();
    read_settings();
    Properties_Creatures();
    load_saver_pictures();
    screen_saver::load();
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) event_loop().advance(event_loop().interval(screen_saver::state().maintimer));
  }
  Pixel screen(int x, int y) { return screen_saver::state().window->canvas().at(x, y); }
  Pixel frame(int x, int y) { return surface_view(surfaces().FrameBuffer).at(x, y); }
  FrameCounters& c() { return counters(); }
};

TEST_F(Saver, LoadsDarkThenEveryTickComposesAndPresentsAFrame) {
  start("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=70\n");
  EXPECT_EQ(event_loop().interval(screen_saver::state().maintimer), 70);
  EXPECT_TRUE(event_loop().enabled(screen_saver::state().maintimer));
  EXPECT_TRUE(screen_saver::state().window->visible());
  EXPECT_EQ(screen(400, 100), 0u);  // black until the first tick
  event_loop().advance(69);
  EXPECT_EQ(screen(400, 100), 0u);
  event_loop().advance(1);
  EXPECT_EQ(screen(400, 100), fixture_colour("v_background_top.bmp"));
  EXPECT_EQ(screen(400, 500), fixture_colour("v_background_bot.bmp"));
  EXPECT_EQ(screen(360, 490), fixture_colour("v_flower.bmp"));
  EXPECT_EQ(counters().TickTo1000, 1);
  EXPECT_TRUE(reports().empty());
}

TEST_F(Saver, TheSceneIsDrawnInDepthOrder) {
  start("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=10\n");
  Scene& s = scene();
  s.Flower.X = 480;      // behind the third stone at 473
  s.TombStone2.X = 120;  // partly behind the close stone at 15..148
  ticks(1);
  EXPECT_EQ(frame(500, 490), fixture_colour("v_tombstone2.bmp"));  // flower hidden by the far stone
  EXPECT_EQ(frame(520, 470), fixture_colour("v_tombstone2.bmp"));
  EXPECT_EQ(frame(130, 500), fixture_colour("v_tombstone1.bmp"));  // far stone hidden by the close one
  EXPECT_EQ(frame(170, 500), fixture_colour("v_tombstone2.bmp"));  // and seen beside it
  // The foreground band: its mask lets the first band show through on the
  // right, its image covers the left.
  EXPECT_EQ(frame(100, 320), fixture_colour("v_background_mid3.bmp"));
  EXPECT_EQ(frame(600, 320), fixture_colour("v_background_mid1.bmp"));
  EXPECT_EQ(frame(600, 598), fixture_colour("v_background_bot.bmp"));
  // A disabled flower is not drawn and keeps its frame.
  s.Flower.Enabled = kFalse;
  I16 frame_before = s.Flower.Frame;
  ticks(3);
  EXPECT_EQ(s.Flower.Frame, frame_before);
}

TEST_F(Saver, WithNoCreatureTheLayersAndStonesStillDraw) {
  start("[Vexmoor]\nfirstrun=1\nspeed=10\n");
  ticks(1);
  EXPECT_EQ(frame(100, 320), fixture_colour("v_background_mid3.bmp"));
  EXPECT_EQ(frame(288, 510), fixture_colour("v_tombstone2.bmp"));
  EXPECT_EQ(frame(510, 510), fixture_colour("v_tombstone2.bmp"));  // the third stone
  EXPECT_EQ(frame(740, 500), fixture_colour("v_tombstone4.bmp"));
  EXPECT_EQ(scene().Owl.Picture, 0);       // disabled creatures are not even loaded
  EXPECT_NE(scene().Scorpion.Picture, 0);  // these five always are
  EXPECT_NE(scene().Lightning[2].Picture, 0);
}

TEST_F(Saver, WithoutAnyPicturesTheSaverStillRunsDarkAndQuiet) {
  write_settings("[Vexmoor]\nfirstrun=1\nflower=1\nowl=1\nspeed=10\n");
  open_display();
  starter().ScreenWidth = 800;
  starter().ScreenHeight = 600;
  settings().MediaDirectory = dir_ / "no-media/";
  read_settings();
  Properties_Creatures();
  load_saver_pictures();
  screen_saver::load();
  ticks(5);
  EXPECT_EQ(screen(400, 300), 0u);
  EXPECT_EQ(counters().TickTo1000, 5);
  EXPECT_EQ(scene().Owl.Picture, 0);  // not installed, so not loaded
  EXPECT_TRUE(reports().empty());
}

TEST_F(Saver, BrokenOrMissingPicturesEverywhereAreSaidOnceOnStderr) {
  install_fixture_media();
  for (const auto& e : std::filesystem::directory_iterator(media_dir()))
    std::ofstream(e.path(), std::ios::trunc) << "BM not really";
  write_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=10\n");
  open_display();
  starter().ScreenWidth = 800;
  starter().ScreenHeight = 600;
  GetDirectories();
  read_settings();
  Properties_Creatures();
  testing::internal::CaptureStderr();
  load_saver_pictures();
  screen_saver::load();
  ticks(3);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("no picture could be loaded from " + media_dir()), std::string::npos) << err;
  EXPECT_EQ(err.find("no picture"), err.rfind("no picture"));
  EXPECT_TRUE(reports().empty());
}

TEST_F(Saver, TheLabelsStandOnTheBlackWindowBeforeAnyFrame) {
  testing::internal::CaptureStderr();
  start("[Vexmoor]\nfirstrun=1\nspeed=0\nclock=1\nmessagetext=Boo\n");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("is 0, so no frame is ever drawn"), std::string::npos) << err;
  auto grey_in = [&](int x0, int x1) {
    int n = 0;
    for (int y = 5; y < 24; ++y)
      for (int x = x0; x < x1; ++x) n += screen(x, y) == kLabelText;
    return n;
  };
  EXPECT_GT(grey_in(0, 300), 10);    // the message, kept left beside the clock
  EXPECT_GT(grey_in(700, 789), 10);  // the clock
  EXPECT_EQ(screen(400, 300), 0u);
  // No frame will ever come to refresh the clock: its own timer does.
  std::string shown = clock_message().ClockLabel.Caption;
  clock_message().now = [] {
    std::tm t{};
    t.tm_hour = 23;
    t.tm_min = 59;
    return t;
  };
  event_loop().advance(screen_saver::kLabelRefreshMs);
  EXPECT_EQ(clock_message().ClockLabel.Caption, " 11:59 PM ");
  EXPECT_EQ(counters().TickTo1000, 0);
}

TEST_F(Saver, CountersWrapAtTheirTops) {
  start("[Vexmoor]\nfirstrun=1\nspeed=10\n");
  ticks(41);
  EXPECT_EQ(c().TickTo40, 0);
  EXPECT_EQ(c().TickTo100, 41);
  ticks(58);
  EXPECT_EQ(c().TickTo100, 99);  // the 99th tick
  ticks(1);
  EXPECT_EQ(c().TickTo100, 100);
  ticks(1);
  EXPECT_EQ(c().TickTo100, 0);
  EXPECT_EQ(c().TickTo1000, 101);
  ticks(899);
  EXPECT_EQ(c().TickTo1000, 1000);
  ticks(1);
  EXPECT_EQ(c().TickTo1000, 0);
  EXPECT_EQ(c().TickTo40, 1001 % 41);
  EXPECT_EQ(c().TickTo100, 1001 % 101);
}

TEST_F(Saver, SpeedZeroNeverDraws) {
  start("[Vexmoor]\nfirstrun=1\nspeed=0\nmessagetext=hello\n");
  event_loop().advance(10000);
  EXPECT_EQ(screen(400, 300), 0u);
  EXPECT_EQ(counters().TickTo1000, 0);
  EXPECT_TRUE(clock_message().ScreenLabel.Visible);
  EXPECT_TRUE(reports().empty());
}

TEST_F(Saver, ANegativeSpeedIsAnInvalidPeriodReportedAtSetUp) {
  start("[Vexmoor]\nfirstrun=1\nspeed=-5\nmessagetext=hello\n");
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 380 ScreenSaver/Form_Initialize");
  EXPECT_FALSE(clock_message().ScreenLabel.Visible);  // the rest of the set-up was skipped
  // The window was still loaded, and gave way to the report shown before.
  EXPECT_FALSE(screen_saver::state().window->visible());
}

TEST_F(Saver, AFailureWhileRunningMakesTheSaverGiveWayButKeepsItTicking) {
  start("[Vexmoor]\nfirstrun=1\nspeed=10\n");
  int cursor = cursor_display_count();
  scene().Flower.Enabled = kTrue;
  scene().Flower.Width = 4000;  // frame x width no longer fits 16 bits
  scene().Flower.Frame = 10;
  ticks(1);
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 6 Animations\\Anim_Still_Loop");
  EXPECT_FALSE(screen_saver::state().window->visible());
  EXPECT_EQ(cursor_display_count(), cursor + 1);
  EXPECT_TRUE(event_loop().enabled(screen_saver::state().maintimer));
  int before = counters().TickTo1000;
  ticks(2);
  EXPECT_EQ(counters().TickTo1000, before + 2);
  EXPECT_EQ(reports().size(), 3u);  // the failure repeats each tick
}

TEST_F(Saver, AKeyOrAClickEndsThroughShutdown) {
  start("[Vexmoor]\nfirstrun=1\n");
  EXPECT_THROW(screen_saver::Form_KeyDown(), ProcessEnded);
  EXPECT_EQ(ended_, std::vector<int>{0});
  EXPECT_EQ(live_surface_count(), 0);
  EXPECT_THROW(screen_saver::Form_Click(), ProcessEnded);
}

// The presented picture for each screen width class.
class Present : public ProgramTest {
 protected:
  Present() {
    surfaces().FrameBuffer = create_surface(800, 600, 0);
    PixelView fb = surface_view(surfaces().FrameBuffer);
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) fb.row(y)[x] = rgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4));
  }
  Pixel fb(int x, int y) { return surface_view(surfaces().FrameBuffer).at(x, y); }
  Bitmap present(int w, int h) {
    starter().ScreenWidth = w;
    starter().ScreenHeight = h;
    Bitmap screen(w, h, 0x00ABCDEF);
    screen_saver::present_frame(screen.view());
    return screen;
  }
};

TEST_F(Present, ANarrowScreenShowsTheBottomRightOfTheScene) {
  Bitmap s = present(640, 480);
  EXPECT_EQ(s.at(0, 0), fb(160, 120));
  EXPECT_EQ(s.at(639, 479), fb(799, 599));
  EXPECT_EQ(s.at(100, 50), fb(260, 170));
}

TEST_F(Present, AScreen800WideIsCopiedWithItsOwnHeight) {
  Bitmap s = present(800, 600);
  EXPECT_EQ(s.at(0, 0), fb(0, 0));
  EXPECT_EQ(s.at(799, 599), fb(799, 599));
  Bitmap tall = present(800, 700);
  EXPECT_EQ(tall.at(5, 599), fb(5, 599));
  EXPECT_EQ(tall.at(5, 650), 0x00ABCDEFu);  // nothing below the scene
}

TEST_F(Present, WiderScreensAreStretched) {
  Bitmap s = present(1024, 768);
  EXPECT_EQ(s.at(128, 128), fb(100, 100));
  EXPECT_EQ(s.at(1023, 767), fb(799, 599));
  Bitmap t = present(1280, 1024);
  EXPECT_EQ(t.at(160, 171), fb(100, 100));
  EXPECT_EQ(t.at(1279, 1023), fb(799, 599));
  Bitmap wide = present(1920, 1080);
  EXPECT_EQ(wide.at(1919, 1079), fb(799, 599));
  EXPECT_EQ(wide.at(960, 540), fb(400, 300));
}

TEST_F(Present, ShowingChangedPartsLeavesTheScreenAsShowingTheWholeFrame) {
  uint32_t seed = 7;
  auto next = [&](int below) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(below));
  };
  PixelView frame = surface_view(surfaces().FrameBuffer);
  for (auto [w, h] : {std::pair{640, 480},
                      {800, 600},
                      {800, 700},
                      {1024, 768},
                      {1366, 768},
                      {1920, 1080},
                      {1280, 1024},
                      {3840, 2160}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Bitmap screen = present(w, h);
    for (int round = 0; round < 6; ++round) {
      // A few rectangles of the frame change, some at its edges or past
      // them, some a single pixel.
      std::vector<PixelRect> parts;
      for (int i = 0; i < 5; ++i) {
        PixelRect r{next(860) - 30, next(650) - 25, 1 + next(i == 0 ? 2 : 200), 1 + next(i == 1 ? 2 : 150)};
        parts.push_back(r);
        const PixelRect in = clip_rect(r, 800, 600);
        fill_rect(frame, in.x, in.y, in.w, in.h, rgb(next(256), next(256), next(256)));
      }
      std::vector<PixelRect> drawn;
      screen_saver::present_frame_parts(screen.view(), parts, drawn);
      const Bitmap whole = present(w, h);
      int wrong = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) wrong += screen.at(x, y) != whole.at(x, y);
      ASSERT_EQ(wrong, 0) << "round " << round;
      // Only the screen's own pixels are named, and no more than were drawn.
      long long area = 0;
      for (const PixelRect& d : drawn) {
        EXPECT_EQ(clip_rect(d, w, h), d);
        area += static_cast<long long>(d.w) * d.h;
      }
      EXPECT_LT(area, static_cast<long long>(w) * h / 2);
    }
  }
}

}  // namespace
}  // namespace vex
