#include "sounds.hpp"

#include <flite/flite.h>

#include <mutex>

// Flite's headers declare no voice; each voice's library has this one
// function.
extern "C" cst_voice* register_cmu_us_rms(const char* voxdir);

namespace mediagen {

Speech speak(const std::string& text, double stretch) {
  // Flite keeps its voice's features between calls; one speaker at a time.
  static std::mutex m;
  std::lock_guard<std::mutex> lock(m);
  static cst_voice* voice = [] {
    flite_init();
    return register_cmu_us_rms(nullptr);
  }();
  if (!voice) return {};
  flite_feat_set_float(voice->features, "duration_stretch", float(stretch));
  cst_wave* w = flite_text_to_wave(text.c_str(), voice);
  if (!w) return {};
  Speech s;
  s.rate = w->sample_rate;
  s.samples.resize(std::size_t(w->num_samples));
  for (std::size_t i = 0; i < s.samples.size(); ++i)
    s.samples[i] = float(w->samples[i * std::size_t(w->num_channels)] / 32768.0);
  delete_wave(w);
  return s;
}

}  // namespace mediagen
