// What the saver's windows are on every system.
#include "os/window.h"

#include <algorithm>

namespace vex {

std::vector<PixelRect> saver_monitors(std::vector<ListedMonitor> listed) {
  std::stable_partition(listed.begin(), listed.end(), [](const ListedMonitor& m) { return m.primary; });
  std::erase_if(listed, [](const ListedMonitor& m) { return m.area.empty(); });
  std::vector<PixelRect> kept;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const PixelRect& m = listed[i].area;
    bool drop = false;
    for (std::size_t j = 0; j < listed.size() && !drop; ++j)
      if (i != j && m.encloses(listed[j].area)) drop = m != listed[j].area || j < i;
    if (!drop) kept.push_back(m);
  }
  return kept;
}

}  // namespace vex
