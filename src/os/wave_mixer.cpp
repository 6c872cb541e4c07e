#include "os/wave_mixer.h"

#include <algorithm>

namespace vex {
namespace {

std::unique_ptr<WaveMixer>& current() {
  static std::unique_ptr<WaveMixer> m;
  return m;
}

}  // namespace

std::optional<MixPlay> read_play_record(const MixPlayParams& p) {
  if (p[0] != 24) return std::nullopt;
  // Each 32-bit field low word first.
  auto word32 = [&](int at) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(p[at])) |
                                (static_cast<uint32_t>(static_cast<uint16_t>(p[at + 1])) << 16));
  };
  return MixPlay{word32(1), word32(3), word32(5), static_cast<uint16_t>(p[11])};
}

int32_t SessionWaveMixer::Init() {
  if (session_) return 0;  // one session at a time
  if (!take_device()) return 0;
  session_ = next_mixer_++;
  return session_;
}

uint32_t SessionWaveMixer::OpenChannel(int32_t mixer, int32_t channels, uint32_t flags) {
  if (!ours(mixer)) return 1;
  // Flags 2: that many channels from channel 0.
  if (flags == 2) channels_ = std::clamp(channels, 0, kWaveMixChannels);
  else if (channels >= 0 && channels < kWaveMixChannels) channels_ = std::max(channels_, channels + 1);
  return 0;
}

uint32_t SessionWaveMixer::Activate(int32_t mixer, int32_t activate) {
  if (!ours(mixer)) return 1;
  active_ = activate != 0;
  if (!active_) stop_all_channels();
  return 0;
}

uint32_t SessionWaveMixer::Play(const MixPlayParams& p) {
  const auto r = read_play_record(p);
  // A record that names no open mixer, channel or wave plays nothing.
  if (!r || !ours(r->mixer) || !active_ || r->channel < 0 || r->channel >= channels_) return 1;
  return play_wave(r->channel, r->wave, r->loops);
}

uint32_t SessionWaveMixer::CloseChannel(int32_t mixer, int32_t channel, uint32_t flags) {
  if (!ours(mixer)) return 1;
  if (flags == 1) {  // all of them
    stop_all_channels();
    channels_ = 0;
  } else if (channel >= 0 && channel < channels_) {
    stop_channel(channel);
  }
  return 0;
}

uint32_t SessionWaveMixer::CloseSession(int32_t mixer) {
  if (!ours(mixer)) return 1;
  end_session();
  channels_ = 0;
  active_ = false;
  session_ = 0;
  return 0;
}

WaveMixer& wave_mixer() {
  if (!current()) current() = make_system_wave_mixer();
  return *current();
}

void set_wave_mixer(std::unique_ptr<WaveMixer> mixer) { current() = std::move(mixer); }

}  // namespace vex
