#include "os/linux/audio_output.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "os/sound_volume.h"

namespace vex::audio {
namespace {

struct Output {
  int users = 0;
  bool open = false;
  int freq = 44100;
  Uint16 format = AUDIO_S16SYS;
  int channels = 2;
  int allocated = 0;
  std::set<int> taken;  // the wave player's channels
};
Output& out() {
  static Output o;
  return o;
}

// The music's ring: rendered by the music's thread a block at a time, read
// by the sound thread, neither waiting for the other. Frames are counted
// from the output's opening; the ring holds frame n at n % kRingFrames.
// 4096 frames are 93 ms: room for the sound thread's buffer (1024 frames)
// and for a slow block or two of the synthesizer's.
constexpr uint64_t kRingFrames = 4096;
constexpr int kBlockFrames = 512;
struct Music {
  std::vector<int16_t> ring = std::vector<int16_t>(kRingFrames * 2);
  std::atomic<uint64_t> rendered{0};
  std::atomic<uint64_t> taken{0};    // written only by the sound thread
  std::atomic<uint64_t> drop_to{0};  // the sound thread skips to here
  std::atomic<uint32_t> taken_signal{0};
  // Under music_lock():
  MusicFill fill = nullptr;
  void* fill_data = nullptr;
  bool quit = false;
  std::condition_variable wake;  // a fill given, or quit
  std::thread thread;
};
// Never destroyed: a process that ends without letting go of the output
// must not take the ring from under a thread still rendering into it.
Music& music() {
  static Music* m = new Music;
  return *m;
}

void render_music() {
  Music& m = music();
  // A device that takes sound as fast as it is given (ALSA's null device,
  // or its file plugin over it, on a machine without sound) leaves the ring
  // never full, and this thread would render on without a pause, holding
  // the lock all the while: the main thread, stopping a song or ending,
  // would wait seconds for it. So no block is rendered sooner than its
  // time, with a second's worth in hand, which a real device never uses up.
  using Clock = std::chrono::steady_clock;
  const double per_second = frequency();
  double in_hand = per_second;
  Clock::time_point counted = Clock::now();
  std::unique_lock<std::mutex> hold(music_lock());
  for (;;) {
    m.wake.wait(hold, [&] { return m.quit || m.fill; });
    if (m.quit) return;
    const uint32_t signal = m.taken_signal.load(std::memory_order_acquire);
    const uint64_t at = m.rendered.load(std::memory_order_relaxed);
    // Frames skipped by a drop are free once the sound thread has passed
    // them: it may be copying them this moment.
    const uint64_t taken = m.taken.load(std::memory_order_acquire);
    if (at + kBlockFrames - taken > kRingFrames) {
      // Full: wait for the sound thread to take some, without the lock.
      hold.unlock();
      m.taken_signal.wait(signal, std::memory_order_acquire);
      hold.lock();
      continue;
    }
    const Clock::time_point now = Clock::now();
    in_hand = std::min(per_second, in_hand + std::chrono::duration<double>(now - counted).count() * per_second);
    counted = now;
    if (in_hand < kBlockFrames) {
      m.wake.wait_for(hold, std::chrono::milliseconds(5), [&] { return m.quit; });
      continue;
    }
    in_hand -= kBlockFrames;
    m.fill(m.fill_data, &m.ring[(at % kRingFrames) * 2], kBlockFrames);
    m.rendered.store(at + kBlockFrames, std::memory_order_release);
  }
}

void stop_music_thread() {
  Music& m = music();
  {
    std::lock_guard<std::mutex> hold(music_lock());
    m.quit = true;
    m.fill = nullptr;
  }
  m.wake.notify_all();
  m.taken_signal.fetch_add(1, std::memory_order_release);
  m.taken_signal.notify_all();
  if (m.thread.joinable()) m.thread.join();
  m.quit = false;
  m.rendered = m.taken = m.drop_to = 0;
}

// On the sound thread: the music first, the channels are mixed over it.
// What the ring does not hold yet is silence; nothing here waits.
void music_hook(void*, Uint8* stream, int len) {
  const Output& o = out();
  auto* to = reinterpret_cast<int16_t*>(stream);
  const uint64_t want = static_cast<uint64_t>(len) / 4;
  if (o.format != AUDIO_S16SYS || o.channels != 2) {
    SDL_memset(stream, 0, static_cast<size_t>(len));
    return;
  }
  Music& m = music();
  const uint64_t drop = m.drop_to.load(std::memory_order_acquire);
  const uint64_t ready = m.rendered.load(std::memory_order_acquire);
  uint64_t from = std::max(m.taken.load(std::memory_order_relaxed), drop);
  const uint64_t n = std::min(ready - from, want);
  for (uint64_t i = 0; i < n;) {
    const uint64_t at = (from + i) % kRingFrames;
    const uint64_t run = std::min(n - i, kRingFrames - at);
    SDL_memcpy(to + 2 * i, &m.ring[at * 2], static_cast<size_t>(run * 4));
    i += run;
  }
  SDL_memset(to + 2 * n, 0, static_cast<size_t>((want - n) * 4));
  m.taken.store(from + n, std::memory_order_release);
  m.taken_signal.fetch_add(1, std::memory_order_release);
  m.taken_signal.notify_one();
}

// The whole output, music and effects together, at the chosen volume; at
// full volume every sample goes out as it was mixed.
void scale_by_volume(void*, Uint8* stream, int len) {
  const int volume = output_volume();
  if (volume >= kFullVolume || out().format != AUDIO_S16SYS) return;
  auto* samples = reinterpret_cast<int16_t*>(stream);
  const int count = len / 2;
  for (int i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] * volume / kFullVolume);
}

// A machine without a sound device stays without one for the run: asking
// again would only fill the terminal with the sound system's complaints.
// (Told apart by the driver asked for, which a test may change.)
bool failed_once = false;
std::string failed_driver;
std::string asked_driver() {
  const char* d = std::getenv("SDL_AUDIODRIVER");
  return d ? d : "";
}

}  // namespace

