#include "animation/properties.h"

#include <gtest/gtest.h>

#include <map>

#include "animation/creature.h"
#include "base/random.h"
#include "startup/settings.h"
#include "startup/starter.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class Properties : public ProgramTest {
 protected:
  void fill(int w, int h) {
    starter().ScreenWidth = w;
    starter().ScreenHeight = h;
    set_scene_bounds();
    settings().MediaDirectory = install_fixture_media();
    Properties_Creatures();
    EXPECT_TRUE(reports().empty());
  }
};

TEST_F(Properties, LayersAndStonesOnAScreen800Wide) {
  fill(800, 600);
  const Scene& s = scene();
  EXPECT_EQ(s.BackgroundTop.Height, 315);
  EXPECT_EQ(s.BackgroundMid1.Y, 315);
  EXPECT_EQ(s.BackgroundMid3.Y, 315);
  EXPECT_EQ(s.BackgroundMid2.Height, 132);
  EXPECT_EQ(s.BackgroundBottom.Y, 447);
  EXPECT_EQ(s.BackgroundBottom.Height, 153);
  EXPECT_EQ(s.BackgroundMid3.FileName, "v_background_mid3.bmp");
  EXPECT_EQ(s.BackgroundTop.Installed, kFalse);  // layers carry only their file name
  EXPECT_EQ(s.TombStone1.X, 15);
  EXPECT_EQ(s.TombStone2.X, 250);
  EXPECT_EQ(s.TombStone3.X, 473);
  EXPECT_EQ(s.TombStone4.X, 688);
  EXPECT_EQ(s.TombStone1.Height, 199);
  EXPECT_EQ(s.TombStone4.Height, 184);
  EXPECT_EQ(s.TombStone3.FileName, "");
  EXPECT_EQ(s.TombStone3.Installed, kFalse);
  EXPECT_EQ(s.BouncingPumpkin.X, 377);
  EXPECT_EQ(s.BouncingPumpkin.Y, 448);
  EXPECT_EQ(s.Watchman.X, 400);
  EXPECT_EQ(s.Watchman.Y, 378);
  EXPECT_EQ(s.Crow1.X, 66);
  EXPECT_EQ(s.Crow1.Y, 365);
  EXPECT_EQ(s.Crow2.X, 100);
  EXPECT_EQ(s.BloodDrip.X, -5);
  EXPECT_EQ(s.BloodDrip.Y, 483);
  EXPECT_EQ(s.Medallion.X, 706);
  EXPECT_EQ(s.Medallion.Y, 450);
  EXPECT_EQ(s.Skeleton2.Y, 386);
  EXPECT_EQ(s.Zombie.Y, 387);
  EXPECT_EQ(s.Spider.Y, -93);
  EXPECT_EQ(s.Dove.Y, 315);
}

TEST_F(Properties, StonesAndCreaturesMoveIntoViewOnA640x480Screen) {
  fill(640, 480);
  const Scene& s = scene();
  EXPECT_EQ(s.TombStone1.X, 175);
  EXPECT_EQ(s.TombStone2.X, 442);  // 441.5 to even
  EXPECT_EQ(s.TombStone3.X, 1280);
  EXPECT_EQ(s.TombStone4.X, 688);
  EXPECT_EQ(s.Crow1.X, 226);
  EXPECT_EQ(s.Crow2.X, 260);
  EXPECT_EQ(s.BloodDrip.X, 155);
  EXPECT_EQ(s.BouncingPumpkin.X, 297);
  EXPECT_EQ(s.Watchman.X, 320);
  EXPECT_EQ(s.Spider.Y, 27);
}

TEST_F(Properties, AnOddNarrowWidthCentresTheSecondStoneByItsHalfWidth) {
  // 159 + 641 / 2 - 77 / 2 = 441 exactly; the pumpkin's 297.5 and the
  // watchman's 320.5 go to their even neighbours.
  fill(641, 481);
  const Scene& s = scene();
  EXPECT_EQ(s.TombStone2.X, 441);
  EXPECT_EQ(s.TombStone1.X, 174);
  EXPECT_EQ(s.TombStone3.X, 1282);
  EXPECT_EQ(s.BouncingPumpkin.X, 298);
  EXPECT_EQ(s.Watchman.X, 320);
  EXPECT_EQ(s.Spider.Y, 26);
}

