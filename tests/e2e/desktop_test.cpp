// The saver as a desktop's screen-saver daemon runs it: drawing into a
// window it is given (of any visual), following its size, ending when it
// goes or when asked; and the full-screen saver over several monitors.
#include <csignal>
#include <fstream>
#include <thread>

#include "end_to_end.h"  // Xlib, after gtest
#include <X11/Xutil.h>

namespace vex::test {
namespace {

// Colours a grab of a 16-bit screen can only approximate.
bool near(Pixel a, Pixel b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > tolerance) return false;
  return true;
}

class Desktop : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
  }
};

TEST_F(Desktop, AGivenWindowOfAnotherVisualGetsTheSceneFollowsItsSizeAndEndsItWhenGone) {
  XServer x(1024, 768);
  Display* d = x.display();
  // A settings window's preview: a child of another depth than the root's.
  XVisualInfo vi{};
  ASSERT_TRUE(XMatchVisualInfo(d, DefaultScreen(d), 32, TrueColor, &vi)) << "no 32-bit visual on this server";
  XSetWindowAttributes wa{};
  wa.colormap = XCreateColormap(d, DefaultRootWindow(d), vi.visual, AllocNone);
  wa.border_pixel = 0;
  wa.background_pixel = 0;
  Window w = XCreateWindow(d, DefaultRootWindow(d), 10, 10, 400, 300, 0, vi.depth, InputOutput, vi.visual,
                           CWColormap | CWBorderPixel | CWBackPixel, &wa);
  XMapWindow(d, w);
  XSync(d, False);
  auto saver = start(&x, {"--window-id", "0x" + [&] {
                            char buf[32];
                            std::snprintf(buf, sizeof buf, "%lx", w);
                            return std::string(buf);
                          }()});
  // 400 x 300 is narrower than the scene: its lower right part shows, the
  // first band's open half at (200, 40) (scene (600, 340)).
  ASSERT_TRUE(eventually([&] { return x.grab(w).at(200, 40) == fixture_colour("v_background_mid1.bmp"); }))
      << saver->stderr_text();
  EXPECT_EQ(x.grab(w).at(390, 290), fixture_colour("v_background_bot.bmp"));

  // A click and a key in the window, and then its new size: the saver reads
  // the window's events in order, so once it follows the size it has had
  // whatever of the input came to it.
  xdotool(x, {"mousemove", "300", "300", "click", "1"});
  xdotool(x, {"key", "space"});
  XResizeWindow(d, w, 1000, 750);
  XSync(d, False);
  ASSERT_TRUE(eventually([&] {
    Bitmap shot = x.grab(w);
    return shot.width() == 1000 && shot.at(500, 100) == fixture_colour("v_background_top.bmp") &&
           shot.at(990, 740) == fixture_colour("v_background_bot.bmp");
  })) << "the scene follows the window's new size\n"
      << saver->stderr_text();
  EXPECT_TRUE(saver->running()) << "input belongs to the daemon, not to us";

  XDestroyWindow(d, w);
  XSync(d, False);
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "the window went away: so do we";
  EXPECT_EQ(*status, 0);
}

TEST_F(Desktop, TheRootWindowOfASixteenBitScreenGetsTheSceneInItsColours) {
  XServer x(800, 600, 16);
  auto saver = start(&x, {"--root"}, {{"XSCREENSAVER_WINDOW", "<unset>"}});
  ASSERT_TRUE(eventually([&] { return near(x.grab().at(400, 100), fixture_colour("v_background_top.bmp"), 8); }))
      << saver->stderr_text();
  EXPECT_TRUE(near(x.grab().at(400, 500), fixture_colour("v_background_bot.bmp"), 8));
  saver->send_signal(SIGTERM);
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "SIGTERM ends it";
  EXPECT_EQ(*status, 0);
}

TEST_F(Desktop, TheDaemonsWindowIsFoundInItsVariable) {
  XServer x(640, 480);
  Display* d = x.display();
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 640, 480, 0, 0, 0);
  XMapWindow(d, w);
  XSync(d, False);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", w);
  auto saver = start(&x, {"-root"}, {{"XSCREENSAVER_WINDOW", id}});
  ASSERT_TRUE(eventually([&] { return x.grab(w).at(320, 10) == fixture_colour("v_background_top.bmp"); }))
      << saver->stderr_text();
  // Nothing else was drawn into: the root window around it keeps its own.
  saver->send_signal(SIGINT);
  ASSERT_TRUE(saver->wait_for_exit(20s));
}

// How often the program's main thread has gone to sleep and woken since it began.
long wakeups(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  return -1;
}

TEST_F(Desktop, InADaemonsWindowTheSaverSleepsBetweenFrames) {
  XServer x(640, 480);
  auto saver = start(&x, {"--root"}, {{"XSCREENSAVER_WINDOW", "<unset>"}});
  ASSERT_TRUE(eventually([&] { return x.grab().at(320, 100) == fixture_colour("v_background_top.bmp"); }))
      << saver->stderr_text();
  const long before = wakeups(saver->pid());
  const auto from = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(2s);
  const long after = wakeups(saver->pid());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
  ASSERT_GE(before, 0);
  // 25 frames a second (speed 40), a wakeup or two each, and the X events;
  // a wait that looks for events every millisecond wakes a thousand times.
  // A busy machine only makes for fewer.
  EXPECT_LT((after - before) / seconds, 150.0);
  saver->send_signal(SIGTERM);
  ASSERT_TRUE(saver->wait_for_exit(20s));
}

