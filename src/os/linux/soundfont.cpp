#include "os/linux/soundfont.h"

#include <cstdlib>

#include "os/file_io.h"

namespace vex {

std::string soundfont_root() {
  const char* r = std::getenv("VEXMOOR_SOUNDFONT_ROOT");
  return r && *r ? r : "/usr/share/sounds";
}

std::vector<std::string> soundfont_places(const std::string& root) {
  // The small ones before the large: FluidR3 is 148 MB, the full MuseScore
  // one 86 MB compressed.
  const char* files[] = {"sf2/default-GM.sf2",
                         "sf3/default-GM.sf3",
                         "sf2/TimGM6mb.sf2",
                         "sf3/FluidR3Mono_GM.sf3",
                         "sf3/MuseScore_General.sf3",
                         "sf3/MuseScore_General_Lite.sf3",
                         "sf3/MuseScore_General_Full.sf3",
                         "sf2/FluidR3_GM.sf2"};
  std::vector<std::string> places;
  for (const char* f : files) places.push_back(root + "/" + f);
  return places;
}

std::string find_soundfont(const std::string& root) {
  for (const std::string& p : soundfont_places(root))
    if (is_regular_file(p)) return p;
  return "";
}

}  // namespace vex
