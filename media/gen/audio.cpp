#include "audio.hpp"

#include "loudness.hpp"

#include <cstdio>
#include <fstream>

namespace mediagen {

void add(Wave& dst, const Wave& src, double t, double gain) {
  std::size_t o = at_time(t);
  if (dst.size() < o + src.size()) dst.resize(o + src.size(), 0.0f);
  for (std::size_t i = 0; i < src.size(); ++i) dst[o + i] += float(src[i] * gain);
}

Wave scaled(const Wave& w, double gain) {
  Wave out(w.size());
  for (std::size_t i = 0; i < w.size(); ++i) out[i] = float(w[i] * gain);
  return out;
}

Wave resampled(const Wave& w, double rate) {
  double step = rate / kRate;
  std::size_t n = w.size() < 4 ? 0 : std::size_t(double(w.size() - 3) / step);
  Wave out(n);
  for (std::size_t i = 0; i < n; ++i) {
    double pos = 1 + double(i) * step;
    std::size_t k = std::size_t(pos);
    double f = pos - double(k);
    double y0 = w[k - 1], y1 = w[k], y2 = w[k + 1], y3 = w[k + 2];
    double c1 = 0.5 * (y2 - y0), c2 = y0 - 2.5 * y1 + 2 * y2 - 0.5 * y3, c3 = 0.5 * (y3 - y0) + 1.5 * (y1 - y2);
    out[i] = float(((c3 * f + c2) * f + c1) * f + y1);
  }
  return out;
}

void Biquad::tune(Type t, double f, double q, double gainDb) {
  f = std::clamp(f, 10.0, kRate * 0.45);
  double w = kTau * f / kRate, c = std::cos(w), s = std::sin(w), alpha = s / (2 * q);
  double b0, b1, b2, a0, a1, a2;
  switch (t) {
    case Type::Low: b0 = (1 - c) / 2, b1 = 1 - c, b2 = (1 - c) / 2, a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha; break;
    case Type::High:
      b0 = (1 + c) / 2, b1 = -(1 + c), b2 = (1 + c) / 2, a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha;
      break;
    case Type::Band:  // constant 0 dB peak gain
      b0 = alpha, b1 = 0, b2 = -alpha, a0 = 1 + alpha, a1 = -2 * c, a2 = 1 - alpha;
      break;
    case Type::Peak:
    default: {
      double A = std::pow(10.0, gainDb / 40);
      b0 = 1 + alpha * A, b1 = -2 * c, b2 = 1 - alpha * A, a0 = 1 + alpha / A, a1 = -2 * c, a2 = 1 - alpha / A;
      break;
    }
  }
  b0_ = b0 / a0, b1_ = b1 / a0, b2_ = b2 / a0, a1_ = a1 / a0, a2_ = a2 / a0;
}

Wave lowpass(Wave w, double f, double q) {
  Biquad(Biquad::Type::Low, f, q).run(w);
  return w;
}
Wave highpass(Wave w, double f, double q) {
  Biquad(Biquad::Type::High, f, q).run(w);
  return w;
}
Wave bandpass(Wave w, double f, double q) {
  Biquad(Biquad::Type::Band, f, q).run(w);
  return w;
}

Wave white(double seconds, Rng& rng) {
  Wave w(at_time(seconds));
  for (float& s : w) s = float(rng.range(-1, 1));
  return w;
}

Wave brown(double seconds, Rng& rng) {
  Wave w(at_time(seconds));
  double y = 0;
  for (float& s : w) {
    y = 0.998 * y + rng.range(-1, 1) * 0.06;
    s = float(y);
  }
  return highpass(std::move(w), 18);
}

double Wander::next() {
  phase_ += rate_ / kRate;
  if (phase_ >= 1) {
    phase_ -= 1;
    a_ = b_;
    b_ = rng_.range(-1, 1);
  }
  return a_ + (b_ - a_) * (1 - std::cos(kPi * phase_)) / 2;
}

double Curve::operator()(double t) const {
  if (pts_.empty()) return 0;
  if (t <= pts_.front().first) return pts_.front().second;
  for (std::size_t i = 1; i < pts_.size(); ++i)
    if (t < pts_[i].first) {
      const auto& [t0, v0] = pts_[i - 1];
      const auto& [t1, v1] = pts_[i];
      return v0 + (v1 - v0) * (t - t0) / (t1 - t0);
    }
  return pts_.back().second;
}

Formants vowel(char v, double scale) {
  // Peterson and Barney's averages for men, with bandwidths widening upward.
  Formants f;
  auto set = [&](double f1, double f2, double f3, double g2, double g3) {
    f = {{f1 * scale, f2 * scale, f3 * scale}, {80 * scale, 100 * scale, 150 * scale}, {1.0, g2, g3}};
  };
  switch (v) {
    case 'a': set(730, 1090, 2440, 0.5, 0.25); break;   // father
    case 'e': set(530, 1840, 2480, 0.45, 0.3); break;   // bed
    case 'i': set(270, 2290, 3010, 0.35, 0.3); break;   // see
    case 'o': set(570, 840, 2410, 0.45, 0.12); break;   // saw
    case 'u': set(300, 870, 2240, 0.3, 0.08); break;    // boot
    case 'E': set(660, 1720, 2410, 0.5, 0.3); break;    // cat
    case 'm': set(250, 1000, 2200, 0.08, 0.03); break;  // lips closed, hum
    default: set(500, 1500, 2500, 0.5, 0.25); break;    // schwa
  }
  return f;
}

Formants blend(const Formants& a, const Formants& b, double t) {
  Formants r;
  for (int i = 0; i < 3; ++i) {
    r.f[i] = lerp(a.f[i], b.f[i], t);
    r.bw[i] = lerp(a.bw[i], b.bw[i], t);
    r.gain[i] = lerp(a.gain[i], b.gain[i], t);
  }
  return r;
}

Wave voice(const VoiceSpec& v) {
  std::size_t n = at_time(v.seconds);
  Wave out(n);
  Rng rng(v.seed);
  Wander wobble(v.seed * 7 + 1, 6), flutter(v.seed * 7 + 2, v.roughRate * 0.5);
  Biquad res[3];
  double phase = 0, sub = 0, tiltState = 0, tiltK = 1 - std::exp(-kTau * v.tilt / kRate);
  bool odd = false;
  Biquad breathHp(Biquad::Type::High, 500, 0.7);
  Formants fm{};
  for (std::size_t i = 0; i < n; ++i) {
    double t = double(i) / kRate;
    if (i % 32 == 0) {
      fm = v.formants(t);
      for (int k = 0; k < 3; ++k) res[k].tune(Biquad::Type::Band, fm.f[k], fm.f[k] / fm.bw[k]);
    }
    double f0 = v.pitch(t) * (1 + v.jitter * wobble.next());
    double dt = f0 / kRate;
    phase += dt;
    if (phase >= 1) {
      phase -= 1;
      odd = !odd;
    }
    // Sawtooth with polyBLEP edges, so high voices do not alias.
    auto blep = [](double p, double d) {
      if (p < d) {
        p /= d;
        return p + p - p * p - 1;
      }
      if (p > 1 - d) {
        p = (p - 1) / d;
        return p * p + p + p + 1;
      }
      return 0.0;
    };
    double saw = 2 * phase - 1 - blep(phase, dt);
    sub += dt / 2;
    if (sub >= 1) sub -= 1;
    double subSaw = 2 * sub - 1 - blep(sub, dt / 2);
    double src = saw;
    if (v.rough > 0) {
      double fl = flutter.next();
      src *= (odd ? 1 - 0.6 * v.rough : 1.0) *
             (1 - 0.5 * v.rough * (0.5 + 0.5 * std::sin(kTau * v.roughRate * t + 3 * fl)));
      src += 0.45 * v.rough * subSaw;
    }
    tiltState += tiltK * (src - tiltState);
    double excite = tiltState * v.loud(t);
    if (v.breath) excite += breathHp.run(float(rng.range(-1, 1))) * v.breath(t) * 0.6;
    double y = 0;
    for (int k = 0; k < 3; ++k) y += res[k].run(float(excite)) * fm.gain[k];
    out[i] = float(y);
  }
  return out;
}

void fft(std::vector<std::complex<double>>& a, bool inverse) {
  std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    double ang = kTau / double(len) * (inverse ? 1 : -1);
    std::complex<double> wl(std::cos(ang), std::sin(ang));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1);
      for (std::size_t j = 0; j < len / 2; ++j) {
        auto u = a[i + j], v = a[i + j + len / 2] * w;
        a[i + j] = u + v;
        a[i + j + len / 2] = u - v;
        w *= wl;
      }
    }
  }
  if (inverse)
    for (auto& x : a) x /= double(n);
}

