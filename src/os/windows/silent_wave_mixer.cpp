// Until the sound output is there, the saver runs as on a machine without
// a sound device: the mixer does not open, and nothing plays.
#include "os/wave_mixer.h"

namespace vex {
namespace {

class SilentWaveMixer : public WaveMixer {
 public:
  int32_t Init() override { return 0; }
  int32_t OpenWave(int32_t, const std::string&, int32_t, uint32_t) override { return 0; }
  uint32_t OpenChannel(int32_t, int32_t, uint32_t) override { return 1; }
  uint32_t Activate(int32_t, int32_t) override { return 1; }
  uint32_t Play(const MixPlayParams&) override { return 1; }
  uint32_t CloseChannel(int32_t, int32_t, uint32_t) override { return 1; }
  uint32_t FreeWave(int32_t, int32_t) override { return 1; }
  uint32_t CloseSession(int32_t) override { return 1; }
};

}  // namespace

std::unique_ptr<WaveMixer> make_system_wave_mixer() { return std::make_unique<SilentWaveMixer>(); }

}  // namespace vex
