// Windows of others that the saver draws into, as they come: a window with an
// alpha channel (what a compositing desktop hands out), and windows far
// larger than any screen, which must neither cost gigabytes nor show less
// than the whole scene.
#include <csignal>
#include <fstream>

#include "end_to_end.h"  // Xlib, after gtest
#include <X11/Xutil.h>

namespace vex::test {
namespace {

long peak_resident_kb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

std::string hex_id(Window w) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%lx", w);
  return buf;
}

// A window of the screen's default visual, or of a 32-bit one with alpha.
Window make_window(Display* d, int w, int h, bool argb) {
  XVisualInfo vi{};
  XSetWindowAttributes wa{};
  unsigned long mask = CWBorderPixel | CWBackPixel;
  int depth = DefaultDepth(d, DefaultScreen(d));
  Visual* visual = DefaultVisual(d, DefaultScreen(d));
  if (argb) {
    if (!XMatchVisualInfo(d, DefaultScreen(d), 32, TrueColor, &vi)) return 0;
    wa.colormap = XCreateColormap(d, DefaultRootWindow(d), vi.visual, AllocNone);
    mask |= CWColormap;
    depth = vi.depth;
    visual = vi.visual;
  }
  Window win = XCreateWindow(d, DefaultRootWindow(d), 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                             depth, InputOutput, visual, mask, &wa);
  XMapWindow(d, win);
  XSync(d, False);
  return win;
}

class ForeignWindow : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
  }
};

TEST_F(ForeignWindow, EveryPixelDrawnIntoAnAlphaWindowIsOpaque) {
  XServer x(1024, 768);
  Display* d = x.display();
  struct Case {
    const char* what;
    int w, h;
    bool shared_memory;
  };
  // The image shared with the server, the one sent through the connection,
  // and the band a window too large to draw whole is stretched through.
  for (const Case& c :
       {Case{"shared memory", 400, 300, true}, Case{"sent", 400, 300, false}, Case{"stretched", 4200, 300, true}}) {
    SCOPED_TRACE(c.what);
    Window w = make_window(d, c.w, c.h, true);
    ASSERT_NE(w, 0u) << "no 32-bit visual on this server";
    std::map<std::string, std::string> env;
    if (!c.shared_memory) env["VEXMOOR_NO_SHM"] = "1";
    auto saver = start(&x, {"--window-id", hex_id(w)}, env);
    // The window's part on the screen; the scene is drawn once its top
    // band shows at the window's top.
    const int gw = std::min(c.w, 1024), gh = c.h;
    auto drawn = [&] { return x.grab(w).at(gw / 2, 8) == fixture_colour("v_background_top.bmp"); };
    ASSERT_TRUE(eventually(drawn)) << saver->stderr_text();
    XImage* img = XGetImage(d, w, 0, 0, static_cast<unsigned>(gw), static_cast<unsigned>(gh), AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    int see_through = 0;
    for (int y = 0; y < gh; ++y)
      for (int xx = 0; xx < gw; ++xx) see_through += (XGetPixel(img, xx, y) >> 24) != 0xFF;
    XDestroyImage(img);
    EXPECT_EQ(see_through, 0) << "of " << gw * gh << " pixels, " << see_through << " not opaque";
    saver->send_signal(SIGTERM);
    ASSERT_TRUE(saver->wait_for_exit(20s));
    XDestroyWindow(d, w);
    XSync(d, False);
  }
}

TEST_F(ForeignWindow, AWindowWiderThanTheCanvasGetsTheWholeSceneStretchedOverIt) {
  // Wider than the widest canvas drawn: the scene is drawn at 4096 x 410 and
  // stretched back over all of the window's 6000 x 600.
  XServer x(6000, 600);
  Display* d = x.display();
  Window w = make_window(d, 6000, 600, false);
  // The clock is laid out for the canvas, at its right end.
  auto saver = start(&x, {"--window-id", hex_id(w), "--clock"});
  const Pixel top = fixture_colour("v_background_top.bmp"), bottom = fixture_colour("v_background_bot.bmp");
  const Pixel flower = fixture_colour("v_flower.bmp");
  Bitmap shot;
  // The flower stands at scene (335..385, 468..518): window columns from
  // 2513 to 2887.
  ASSERT_TRUE(eventually([&] {
    shot = x.grab(w);
    return shot.at(3000, 30) == top && shot.at(2700, 493) == flower;
  })) << saver->stderr_text();
  // Out to the window's edges, up to the fixture pictures' one-pixel black
  // border, which the stretch makes eight pixels wide.
  EXPECT_EQ(shot.at(5990, 30), top);
  EXPECT_EQ(shot.at(5990, 590), bottom);
  EXPECT_EQ(shot.at(10, 590), bottom);
  EXPECT_EQ(shot.at(2700, 460), bottom) << "the ground under the flower";
  EXPECT_EQ(shot.at(4500, 30), top) << "beyond the canvas's width";
  EXPECT_GT(count(shot, rgb(64, 64, 64), 5800, 0, 6000, 60), 20) << "the clock's figures at the right end";
  // The flower's seven columns of scene pixels per window column: 375 wide.
  int flower_columns = 0;
  for (int xx = 2400; xx < 3000; ++xx) flower_columns += shot.at(xx, 493) == flower;
  RecordProperty("flower_columns", flower_columns);
  EXPECT_NEAR(flower_columns, 50 * 6000 / 800, 40);

  // Made small enough to draw whole, and then too large again.
  XResizeWindow(d, w, 2000, 600);
  XSync(d, False);
  ASSERT_TRUE(eventually([&] {
    shot = x.grab(w);
    return shot.width() == 2000 && shot.at(1990, 30) == top && count(shot, rgb(64, 64, 64), 1850, 0, 2000, 40) > 20;
  })) << "drawn whole at 2000 x 600, the clock at its right end";
  XResizeWindow(d, w, 5000, 600);
  XSync(d, False);
  ASSERT_TRUE(eventually([&] {
    shot = x.grab(w);
    return shot.width() == 5000 && shot.at(4990, 30) == top && shot.at(4990, 590) == bottom &&
           count(shot, rgb(64, 64, 64), 4800, 0, 5000, 60) > 20;
  })) << "stretched again over 5000 x 600";
  saver->send_signal(SIGTERM);
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
}

TEST_F(ForeignWindow, AHugeWindowOrPreviewHostCostsNoMoreThanABoundedCanvas) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own memory would be counted";
#endif
  XServer x(1024, 768);
  Display* d = x.display();
  // 16000 x 16000 pixels are 1 GB at four bytes each: drawn whole, twice
  // that. The window's part on the screen shows the scene's top band.
  Window big = make_window(d, 16000, 16000, false);
  auto saver = start(&x, {"--window-id", hex_id(big)});
  ASSERT_TRUE(eventually([&] { return x.grab().at(500, 100) == fixture_colour("v_background_top.bmp"); }))
      << saver->stderr_text();
  const long saver_kb = peak_resident_kb(saver->pid());
  EXPECT_GT(saver_kb, 0);
  EXPECT_LT(saver_kb, 160 * 1024) << "peak resident " << saver_kb << " kB";
  RecordProperty("window_peak_kb", static_cast<int>(saver_kb));
  saver->send_signal(SIGTERM);
  ASSERT_TRUE(saver->wait_for_exit(20s));

  // A host as large, placed so that its middle, where the preview plays,
  // is on the screen: the 127 x 100 frame from host (7936, 7950), screen
  // (436, 250). Measured once the preview has drawn there.
  Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), -7500, -7700, 16000, 16000, 0, 0, WhitePixel(d, 0));
  XMapWindow(d, host);
  XSync(d, False);
  auto preview = start(&x, {"/p", std::to_string(host)});
  ASSERT_TRUE(eventually([&] { return x.grab().at(436 + 63, 300) == fixture_colour("v_preview.bmp"); }))
      << preview->stderr_text();
  EXPECT_EQ(x.grab().at(100, 100), 0u) << "the host is black round the preview";
  const long preview_kb = peak_resident_kb(preview->pid());
  EXPECT_GT(preview_kb, 0);
  EXPECT_LT(preview_kb, 160 * 1024) << "peak resident " << preview_kb << " kB";
  RecordProperty("preview_peak_kb", static_cast<int>(preview_kb));
  EXPECT_TRUE(preview->running()) << preview->stderr_text();
}

