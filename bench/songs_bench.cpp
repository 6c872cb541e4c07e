// How long the program's thread waits on the sound while a song plays: the
// song's state asked (as the saver asks every 10 s), a sound played (as an
// effect is, from the frame tick) and the song stopped, each timed while
// one of our songs plays and while a song as dense as the song check lets
// through plays (bursts of 4000 events: keys struck, instruments chosen,
// controllers moved under 100 sounding notes). Through the real command
// strings on SDL's dummy output, which plays in real time into nothing.
//   vexmoor_songs_bench [seconds per song]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "os/mci.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void put_be(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> dense_song(int bursts_of_each) {
  std::vector<uint8_t> t;
  auto at = [&](bool first) { t.push_back(first ? 0x00 : 0x0C); };
  for (int b = 0; b < bursts_of_each; ++b) {
    at(b == 0);
    t.insert(t.end(), {0x90, 36, 100});
    for (int i = 1; i < 4000; ++i) t.insert(t.end(), {0x00, static_cast<uint8_t>(36 + i % 60), 100});
  }
  for (int b = 0; b < bursts_of_each; ++b) {
    at(false);
    t.insert(t.end(), {0xC1, 0});
    for (int i = 1; i < 4000; ++i) t.insert(t.end(), {0x00, static_cast<uint8_t>(i % 128)});
    t.insert(t.end(), {0x00, 0x91, 60, 100});
  }
  for (int b = 0; b < bursts_of_each; ++b) {
    at(false);
    t.insert(t.end(), {0x92, 20, 100});
    for (int i = 1; i < 100; ++i) t.insert(t.end(), {0x00, static_cast<uint8_t>(20 + i), 100});
    t.insert(t.end(), {0x00, 0xB2, 7, 100});
    for (int i = 1; i < 3900; ++i) t.insert(t.end(), {0x00, 7, static_cast<uint8_t>(i % 128)});
  }
  for (uint8_t ch : {0xB0, 0xB1, 0xB2}) t.insert(t.end(), {0x83, 0x60, ch, 123, 0});
  t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
  put_be(f, static_cast<uint32_t>(t.size()), 4);
  f.insert(f.end(), t.begin(), t.end());
  return f;
}

std::vector<uint8_t> beep() {
  const uint32_t frames = 22050 / 5;
  std::vector<uint8_t> f = {'R', 'I', 'F', 'F'};
  auto le = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  le(36 + frames * 2, 4);
  f.insert(f.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  le(16, 4), le(1, 2), le(1, 2), le(22050, 4), le(44100, 4), le(2, 2), le(16, 2);
  f.insert(f.end(), {'d', 'a', 't', 'a'});
  le(frames * 2, 4);
  for (uint32_t i = 0; i < frames; ++i) le(static_cast<uint16_t>((i / 25) % 2 ? 6000 : -6000), 2);
  return f;
}

void write(const fs::path& p, const std::vector<uint8_t>& b) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct Waits {
  std::vector<double> ms;
  void add(Clock::time_point from) {
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - from).count());
  }
  double most() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
  double p99() {
    if (ms.empty()) return 0;
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() * 99 / 100];
  }
};

void measure(const char* name, const std::string& song, const std::string& sound, double seconds) {
  auto mci = vex::make_system_command_strings();
  std::string reply;
  if (mci->send("open \"" + song + "\" type sequencer alias song0", reply) != 0) {
    std::printf("%-24s cannot be opened\n", name);
    return;
  }
  // Each from the song's start, on its own: one wait would hide the other.
  Waits status, effect, stop;
  for (Waits* w : {&status, &effect}) {
    mci->send("play song0 from 0", reply);
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
      const auto t = Clock::now();
      if (w == &status) mci->send("status song0 position", reply);
      else mci->execute("play " + sound);
      w->add(t);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto t = Clock::now();
    mci->send("stop song0", reply);
    stop.add(t);
  }
  std::printf("%-24s %10.2f %8.2f %10.2f %8.2f %8.2f\n", name, status.most(), status.p99(), effect.most(), effect.p99(),
              stop.most());
  mci->close_all();
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3;
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const fs::path dir = fs::temp_directory_path() / "vexmoor-songs-bench";
  fs::create_directories(dir);
  write(dir / "dense.Mid", dense_song(30));
  write(dir / "beep.wav", beep());
  std::printf("%-24s %10s %8s %10s %8s %8s   (ms)\n", "song", "status max", "p99", "effect max", "p99", "stop");
  const fs::path ours = fs::path(VEXMOOR_MEDIA_DIR) / "v_song0.Mid";
  if (fs::exists(ours)) measure("ours (v_song0)", ours, dir / "beep.wav", seconds);
  measure("as dense as may be", dir / "dense.Mid", dir / "beep.wav", seconds);
  fs::remove_all(dir);
  return 0;
}