TEST_F(Desktop, OptionsOfTheRunOverrideTheSettingsFileWithoutWritingIt) {
  XServer x(800, 600);
  const std::string before = "[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n";
  auto saver =
      start(&x, {"--root", "--message", "/c /p 5", "--clock", "--no-flower"}, {{"XSCREENSAVER_WINDOW", "<unset>"}});
  ASSERT_TRUE(eventually([&] {
    Bitmap shot = x.grab();
    return shot.at(400, 100) == fixture_colour("v_background_top.bmp") &&
           count(shot, rgb(64, 64, 64), 0, 5, 500, 24) > 10 && count(shot, rgb(64, 64, 64), 700, 5, 789, 24) > 10;
  })) << "the message and the clock of the command line; the message is no switch\n"
      << saver->stderr_text();
  EXPECT_EQ(count(x.grab(), fixture_colour("v_flower.bmp")), 0);
  std::ifstream in(dir / "config/zelvora.ini");
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), before);
}

// One screen of 3200 x 1080 divided into monitors of 1280 x 1024 (primary,
// holding the screen's one output) and 1920 x 1080 beside it.
void split_into_two_monitors(const XServer& x, const std::map<std::string, std::string>& env) {
  int status = -1;
  run_tool({"xrandr", "--setmonitor", "*left", "1280/338x1024/270+0+0", "screen"}, env, &status);
  ASSERT_EQ(status, 0);
  run_tool({"xrandr", "--setmonitor", "right", "1920/508x1080/286+1280+0", "none"}, env, &status);
  ASSERT_EQ(status, 0);
  (void)x;
}

TEST_F(Desktop, TheFullScreenSaverShowsAWholeSceneOnEveryMonitor) {
  XServer x(3200, 1080);
  split_into_two_monitors(x, env(&x));
  settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nmessagetext=on the primary\n");
  auto saver = start(&x, {"/s"});
  const Pixel top = fixture_colour("v_background_top.bmp"), bottom = fixture_colour("v_background_bot.bmp");
  Bitmap shot;
  ASSERT_TRUE(eventually([&] {
    shot = x.grab();
    return shot.at(640, 100) == top && shot.at(1280 + 960, 100) == top;
  })) << saver->stderr_text();
  // Each monitor holds the whole scene at its own size: the ground reaches
  // the bottom of each, and the flower stands in the same place of each.
  EXPECT_EQ(shot.at(640, 1015), bottom);
  EXPECT_EQ(shot.at(1280 + 960, 1070), bottom);
  auto flower_at = [&](int x0, int w, int h) {  // the flower's middle, scaled to the monitor
    return shot.at(x0 + (360 * w) / 800, (493 * h) / 600);
  };
  EXPECT_EQ(flower_at(0, 1280, 1024), fixture_colour("v_flower.bmp"));
  EXPECT_EQ(flower_at(1280, 1920, 1080), fixture_colour("v_flower.bmp"));
  // The message stands on the primary monitor only.
  EXPECT_GT(count(shot, rgb(64, 64, 64), 0, 5, 1280, 24), 20);
  EXPECT_EQ(count(shot, rgb(64, 64, 64), 1280, 5, 3200, 24), 0);
  xdotool(x, {"mousemove", "2000", "500", "click", "1"});
  ASSERT_TRUE(saver->wait_for_exit(20s)) << "a click on any monitor ends it";
}

TEST_F(Desktop, AScreenThatChangesWhileTheSaverRunsIsFollowed) {
  XServer x(3200, 1080);
  auto saver = start(&x, {"/s"});
  const Pixel top = fixture_colour("v_background_top.bmp");
  ASSERT_TRUE(eventually([&] { return x.grab().at(1600, 100) == top; })) << saver->stderr_text();
  split_into_two_monitors(x, env(&x));
  // The whole-screen window gives way to one per monitor: the right
  // monitor's scene starts at its own left edge.
  ASSERT_TRUE(eventually([&] {
    Bitmap shot = x.grab();
    return shot.at(1280 + 960, 100) == top && shot.at(640, 1015) == fixture_colour("v_background_bot.bmp");
  })) << saver->stderr_text();
  EXPECT_TRUE(saver->running());
}

TEST_F(Desktop, HelpAndVersionPrintAndEndWell) {
  int status = -1;
  std::string out = run_tool({VEXMOOR_BINARY, "--help"}, {}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("--window-id"), std::string::npos);
  EXPECT_NE(out.find("--no-<creature>"), std::string::npos);
  out = run_tool({VEXMOOR_BINARY, "--version"}, {}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "Vexmoor ScreenSaver 6.0");
  run_tool({VEXMOOR_BINARY, "--delay", "soon"}, {}, &status);
  EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace vex::test
