// vexmoor_soak [--ticks N] [--media DIR] [--screen WxH]
// The saver as it runs for hours: every creature on, the fastest speed, the
// real pictures and surfaces, the sound calls made, frames composed and
// presented; its frame tick on a virtual clock, as fast as the machine goes.
// Fails (exit 1) when a failure is reported, when the heap grows after the
// first minute's ticks, or when a counter or position leaves its range.
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench_home.h"
#include "animation/creature.h"
#include "animation/properties.h"
#include "display/screen_saver.h"
#include "os/event_loop.h"
#include "os/window.h"
#include "platform/error_report.h"
#include "platform/pictures.h"
#include "startup/settings.h"
#include "startup/shutdown.h"
#include "startup/starter.h"

namespace {

using namespace vex;

class CountingReport : public BugReportView {
 public:
  bool exists() const override { return created; }
  void create() override { created = true; }
  void set_caption(const std::string& c) override {
    ++count;
    last = c;
  }
  void show() override {}
  bool created = false;
  int count = 0;
  std::string last;
};

std::size_t heap_in_use() { return mallinfo2().uordblks; }

// Far outside anything the creatures' rules allow.
bool sane(const Creature& c) { return c.X > -5000 && c.X < 5000 && c.Y > -1000 && c.Y < 3000; }

bool all_sane() {
  Scene& s = scene();
  for (const Creature* c :
       {&s.Hand, &s.Watchman, &s.Owl, &s.Dove, &s.Medallion, &s.Skeleton1, &s.Skeleton2, &s.Crow1, &s.Crow2, &s.Zombie,
        &s.BloodDrip, &s.GraveDigger, &s.Flower, &s.BouncingPumpkin, &s.Scorpion, &s.Spider})
    if (!sane(*c)) return false;
  for (int i = 1; i <= 6; ++i)
    if (!sane(s.Bat[i])) return false;
  for (int i = 1; i <= 15; ++i)
    if (!sane(s.FireFly[i])) return false;
  for (int i = 1; i <= 2; ++i)
    if (!sane(s.Rat[i]) || !sane(s.Lightning[i])) return false;
  const FrameCounters& fc = counters();
  return fc.TickTo1000 >= 0 && fc.TickTo1000 <= 1000 && fc.TickTo40 >= 0 && fc.TickTo40 <= 40 && fc.TickTo100 >= 0 &&
         fc.TickTo100 <= 100;
}

}  // namespace

int main(int argc, char** argv) {
  long long ticks = 2'000'000;
  std::string media;
  int screen_w = 1024, screen_h = 768;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--ticks") && i + 1 < argc) ticks = std::atoll(argv[++i]);
    else if (!std::strcmp(argv[i], "--media") && i + 1 < argc) media = argv[++i];
    else if (!std::strcmp(argv[i], "--screen") && i + 1 < argc &&
             std::sscanf(argv[++i], "%dx%d", &screen_w, &screen_h) == 2) {
    } else {
      std::fprintf(stderr, "usage: %s [--ticks N] [--media DIR] [--screen WxH]\n", argv[0]);
      return 2;
    }
  }
  // A home of its own: settings with everything on, the media where told.
  std::string extra = "speed=1\nclock=1\nmessagetext=soak\n";
  for (int n = 0; n < 12; ++n)
    extra += "song" + std::to_string(n) + "=" + (n == 0 ? "1" : "0") + "\nsound" + std::to_string(n) + "=1\n";
  const std::filesystem::path home = bench::make_home("vexmoor-soak-" + std::to_string(getpid()), extra, media);
  setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);

  auto report = std::make_unique<CountingReport>();
  CountingReport* seen = report.get();
  error_report().view = std::move(report);
  event_loop().use_virtual_clock(true);
  if (!open_display()) {
    std::fprintf(stderr, "soak: no display for the offscreen driver\n");
    return 1;
  }
  StarterState& st = starter();
  st.ScreenWidth = screen_w;
  st.ScreenHeight = screen_h;
  set_scene_bounds();
  st.Mode = SaverMode::kScreenSaver;
  GetDirectories();
  read_settings();
  Properties_Creatures();
  load_saver_pictures();
  screen_saver::load();
  const long long period = event_loop().interval(screen_saver::state().maintimer);

  const long long first_minute = 60'000 / std::max(period, 10LL);
  std::size_t heap_after_minute = 0, heap_peak = 0;
  auto began = std::chrono::steady_clock::now();
  bool ranges_ok = true;
  for (long long t = 1; t <= ticks; ++t) {
    event_loop().advance(std::max(period, 10LL));
    if (t == first_minute) heap_after_minute = heap_in_use();
    if (t > first_minute && (t & 1023) == 0) heap_peak = std::max(heap_peak, heap_in_use());
    if ((t & 255) == 0 && !all_sane()) {
      std::fprintf(stderr, "soak: a counter or position left its range at tick %lld\n", t);
      ranges_ok = false;
      break;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  const long long growth = heap_peak > heap_after_minute ? static_cast<long long>(heap_peak - heap_after_minute) : 0;
  std::printf(
      "soak: %lld ticks (%.1f h of saver time) in %.0f s, %.3f ms a tick; heap after the first minute "
      "%zu kB, growth since %lld bytes; %d failures reported%s%s\n",
      ticks, ticks * std::max(period, 10LL) / 3.6e6, seconds, 1000 * seconds / ticks, heap_after_minute / 1024, growth,
      seen->count, seen->count ? ": " : "", seen->last.c_str());
  std::filesystem::remove_all(home);
  // Allocation pools may round up once or twice; a steady climb is a leak.
  const bool ok = seen->count == 0 && ranges_ok && growth <= 64 * 1024;
  std::fflush(stdout);
  std::_Exit(ok ? 0 : 1);
}
