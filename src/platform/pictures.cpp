#include "platform/pictures.h"

#include <cstdio>

#include "animation/creature.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "startup/settings.h"

namespace vex {

void LoadPics4ScreenSaver() {
  trap("Starter/LoadPics4ScreenSaver", [] {
    SurfacesState& sf = surfaces();
    Scene& s = scene();
    const std::string& dir = settings().MediaDirectory;
    sf.PaletteSurface = GenerateDC(dir + "v_palette.bmp");
    sf.FrameBuffer = GenerateBufferDC(800, 600, sf.PaletteSurface);
    int pictures = 0;  // that hold something to draw
    auto load = [&](Creature& c) {
      c.Picture = GenerateDC(dir + c.FileName);
      if (!surface_view(c.Picture).empty()) ++pictures;
    };
    for (Creature* layer : {&s.BackgroundTop, &s.BackgroundMid1, &s.BackgroundMid2, &s.BackgroundMid3,
                            &s.BackgroundBottom})
      load(*layer);

    auto load_if = [&](Creature& c, bool condition) {
      if (condition) load(c);
    };
    auto shown = [](const Creature& c) { return c.Enabled && c.Installed; };
    load_if(s.BouncingPumpkin, shown(s.BouncingPumpkin));
    load_if(s.TombStone1, s.TombStone1.Installed);
    load_if(s.TombStone2, s.TombStone2.Installed);
    load_if(s.TombStone4, s.TombStone4.Installed);
    load_if(s.Skeleton1, shown(s.Skeleton1));
    load_if(s.Skeleton2, shown(s.Skeleton2));
    load_if(s.Crow1, shown(s.Crow1));
    load_if(s.Crow2, shown(s.Crow2));
    load_if(s.Hand, shown(s.Hand));
    load_if(s.Watchman, shown(s.Watchman));
    load_if(s.Zombie, shown(s.Zombie));
    load_if(s.BloodDrip, shown(s.BloodDrip));
    load_if(s.Rat[1], shown(s.Rat[1]));
    load_if(s.Rat[2], s.Rat[1].Enabled && s.Rat[2].Installed);
    load_if(s.GraveDigger, shown(s.GraveDigger));
    load_if(s.Spider, shown(s.Spider));
    load_if(s.Scorpion, s.Scorpion.Installed);
    load_if(s.Flower, s.Flower.Installed);
    load_if(s.FireFly[1], s.FireFly[1].Installed);
    load_if(s.Lightning[1], s.Lightning[1].Installed);
    load_if(s.Lightning[2], s.Lightning[2].Installed);
    load_if(s.Owl, shown(s.Owl));
    load_if(s.Dove, shown(s.Dove));
    load_if(s.Medallion, shown(s.Medallion));
    load_if(s.Bat[1], shown(s.Bat[1]));
    RemoveDC(sf.PaletteSurface);
    // Not a failure the program stops for, but someone starting it from a
    // terminal deserves to know why the screen stays black.
    if (pictures == 0)
      std::fprintf(stderr, "vexmoor: no picture could be loaded from %s (missing, unreadable or broken files); "
                           "the screen stays dark\n", dir.c_str());
  });
}

void X_LoadPics4Preview() {
  trap("Starter/X_LoadPics4Preview",
       [] { surfaces().PreviewStrip = GenerateDC(settings().MediaDirectory + "v_preview.bmp"); });
}

}  // namespace vex
