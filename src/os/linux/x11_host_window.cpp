#include "os/host_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vex {
namespace {

int last_error = 0;

int record_error(Display*, XErrorEvent* e) {
  last_error = e->error_code;
  return 0;
}

Display* connection() {
  static Display* d = XOpenDisplay(nullptr);
  return d;
}

std::string window_title(Display* d, Window w) {
  Atom net_wm_name = XInternAtom(d, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, net_wm_name, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
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

void set_display_lost_handler(void (*handler)()) { lost_handler = handler; }

void install_x_error_handler() {
  XSetErrorHandler(record_error);
  XSetIOErrorHandler(display_lost);
}

int32_t find_top_level_window(const std::string& title) {
  Display* d = connection();
  if (!d) return 0;
  return static_cast<int32_t>(search(d, DefaultRootWindow(d), title, 1));
}

std::optional<Rect32> window_client_rect(int32_t id) {
  Display* d = connection();
  if (!d || id <= 0) return std::nullopt;
  XWindowAttributes a;
  last_error = 0;
  Status ok = XGetWindowAttributes(d, static_cast<Window>(id), &a);
  XSync(d, False);
  if (!ok || last_error) return std::nullopt;
  return Rect32{0, 0, a.width, a.height};
}

bool window_exists(int32_t id) { return window_client_rect(id).has_value(); }

void set_window_topmost(unsigned long id, bool above) {
  Display* d = connection();
  if (!d || !id) return;
  XEvent e;
  std::memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = id;
  e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = above ? 1 : 0;  // add / remove
  e.xclient.data.l[1] = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_ABOVE", False));
  e.xclient.data.l[3] = 1;
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  if (above) XRaiseWindow(d, id);
  XFlush(d);
}

}  // namespace vex
