// The real vexmoor binary, on private X servers.
// gtest first: Xlib's None macro must not reach its templates.
#include <gtest/gtest.h>

#include "end_to_end.h"  // Xlib

namespace vex::test {
namespace {

using namespace std::chrono_literals;

TEST_F(EndToEnd, TheSaverFillsTheScreenWithTheSceneAndEndsOnAKeyNotOnMotion) {
  XServer x(1024, 768);
  settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
  auto saver = start(&x, {"/s"});
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.width() == 1024 && shot.at(512, 100) == fixture_colour("v_background_top.bmp");
  })) << saver->stderr_text();
  // Stretched by 1.28: the ground band starts at 447 * 1.28 = 572.
  EXPECT_EQ(shot.at(512, 700), fixture_colour("v_background_bot.bmp"));
  EXPECT_EQ(shot.at(100, 450), fixture_colour("v_background_mid3.bmp"));  // left half of the band
  EXPECT_GT(count(shot, fixture_colour("v_flower.bmp")), 40 * 40);
  EXPECT_GT(count(shot, fixture_colour("v_tombstone1.bmp")), 100 * 150);

  xdotool(x, {"mousemove", "100", "100"});
  xdotool(x, {"mousemove", "600", "400"});
  // The saver reads its window's events in order. Once the server has the
  // pointer where it was sent, a window laid over the sky and taken away
  // leaves the saver an exposure after the motion; frames redraw only what
  // moves, so the sky comes back only when the saver has read that exposure,
  // and so the motion before it.
  Display* d = x.display();
  ASSERT_TRUE(eventually([&] {
    Window root, child;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return rx == 600 && ry == 400;
  }));
  XSetWindowAttributes over{};
  over.override_redirect = True;
  over.background_pixel = WhitePixel(d, DefaultScreen(d));
  Window cover = XCreateWindow(d, DefaultRootWindow(d), 412, 50, 200, 100, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWOverrideRedirect | CWBackPixel, &over);
  XMapRaised(d, cover);
  XSync(d, False);
  ASSERT_TRUE(eventually([&] { return x.grab().at(512, 100) == rgb(255, 255, 255); }));
  XDestroyWindow(d, cover);
  XSync(d, False);
  EXPECT_TRUE(eventually([&] {
    return count(x.grab(), fixture_colour("v_background_top.bmp"), 412, 50, 612, 150) == 200 * 100;
  })) << "the saver repaints what was covered";
  EXPECT_TRUE(saver->running()) << "mouse movement must not end the saver";

  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a key must end the saver";
  EXPECT_EQ(*status, 0);
}

