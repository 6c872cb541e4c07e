// vexmoor_first_frame PROGRAM ARGS...
// Starts the program on the X display of $DISPLAY and prints how many
// milliseconds pass from its start until a pixel of the scene (not the
// black of a fresh window) shows at the middle of the sky.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PROGRAM ARGS...\n", argv[0]);
    return 2;
  }
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  Screen* s = DefaultScreenOfDisplay(d);
  const int x = WidthOfScreen(s) / 2, y = HeightOfScreen(s) / 6;
  auto pixel = [&] {
    XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    unsigned long p = img ? XGetPixel(img, 0, 0) & 0xFFFFFF : 0;
    if (img) XDestroyImage(img);
    return p;
  };
  const unsigned long before = pixel();
  const auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    execv(argv[1], argv + 1);
    _exit(127);
  }
  double ms = -1;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    unsigned long p = pixel();
    if (p != before && p != 0) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      break;
    }
    usleep(300);
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
  std::printf("%.0f\n", ms);
  return ms < 0;
}
