// The six preview routines of the settings dialog: what each shows tick by
// tick, as the dialog's timer drives them (counters wrapping at 40 and 100).
#include "animation/previews.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/surfaces.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::fixture_colour;

class PreviewRoutines : public test::ProgramTest {
 protected:
  PreviewRoutines() {
    install_fixture_media();
    surfaces().FrameBuffer = create_surface(640, 480, 0);
  }
  Surface picture(const std::string& file) { return load_surface(media_dir() + file); }
  // Runs the routine for ticks 1..n, the counter advanced before each, and
  // returns the frame the record showed at each tick.
  template <typename Routine>
  std::vector<int> shown(I16& counter, int wrap, const Creature& c, int n, Routine routine) {
    std::vector<int> frames;
    counter = 0;
    for (int t = 1; t <= n; ++t) {
      counter += 1;
      if (counter >= wrap) counter = 0;
      frames.push_back(c.Frame);
      routine();
    }
    return frames;
  }
  Pixel at(int x, int y) { return surface_view(surfaces().FrameBuffer).at(x, y); }
};

TEST_F(PreviewRoutines, TheOwlOpensItsEyesHoldsThemAndClosesThem) {
  Creature& owl = previews().PreviewCreature;
  owl.Width = 82;
  owl.Height = 81;
  owl.FrameCount = 4;
  owl.Frame = 0;
  owl.Picture = picture("v_owl_preview.bmp");
  auto f = shown(counters().TickTo40, 40, owl, 40, [] { Anim_Preview_Owl(); });
  std::vector<int> expected(40, 3);
  expected[0] = 0;
  expected[1] = 1;
  expected[2] = 2;
  expected[15] = 2;
  expected[16] = 1;
  for (int t = 17; t < 40; ++t) expected[t] = 0;  // closed from tick 18 on
  EXPECT_EQ(f, expected);
}

TEST_F(PreviewRoutines, TheBoltFlashesFramesTheSaverNeverShows) {
  Creature& bolt = previews().PreviewCreature2;
  bolt.Width = 171;
  bolt.Height = 182;
  bolt.FrameCount = 2;
  bolt.Frame = -1;
  bolt.Picture = picture("v_lightning1.bmp");
  auto f = shown(counters().TickTo40, 40, bolt, 30, [] { Anim_Preview_Lightning(); });
  // Ticks 2..7: 0 1 2 3 2 1; ticks 24..27: 0 1 2 3; hidden otherwise.
  std::vector<int> expected(30, -1);
  const int first[] = {0, 1, 2, 3, 2, 1};
  for (int i = 0; i < 6; ++i) expected[1 + i] = first[i];
  for (int i = 0; i < 4; ++i) expected[23 + i] = i;
  EXPECT_EQ(f, expected);
}

TEST_F(PreviewRoutines, TheHandRisesWaitsAndSinks) {
  Creature& hand = previews().PreviewCreature2;
  hand.Width = 61;
  hand.Height = 98;
  hand.FrameCount = 17;
  hand.Frame = 0;
  hand.Picture = picture("v_hand.bmp");
  auto f = shown(counters().TickTo100, 100, hand, 100, [] { Anim_Preview_Hand(); });
  EXPECT_EQ(f[4], 0);    // still down at tick 5
  EXPECT_EQ(f[5], 1);    // then one frame a tick
  EXPECT_EQ(f[20], 16);  // all the way up after 16
  EXPECT_EQ(f[69], 16);  // waits
  EXPECT_EQ(f[70], 15);
  EXPECT_EQ(f[85], 0);  // and down again
  EXPECT_EQ(f[99], 0);
}

TEST_F(PreviewRoutines, TheSpiderComesDownWaitsAndClimbsOnAThreadDrawnOnlyBelowTheTop) {
  Creature& spider = scene().Spider;
  spider.Width = 79;
  spider.Height = 93;
  spider.FrameCount = 1;
  spider.Frame = 0;
  spider.X = 61;
  spider.Y = -93;
  spider.Picture = picture("v_spider.bmp");
  std::vector<int> ys;
  bool thread_while_above = false;
  counters().TickTo100 = 0;
  for (int t = 1; t <= 100; ++t) {
    counters().TickTo100 += 1;
    if (counters().TickTo100 >= 100) counters().TickTo100 = 0;
    fill_rect(surface_view(surfaces().FrameBuffer), 0, 0, 640, 480, 0);
    int y = spider.Y;
    Anim_Preview_Spider();
    if (y < 0 && at(100, 0) == rgb(0x80, 0x80, 0x80)) thread_while_above = true;
    if (y >= 0) { EXPECT_EQ(at(100, y / 2), rgb(0x80, 0x80, 0x80)) << t; }
    ys.push_back(spider.Y);
  }
  EXPECT_FALSE(thread_while_above);
  EXPECT_EQ(ys[19], -93 + 160);  // twenty steps of 8
  EXPECT_EQ(ys[59], 67);         // waiting
  EXPECT_EQ(ys[79], -93);        // and back up
  EXPECT_EQ(ys[99], -93);
}

TEST_F(PreviewRoutines, FirefliesTurnOnlyBeyondTheirEdges) {
  Scene& s = scene();
  s.FireFly[1].Picture = picture("v_firefly.bmp");
  for (int i = 1; i <= 8; ++i) {
    Creature& f = s.FireFly[i];
    f.Width = 20;
    f.Height = 19;
    f.FrameCount = 8;
    f.X = 10 * i;
    f.Y = 10 * i;
    f.SpeedX = 1;
    f.SpeedY = 1;
  }
  s.FireFly[1].X = 201 - 20 - 5 - 1;  // reaches the edge exactly: keeps going
  s.FireFly[2].X = 201 - 20 - 5;      // goes one beyond: turns
  s.FireFly[3].Y = -1 - 1;            // comes back inside from above? still outside: turns
  Anim_Preview_FireFly();
  EXPECT_EQ(s.FireFly[1].X, 201 - 20 - 5);
  EXPECT_EQ(s.FireFly[1].SpeedX, 1);
  EXPECT_EQ(s.FireFly[2].SpeedX, -1);
  EXPECT_EQ(s.FireFly[3].SpeedY, -1);
  EXPECT_EQ(s.FireFly[4].SpeedX, 1);
  // Drawn with their mask, from the first firefly's picture.
  EXPECT_EQ(at(40 + 10, 40 + 9), fixture_colour("v_firefly.bmp"));
}

TEST_F(PreviewRoutines, ThreeBatsShareOneFrameAndTheRecordMovesOnOnce) {
  Creature& bat = previews().PreviewCreature;
  bat.Width = 36;
  bat.Height = 32;
  bat.FrameCount = 8;
  bat.Frame = 7;
  bat.X = 82;
  bat.Y = 82;
  bat.Picture = picture("v_bat_preview.bmp");
  Anim_Preview_Multiple(bat);
  EXPECT_EQ(bat.Frame, 0);  // one advance, wrapping
  EXPECT_EQ(bat.X, 82);
  const Pixel c = fixture_colour("v_bat_preview.bmp");
  EXPECT_EQ(at(49 + 1, 82 + 1), c);
  EXPECT_EQ(at(116 + 1, 49 + 1), c);
  EXPECT_EQ(at(116 + 1, 114 + 1), c);
  EXPECT_EQ(at(100, 90), 0u) << "nothing between the thirds";
}

}  // namespace
}  // namespace vex