TEST_F(Properties, AWideScreenMovesOnlyThePumpkinAndTheWatchman) {
  fill(1024, 768);
  const Scene& s = scene();
  EXPECT_EQ(s.BouncingPumpkin.X, 489);
  EXPECT_EQ(s.Watchman.X, 512);
  EXPECT_EQ(s.TombStone1.X, 15);
  EXPECT_EQ(s.TombStone2.X, 250);
  EXPECT_EQ(s.Crow1.X, 66);
  EXPECT_EQ(s.Spider.Y, -93);
}

TEST_F(Properties, EveryCreatureHasItsSizeFramesSpeedAndFile) {
  fill(800, 600);
  const Scene& s = scene();
  struct Expect {
    const Creature* c;
    int w, h, frames, frame, sx, sy, x, y;
    const char* file;
  };
  const Expect table[] = {
      {&s.BouncingPumpkin, 46, 137, 8, 1, 5, 0, 377, 448, "v_bouncingpumpkin.bmp"},
      {&s.Skeleton1, 151, 200, 12, 1, 15, 0, 0, 385, "v_skeleton1.bmp"},
      {&s.Skeleton2, 45, 64, 12, 1, -7, 0, 600, 386, "v_skeleton2.bmp"},
      {&s.Hand, 61, 98, 17, 0, 0, 0, 710, 500, "v_hand.bmp"},
      {&s.Watchman, 87, 157, 14, 1, -4, 0, 400, 378, "v_watchman.bmp"},
      {&s.Zombie, 39, 66, 10, 1, -2, 0, 800, 387, "v_zombie.bmp"},
      {&s.Rat[1], 65, 43, 5, 1, 10, 0, 0, 550, "v_rat1.bmp"},
      {&s.Rat[2], 45, 30, 5, 3, -8, 0, 800, 500, "v_rat2.bmp"},
      {&s.Scorpion, 38, 33, 5, 1, -2, 1, 700, 500, "v_scorpion.bmp"},
      {&s.Flower, 50, 50, 8, 1, 0, 0, 335, 468, "v_flower.bmp"},
      {&s.Owl, 32, 48, 6, 0, 0, 0, 688, 174, "v_owl.bmp"},
      {&s.GraveDigger, 59, 74, 16, 1, 0, 0, 650, 415, "v_gravedigger.bmp"},
      {&s.Spider, 79, 93, 1, 0, 0, 0, 200, -93, "v_spider.bmp"},
      {&s.Dove, 27, 46, 8, 1, -5, 0, 800, 315, "v_dove.bmp"},
      {&s.Lightning[1], 171, 182, 2, -1, 0, 0, 320, 214, "v_lightning1.bmp"},
      {&s.Lightning[2], 171, 182, 2, -1, 0, 0, 20, 125, "v_lightning2.bmp"},
      {&s.Crow2, 84, 59, 7, 1, 0, 0, 100, 540, "v_Crow2.bmp"},
      {&s.Crow1, 83, 64, 6, 1, 0, 0, 66, 365, "v_crow1.bmp"},
      {&s.BloodDrip, 51, 113, 14, 1, 0, 0, -5, 483, "v_blooddrip.bmp"},
      {&s.Medallion, 65, 38, 3, 0, 0, 0, 706, 450, "v_medallion.bmp"},
  };
  for (const Expect& e : table) {
    SCOPED_TRACE(e.file);
    EXPECT_EQ(e.c->Width, e.w);
    EXPECT_EQ(e.c->Height, e.h);
    EXPECT_EQ(e.c->FrameCount, e.frames);
    EXPECT_EQ(e.c->Frame, e.frame);
    EXPECT_EQ(e.c->SpeedX, e.sx);
    EXPECT_EQ(e.c->SpeedY, e.sy);
    EXPECT_EQ(e.c->X, e.x);
    EXPECT_EQ(e.c->Y, e.y);
    EXPECT_EQ(e.c->FileName, e.file);
    EXPECT_EQ(e.c->Installed, kTrue);  // found although the file is spelt "v_Crow2.bmp" and others lower case
    EXPECT_EQ(e.c->Enabled, kFalse);   // the settings set this, not the properties
  }
  EXPECT_EQ(s.Rat[2].StripX, 225);
  EXPECT_EQ(s.Rat[1].StripX, 0);
  EXPECT_EQ(s.Bat[2].FileName, "");  // only the first of a family carries the file
  EXPECT_EQ(s.FireFly[3].Installed, kFalse);
}