bool acquire() {
  Output& o = out();
  if (o.open) {
    ++o.users;
    return true;
  }
  if (failed_once && failed_driver == asked_driver()) return false;
  failed_once = false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    failed_once = true;
    failed_driver = asked_driver();
    return false;
  }
  // Small buffers keep a play close to its moment; 1024 frames are 23 ms.
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    failed_once = true;
    failed_driver = asked_driver();
    return false;
  }
  Mix_QuerySpec(&o.freq, &o.format, &o.channels);
  o.allocated = Mix_AllocateChannels(kMixerChannels);
  Mix_ReserveChannels(kMixerChannels);
  Mix_Volume(-1, kEffectsVolume);
  Mix_HookMusic(music_hook, nullptr);
  Mix_SetPostMix(scale_by_volume, nullptr);
  o.open = true;
  o.users = 1;
  return true;
}

void release() {
  Output& o = out();
  if (!o.open || --o.users > 0) return;
  // Everything stops and the device and its thread are given back now:
  // the process may end right after, without any exit-time clean-up.
  Mix_HookMusic(nullptr, nullptr);
  Mix_SetPostMix(nullptr, nullptr);
  Mix_HaltChannel(-1);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  stop_music_thread();
  o = Output{};
}

bool is_open() { return out().open; }
int frequency() { return out().freq; }

int take_channel() {
  Output& o = out();
  int ch = kMixerChannels;
  while (o.taken.count(ch)) ++ch;
  o.taken.insert(ch);
  if (ch >= o.allocated) {
    o.allocated = Mix_AllocateChannels(ch + 1);
    Mix_Volume(ch, kEffectsVolume);
  }
  return ch;
}

void give_channel(int channel) {
  Output& o = out();
  if (!o.open) return;
  Mix_HaltChannel(channel);
  o.taken.erase(channel);
}

Sound::~Sound() {
  if (chunk) Mix_FreeChunk(chunk);  // halts the channels playing it first
}

Sound* make_sound(const uint8_t* pcm, std::size_t bytes, int channels, int rate, int bits,
                  const std::atomic<bool>* stop) {
  Output& o = out();
  const std::size_t in_frame = static_cast<std::size_t>(channels * bits / 8);
  if (!o.open || in_frame == 0 || bytes < in_frame) return nullptr;
  // Through a stream, a piece at a time: converting all at once would need
  // a buffer for every intermediate step at the largest of them, a hundred
  // and more times the input for 8-bit mono at a low rate.
  SDL_AudioStream* stream = SDL_NewAudioStream(bits == 8 ? AUDIO_U8 : AUDIO_S16LSB, static_cast<Uint8>(channels), rate,
                                               o.format, static_cast<Uint8>(o.channels), o.freq);
  if (!stream) return nullptr;
  auto s = std::make_unique<Sound>();
  const std::size_t out_frame = SDL_AUDIO_BITSIZE(o.format) / 8 * static_cast<std::size_t>(o.channels);
  const uint64_t frames = bytes / in_frame;
  // What the resampler gives, and a little over for its rounding.
  s->samples.reserve((frames * static_cast<uint64_t>(o.freq) / static_cast<uint64_t>(rate) + 256) * out_frame);
  bool ok = true;
  auto take = [&] {
    const int ready = SDL_AudioStreamAvailable(stream);
    if (ready <= 0) return;
    const std::size_t at = s->samples.size();
    s->samples.resize(at + static_cast<std::size_t>(ready));
    const int got = SDL_AudioStreamGet(stream, s->samples.data() + at, ready);
    s->samples.resize(at + static_cast<std::size_t>(std::max(got, 0)));
    ok = ok && got >= 0;
  };
  const std::size_t piece = in_frame * 16384;
  for (std::size_t at = 0; ok && at + in_frame <= bytes; at += piece) {
    const std::size_t n = std::min(piece, (bytes - at) / in_frame * in_frame);
    ok = SDL_AudioStreamPut(stream, pcm + at, static_cast<int>(n)) == 0;
    take();
    if (stop && stop->load(std::memory_order_relaxed)) ok = false;
  }
  ok = ok && SDL_AudioStreamFlush(stream) == 0;
  take();
  SDL_FreeAudioStream(stream);
  s->samples.resize(s->samples.size() / out_frame * out_frame);
  if (!ok || s->samples.empty()) return nullptr;
  s->chunk = Mix_QuickLoad_RAW(s->samples.data(), static_cast<Uint32>(s->samples.size()));
  if (!s->chunk) return nullptr;
  return s.release();
}

std::mutex& music_lock() {
  static std::mutex* m = new std::mutex;
  return *m;
}

void set_music(MusicFill fill, void* data) {
  Music& m = music();
  {
    std::lock_guard<std::mutex> hold(music_lock());
    m.fill = fill;
    m.fill_data = data;
    drop_rendered_music();
    if (fill && !m.thread.joinable()) m.thread = std::thread(render_music);
  }
  m.wake.notify_all();
}

void drop_rendered_music() {
  Music& m = music();
  m.drop_to.store(m.rendered.load(std::memory_order_relaxed), std::memory_order_release);
}

uint64_t music_frames_rendered() { return music().rendered.load(std::memory_order_relaxed); }
uint64_t music_frames_taken() { return music().taken.load(std::memory_order_acquire); }

}  // namespace vex::audio
