#include "os/pcm_mixer.h"

#include <algorithm>
#include <map>
#include <string>

#include "os/sound_volume.h"

namespace vex::pcm {
namespace {

int sample_at(std::span<const uint8_t> file, const WaveSound& w, std::size_t frame, int side) {
  const std::size_t bytes = static_cast<std::size_t>(w.bits / 8);
  const int ch = w.channels == 2 ? side : 0;
  const std::size_t at =
      w.data_offset + (frame * static_cast<std::size_t>(w.channels) + static_cast<std::size_t>(ch)) * bytes;
  if (bytes == 1) return (static_cast<int>(file[at]) - 128) * 256;
  return static_cast<int16_t>(static_cast<uint16_t>(file[at] | (file[at + 1] << 8)));
}

}  // namespace

std::size_t output_frames(std::size_t frames, int rate) {
  if (rate <= 0) return 0;
  // Every output frame whose place in the sound falls before its end.
  return static_cast<std::size_t>((static_cast<uint64_t>(frames) * kRate + static_cast<uint64_t>(rate) - 1) /
                                  static_cast<uint64_t>(rate));
}

Samples convert(std::span<const uint8_t> file, const WaveSound& w, std::size_t frames) {
  const std::size_t out_frames = output_frames(frames, w.rate);
  Samples out(out_frames * 2);
  if (frames == 0) return out;
  const uint64_t rate = static_cast<uint64_t>(w.rate);
  for (std::size_t j = 0; j < out_frames; ++j) {
    // Output frame j lies at j * rate / 44100 frames into the sound: between
    // frame i and the next, `part` of the way (in 44100ths).
    const uint64_t place = static_cast<uint64_t>(j) * rate;
    const std::size_t i = static_cast<std::size_t>(place / kRate);
    const int64_t part = static_cast<int64_t>(place % kRate);
    for (int side = 0; side < 2; ++side) {
      const int a = sample_at(file, w, i, side);
      int v = a;
      if (part != 0 && i + 1 < frames) {
        const int b = sample_at(file, w, i + 1, side);
        v = a + static_cast<int>((static_cast<int64_t>(b - a) * part) / kRate);
      }
      out[j * 2 + static_cast<std::size_t>(side)] = static_cast<int16_t>(v);
    }
  }
  return out;
}

void Mixer::play(int channel, std::shared_ptr<const Samples> sound, int repeats) {
  if (channel < 0 || channel >= kChannels) return;
  std::lock_guard<std::mutex> hold(lock_);
  Channel& c = channels_[static_cast<std::size_t>(channel)];
  c.sound = sound && !sound->empty() ? std::move(sound) : nullptr;
  c.at = 0;
  c.repeats = repeats;
}

void Mixer::stop(int channel) {
  if (channel < 0 || channel >= kChannels) return;
  std::lock_guard<std::mutex> hold(lock_);
  channels_[static_cast<std::size_t>(channel)] = Channel{};
}

void Mixer::stop_all() {
  std::lock_guard<std::mutex> hold(lock_);
  for (Channel& c : channels_) c = Channel{};
}

void Mixer::stop_sound(const Samples* sound) {
  std::lock_guard<std::mutex> hold(lock_);
  for (Channel& c : channels_)
    if (c.sound.get() == sound) c = Channel{};
}

bool Mixer::busy(int channel) const {
  if (channel < 0 || channel >= kChannels) return false;
  std::lock_guard<std::mutex> hold(lock_);
  return channels_[static_cast<std::size_t>(channel)].sound != nullptr;
}

void Mixer::mix(int16_t* stereo, int frames) {
  // In pieces, so the sums fit on the stack: the device's thread must not
  // wait on the heap.
  constexpr std::size_t kPiece = 512;
  int32_t sum[kPiece * 2];
  // Read once a buffer: a change is heard from the next buffer on.
  const int32_t volume = output_volume();
  std::lock_guard<std::mutex> hold(lock_);
  std::size_t left = frames > 0 ? static_cast<std::size_t>(frames) : 0;
  while (left > 0) {
    const std::size_t n = std::min(left, kPiece) * 2;
    std::fill(sum, sum + n, 0);
    for (Channel& c : channels_) {
      std::size_t done = 0;
      while (c.sound && done < n) {
        const Samples& s = *c.sound;
        const std::size_t take = std::min(n - done, s.size() - c.at);
        for (std::size_t k = 0; k < take; ++k) sum[done + k] += s[c.at + k];
        done += take;
        c.at += take;
        if (c.at < s.size()) continue;
        if (c.repeats == 0) {
          c = Channel{};
        } else {
          if (c.repeats > 0) --c.repeats;
          c.at = 0;
        }
      }
    }
    // Scaled before it is clipped: loud sounds together at half volume
    // sound as they would alone, not cut off at half the range. At full
    // volume every sample stays exactly the sum.
    if (volume != kFullVolume)
      for (std::size_t k = 0; k < n; ++k) sum[k] = sum[k] * volume / kFullVolume;
    for (std::size_t k = 0; k < n; ++k) stereo[k] = static_cast<int16_t>(std::clamp(sum[k], -32768, 32767));
    stereo += n;
    left -= n / 2;
  }
}

}  // namespace vex::pcm

