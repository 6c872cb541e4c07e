#pragma once
// The X server's display power saving, as the saver's windows on X11 see
// it: while the server has put the monitors to standby, suspend or off,
// nothing drawn is seen. Internal to os/linux/.
#include <functional>

namespace vex::x11_power {

// True while the display is powered down; false where the server has no
// power saving at all, or it is switched off.
bool display_asleep();
// Calls changed on the event loop's thread whenever display_asleep() turns
// over; the server is asked once a second while anyone watches. The id
// undoes it.
int watch(std::function<void()> changed);
void unwatch(int id);

}  // namespace vex::x11_power