Wave convolve(const Wave& x, const Wave& h) {
  if (x.empty() || h.empty()) return {};
  std::size_t len = x.size() + h.size() - 1, n = 1;
  while (n < len) n <<= 1;
  std::vector<std::complex<double>> a(n), b(n);
  for (std::size_t i = 0; i < x.size(); ++i) a[i] = x[i];
  for (std::size_t i = 0; i < h.size(); ++i) b[i] = h[i];
  fft(a, false);
  fft(b, false);
  for (std::size_t i = 0; i < n; ++i) a[i] *= b[i];
  fft(a, true);
  Wave out(len);
  for (std::size_t i = 0; i < len; ++i) out[i] = float(a[i].real());
  return out;
}

Wave room(double rt60, double predelay, double bright, std::uint64_t seed) {
  Rng rng(seed);
  Wave ir(at_time(predelay + rt60 * 1.1));
  // Early reflections off walls close by.
  for (int k = 0; k < 14; ++k) {
    double t = predelay * (0.35 + 0.65 * k / 13.0) + rng.range(0, 0.012) + 0.002;
    std::size_t i = at_time(t);
    if (i < ir.size()) ir[i] += float((rng.uni() < 0.5 ? -1 : 1) * 0.9 * std::exp(-3.0 * t / rt60) * (1 - k / 20.0));
  }
  double hi = 1500 + 9000 * bright, state = 0;
  for (std::size_t i = at_time(predelay); i < ir.size(); ++i) {
    double t = double(i) / kRate, since = t - predelay;
    double cutoff = hi * std::exp(-2.2 * since / rt60) + 250;
    double k = 1 - std::exp(-kTau * cutoff / kRate);
    state += k * (rng.range(-1, 1) - state);
    double env = std::exp(-6.9078 * since / rt60) * smoothstep(0, 0.03, since);
    ir[i] += float(state * env * 0.8);
  }
  double e = 0;
  for (float s : ir) e += double(s) * s;
  return scaled(ir, 1 / std::sqrt(e));
}