TEST_F(EndToEnd, AClickEndsTheSaverAndMessageAndClockStandAtTheTop) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nclock=1\nmessagetext=Boo to you\n");
  auto saver = start(&x, {});  // no switch: the saver
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(400, 300) != 0u && count(shot, rgb(64, 64, 64), 0, 5, 300, 24) > 20 &&
           count(shot, rgb(64, 64, 64), 700, 5, 789, 24) > 20;
  })) << saver->stderr_text();
  EXPECT_EQ(shot.at(400, 100), fixture_colour("v_background_top.bmp"));
  EXPECT_EQ(shot.at(400, 10), 0u);  // the message label's black background
  xdotool(x, {"click", "1"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
}

TEST_F(EndToEnd, ASecondSaverEndsAtOnceWhileTheFirstRuns) {
  XServer x(640, 480);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\n");
  auto first = start(&x, {"/s"});
  ASSERT_TRUE(eventually([&] { return x.grab().at(320, 100) != 0u; })) << first->stderr_text();
  auto second = start(&x, {"/S"});
  auto status = second->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_TRUE(first->running());
  // 640 x 480 shows the scene's lower right part: the top band's row 120 at
  // the screen's top.
  EXPECT_EQ(x.grab().at(10, 0), fixture_colour("v_background_top.bmp"));
}

TEST_F(EndToEnd, ThePreviewPlaysInsideItsHostAndEndsWithIt) {
  XServer x(640, 480);
  Display* d = x.display();
  Window host = XCreateSimpleWindow(d, DefaultRootWindow(d), 50, 50, 152, 112, 0, 0, WhitePixel(d, 0));
  XMapWindow(d, host);
  XSync(d, False);
  auto preview = start(&x, {"/p", std::to_string(host)});
  Bitmap shot;
  Pixel strip = fixture_colour("v_preview.bmp");
  ASSERT_TRUE(eventually([&] {
    shot = x.grab(host);
    return shot.width() == 152 && shot.at(12 + 63, 6 + 50) == strip;
  })) << preview->stderr_text();
  EXPECT_EQ(shot.at(2, 2), 0u);  // the child window's black fills the host
  EXPECT_EQ(shot.at(150, 110), 0u);
  EXPECT_EQ(shot.at(12, 6), 0u);  // the frame's own border (fixture)
  EXPECT_EQ(shot.at(13, 7), strip);
  EXPECT_EQ(shot.at(139, 56), 0u);  // right of the 127-wide frame
  XDestroyWindow(d, host);
  XSync(d, False);
  auto status = preview->wait_for_exit(20s);
  ASSERT_TRUE(status) << "the preview must end with its host";
  EXPECT_EQ(*status, 0);
}

TEST_F(EndToEnd, APreviewWithoutAUsableHostEndsAtOnceAndSaysWhy) {
  XServer x(640, 480);
  for (auto args : {std::vector<std::string>{"/p"}, {"/p", "123456"}, {"/p:987"}}) {
    auto preview = start(&x, args);
    auto status = preview->wait_for_exit(20s);
    ASSERT_TRUE(status) << args.back();
    EXPECT_EQ(*status, 2);
    EXPECT_NE(preview->stderr_text().find("/p needs the id of an existing X11 window"), std::string::npos);
  }
}

TEST_F(EndToEnd, ABadSpeedShowsTheErrorWindowWithItsExactCaption) {
  XServer x(1024, 768);
  settings("[Vexmoor]\nfirstrun=1\nspeed=99999\n");
  auto saver = start(&x, {"/s"});
  std::string id;
  ASSERT_TRUE(eventually([&] {
    id = xdotool(x, {"search", "--name", "^Error Code: VXMR- 6 Starter/X_GetData$"});
    return !id.empty();
  })) << saver->stderr_text();
  EXPECT_NE(saver->stderr_text().find("Error Code: VXMR- 6 Starter/X_GetData"), std::string::npos);
  std::string geometry = xdotool(x, {"getwindowgeometry", id});
  EXPECT_NE(geometry.find("267x95"), std::string::npos) << geometry;
  // The saver stepped aside for it, so the report is what the user sees:
  // the saver's window is no longer shown and the report's grey is on screen.
  EXPECT_TRUE(eventually([&] {
    return xdotool(x, {"search", "--onlyvisible", "--name", "^Vexmoor$"}).empty();
  })) << "the saver's window is hidden";
  std::string pos = geometry.substr(geometry.find("Position: ") + 10);
  int wx = std::stoi(pos), wy = std::stoi(pos.substr(pos.find(',') + 1));
  int black = 0;
  EXPECT_TRUE(eventually([&] { return (black = count(x.grab(), 0, wx, wy, wx + 267, wy + 95)) < 267 * 95 / 4; }))
      << "the report must be on top, once drawn: " << black << " black pixels in it";
  EXPECT_TRUE(saver->running());
  xdotool(x, {"windowactivate", "--sync", id});
  xdotool(x, {"key", "--window", id, "Escape"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "closing the error window ends the program";
}

TEST_F(EndToEnd, ThePasswordSwitchHasNothingToChangeAndEnds) {
  XServer x(640, 480);
  auto p = start(&x, {"/a", "500"});
  auto status = p->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_NE(p->stderr_text().find("nothing to change"), std::string::npos);
}

TEST_F(EndToEnd, WithoutADisplayItSaysSoAndFails) {
  auto p = start(nullptr, {"/s"});
  auto status = p->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_NE(*status, 0);
  EXPECT_NE(p->stderr_text().find("cannot open the display"), std::string::npos) << p->stderr_text();
}

}  // namespace
}  // namespace vex::test
