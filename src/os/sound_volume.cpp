#include "os/sound_volume.h"

#include <algorithm>
#include <atomic>

namespace vex {
namespace {
// Read by the sound threads while the program's thread may set it.
std::atomic<int> volume{kFullVolume};
}  // namespace

void set_output_volume(int percent) { volume.store(std::clamp(percent, 0, kFullVolume)); }
int output_volume() { return volume.load(); }

}  // namespace vex
