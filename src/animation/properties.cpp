#include "animation/properties.h"

#include <cmath>

#include "animation/creature.h"
#include "base/convert.h"
#include "base/random.h"
#include "platform/error_report.h"
#include "platform/system.h"
#include "startup/settings.h"
#include "startup/starter.h"

namespace vex {
namespace {

void set_file(Creature& c, const char* file) {
  c.FileName = file;
  c.Installed = FileInstallCheck(settings().MediaDirectory + file);
}

void set_frames(Creature& c, int width, int height, int frame_count, int frame) {
  c.Width = width;
  c.Height = height;
  c.FrameCount = frame_count;
  c.Frame = frame;
}

int32_t floor_i32(double v) { return check32(static_cast<long long>(std::floor(v))); }

}  // namespace

void Properties_Creatures() {
  trap("Animations\\Properties_Creatures", [] {
    Scene& s = scene();
    const StarterState& st = starter();
    const int W = st.ScreenWidth, H = st.ScreenHeight;

    set_frames(s.BackgroundTop, 800, 315, 1, 0);
    s.BackgroundTop.X = 0;
    s.BackgroundTop.Y = 0;
    s.BackgroundTop.FileName = "v_background_top.bmp";

    Creature* mids[] = {&s.BackgroundMid1, &s.BackgroundMid2, &s.BackgroundMid3};
    const char* mid_files[] = {"v_background_mid1.bmp", "v_background_mid2.bmp", "v_background_mid3.bmp"};
    for (int i = 0; i < 3; ++i) {
      set_frames(*mids[i], 800, 132, 1, 0);
      mids[i]->X = s.BackgroundTop.StripX;
      mids[i]->Y = check32(static_cast<long long>(s.BackgroundTop.Height) + s.BackgroundTop.StripY);
      mids[i]->FileName = mid_files[i];
    }

    set_frames(s.BackgroundBottom, 800, 153, 1, 0);
    s.BackgroundBottom.X = s.BackgroundTop.StripX;
    s.BackgroundBottom.Y = check32(static_cast<long long>(s.BackgroundTop.Height) + s.BackgroundTop.StripY +
                                   s.BackgroundMid1.Height);
    s.BackgroundBottom.FileName = "v_background_bot.bmp";

    // On screens narrower than the scene only its right part shows, so the
    // stones move into that part.
    set_frames(s.TombStone1, 134, 199, 0, 0);
    s.TombStone1.Y = 400;
    s.TombStone1.X = W >= 800 ? 15 : (800 - W) + 15;
    set_file(s.TombStone1, "v_tombstone1.bmp");

    set_frames(s.TombStone2, 77, 125, 0, 0);
    s.TombStone2.Y = 450;
    s.TombStone2.X = W >= 800 ? 250 : round_to_i32((800 - W) + W / 2.0 - 77 / 2.0);
    set_file(s.TombStone2, "v_tombstone2.bmp");

    set_frames(s.TombStone3, 77, 125, 0, 0);
    s.TombStone3.Y = 450;
    s.TombStone3.X = W >= 800 ? 473 : 2 * W;

    set_frames(s.TombStone4, 102, 184, 0, 0);
    s.TombStone4.X = 688;
    s.TombStone4.Y = 400;
    set_file(s.TombStone4, "v_tombstone4.bmp");

    struct Row {
      Creature* c;
      int w, h, frames, frame, sx, sy;
      int32_t x, y;
      const char* file;
    };
    const int32_t mid1_y = s.BackgroundMid1.Y;
    const int32_t t1x = s.TombStone1.X, t1y = s.TombStone1.Y;
    // Rows that depend on earlier rows are set one at a time below.
    Row table[] = {
        {&s.BouncingPumpkin, 46, 137, 8, 1, 5, 0, round_to_i32(W / 2.0 - 46 / 2.0), 600 - 137 - 15,
         "v_bouncingpumpkin.bmp"},
        {&s.Skeleton1, 151, 200, 12, 1, 15, 0, 0, 385, "v_skeleton1.bmp"},
        {&s.Skeleton2, 45, 64, 12, 1, -7, 0, 600, check32(mid1_y + 71LL), "v_skeleton2.bmp"},
        {&s.Crow1, 83, 64, 6, 1, 0, 0, check32(t1x + 51LL), 365, "v_crow1.bmp"},
        {&s.Crow2, 84, 59, 7, 1, 0, 0, check32(t1x + 85LL), 540, "v_Crow2.bmp"},
        {&s.Hand, 61, 98, 17, 0, 0, 0, 710, 500, "v_hand.bmp"},
        {&s.Watchman, 87, 157, 14, 1, -4, 0, round_to_i32(W / 2.0), 600 - 157 - 65, "v_watchman.bmp"},
        {&s.Zombie, 39, 66, 10, 1, -2, 0, 800, check32(mid1_y + 72LL), "v_zombie.bmp"},
        {&s.BloodDrip, 51, 113, 14, 1, 0, 0, check32(t1x - 20LL), check32(t1y + 83LL), "v_blooddrip.bmp"},
        {&s.Medallion, 65, 38, 3, 0, 0, 0, check32(s.TombStone4.X + 18LL), check32(s.TombStone4.Y + 50LL),
         "v_medallion.bmp"},
        {&s.Rat[1], 65, 43, 5, 1, 10, 0, 0, 550, "v_rat1.bmp"},
        {&s.Rat[2], 45, 30, 5, 3, -8, 0, 800, 500, "v_rat2.bmp"},
        {&s.Scorpion, 38, 33, 5, 1, -2, 1, 700, 500, "v_scorpion.bmp"},
        {&s.Flower, 50, 50, 8, 1, 0, 0, 335, 468, "v_flower.bmp"},
        {&s.Owl, 32, 48, 6, 0, 0, 0, 688, 174, "v_owl.bmp"},
        {&s.GraveDigger, 59, 74, 16, 1, 0, 0, 650, 415, "v_gravedigger.bmp"},
        {&s.Spider, 79, 93, 1, 0, 0, 0, 200, H >= 600 ? -93 : check32(600LL - H - 93), "v_spider.bmp"},
    };
    for (const Row& r : table) {
      set_frames(*r.c, r.w, r.h, r.frames, r.frame);
      r.c->SpeedX = r.sx;
      r.c->SpeedY = r.sy;
      r.c->X = r.x;
      r.c->Y = r.y;
      set_file(*r.c, r.file);
    }
    // Rat 2 starts running left, so it starts on its leftward strip.
    s.Rat[2].StripX = 225;

    for (int i = 1; i <= 15; ++i) {
      Creature& f = s.FireFly[i];
      set_frames(f, 20, 19, 8, 0);
      reseed_from_clock();
      f.Frame = floor_i32(8 * rnd());
      f.SpeedX = floor_i32(5 * rnd() - 2);
      if (f.SpeedX == 0) f.SpeedX = -2;
      reseed_from_clock();
      f.SpeedY = floor_i32(5 * rnd() - 2);
      if (f.SpeedY == 0) f.SpeedY = 2;
      reseed_from_clock();
      f.X = floor_i32(801 * rnd());
      reseed_from_clock();
      f.Y = floor_i32(401 * rnd());
    }
    set_file(s.FireFly[1], "v_firefly.bmp");

    set_frames(s.Lightning[1], 171, 182, 2, -1);
    s.Lightning[1].X = 320;
    s.Lightning[1].Y = 214;
    set_file(s.Lightning[1], "v_lightning1.bmp");
    set_frames(s.Lightning[2], 171, 182, 2, -1);
    s.Lightning[2].X = 20;
    s.Lightning[2].Y = 125;
    set_file(s.Lightning[2], "v_lightning2.bmp");

    set_frames(s.Dove, 27, 46, 8, 1);
    s.Dove.SpeedX = -5;
    s.Dove.X = 800;
    s.Dove.Y = s.BackgroundTop.Height;
    set_file(s.Dove, "v_dove.bmp");

    for (int i = 1; i <= 6; ++i) {
      Creature& b = s.Bat[i];
      set_frames(b, 26, 23, 8, 0);
      b.SpeedX = 3;
      b.SpeedY = 1;
      reseed_from_clock();
      b.Frame = floor_i32(8 * rnd());
      reseed_from_clock();
      b.X = floor_i32(801 * rnd());
      b.Y = floor_i32(std::floor(41 * static_cast<double>(rnd())) + static_cast<double>(s.BackgroundMid1.Y));
    }
    set_file(s.Bat[1], "v_bat.bmp");
  });
}

}  // namespace vex