Sound reverb(const Wave& dry, double rt60, double predelay, double bright, double wet, bool stereo,
             std::uint64_t seed) {
  Sound s;
  s.left = convolve(dry, room(rt60, predelay, bright, seed));
  for (std::size_t i = 0; i < s.left.size(); ++i) s.left[i] = float(s.left[i] * wet + (i < dry.size() ? dry[i] : 0));
  if (stereo) {
    s.right = convolve(dry, room(rt60, predelay * 1.13, bright, seed + 101));
    s.right.resize(s.left.size(), 0.0f);
    for (std::size_t i = 0; i < s.right.size(); ++i)
      s.right[i] = float(s.right[i] * wet + (i < dry.size() ? dry[i] : 0));
  }
  return s;
}

double peak_of(const Sound& s) {
  double p = 0;
  for (float v : s.left) p = std::max(p, double(std::fabs(v)));
  for (float v : s.right) p = std::max(p, double(std::fabs(v)));
  return p;
}

Loudness loudness_of(const Sound& s) {
  int ch = s.stereo() ? 2 : 1;
  std::vector<float> x(s.frames() * std::size_t(ch));
  for (std::size_t i = 0; i < s.frames(); ++i) {
    x[i * std::size_t(ch)] = s.left[i];
    if (ch == 2) x[i * 2 + 1] = s.right[i];
  }
  return measure_loudness(x.data(), s.frames(), ch, kRate);
}

void finish(Sound& s, double targetLufs, double fadeIn, double fadeOut) {
  std::size_t n = s.frames(), in = at_time(fadeIn), out = at_time(fadeOut);
  for (Wave* w : {&s.left, &s.right})
    for (std::size_t i = 0; i < w->size(); ++i) {
      double g = 1;
      if (i < in) g *= 0.5 - 0.5 * std::cos(kPi * double(i) / in);
      if (i + out >= n) g *= 0.5 - 0.5 * std::cos(kPi * double(n - 1 - i) / out);
      (*w)[i] = float((*w)[i] * g);
    }
  double loud = loudness_of(s).momentaryPeak, peak = peak_of(s);
  if (loud <= -200 || peak <= 0) return;
  // 0.88 keeps the peak under -1 dBFS (0.891) after rounding to 16 bits.
  double gain = std::min(std::pow(10.0, (targetLufs - loud) / 20), 0.88 / peak);
  for (Wave* w : {&s.left, &s.right})
    for (float& v : *w) v = float(v * gain);
}

bool write_wav(const std::string& path, const Sound& s) {
  int ch = s.stereo() ? 2 : 1;
  std::uint32_t data = std::uint32_t(s.frames() * ch * 2);
  std::vector<unsigned char> b;
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 255);
  };
  auto u16 = [&](std::uint16_t v) {
    b.push_back(v & 255);
    b.push_back(v >> 8);
  };
  auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
  tag("RIFF");
  u32(36 + data);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(std::uint16_t(ch));
  u32(kRate);
  u32(kRate * ch * 2);
  u16(std::uint16_t(ch * 2));
  u16(16);
  tag("data");
  u32(data);
  for (std::size_t i = 0; i < s.frames(); ++i)
    for (int c = 0; c < ch; ++c) {
      double v = std::clamp(double(c ? s.right[i] : s.left[i]), -1.0, 1.0);
      u16(std::uint16_t(std::int16_t(std::lround(v * 32767))));
    }
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  return bool(f);
}

}  // namespace mediagen
