// Building blocks of the sound effects: float sample buffers, filters,
// envelopes, noise, a source-filter voice, synthetic rooms and the WAV writer.
#pragma once

#include "core.hpp"

#include <complex>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mediagen {

constexpr int kRate = 44100;

// One channel of samples at kRate, nominally within -1..1.
using Wave = std::vector<float>;

// What a sound effect maker hands back: one or two channels of equal length.
struct Sound {
    Wave left, right;  // right stays empty for a mono sound
    bool stereo() const { return !right.empty(); }
    std::size_t frames() const { return left.size(); }
    double seconds() const { return double(left.size()) / kRate; }
};

inline std::size_t at_time(double t) { return t <= 0 ? 0 : std::size_t(t * kRate + 0.5); }

// Adds src into dst starting at time t (dst grows to fit), scaled by gain.
void add(Wave& dst, const Wave& src, double t = 0, double gain = 1);
Wave scaled(const Wave& w, double gain);
// Samples made at `rate` a second, brought to kRate by cubic interpolation.
// Given a rate under the true one, the sound plays slower and lower.
Wave resampled(const Wave& w, double rate);

// Biquad filters after the audio EQ cookbook; coefficients can be retuned
// while running, which the voices do for moving formants.
class Biquad {
public:
    enum class Type { Low, High, Band, Peak };
    Biquad() = default;
    Biquad(Type t, double f, double q, double gainDb = 0) { tune(t, f, q, gainDb); }
    void tune(Type t, double f, double q, double gainDb = 0);
    float run(float x) {
        double y = b0_ * x + z1_;
        z1_ = b1_ * x - a1_ * y + z2_;
        z2_ = b2_ * x - a2_ * y;
        return float(y);
    }
    void run(Wave& w) {
        for (float& s : w) s = run(s);
    }

private:
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0, z1_ = 0, z2_ = 0;
};

Wave lowpass(Wave w, double f, double q = 0.707);
Wave highpass(Wave w, double f, double q = 0.707);
Wave bandpass(Wave w, double f, double q);

// Noise of a given colour, from the part's own seeded generator.
Wave white(double seconds, Rng& rng);
Wave brown(double seconds, Rng& rng);  // integrated white, leaky, DC-free

// A slowly wandering value in -1..1 (smoothed random steps `rate` times a
// second); the irregularity of living voices and rolling thunder.
class Wander {
public:
    Wander(std::uint64_t seed, double rate) : rng_(seed), rate_(rate) { a_ = rng_.range(-1, 1), b_ = rng_.range(-1, 1); }
    double next();  // one sample

private:
    Rng rng_;
    double rate_, a_, b_, phase_ = 0;
};

// Piecewise-linear curve through (time, value) points, held flat outside.
class Curve {
public:
    Curve(std::initializer_list<std::pair<double, double>> pts) : pts_(pts) {}
    double operator()(double t) const;

private:
    std::vector<std::pair<double, double>> pts_;
};

// Vowel formants as three centre frequencies and bandwidths.
struct Formants {
    double f[3], bw[3], gain[3];
};
// Adult male vowels; `scale` moves every formant (above 1 for a smaller
// throat, below 1 for a bigger one).
Formants vowel(char v, double scale = 1.0);
Formants blend(const Formants& a, const Formants& b, double t);

// A source-filter voice: a band-limited glottal buzz plus breath noise,
// shaped by three parallel formant resonators. Every control is a function
// of time so that a laugh, a howl or a scream is one description.
struct VoiceSpec {
    double seconds = 1;
    std::function<double(double)> pitch;                 // Hz
    std::function<double(double)> loud;                  // 0..1 envelope of the buzz
    std::function<double(double)> breath = nullptr;      // 0..1 envelope of the aspiration noise
    std::function<Formants(double)> formants;
    double jitter = 0.01;    // slow random pitch wander, as a fraction
    double rough = 0;        // 0..1: period-doubling and amplitude flutter (rasp)
    double roughRate = 70;   // Hz of that flutter
    double tilt = 1800;      // Hz: the source's spectral roll-off
    std::uint64_t seed = 1;
};
Wave voice(const VoiceSpec& spec);

// In-place radix-2 FFT; the size must be a power of two. The inverse divides by n.
void fft(std::vector<std::complex<double>>& a, bool inverse);
// Convolution through the FFT, for rooms with long tails.
Wave convolve(const Wave& x, const Wave& h);
// A synthetic room: sparse early reflections, then a dense exponentially
// decaying tail whose top end dies faster (air and stone absorb the highs).
// `rt60` seconds to fall by 60 dB; `bright` 0..1.
Wave room(double rt60, double predelay, double bright, std::uint64_t seed);
// dry + wet reverberation, stereo when `stereo` (two decorrelated rooms).
Sound reverb(const Wave& dry, double rt60, double predelay, double bright, double wet, bool stereo,
             std::uint64_t seed);

// Peak over all channels, as a linear value.
double peak_of(const Sound& s);

// Loudness of a sound as the saver plays it (a mono one on both speakers).
struct Loudness;
Loudness loudness_of(const Sound& s);

// Final level and edges: brings the loudest 400 ms (momentary loudness) to
// `targetLufs` unless the peak would then pass -1 dBFS, fades in and out so
// nothing clicks.
void finish(Sound& s, double targetLufs, double fadeIn = 0.004, double fadeOut = 0.03);

// 16-bit PCM WAV at kRate, mono or stereo.
bool write_wav(const std::string& path, const Sound& s);

}  // namespace mediagen
