#include "animation/properties.h"

#include "animation/creatures.h"
#include "base/convert.h"
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
    s.BackgroundBottom.Y =
        check32(static_cast<long long>(s.BackgroundTop.Height) + s.BackgroundTop.StripY + s.BackgroundMid1.Height);
    s.BackgroundBottom.FileName = "v_background_bot.bmp";

    // Each creature stands where its row puts it, on the layers set above,
    // with its pictures named.
    for (const CreatureRow& row : creature_table()) {
      row.set_up(s, {W, H});
      for (const PictureSpec& picture : row.pictures)
        if (picture.record) set_file(picture.record(s), picture.file);
    }
  });
}

}  // namespace vex
