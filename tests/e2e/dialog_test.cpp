// The settings dialog as a user meets it: the real binary's real window on a
// private X server, driven with xdotool.
#include <filesystem>
#include <sstream>
#include <thread>

#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"

namespace vex::test {
namespace {

struct Placed {
  Window id = 0;
  int x = 0, y = 0, w = 0, h = 0;
};

class Dialog : public EndToEnd {
 protected:
  Placed open(const XServer& x) {
    proc = start(&x, {"/c"});
    Placed p;
    bool found = eventually([&] {
      std::string id = xdotool(x, {"search", "--onlyvisible", "--name", "^Vexmoor ScreenSaver$"});
      if (id.empty()) return false;
      p.id = std::stoul(id.substr(0, id.find('\n')));
      XWindowAttributes a{};
      if (!XGetWindowAttributes(x.display(), p.id, &a) || a.map_state != IsViewable) return false;
      Window child = 0;
      XTranslateCoordinates(x.display(), p.id, DefaultRootWindow(x.display()), 0, 0, &p.x, &p.y, &child);
      p.w = a.width;
      p.h = a.height;
      return true;
    });
    EXPECT_TRUE(found) << proc->stderr_text();
    xdotool(x, {"windowfocus", "--sync", std::to_string(p.id)});
    return p;
  }
  // Where the dialog's client area is now: a window manager may still move
  // it after it is first seen (it is centred again once its frame is known).
  static void origin(const XServer& x, const Placed& p, int& ox, int& oy) {
    Window child = 0;
    ox = p.x;
    oy = p.y;
    XTranslateCoordinates(x.display(), p.id, DefaultRootWindow(x.display()), 0, 0, &ox, &oy, &child);
  }
  // A click at client coordinates of the dialog.
  void click(const XServer& x, const Placed& p, int cx, int cy) {
    int ox, oy;
    origin(x, p, ox, oy);
    xdotool(x, {"mousemove", std::to_string(ox + cx), std::to_string(oy + cy), "click", "1"});
    xdotool(x, {"mousemove", "0", "0"});
  }
  void tab(const XServer& x, const Placed& p, int i) {
    static const int centres[] = {31, 105, 175, 225, 269};
    click(x, p, centres[i], 11);
  }
  // What a window manager sends when the user clicks the close box.
  void close_box(const XServer& x, Window w) {
    Display* d = x.display();
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &e);
    XFlush(d);
  }
  Pixel at(const XServer& x, const Placed& p, int cx, int cy) {
    int ox, oy;
    origin(x, p, ox, oy);
    return x.grab().at(ox + cx, oy + cy);
  }
  std::string file_text() {
    std::ifstream in(dir / "config/zelvora.ini", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::unique_ptr<Process> proc;
};

TEST_F(Dialog, OpensCentredOnOptionsAndEveryTabShowsItsControls) {
  XServer x(1024, 768);
  Placed p = open(x);
  EXPECT_EQ(p.w, 512);
  EXPECT_EQ(p.h, 273);
  EXPECT_EQ(p.x, 256);  // centred: no window manager adds a frame here
  EXPECT_EQ(p.y, 248);
  // On "Options" first: the message box's white field, once drawn.
  EXPECT_TRUE(eventually([&] { return at(x, p, 200, 185) == rgb(255, 255, 255); })) << at(x, p, 200, 185);
  const std::filesystem::path artefacts = VEXMOOR_ARTEFACT_DIR;
  std::filesystem::create_directories(artefacts);
  struct Look {
    int cx, cy;
    Pixel colour;
    const char* what;
  };
  const Look looks[5] = {
      {129, 64, fixture_colour("v_question.bmp"), "the Grave Digger's preview button"},
      {129, 64, fixture_colour("v_question.bmp"), "the Black Widow's preview button"},
      {120, 64, fixture_colour("v_speaker.bmp"), "the first song's listen button"},
      {200, 185, rgb(255, 255, 255), "the message box"},
      {132, 60, fixture_colour("v_logo.bmp"), "the logo"},
  };
  for (int i = 0; i < 5; ++i) {
    tab(x, p, i);
    ASSERT_TRUE(eventually([&] { return at(x, p, looks[i].cx, looks[i].cy) == looks[i].colour; }))
        << "tab " << i << ": " << looks[i].what;
    Bitmap shot = x.grab(p.id);
    save_bmp24((artefacts / ("dialog-tab" + std::to_string(i) + ".bmp")).string(), shot);
    if (i < 2) {
      // The preview box plays the filmstrip, centred: 127 x 100 from (37, 48).
      EXPECT_TRUE(eventually([&] { return at(x, p, 296 + 38 + 20, 40 + 49 + 20) == fixture_colour("v_preview.bmp"); }))
          << "tab " << i;
    }
  }
  EXPECT_TRUE(proc->running());
}

TEST_F(Dialog, ATickedBoxAndATypedMessageAppliedWithAltAReachTheSaver) {
  XServer x(1024, 768);
  Placed p = open(x);
  tab(x, p, 1);
  click(x, p, 160 + 8, 184 + 8);  // "White Dove"
  tab(x, p, 3);
  click(x, p, 200, 185);  // the message box
  xdotool(x, {"type", "--delay", "20", "Boo to you"});
  xdotool(x, {"key", "alt+a"});
  auto status = proc->wait_for_exit(20s);
  ASSERT_TRUE(status) << "Apply ends the dialog";
  EXPECT_EQ(*status, 0);
  std::string ini = file_text();
  EXPECT_NE(ini.find("firstrun=1\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\ndove= 1\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\nbat= 1\n"), std::string::npos) << ini;  // a default, kept
  EXPECT_NE(ini.find("\nspeed= 70\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\nmessagetext=Boo to you\n"), std::string::npos) << ini;

  auto saver = start(&x, {"/s"});
  ASSERT_TRUE(eventually([&] { return count(x.grab(), rgb(64, 64, 64), 0, 5, 1024, 24) > 20; }))
      << "the saver shows the message applied\n"
      << saver->stderr_text();
}

TEST_F(Dialog, CancelAndTheCloseBoxLeaveTheSettingsFileAsItWas) {
  const std::string ini = "[Vexmoor]\r\nfirstrun=1\r\nspeed= 40\r\n; a note of mine\r\n";
  settings(ini);
  for (const char* how : {"alt+c", "the close box"}) {
    XServer x(800, 600);
    Placed p = open(x);
    tab(x, p, 0);
    click(x, p, 16 + 16 + 8, 32 + 24 + 8);  // untick the Grave Digger
    if (std::string(how) == "alt+c") xdotool(x, {"key", how});
    else close_box(x, p.id);
    auto status = proc->wait_for_exit(20s);
    ASSERT_TRUE(status) << how;
    EXPECT_EQ(*status, 0);
    EXPECT_EQ(file_text(), ini) << how;
  }
}

TEST_F(Dialog, EscapeDoesNothing) {
  const std::string ini = "[Vexmoor]\r\nfirstrun=1\r\nspeed= 40\r\n";
  settings(ini);
  XServer x(800, 600);
  Placed p = open(x);
  tab(x, p, 0);
  click(x, p, 16 + 16 + 8, 32 + 24 + 8);  // untick the Grave Digger
  xdotool(x, {"key", "Escape"});
  // What follows the key is handled after it: once the Sounds tab shows, the
  // key has been taken, and the dialog is still there.
  tab(x, p, 2);
  ASSERT_TRUE(eventually([&] { return at(x, p, 120, 64) == fixture_colour("v_speaker.bmp"); })) << proc->stderr_text();
  EXPECT_TRUE(proc->running());
  EXPECT_EQ(file_text(), ini) << "nothing saved";
  xdotool(x, {"key", "alt+c"});
  ASSERT_TRUE(proc->wait_for_exit(20s));
  EXPECT_EQ(file_text(), ini);
}

// Under a window manager the dialog is framed as a tool window of a fixed
// size: it offers neither to maximise nor to resize it, only to move and close.
TEST_F(Dialog, IsAFixedSizeToolWindowUnderAWindowManager) {
  XServer x(1024, 768);
  auto wm = start_window_manager(x);
  Placed p = open(x);
  const std::string id = std::to_string(p.id);
  EXPECT_EQ(xprop(x, {"-id", id, "_NET_WM_WINDOW_TYPE"}),
            "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_UTILITY, _NET_WM_WINDOW_TYPE_DIALOG");
  const std::string hints = xprop(x, {"-id", id, "WM_NORMAL_HINTS"});
  EXPECT_NE(hints.find("program specified minimum size: 512 by 273"), std::string::npos) << hints;
  EXPECT_NE(hints.find("program specified maximum size: 512 by 273"), std::string::npos) << hints;
  // The Motif hints: functions move (0x4) and close (0x20) only; decorations
  // border (0x2), title (0x8) and menu (0x10), no minimise or maximise box.
  EXPECT_EQ(xprop(x, {"-id", id, "_MOTIF_WM_HINTS"}), "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x24, 0x1a, 0x0, 0x0");
  // What the manager made of it, as it tells once it manages the window.
  std::string allowed;
  ASSERT_TRUE(eventually([&] {
    allowed = xprop(x, {"-id", id, "_NET_WM_ALLOWED_ACTIONS"});
    return allowed.find("_NET_WM_ACTION_CLOSE") != std::string::npos;
  })) << allowed;
  EXPECT_EQ(xprop(x, {"-id", id, "_OB_APP_TYPE"}), "_OB_APP_TYPE(UTF8_STRING) = \"utility\"");
  EXPECT_NE(allowed.find("_NET_WM_ACTION_MOVE"), std::string::npos) << allowed;
  // (Openbox keeps minimising for every kind of window but toolbars and
  // menus, whatever the hints say; managers that read the Motif hints drop it.)
  for (const char* action : {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE",
                             "_NET_WM_ACTION_FULLSCREEN"})
    EXPECT_EQ(allowed.find(action), std::string::npos) << action << " in " << allowed;
  EXPECT_EQ(p.w, 512);
  EXPECT_EQ(p.h, 273);
  // Escape leaves it there; the manager's close (Alt+F4) ends it.
  xdotool(x, {"key", "Escape"});
  tab(x, p, 2);
  ASSERT_TRUE(eventually([&] { return at(x, p, 120, 64) == fixture_colour("v_speaker.bmp"); }));
  EXPECT_TRUE(proc->running());
  xdotool(x, {"key", "alt+F4"});
  auto status = proc->wait_for_exit(20s);
  ASSERT_TRUE(status) << "closed by the window manager";
  EXPECT_EQ(*status, 0);
}

}  // namespace
}  // namespace vex::test
