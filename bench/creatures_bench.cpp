// One frame tick with every creature on, composed from the real pictures
// (no present), against the floor any frame costs: copying one 800 x 600
// frame's bytes. Prints how many such copies a tick costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "animation/creature.h"
#include "animation/properties.h"
#include "display/screen_saver.h"
#include "platform/pictures.h"
#include "platform/surfaces.h"
#include "startup/settings.h"
#include "startup/starter.h"

namespace vex {
namespace {

constexpr std::size_t kFrameBytes = 800 * 600 * sizeof(Pixel);

void build_saver_scene() {
  reset_surfaces();
  scene() = Scene{};
  counters() = FrameCounters{};
  StarterState& st = starter();
  st.ScreenWidth = 1920;
  st.ScreenHeight = 1080;
  set_scene_bounds();
  settings().MediaDirectory = VEXMOOR_MEDIA_DIR "/";
  Properties_Creatures();
  Scene& s = scene();
  for (Creature* c : {&s.Bat[1],     &s.BloodDrip, &s.BouncingPumpkin, &s.Crow1,     &s.Crow2,        &s.Dove,
                      &s.FireFly[1], &s.Flower,    &s.GraveDigger,     &s.Hand,      &s.Lightning[1], &s.Medallion,
                      &s.Owl,        &s.Rat[1],    &s.Scorpion,        &s.Skeleton1, &s.Skeleton2,    &s.Spider,
                      &s.Watchman,   &s.Zombie})
    c->Enabled = kTrue;
  load_saver_pictures();
}

// The counters as the frame timer steps them, so the schedules run through
// their flashes and pauses while the benchmark repeats.
void step_counter(I16& c, int top) { c = c + 1 > top ? 0 : c + 1; }

void BM_FrameTickAllCreatures(benchmark::State& state) {
  build_saver_scene();
  if (surface_view(scene().Skeleton1.Picture).empty()) {
    state.SkipWithError("no pictures in " VEXMOOR_MEDIA_DIR " (build the media target)");
    return;
  }
  FrameCounters& c = counters();
  for (auto _ : state) {
    step_counter(c.TickTo1000, 1000);
    step_counter(c.TickTo40, 40);
    step_counter(c.TickTo100, 100);
    screen_saver::compose_frame();
    benchmark::DoNotOptimize(surface_view(surfaces().FrameBuffer).pixels[0]);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FrameTickAllCreatures);

void BM_MemcpyOneFrame(benchmark::State& state) {
  std::vector<Pixel> from(kFrameBytes / sizeof(Pixel), 0x00123456), to(kFrameBytes / sizeof(Pixel));
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kFrameBytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFrameBytes));
}
BENCHMARK(BM_MemcpyOneFrame);

// Keeps each run's time per iteration so the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred && r.run_type == Run::RT_Iteration) ns_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void print_ratio() const {
    auto tick = ns_.find("BM_FrameTickAllCreatures"), copy = ns_.find("BM_MemcpyOneFrame");
    if (tick == ns_.end() || copy == ns_.end() || copy->second <= 0) return;
    std::printf("frame tick / memcpy of one frame: %.2f\n", tick->second / copy->second);
  }

 private:
  std::map<std::string, double> ns_;
};

}  // namespace
}  // namespace vex

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  vex::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratio();
  benchmark::Shutdown();
  return 0;
}
