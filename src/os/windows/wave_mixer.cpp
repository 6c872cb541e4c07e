// The wave mixer's sound device: winmm's waveOut at 44.1 kHz, 16-bit
// stereo. A few buffers are queued at all times; a thread of ours refills
// each one as the device hands it back (the device sets an event), so the
// next buffer is always queued before the one playing runs out. Where no
// device opens the mixer does not either, and the saver runs silent.
// The system headers first: the others need what windows.h defines.
#include "os/windows/win32.h"

#include <mmsystem.h>

#include <array>
#include <atomic>
#include <thread>

#include "os/pcm_mixer.h"

namespace vex {
namespace {

// 23 ms each: a play is heard within 93 ms, and a refill that comes up to
// 70 ms late is still not heard.
constexpr int kBuffers = 4;
constexpr int kBufferFrames = 1024;

class WaveOutOutput : public pcm::Output {
 public:
  ~WaveOutOutput() override { stop(); }

  bool start(Fill fill) override {
    if (device_) return false;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = pcm::kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(pcm::kFrameBytes);
    format.nAvgBytesPerSec = pcm::kRate * static_cast<DWORD>(pcm::kFrameBytes);
    event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event_) return false;
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event_), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
      device_ = nullptr;
      release_event();
      return false;
    }
    for (Buffer& b : buffers_) {
      b.header = WAVEHDR{};
      b.header.lpData = reinterpret_cast<LPSTR>(b.samples.data());
      b.header.dwBufferLength = static_cast<DWORD>(sizeof b.samples);
      if (waveOutPrepareHeader(device_, &b.header, sizeof b.header) != MMSYSERR_NOERROR) {
        close_device();
        return false;
      }
    }
    fill_ = std::move(fill);
    stopping_ = false;
    refiller_ = std::thread([this] { refill(); });
    return true;
  }

  void stop() override {
    if (!device_) return;
    stopping_ = true;
    SetEvent(event_);
    if (refiller_.joinable()) refiller_.join();
    close_device();
    fill_ = nullptr;
  }

 private:
  struct Buffer {
    WAVEHDR header{};
    std::array<int16_t, kBufferFrames * 2> samples{};
  };

  void refill() {
    // A late refill is a gap the listener hears; a frame drawn late is not
    // seen.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    for (Buffer& b : buffers_) queue(b);
    while (!stopping_) {
      // The event is set after a buffer is marked done, so a buffer done
      // between the look and the wait is found on the next round.
      WaitForSingleObject(event_, INFINITE);
      if (stopping_) break;
      for (Buffer& b : buffers_)
        if (b.header.dwFlags & WHDR_DONE) queue(b);
    }
  }

  void queue(Buffer& b) {
    fill_(b.samples.data(), kBufferFrames);
    waveOutWrite(device_, &b.header, sizeof b.header);
  }

  void close_device() {
    // Every queued buffer comes back before it may be unprepared.
    waveOutReset(device_);
    for (Buffer& b : buffers_)
      if (b.header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device_, &b.header, sizeof b.header);
    waveOutClose(device_);
    device_ = nullptr;
    release_event();
  }

  void release_event() {
    if (event_) CloseHandle(event_);
    event_ = nullptr;
  }

  HWAVEOUT device_ = nullptr;
  HANDLE event_ = nullptr;
  std::array<Buffer, kBuffers> buffers_{};
  Fill fill_;
  std::atomic<bool> stopping_{false};
  std::thread refiller_;
};

}  // namespace

std::unique_ptr<WaveMixer> make_system_wave_mixer() {
  return make_pcm_wave_mixer([] { return std::make_unique<WaveOutOutput>(); });
}

}  // namespace vex
