#pragma once
// A wave mixer that records every call, for tests that assert exactly what
// the program asks of the mixer and when.
#include <string>
#include <vector>

#include "os/wave_mixer.h"

namespace vex::test {

class RecordingWaveMixer : public WaveMixer {
 public:
  struct Call {
    std::string what;        // "Init", "OpenWave", "Play", ...
    std::string path;        // OpenWave
    MixPlayParams params{};  // Play
    std::vector<int32_t> args;
  };
  // Shared with the test, which keeps looking after the mixer is handed over.
  explicit RecordingWaveMixer(std::vector<Call>* calls, int32_t handle = 7) : calls_(calls), handle_(handle) {}

  int32_t Init() override {
    calls_->push_back({"Init", {}, {}, {}});
    return handle_;
  }
  int32_t OpenWave(int32_t mixer, const std::string& path, int32_t instance, uint32_t flags) override {
    calls_->push_back({"OpenWave", path, {}, {mixer, instance, static_cast<int32_t>(flags)}});
    return 100 + static_cast<int32_t>(calls_->size());
  }
  uint32_t OpenChannel(int32_t mixer, int32_t channels, uint32_t flags) override {
    return note("OpenChannel", {mixer, channels, static_cast<int32_t>(flags)});
  }
  uint32_t Activate(int32_t mixer, int32_t activate) override { return note("Activate", {mixer, activate}); }
  uint32_t Play(const MixPlayParams& params) override {
    calls_->push_back({"Play", {}, params, {}});
    return 0;
  }
  uint32_t CloseChannel(int32_t mixer, int32_t channel, uint32_t flags) override {
    return note("CloseChannel", {mixer, channel, static_cast<int32_t>(flags)});
  }
  uint32_t FreeWave(int32_t mixer, int32_t wave) override { return note("FreeWave", {mixer, wave}); }
  uint32_t CloseSession(int32_t mixer) override { return note("CloseSession", {mixer}); }

 private:
  uint32_t note(const char* what, std::vector<int32_t> args) {
    calls_->push_back({what, {}, {}, std::move(args)});
    return 0;
  }
  std::vector<Call>* calls_;
  int32_t handle_;
};

// The channel and wave a recorded play record names.
inline int32_t record_field(const MixPlayParams& p, int word) {
  return static_cast<int32_t>(static_cast<uint16_t>(p[word]) |
                              (static_cast<uint32_t>(static_cast<uint16_t>(p[word + 1])) << 16));
}

}  // namespace vex::test
