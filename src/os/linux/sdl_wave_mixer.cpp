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

constexpr int32_t kFirstMixer = 0x4D580001;
constexpr int32_t kFirstWave = 0x57560001;
// How long the opens of a session may spend reading and converting sounds
// before the rest are read and converted beside the frames: the saver opens
// its sounds before its first frame, and twelve long sounds at a high rate
// take a second or more to convert on a busy machine. The first sound (the
// greeting, played at once) is always ready when its open returns.
constexpr auto kConvertingAtOpen = std::chrono::milliseconds(250);

class SdlWaveMixer : public WaveMixer {
 public:
  ~SdlWaveMixer() override {
    if (session_) CloseSession(session_);
  }

  int32_t Init() override {
    if (session_) return 0;  // one session at a time
    if (!audio::acquire()) return 0;
    session_ = next_mixer_++;
    return session_;
  }

  int32_t OpenWave(int32_t mixer, const std::string& path, int32_t, uint32_t) override {
    // The saver opens its sounds before its first frame: a request to end
    // is not kept waiting behind the rest of them.
    if (!ours(mixer) || termination_requested()) return 0;
    auto file = check_kept_sound(path);
    if (!file) return 0;
    const int32_t handle = next_wave_++;
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

  uint32_t OpenChannel(int32_t mixer, int32_t channels, uint32_t flags) override {
    if (!ours(mixer)) return 1;
    // Flags 2: that many channels from channel 0.
    if (flags == 2) channels_ = std::clamp(channels, 0, audio::kMixerChannels);
    else if (channels >= 0 && channels < audio::kMixerChannels) channels_ = std::max(channels_, channels + 1);
    return 0;
  }

  uint32_t Activate(int32_t mixer, int32_t activate) override {
    if (!ours(mixer)) return 1;
    active_ = activate != 0;
    if (!active_) Mix_HaltChannel(-1);
    return 0;
  }

  uint32_t Play(const MixPlayParams& p) override {
    const auto r = read_play_record(p);
    // A record that names no open mixer, channel or wave plays nothing.
    if (!r || !ours(r->mixer) || !active_ || r->channel < 0 || r->channel >= channels_) return 1;
    take_converted();
    auto it = waves_.find(r->wave);
    if (it == waves_.end()) return 1;
    // The loop count as a signed word, as before: 0xFFFF plays once.
    const int loops = static_cast<int16_t>(r->loops);
    return Mix_PlayChannel(r->channel, it->second->chunk, std::max(loops, 0)) == r->channel ? 0 : 1;
  }

  uint32_t CloseChannel(int32_t mixer, int32_t channel, uint32_t flags) override {
    if (!ours(mixer)) return 1;
    if (flags == 1) {  // all of them
      for (int c = 0; c < channels_; ++c) Mix_HaltChannel(c);
      channels_ = 0;
    } else if (channel >= 0 && channel < channels_) {
      Mix_HaltChannel(channel);
    }
    return 0;
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

  uint32_t CloseSession(int32_t mixer) override {
    if (!ours(mixer)) return 1;
    stop_converter();
    for (int c = 0; c < audio::kMixerChannels; ++c) Mix_HaltChannel(c);
    waves_.clear();
    channels_ = 0;
    active_ = false;
    session_ = 0;
    converting_spent_ = {};
    audio::release();
    return 0;
  }

 private:
  bool ours(int32_t mixer) const { return session_ != 0 && mixer == session_; }

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

  int32_t session_ = 0;
  int32_t next_mixer_ = kFirstMixer;
  int32_t next_wave_ = kFirstWave;
  int channels_ = 0;
  bool active_ = false;
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