TEST_F(Properties, LayersStonesAndFamiliesHaveTheirSizes) {
  fill(800, 600);
  const Scene& s = scene();
  struct Size {
    const Creature* c;
    int w, h, frames, x, y;
  };
  const Size sizes[] = {
      {&s.BackgroundTop, 800, 315, 1, 0, 0},      {&s.BackgroundMid1, 800, 132, 1, 0, 315},
      {&s.BackgroundMid2, 800, 132, 1, 0, 315},   {&s.BackgroundMid3, 800, 132, 1, 0, 315},
      {&s.BackgroundBottom, 800, 153, 1, 0, 447}, {&s.TombStone1, 134, 199, 0, 15, 400},
      {&s.TombStone2, 77, 125, 0, 250, 450},      {&s.TombStone3, 77, 125, 0, 473, 450},
      {&s.TombStone4, 102, 184, 0, 688, 400},
  };
  for (const Size& z : sizes) {
    SCOPED_TRACE(z.c->FileName.empty() ? "the third stone" : z.c->FileName);
    EXPECT_EQ(z.c->Width, z.w);
    EXPECT_EQ(z.c->Height, z.h);
    EXPECT_EQ(z.c->FrameCount, z.frames);
    EXPECT_EQ(z.c->X, z.x);
    EXPECT_EQ(z.c->Y, z.y);
  }
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(s.Bat[i].Width, 26);
    EXPECT_EQ(s.Bat[i].Height, 23);
    EXPECT_EQ(s.Bat[i].FrameCount, 8);
  }
  for (int i = 1; i <= 15; ++i) {
    EXPECT_EQ(s.FireFly[i].Width, 20);
    EXPECT_EQ(s.FireFly[i].Height, 19);
    EXPECT_EQ(s.FireFly[i].FrameCount, 8);
  }
  EXPECT_EQ(s.Bat[1].FileName, "v_bat.bmp");
  EXPECT_EQ(s.FireFly[1].FileName, "v_firefly.bmp");
}

