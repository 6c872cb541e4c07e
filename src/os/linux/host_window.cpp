#include "os/host_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "os/linux/wayland_window.h"
#include "os/linux/window_parts.h"

namespace vex {
namespace {

int last_error = 0;

int record_error(Display*, XErrorEvent* e) {
  last_error = e->error_code;
  return 0;
}

std::string window_title(Display* d, Window w) {
  Atom net_wm_name = XInternAtom(d, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, net_wm_name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) == Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    if (!title.empty()) return title;
  }
  char* name = nullptr;
  if (XFetchName(d, w, &name) && name) {
    title = name;
    XFree(name);
  }
  return title;
}

// Top-level windows may sit one level down under a window manager's frame;
// look two levels deep.
Window search(Display* d, Window parent, const std::string& title, int depth) {
  Window root_ret, parent_ret, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, parent, &root_ret, &parent_ret, &children, &n)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < n && !found; ++i)
    if (window_title(d, children[i]) == title) found = children[i];
  for (unsigned int i = 0; i < n && !found && depth > 0; ++i) found = search(d, children[i], title, depth - 1);
  if (children) XFree(children);
  return found;
}

void (*lost_handler)() = nullptr;

// Xlib ends the process itself if this returns; running exit-time clean-up
// against a dead connection would only crash.
int display_lost(Display*) {
  if (lost_handler) lost_handler();
  std::_Exit(1);
}

}  // namespace

Display* x11_connection() {
  static Display* d = XOpenDisplay(nullptr);
  return d;
}

void set_display_lost_handler(void (*handler)()) { lost_handler = handler; }

void report_display_lost() {
  if (lost_handler) lost_handler();
  std::_Exit(1);
}

void install_x_error_handler() {
  XSetErrorHandler(record_error);
  XSetIOErrorHandler(display_lost);
}

int32_t find_top_level_window(const std::string& title) {
  Display* d = x11_connection();
  if (!d) return 0;
  return static_cast<int32_t>(search(d, DefaultRootWindow(d), title, 1));
}

std::optional<PixelRect> window_client_rect(int32_t id) {
  Display* d = x11_connection();
  if (!d || id <= 0) return std::nullopt;
  XWindowAttributes a;
  last_error = 0;
  Status ok = XGetWindowAttributes(d, static_cast<Window>(id), &a);
  XSync(d, False);
  if (!ok || last_error) return std::nullopt;
  return PixelRect{0, 0, a.width, a.height};
}

bool window_exists(int32_t id) { return window_client_rect(id).has_value(); }

std::optional<PixelRect> root_window_rect() {
  Display* d = x11_connection();
  if (!d) return std::nullopt;
  Screen* s = DefaultScreenOfDisplay(d);
  return PixelRect{0, 0, WidthOfScreen(s), HeightOfScreen(s)};
}

namespace {

void send_wm_state(Display* d, unsigned long id, bool add, const char* state) {
  XEvent e;
  std::memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = id;
  e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = add ? 1 : 0;  // add / remove
  e.xclient.data.l[1] = static_cast<long>(XInternAtom(d, state, False));
  e.xclient.data.l[3] = 1;
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

}  // namespace

bool window_manager_running() {
  static int answer = -1;
  if (answer >= 0) return answer == 1;
  // Only one client may redirect the root window's structure requests, and
  // a window manager always does: asking for it on a connection of our own
  // tells whether one is there.
  Display* probe = XOpenDisplay(nullptr);
  if (!probe) return false;
  static bool refused;
  refused = false;
  XErrorHandler old = XSetErrorHandler([](Display*, XErrorEvent* e) {
    if (e->error_code == BadAccess) refused = true;
    return 0;
  });
  XSelectInput(probe, DefaultRootWindow(probe), SubstructureRedirectMask);
  XSync(probe, False);
  XSetErrorHandler(old);
  XCloseDisplay(probe);
  answer = refused ? 1 : 0;
  return refused;
}

void set_window_fullscreen(unsigned long id) {
  Display* d = x11_connection();
  if (!d || !id) return;
  send_wm_state(d, id, true, "_NET_WM_STATE_FULLSCREEN");
  XFlush(d);
}

void set_window_topmost(unsigned long id, bool above) {
  Display* d = x11_connection();
  if (!d || !id) return;
  send_wm_state(d, id, above, "_NET_WM_STATE_ABOVE");
  if (above) XRaiseWindow(d, id);
  XFlush(d);
}

}  // namespace vex
