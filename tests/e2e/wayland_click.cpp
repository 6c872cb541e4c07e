// Clicks on a Wayland compositor as a user's mouse would: a virtual pointer
// (the wlroots compositors' protocol for input made by a program) moved to a
// point of the first output, then a left button press and release, with
// pauses around them so the compositor has shown the pointer where it is
// before the button goes down.
//
//   vexmoor_wayland_click X Y [pause_ms]
//
// A compositor started with no input devices (a headless one) gives its
// seat no pointer at all until such a device appears.
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The protocol's two interfaces, described as its XML does (requests only:
// neither sends events).
const wl_interface* no_types[8] = {};
extern const wl_interface virtual_pointer_interface;
const wl_message virtual_pointer_requests[] = {
    {"motion", "uff", no_types},         {"motion_absolute", "uuuuu", no_types}, {"button", "uuu", no_types},
    {"axis", "uuf", no_types},           {"frame", "", no_types},                {"axis_source", "u", no_types},
    {"axis_stop", "uu", no_types},       {"axis_discrete", "uufi", no_types},   {"destroy", "", no_types},
};
const wl_interface virtual_pointer_interface = {"zwlr_virtual_pointer_v1", 1, 9, virtual_pointer_requests, 0, nullptr};
const wl_interface* create_types[] = {&wl_seat_interface, &virtual_pointer_interface};
const wl_message manager_requests[] = {{"create_virtual_pointer", "?on", create_types}, {"destroy", "", no_types}};
const wl_interface manager_interface = {"zwlr_virtual_pointer_manager_v1", 1, 2, manager_requests, 0, nullptr};

enum : uint32_t { kMotionAbsolute = 1, kButton = 2, kFrame = 4, kDestroy = 8 };

wl_proxy* manager = nullptr;
wl_seat* seat = nullptr;
int width = 0, height = 0;

void output_geometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*,
                     int32_t) {}
void output_mode(void*, wl_output*, uint32_t flags, int32_t w, int32_t h, int32_t) {
  if ((flags & WL_OUTPUT_MODE_CURRENT) && width == 0) {
    width = w;
    height = h;
  }
}
void output_done(void*, wl_output*) {}
void output_scale(void*, wl_output*, int32_t) {}
void output_name(void*, wl_output*, const char*) {}
void output_description(void*, wl_output*, const char*) {}
const wl_output_listener output_listener = {output_geometry, output_mode, output_done,
                                            output_scale,    output_name, output_description};

void global(void*, wl_registry* r, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, manager_interface.name) == 0 && !manager)
    manager = static_cast<wl_proxy*>(wl_registry_bind(r, name, &manager_interface, 1));
  else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat)
    seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
  else if (std::strcmp(interface, wl_output_interface.name) == 0 && width == 0)
    wl_output_add_listener(static_cast<wl_output*>(wl_registry_bind(r, name, &wl_output_interface, 1)),
                           &output_listener, nullptr);
}
void global_remove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registry_listener = {global, global_remove};

void send(wl_proxy* p, uint32_t opcode, auto... args) {
  wl_proxy_marshal_flags(p, opcode, nullptr, 1, 0, args...);
}

void pause_and_flush(wl_display* d, int ms) {
  wl_display_roundtrip(d);
  usleep(static_cast<useconds_t>(ms) * 1000);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s X Y [pause_ms]\n", argv[0]);
    return 2;
  }
  const unsigned x = static_cast<unsigned>(std::atoi(argv[1])), y = static_cast<unsigned>(std::atoi(argv[2]));
  const int pause_ms = argc > 3 ? std::atoi(argv[3]) : 500;
  wl_display* d = wl_display_connect(nullptr);
  if (!d) {
    std::fprintf(stderr, "no Wayland compositor\n");
    return 1;
  }
  wl_registry_add_listener(wl_display_get_registry(d), &registry_listener, nullptr);
  wl_display_roundtrip(d);
  wl_display_roundtrip(d);
  if (!manager || width <= 0) {
    std::fprintf(stderr, "the compositor has no virtual pointers or no output\n");
    return 1;
  }
  auto* pointer = wl_proxy_marshal_flags(manager, 0, &virtual_pointer_interface, 1, 0, seat, nullptr);
  pause_and_flush(d, pause_ms);
  send(pointer, kMotionAbsolute, 0u, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
  send(pointer, kFrame);
  pause_and_flush(d, pause_ms);
  send(pointer, kButton, 1u, static_cast<uint32_t>(BTN_LEFT), static_cast<uint32_t>(WL_POINTER_BUTTON_STATE_PRESSED));
  send(pointer, kFrame);
  pause_and_flush(d, pause_ms / 5 + 1);
  send(pointer, kButton, 2u, static_cast<uint32_t>(BTN_LEFT), static_cast<uint32_t>(WL_POINTER_BUTTON_STATE_RELEASED));
  send(pointer, kFrame);
  pause_and_flush(d, pause_ms);
  wl_proxy_marshal_flags(pointer, kDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
  wl_display_roundtrip(d);
  wl_display_disconnect(d);
  return 0;
}
