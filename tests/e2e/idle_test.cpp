// A screen saver must let the screen sleep: while any mode of ours draws,
// the X server's idle time, which its display power saving and every idle
// daemon's blank and lock timeouts count from, keeps growing.
#include <csignal>
#include <string>

#include "end_to_end.h"  // Xlib

namespace vex::test {
namespace {

// The server's idle time in milliseconds, as the MIT-SCREEN-SAVER extension
// reports it.
long idle_ms(const XServer& x, int* status) {
  const std::string out = run_tool({"xprintidle"}, {{"DISPLAY", x.name()}}, status);
  return *status == 0 ? std::stol(out) : -1;
}

TEST_F(EndToEnd, NoModeKeepsTheServersIdleTimeFromGrowing) {
  int status = 0;
  if (run_tool({"sh", "-c", "command -v xprintidle"}, {}, &status).empty() || status != 0)
    GTEST_SKIP() << "xprintidle is not installed (scripts/setup installs it)";
  XServer x(1024, 768);
  Display* d = x.display();
  auto host = [&](int at) {
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), at, at, 200, 150, 0, 0, BlackPixel(d, 0));
    XMapWindow(d, w);
    return w;
  };
  const Window daemon_window = host(20), preview_host = host(300);
  XSync(d, False);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nbat=1\nflower=1\n");
  // Every mode at once, on one server: SDL reset the idle time every 30 s
  // in each of them.
  std::vector<std::unique_ptr<Process>> ours;
  ours.push_back(start(&x, {"/s"}));
  ours.push_back(start(&x, {"--root"}, {{"XSCREENSAVER_WINDOW", "<unset>"}}));
  ours.push_back(start(&x, {"--window-id", std::to_string(daemon_window)}));
  ours.push_back(start(&x, {"/p", std::to_string(preview_host)}));
  ours.push_back(start(&x, {"/c"}));
  ASSERT_TRUE(eventually([&] {
    return !xdotool(x, {"search", "--name", "Vexmoor ScreenSaver"}).empty();
  })) << "the dialog did not open: "
      << ours.back()->stderr_text();
  // Past SDL's 30 s by a margin, read as the server counts it; no input is
  // sent, so nothing else may bring it back.
  long last = 0;
  bool went_back = false;
  eventually(
      [&] {
        const long now = idle_ms(x, &status);
        if (status != 0 || now < last) went_back = true;
        last = std::max(last, now);
        return now >= 40000 || went_back;
      },
      std::chrono::seconds(90));
  EXPECT_FALSE(went_back) << "the idle time went back after " << last << " ms (or xprintidle failed)";
  EXPECT_GE(last, 40000);
  for (auto& p : ours) EXPECT_TRUE(p->running()) << p->stderr_text();
  for (auto& p : ours) p->send_signal(SIGTERM);
  for (auto& p : ours) EXPECT_TRUE(p->wait_for_exit(20s));
}

}  // namespace
}  // namespace vex::test