namespace vex {
namespace {

class PcmWaveMixer : public SessionWaveMixer {
 public:
  explicit PcmWaveMixer(std::function<std::unique_ptr<pcm::Output>()> open_output)
      : open_output_(std::move(open_output)) {}
  ~PcmWaveMixer() override {
    if (session_open()) end_session();
  }

  int32_t OpenWave(int32_t mixer, const std::string& path, int32_t, uint32_t) override {
    if (!ours(mixer)) return 0;
    // Both bounds are decided from what the header and the file's size say,
    // before anything is converted.
    auto file = read_kept_sound(path);
    if (!file) return 0;
    const WaveSound& w = file->wave;
    Kept kept{std::make_shared<const pcm::Samples>(pcm::convert(file->bytes, w, w.data_bytes / w.frame_bytes())),
              std::move(file->share)};
    const int32_t handle = new_wave_handle();
    waves_[handle] = std::move(kept);
    return handle;
  }

  uint32_t FreeWave(int32_t mixer, int32_t wave) override {
    if (!ours(mixer)) return 1;
    auto it = waves_.find(wave);
    if (it == waves_.end()) return 1;
    mixer_.stop_sound(it->second.samples.get());
    waves_.erase(it);
    return 0;
  }

 private:
  // A sound as played, and its part of what the sounds together may keep.
  struct Kept {
    std::shared_ptr<const pcm::Samples> samples;
    SoundShare share;
  };

  bool take_device() override {
    output_ = open_output_ ? open_output_() : nullptr;
    if (!output_ || !output_->start([this](int16_t* stereo, int frames) { mixer_.mix(stereo, frames); })) {
      output_.reset();
      return false;
    }
    return true;
  }
  void end_session() override {
    // The device first: once it has stopped nothing reads the sounds.
    output_->stop();
    output_.reset();
    mixer_.stop_all();
    waves_.clear();
  }
  uint32_t play_wave(int channel, int32_t wave, uint16_t loops) override {
    auto it = waves_.find(wave);
    if (it == waves_.end()) return 1;
    mixer_.play(channel, it->second.samples, loops == 0xFFFF ? -1 : loops);
    return 0;
  }
  void stop_channel(int channel) override { mixer_.stop(channel); }
  void stop_all_channels() override { mixer_.stop_all(); }

  std::function<std::unique_ptr<pcm::Output>()> open_output_;
  std::unique_ptr<pcm::Output> output_;
  pcm::Mixer mixer_;
  std::map<int32_t, Kept> waves_;
};

}  // namespace

std::unique_ptr<WaveMixer> make_pcm_wave_mixer(std::function<std::unique_ptr<pcm::Output>()> open_output) {
  return std::make_unique<PcmWaveMixer>(std::move(open_output));
}

}  // namespace vex
