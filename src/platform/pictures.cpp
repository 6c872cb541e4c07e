#include "platform/pictures.h"

#include <cstdio>

#include "animation/creatures.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "startup/settings.h"

namespace vex {

void load_saver_pictures() {
  trap("Starter/LoadPics4ScreenSaver", [] {
    SurfacesState& sf = surfaces();
    Scene& s = scene();
    const std::string& dir = settings().MediaDirectory;
    sf.PaletteSurface = load_surface(dir + "v_palette.bmp");
    sf.FrameBuffer = create_surface(800, 600, sf.PaletteSurface);
    int pictures = 0;  // that hold something to draw
    auto load = [&](Creature& c) {
      c.Picture = load_surface(dir + c.FileName);
      if (!surface_view(c.Picture).empty()) ++pictures;
    };
    for (Creature* layer :
         {&s.BackgroundTop, &s.BackgroundMid1, &s.BackgroundMid2, &s.BackgroundMid3, &s.BackgroundBottom})
      load(*layer);

    for (const CreatureRow& row : creature_table())
      for (const PictureSpec& picture : row.pictures) {
        if (!picture.record) continue;
        Creature& c = picture.record(s);
        const bool wanted = picture.load == Load::kWhenInstalled || switched_on(row, s);
        if (wanted && c.Installed) load(c);
      }
    release_surface(sf.PaletteSurface);
    // Not a failure the program stops for, but someone starting it from a
    // terminal deserves to know why the screen stays black.
    if (pictures == 0)
      std::fprintf(stderr,
                   "vexmoor: no picture could be loaded from %s (missing, unreadable or broken files); "
                   "the screen stays dark\n",
                   dir.c_str());
  });
}

void load_preview_pictures() {
  trap("Starter/X_LoadPics4Preview",
       [] { surfaces().PreviewStrip = load_surface(settings().MediaDirectory + "v_preview.bmp"); });
}

}  // namespace vex
