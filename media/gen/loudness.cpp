#include "loudness.hpp"

#include <ebur128.h>

#include <algorithm>

namespace mediagen {

namespace {

// Integrated loudness of `frames` frames from `x`.
double integrated(const float* x, std::size_t frames, int channels, int rate, int mode, double* momentaryPeak) {
  ebur128_state* st = ebur128_init(unsigned(channels), unsigned(rate), mode);
  if (!st) return -200;
  if (channels == 1) ebur128_set_channel(st, 0, EBUR128_DUAL_MONO);
  // Fed 10 or 20 ms at a time (a whole number of blocks a second), so the
  // loudest 400 ms is found to within that.
  const std::size_t step = rate % 100 == 0 ? std::size_t(rate) / 100 : std::size_t(rate) / 50;
  for (std::size_t at = 0; at < frames; at += step) {
    std::size_t n = std::min(step, frames - at);
    ebur128_add_frames_float(st, x + at * std::size_t(channels), n);
    double m;
    if (momentaryPeak && ebur128_loudness_momentary(st, &m) == EBUR128_SUCCESS)
      *momentaryPeak = std::max(*momentaryPeak, m);
  }
  double g = -200;
  if (ebur128_loudness_global(st, &g) != EBUR128_SUCCESS) g = -200;
  ebur128_destroy(&st);
  return std::max(g, -200.0);
}

}  // namespace

Loudness measure_loudness(const float* interleaved, std::size_t frames, int channels, int rate, double gain) {
  Loudness out;
  const std::size_t ch = std::size_t(channels), second = std::size_t(rate), tail = second * 4 / 10;
  std::vector<float> x((frames + tail) * ch, 0.0f);
  for (std::size_t i = 0; i < frames * ch; ++i) x[i] = float(interleaved[i] * gain);
  out.integrated = integrated(x.data(), frames + tail, channels, rate, EBUR128_MODE_I, &out.momentaryPeak);
  // Each stretch measured on its own: the library's own longer windows
  // reserve memory by the second rather than the millisecond.
  for (std::size_t end = 10 * second; end <= frames; end += second)
    out.tenSeconds.push_back(
        integrated(x.data() + (end - 10 * second) * ch, 10 * second, channels, rate, EBUR128_MODE_I, nullptr));
  return out;
}

}  // namespace mediagen
