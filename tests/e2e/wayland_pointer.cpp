// A mouse for a headless compositor: a headless session has no input
// device, so its seat has no pointer, no client is ever given one, and a
// click the compositor is told to make (swaymsg seat - cursor press)
// reaches nobody. This tool plugs in a virtual pointer and keeps it
// plugged in until it is ended or the compositor goes away; the tests then
// move and click it through the compositor's own cursor commands.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

#include "virtual-pointer-client.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  auto* g = static_cast<Globals*>(data);
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat)
    g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
    g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void global_remove(void*, wl_registry*, uint32_t) {}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    std::fprintf(stderr, "wayland_pointer: cannot connect to the compositor\n");
    return 1;
  }
  Globals g;
  const wl_registry_listener listener = {global, global_remove};
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &g);
  wl_display_roundtrip(display);
  if (!g.manager) {
    std::fprintf(stderr, "wayland_pointer: the compositor offers no virtual pointer\n");
    return 1;
  }
  zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
  wl_display_roundtrip(display);

  // Nothing comes for this client to handle: the loop only notices the
  // compositor going away. A signal ends the tool as it is, and the
  // compositor unplugs the device with the connection.
  while (wl_display_dispatch(display) != -1) {}
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_flush(display);
  wl_display_disconnect(display);
  return 0;
}
