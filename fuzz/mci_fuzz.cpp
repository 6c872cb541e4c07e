// Any command text, and any bytes as a song or a sound file: the
// interpreter answers everything without crashing, and what the file
// checks accept has a sane shape (devices that keep nothing stand in for
// the sound output).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "os/linux/mci_interpreter.h"
#include "os/media_files.h"

namespace {

class QuietSequencer : public vex::SequencerDevice {
 public:
  int open(const vex::MidiSong& s, std::vector<uint8_t>) override {
    if (s.tempos.empty() || s.division <= 0) __builtin_trap();
    return ++n;
  }
  bool play(int, uint32_t) override { return true; }
  void pause(int) override {}
  bool resume(int) override { return true; }
  void stop(int) override {}
  void close(int) override {}
  bool sounding(int id) override { return id % 2; }
  uint32_t position_tick(int) override { return 7; }
  void shut() override {}
  int n = 0;
};

class QuietWaves : public vex::WaveDevice {
 public:
  int open(const vex::WaveSound& w, std::vector<uint8_t> bytes) override {
    if (w.data_offset + w.data_bytes > bytes.size()) __builtin_trap();
    return ++n;
  }
  bool play(int, double) override { return true; }
  void stop(int) override {}
  void close(int) override {}
  bool sounding(int) override { return false; }
  double position_ms(int) override { return 0; }
  void shut() override {}
  int n = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The bytes are a file, both as a song and as a sound...
  static const std::string dir = "/tmp/vexmoor-mci-fuzz-" + std::to_string(getpid());
  static bool made = (std::system(("mkdir -p " + dir).c_str()), true);
  (void)made;
  {
    std::ofstream(dir + "/f.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::ofstream(dir + "/f.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::span<const uint8_t> bytes(data, size);
  if (auto song = vex::parse_midi(bytes)) {
    if (song->ms_to_ticks(song->length_ms()) > song->last_tick) __builtin_trap();
  }
  if (auto wave = vex::parse_wave(bytes)) {
    if (wave->data_offset + wave->data_bytes > size) __builtin_trap();
  }
  vex::MciInterpreter mci(std::make_unique<QuietSequencer>(), std::make_unique<QuietWaves>());
  std::string reply;
  mci.send("open \"" + dir + "/f.mid\" type sequencer alias s", reply);
  mci.send("play s from 100", reply);
  mci.send("status s position", reply);
  mci.execute("play " + dir + "/f.wav");
  // ... and the same bytes, line by line, as commands.
  std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (int lines = 0; lines < 16 && start <= text.size(); ++lines) {
    std::size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    mci.send(line, reply);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return 0;
}