TEST_F(Properties, TheRandomStartValuesUseTheirWholeRanges) {
  // Start-up draws them afresh each run: over many runs every value of each
  // range comes up, and nothing outside it.
  std::map<int, int> bat_x, bat_y, bat_frame, fly_x, fly_y, fly_frame, fly_sx, fly_sy;
  for (int run = 0; run < 3000; ++run) {
    test::reset_program_state();
    seed_random(static_cast<uint64_t>(run) * 2654435761u + 1);
    starter().ScreenWidth = 800;
    starter().ScreenHeight = 600;
    set_scene_bounds();
    settings().MediaDirectory = dir_ / "no-media/";
    Properties_Creatures();
    const Scene& s = scene();
    for (int i = 1; i <= 6; ++i) {
      ++bat_x[s.Bat[i].X];
      ++bat_y[s.Bat[i].Y];
      ++bat_frame[s.Bat[i].Frame];
    }
    for (int i = 1; i <= 15; ++i) {
      ++fly_x[s.FireFly[i].X];
      ++fly_y[s.FireFly[i].Y];
      ++fly_frame[s.FireFly[i].Frame];
      ++fly_sx[s.FireFly[i].SpeedX];
      ++fly_sy[s.FireFly[i].SpeedY];
    }
  }
  auto whole = [](const std::map<int, int>& seen, int lo, int hi) {
    return static_cast<int>(seen.size()) == hi - lo + 1 && seen.begin()->first == lo && seen.rbegin()->first == hi;
  };
  EXPECT_TRUE(whole(bat_x, 0, 800));
  EXPECT_TRUE(whole(bat_y, 315, 355));
  EXPECT_TRUE(whole(bat_frame, 0, 7));
  EXPECT_TRUE(whole(fly_x, 0, 800));
  EXPECT_TRUE(whole(fly_y, 0, 400));
  EXPECT_TRUE(whole(fly_frame, 0, 7));
  // Speeds -2..2 with 0 never kept: a still x goes left and a still y goes
  // down, so -2 across and +2 down come up about twice as often as the others.
  EXPECT_EQ(fly_sx.count(0), 0u);
  EXPECT_EQ(fly_sy.count(0), 0u);
  ASSERT_EQ(fly_sx.size(), 4u);
  ASSERT_EQ(fly_sy.size(), 4u);
  EXPECT_GT(fly_sx[-2], fly_sx[2] * 3 / 2);
  EXPECT_GT(fly_sx[-2], fly_sx[-1] * 3 / 2);
  EXPECT_GT(fly_sy[2], fly_sy[-2] * 3 / 2);
  EXPECT_GT(fly_sy[2], fly_sy[1] * 3 / 2);
}

TEST_F(Properties, BatsAndFirefliesStartInsideTheirRangesWithNonZeroSpeeds) {
  for (uint64_t seed = 1; seed < 40; ++seed) {
    test::reset_program_state();
    seed_random(seed * 7919);
    fill(800, 600);
    const Scene& s = scene();
    for (int i = 1; i <= 6; ++i) {
      const Creature& b = s.Bat[i];
      EXPECT_GE(b.X, 0);
      EXPECT_LE(b.X, 800);
      EXPECT_GE(b.Y, 315);
      EXPECT_LE(b.Y, 355);
      EXPECT_GE(b.Frame, 0);
      EXPECT_LE(b.Frame, 7);
      EXPECT_EQ(b.SpeedX, 3);
      EXPECT_EQ(b.SpeedY, 1);
    }
    for (int i = 1; i <= 15; ++i) {
      const Creature& f = s.FireFly[i];
      EXPECT_GE(f.X, 0);
      EXPECT_LE(f.X, 800);
      EXPECT_GE(f.Y, 0);
      EXPECT_LE(f.Y, 400);
      EXPECT_NE(f.SpeedX, 0);
      EXPECT_NE(f.SpeedY, 0);
      EXPECT_GE(f.SpeedX, -2);
      EXPECT_LE(f.SpeedX, 2);
      EXPECT_GE(f.SpeedY, -2);
      EXPECT_LE(f.SpeedY, 2);
      EXPECT_GE(f.Frame, 0);
      EXPECT_LE(f.Frame, 7);
    }
  }
}

TEST_F(Properties, FirefliesDoNotAllStartInOnePlace) {
  fill(800, 600);
  const Scene& s = scene();
  int same = 0;
  for (int i = 2; i <= 15; ++i) same += s.FireFly[i].X == s.FireFly[1].X && s.FireFly[i].Y == s.FireFly[1].Y;
  EXPECT_LT(same, 3);
}

TEST_F(Properties, MissingPicturesAreNotInstalled) {
  starter().ScreenWidth = 800;
  starter().ScreenHeight = 600;
  settings().MediaDirectory = dir_ / "empty/";
  Properties_Creatures();
  EXPECT_EQ(scene().Owl.Installed, kFalse);
  EXPECT_EQ(scene().TombStone1.Installed, kFalse);
  EXPECT_EQ(scene().Owl.Width, 32);
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
