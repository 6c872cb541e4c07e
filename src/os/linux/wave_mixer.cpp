// The wave mixer on SDL2_mixer: eight channels, each playing one sound at a
// time; a play on a busy channel starts it over; the mixing happens on the
// sound thread, nobody pumps it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "os/linux/audio_output.h"
#include "os/media_files.h"
#include "os/signals.h"
#include "os/wave_mixer.h"

namespace vex {
namespace {

// How long the opens of a session may spend reading and converting sounds
// before the rest are read and converted beside the frames: the saver opens
// its sounds before its first frame, and twelve long sounds at a high rate
// take a second or more to convert on a busy machine. The first sound (the
// greeting, played at once) is always ready when its open returns.
constexpr auto kConvertingAtOpen = std::chrono::milliseconds(250);

class SdlWaveMixer : public SessionWaveMixer {
 public:
  ~SdlWaveMixer() override {
    if (session_open()) end_session();
  }

  int32_t OpenWave(int32_t mixer, const std::string& path, int32_t, uint32_t) override {
    // The saver opens its sounds before its first frame: a request to end
    // is not kept waiting behind the rest of them.
    if (!ours(mixer) || termination_requested()) return 0;
    auto file = check_kept_sound(path);
    if (!file) return 0;
    const int32_t handle = new_wave_handle();
    if (converting_spent_ < kConvertingAtOpen) {
      const auto began = std::chrono::steady_clock::now();
      std::unique_ptr<audio::Sound> s(read_kept_samples(*file) ? convert(*file) : nullptr);
      converting_spent_ += std::chrono::steady_clock::now() - began;
      if (!s) return 0;
      waves_[handle] = std::move(s);
    } else {
      // Playable once converted; until then a play of it plays nothing.
      start_converter();
      std::lock_guard<std::mutex> hold(jobs_lock_);
      jobs_.push_back({handle, std::move(*file)});
      jobs_wake_.notify_all();
    }
    return handle;
  }

  uint32_t FreeWave(int32_t mixer, int32_t wave) override {
    if (!ours(mixer)) return 1;
    bool was_waiting = false;
    {
      std::lock_guard<std::mutex> hold(jobs_lock_);
      auto job = std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.handle == wave; });
      if (job != jobs_.end()) {
        jobs_.erase(job);
        was_waiting = true;
      }
      if (wave != 0 && converting_ == wave) {
        drop_converting_ = true;  // not waited for: shutting down frees every wave in turn
        was_waiting = true;
      }
    }
    take_converted();
    return waves_.erase(wave) || was_waiting ? 0 : 1;
  }

 private:
  bool take_device() override { return audio::acquire(); }
  void end_session() override {
    stop_converter();
    stop_all_channels();
    waves_.clear();
    converting_spent_ = {};
    audio::release();
  }
  uint32_t play_wave(int channel, int32_t wave, uint16_t loops) override {
    take_converted();
    auto it = waves_.find(wave);
    if (it == waves_.end()) return 1;
    // The loop count as a signed word, as before: 0xFFFF plays once.
    const int times = static_cast<int16_t>(loops);
    return Mix_PlayChannel(channel, it->second->chunk, std::max(times, 0)) == channel ? 0 : 1;
  }
  void stop_channel(int channel) override { Mix_HaltChannel(channel); }
  // Only the mixer's own: the channels above them play the multimedia
  // devices' sounds.
  void stop_all_channels() override {
    for (int c = 0; c < audio::kMixerChannels; ++c) Mix_HaltChannel(c);
  }

  static audio::Sound* convert(KeptSoundFile& file, const std::atomic<bool>* stop = nullptr) {
    const WaveSound& w = file.wave;
    audio::Sound* s =
        audio::make_sound(file.bytes.data() + w.data_offset, w.data_bytes, w.channels, w.rate, w.bits, stop);
    if (s) s->share = std::move(file.share);
    return s;
  }

  // The sounds left to convert, one after another in the order opened, on
  // a thread of their own; the program's thread takes them as they are done.
  void start_converter() {
    if (converter_.joinable()) return;
    converter_ = std::thread([this] {
      std::unique_lock<std::mutex> hold(jobs_lock_);
      for (;;) {
        jobs_wake_.wait(hold, [&] { return stopping_ || !jobs_.empty(); });
        if (stopping_) return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        converting_ = job.handle;
        hold.unlock();
        std::unique_ptr<audio::Sound> s(read_kept_samples(job.file) ? convert(job.file, &stopping_) : nullptr);
        hold.lock();
        converting_ = 0;
        if (s && !drop_converting_) {
          converted_.emplace_back(job.handle, std::move(s));
          any_converted_ = true;
        }
        drop_converting_ = false;
      }
    });
  }

  void stop_converter() {
    if (!converter_.joinable()) return;
    {
      std::lock_guard<std::mutex> hold(jobs_lock_);
      stopping_ = true;
      jobs_.clear();
    }
    jobs_wake_.notify_all();
    converter_.join();  // the sound being converted is given up within a piece of it
    stopping_ = false;
    converted_.clear();
    any_converted_ = false;
  }

  void take_converted() {
    if (!any_converted_.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> hold(jobs_lock_);
    for (auto& [handle, sound] : converted_) waves_[handle] = std::move(sound);
    converted_.clear();
    any_converted_ = false;
  }

  std::map<int32_t, std::unique_ptr<audio::Sound>> waves_;

  std::chrono::steady_clock::duration converting_spent_{};
  struct Job {
    int32_t handle;
    KeptSoundFile file;
  };
  std::mutex jobs_lock_;  // the jobs, the one being converted and the converted ones
  std::condition_variable jobs_wake_;
  std::deque<Job> jobs_;
  int32_t converting_ = 0;
  bool drop_converting_ = false;  // the wave being converted was freed meanwhile
  std::atomic<bool> stopping_{false};
  std::vector<std::pair<int32_t, std::unique_ptr<audio::Sound>>> converted_;
  std::atomic<bool> any_converted_{false};
  std::thread converter_;
};

}  // namespace

std::unique_ptr<WaveMixer> make_system_wave_mixer() { return std::make_unique<SdlWaveMixer>(); }

}  // namespace vex