TEST_F(ForeignWindow, APreviewInAHostTooLargeToDrawWholePlaysInItsMiddle) {
  XServer x(6001, 600);
  Display* d = x.display();
  Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 6001, 600, 0, 0, WhitePixel(d, 0));
  XMapWindow(d, host);
  XSync(d, False);
  auto preview = start(&x, {"/p", std::to_string(host)});
  const Pixel strip = fixture_colour("v_preview.bmp");
  // Centred as in a host drawn whole, to the pixel (an odd number of the
  // host's columns lie outside the canvas): the 127 x 100 frame from
  // (round(6001 / 2 - 63.5), 250) = (2937, 250).
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab(host);
    return shot.at(2937 + 63, 250 + 50) == strip;
  })) << preview->stderr_text();
  EXPECT_EQ(shot.at(2937, 300), 0u);  // the frame's own border (fixture)
  EXPECT_EQ(shot.at(2938, 300), strip);
  EXPECT_EQ(shot.at(2937 + 126, 300), 0u);
  EXPECT_EQ(shot.at(2937 + 125, 300), strip);
  EXPECT_EQ(shot.at(2937 + 127, 300), 0u);
  // Black all round, out to the host's edges.
  EXPECT_EQ(shot.at(2, 2), 0u);
  EXPECT_EQ(shot.at(5999, 598), 0u);
  EXPECT_EQ(shot.at(500, 300), 0u);
  EXPECT_EQ(count(shot, rgb(255, 255, 255)), 0) << "none of the host's own white shows";
  XDestroyWindow(d, host);
  XSync(d, False);
  auto status = preview->wait_for_exit(20s);
  ASSERT_TRUE(status) << "the preview must end with its host";
  EXPECT_EQ(*status, 0);
}

}  // namespace
}  // namespace vex::test
