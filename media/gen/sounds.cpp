#include "sounds.hpp"

#include <memory>

namespace mediagen {

namespace {

Wave normalized(Wave w, double to = 1) {
  double p = 0;
  for (float s : w) p = std::max(p, double(std::fabs(s)));
  return p > 0 ? scaled(w, to / p) : w;
}

// Rounds off the tallest peaks of a sharp sound (a gentle tanh
// saturation), so it can sit as loud as the others under the peak limit.
Wave tame(Wave w, double drive) {
  w = normalized(w);
  double k = 1 / std::tanh(drive);
  for (float& s : w) s = float(std::tanh(drive * s) * k);
  return w;
}

// A throat's rasp: the voice's loudness shaken by fast irregular noise,
// which smears its clean harmonics into a harsh, broad band.
Wave rasp(Wave w, double depth, std::uint64_t seed) {
  Rng rng(seed);
  Wave n = normalized(lowpass(lowpass(white(double(w.size()) / kRate + 0.01, rng), 140, 0.7), 140, 0.7));
  for (std::size_t i = 0; i < w.size(); ++i) w[i] *= float(1 - depth + depth * 1.6 * std::fabs(n[i]));
  return w;
}

// A vowel shouted: the upper formants as strong as the first, as a throat
// at full strain puts out.
Formants shouted(Formants f) {
  f.gain[1] = 0.95;
  f.gain[2] = 0.75;
  for (double& bw : f.bw) bw *= 1.6;
  return f;
}

// The 2-4 kHz edge a shout or a shriek has.
Wave edge(Wave w, double gainDb) {
  Biquad(Biquad::Type::Peak, 2800, 0.8, gainDb).run(w);
  return w;
}

// Room for the fade-in before a sound's first attack.
constexpr double kLead = 0.005;

void trim(Sound& s, double seconds) {
  std::size_t n = std::min(s.frames(), at_time(seconds));
  s.left.resize(n);
  if (s.stereo()) s.right.resize(n);
}

// A decaying sine whose pitch glides from f0 to f1 with time constant
// `glide`: the ring of a bubble, a bone, a drop.
Wave ring(double seconds, double f0, double f1, double glide, double decay, double attack = 0.001) {
  Wave w(at_time(seconds));
  double ph = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    double t = double(i) / kRate;
    double f = f1 + (f0 - f1) * std::exp(-t / glide);
    ph += kTau * f / kRate;
    w[i] = float(std::sin(ph) * std::exp(-t / decay) * smoothstep(0, attack, t));
  }
  return w;
}

// Noise shaped by an attack and an exponential decay.
Wave burst(Rng& rng, double seconds, double attack, double decay) {
  Wave w = white(seconds, rng);
  for (std::size_t i = 0; i < w.size(); ++i) {
    double t = double(i) / kRate;
    w[i] *= float(smoothstep(0, attack, t) * std::exp(-t / decay));
  }
  return w;
}

// A syllable of a laugh or a call: its place, pitch glide and strength.
struct Syllable {
  double start, length, f0, f1, amp;
};

// Envelope, pitch and aspiration of a row of syllables as voice controls.
struct Syllables {
  std::vector<Syllable> list;
  double attack = 0.02, release = 0.06, aspirate = 0.05;

  const Syllable* at(double t) const {
    const Syllable* best = &list.front();
    for (const Syllable& s : list)
      if (s.start <= t) best = &s;
    return best;
  }
  double pitch(double t) const {
    const Syllable* s = at(t);
    double u = std::clamp((t - s->start) / s->length, 0.0, 1.0);
    return lerp(s->f0, s->f1, u);
  }
  double loud(double t) const {
    double v = 0;
    for (const Syllable& s : list) {
      double u = t - s.start;
      if (u < 0 || u > s.length) continue;
      v = std::max(v, s.amp * smoothstep(0, attack, u) * smoothstep(0, release, s.length - u));
    }
    return v;
  }
  // The "h" before each vowel.
  double breath(double t) const {
    double v = 0;
    for (const Syllable& s : list) {
      double u = t - s.start + aspirate;
      if (u < 0 || u > aspirate * 1.6) continue;
      v = std::max(v, s.amp * std::sin(kPi * u / (aspirate * 1.6)));
    }
    return v;
  }
  double end() const { return list.back().start + list.back().length; }
};

// A small vault that answers in the pauses: its echo is held down while the
// voice is loud and comes up as the voice falls, so it rings after each
// word and after the last one but never lies over a consonant. Heard
// through a room, "welcome" comes out as "well done" to a speech recogniser.
Sound vault(const Wave& dry, double wet, std::uint64_t seed) {
  Sound s = reverb(dry, 1.5, 0.04, 0.3, 1, true, seed);
  const double attack = 1 - std::exp(-1 / (0.005 * kRate)), release = 1 - std::exp(-1 / (0.15 * kRate));
  Wave env(s.frames(), 0.0f);
  double e = 0, top = 0;
  for (std::size_t i = 0; i < env.size(); ++i) {
    double x = i < dry.size() ? std::fabs(dry[i]) : 0;
    e += (x > e ? attack : release) * (x - e);
    env[i] = float(e);
    top = std::max(top, e);
  }
  for (std::size_t i = 0; i < s.frames(); ++i) {
    // No echo while the voice is above a quarter of its loudest.
    double g = top > 0 ? wet * (1 - std::min(1.0, env[i] / (0.25 * top))) : wet;
    double d = i < dry.size() ? dry[i] : 0;
    s.left[i] = float(d + g * (s.left[i] - d));
    s.right[i] = float(d + g * (s.right[i] - d));
  }
  return s;
}

Sound greetings() {
  // Plain words first: a clear voice, a little slower than it talks by
  // itself. Read back at 0.9 of its rate, it is slower still and its
  // pitch and throat are lower; much lower and the words blur.
  Speech said = speak("Welcome to the graveyard.", 1.2);
  const double rate = said.rate * 0.9;
  Wave w = resampled(said.samples, rate);
  // The voice holds nothing above half its rate; what the interpolation
  // mirrors up there is hiss.
  w = lowpass(lowpass(std::move(w), 0.45 * rate), 0.45 * rate);
  w = normalized(highpass(std::move(w), 55));
  // Flite leads with a pause of its own; the greeting starts with the saver.
  auto voiced = std::find_if(w.begin(), w.end(), [](float x) { return std::fabs(x) > 0.01f; });
  Wave lead(at_time(0.06), 0.0f);
  lead.insert(lead.end(), voiced, w.end());
  Sound s = vault(lead, 0.45, 11);
  trim(s, 3.9);
  return s;
}

Sound blood_drip() {
  Rng rng(21);
  Wave w;
  // The drop meets the pool: a soft tick and a low thud of its weight.
  add(w, Wave(at_time(kLead), 0.0f));
  add(w, lowpass(burst(rng, 0.01, 0.0005, 0.0015), 3000), kLead, 0.35);
  add(w, ring(0.12, 160, 70, 0.03, 0.025), kLead, 0.55);
  // The cavity it leaves rings as it closes and its pitch rises: the plop.
  add(w, ring(0.3, 420, 1150, 0.045, 0.05, 0.002), kLead + 0.006, 1.0);
  add(w, ring(0.2, 700, 1500, 0.03, 0.03, 0.002), kLead + 0.055, 0.35);
  // The rebound splashes back as a few small droplets.
  const double drops[][3] = {{0.17, 1700, 0.22}, {0.235, 2150, 0.13}, {0.31, 1900, 0.08}};
  for (const auto& d : drops) add(w, ring(0.08, d[1], d[1] * 1.35, 0.012, 0.012, 0.001), d[0], d[2]);
  w = tame(highpass(std::move(w), 40), 1.5);
  Sound s = reverb(w, 0.7, 0.011, 0.35, 0.3, false, 22);
  trim(s, 0.85);
  return s;
}

Sound thunder() {
  Rng rng(31);
  // The saver starts the thunder three or four ticks (70 ms each) before
  // its bolt shows, and starts it again 48 ticks later: the crack waits
  // out the head so that it follows the flash, and the roll has died away
  // before the next thunder cuts the channel.
  const double head = 0.3, len = 3.25, roll = len - head;
  // The crack: a splitting burst with crackles tearing through it.
  Wave crack = highpass(burst(rng, 0.4, 0.0008, 0.035), 250);
  for (int k = 0; k < 45; ++k) {
    double t = 0.3 * rng.uni() * rng.uni();
    add(crack, highpass(burst(rng, 0.008, 0.0002, 0.0015), 900), t, (1 - t / 0.3) * rng.range(0.3, 1.0));
  }
  crack = normalized(crack);
  // The tearing middle band right after it.
  Wave tear = bandpass(white(1.6, rng), 520, 0.6);
  for (std::size_t i = 0; i < tear.size(); ++i) {
    double t = double(i) / kRate;
    tear[i] *= float(smoothstep(0, 0.01, t) * std::exp(-t / 0.3));
  }
  tear = normalized(tear);
  // The roll: noise in swells, the echoes off hills arriving later and
  // weaker. It is kept in the low-mid band (about 100-500 Hz) rather than
  // the deep bass alone, which small speakers hardly play.
  Wave rumble = normalized(highpass(lowpass(lowpass(brown(roll, rng), 480, 0.6), 560, 0.6), 90, 0.7));
  add(rumble, normalized(lowpass(lowpass(brown(roll, rng), 160, 0.6), 200, 0.6)), 0, 0.3);
  rumble = normalized(rumble);
  const double swells[][3] = {
      {0.02, 1.0, 0.4}, {0.45, 0.85, 0.42}, {0.95, 0.7, 0.45}, {1.5, 0.5, 0.5}, {2.05, 0.32, 0.5}};
  Wander wander(33, 7);
  for (std::size_t i = 0; i < rumble.size(); ++i) {
    double t = double(i) / kRate, env = 0;
    for (const auto& sw : swells)
      if (t > sw[0]) env += sw[1] * smoothstep(0, 0.12, t - sw[0]) * std::exp(-(t - sw[0]) / sw[2]);
    env *= std::exp(-t / 1.8) * (1 + 0.35 * wander.next());
    env *= smoothstep(0, 0.9, roll - 0.2 - t);
    rumble[i] *= float(env);
  }
  Wave w(at_time(head), 0.0f);
  add(w, rumble, head, 1.0);
  add(w, tear, head + 0.005, 0.35);
  add(w, crack, head, 0.8);
  w = tame(std::move(w), 1.6);
  Sound s = reverb(w, 1.3, 0.035, 0.2, 0.45, true, 34);
  trim(s, len);
  // The room's tail faded out with the roll instead of cut.
  for (Wave* c : {&s.left, &s.right})
    for (std::size_t i = 0; i < c->size(); ++i) (*c)[i] *= float(smoothstep(0, 0.35, len - double(i) / kRate));
  return s;
}

Sound crow() {
  Wave w;
  // Two caws, the second a little lower and shorter: a harsh, nasal rasp.
  const double caws[][4] = {{0.0, 0.34, 560, 1.0}, {0.44, 0.29, 520, 0.85}};
  for (int k = 0; k < 2; ++k) {
    const auto& c = caws[k];
    double len = c[1], f = c[2];
    VoiceSpec v;
    v.seconds = len + 0.02;
    v.pitch = [=](double t) { return f * Curve{{0, 0.9}, {0.06, 1.08}, {len * 0.7, 1.0}, {len, 0.82}}(t); };
    v.loud = [=](double t) { return smoothstep(0, 0.018, t) * smoothstep(0, 0.08, len - t); };
    v.breath = [=](double t) { return 0.7 * smoothstep(0, 0.01, t) * smoothstep(0, 0.1, len - t); };
    v.formants = [](double t) {
      Formants a{{1150, 1700, 2700}, {220, 260, 320}, {1.0, 0.85, 0.5}};
      Formants b{{1000, 1550, 2600}, {220, 260, 320}, {1.0, 0.7, 0.4}};
      return blend(a, b, smoothstep(0, 0.3, t));
    };
    v.jitter = 0.06;
    v.rough = 0.95;
    v.roughRate = 52;
    v.tilt = 3500;
    v.seed = 40 + k;
    add(w, rasp(voice(v), 0.85, 43 + k), c[0], c[3]);
  }
  w = highpass(std::move(w), 300);
  Sound s = reverb(w, 0.9, 0.02, 0.4, 0.18, false, 42);
  trim(s, 1.05);
  return s;
}

Sound owl() {
  Rng rng(51);
  Wave w;
  // "Hoo ... hoo-oo": nearly pure tones with a breath of air, the second
  // longer and sinking.
  auto hoot = [&](double t0, double len, double f0, double bend, double amp) {
    Wave h(at_time(len));
    double ph = 0;
    Wave air = bandpass(white(len, rng), f0 * 2, 2);
    for (std::size_t i = 0; i < h.size(); ++i) {
      double t = double(i) / kRate, u = t / len;
      double f = f0 * (1 + 0.03 * std::sin(kPi * std::min(1.0, u * 2.5)) - bend * smoothstep(0.45, 1, u));
      ph += kTau * f / kRate;
      double env = smoothstep(0, 0.22, u) * smoothstep(0, 0.35, 1 - u);
      h[i] = float(env * (std::sin(ph) + 0.14 * std::sin(2 * ph) + 0.04 * std::sin(3 * ph)) + env * 0.05 * air[i]);
    }
    add(w, h, t0, amp);
  };
  hoot(0.0, 0.3, 330, 0.04, 0.8);
  hoot(0.52, 0.62, 318, 0.12, 1.0);
  Sound s = reverb(w, 1.3, 0.03, 0.3, 0.32, true, 52);
  trim(s, 1.75);
  return s;
}

Sound footsteps() {
  Rng rng(61);
  Wave w;
  // One step: gravel crunching under a bony foot (a spray of tiny grains),
  // the dull weight of it, and the hollow clack of heel and toe bones.
  auto step = [&](double t0, double weight) {
    for (int k = 0; k < 70; ++k) {
      double t = 0.1 * std::pow(rng.uni(), 1.6);
      Wave grain = bandpass(burst(rng, 0.006, 0.0002, rng.range(0.0005, 0.0016)), rng.range(1400, 6000), 1.5);
      add(w, grain, t0 + t, weight * rng.range(0.2, 1.0) * (1 - t / 0.13));
    }
    add(w, lowpass(burst(rng, 0.06, 0.002, 0.015), 220), t0, weight * 0.9);
    for (double off : {0.0, 0.038}) {
      double a = off == 0 ? 1.0 : 0.7;
      add(w, ring(0.03, 1900, 1800, 0.01, 0.006), t0 + off, weight * 0.5 * a);
      add(w, ring(0.03, 2950, 2900, 0.01, 0.004), t0 + off, weight * 0.3 * a);
      add(w, ring(0.04, 880, 860, 0.01, 0.009), t0 + off, weight * 0.35 * a);
    }
  };
  // One step a file: the walker plays it at each footfall of its stride.
  step(kLead, 1.0);
  w = tame(highpass(std::move(w), 70), 2.5);
  Sound s = reverb(w, 0.5, 0.008, 0.5, 0.12, false, 62);
  trim(s, 0.2);
  return s;
}

Sound werewolf() {
  // Rises from a growl-deep start, holds high with a slow vibrato, falls.
  VoiceSpec v;
  v.seconds = 3.0;
  Curve pitch{{0, 250}, {0.45, 520}, {0.75, 610}, {1.9, 630}, {2.55, 430}, {3.0, 300}};
  Curve loud{{0, 0}, {0.25, 0.75}, {0.7, 1}, {2.0, 0.95}, {2.65, 0.45}, {3.0, 0}};
  v.pitch = [=](double t) { return pitch(t) * (1 + 0.018 * std::sin(kTau * 5 * t) * smoothstep(0.7, 1.2, t)); };
  v.loud = loud;
  v.breath = [=](double t) { return 0.3 * loud(t); };
  v.formants = [](double t) {
    Formants u = vowel('u', 1.25), o = vowel('o', 1.25), a = vowel('a', 1.2);
    if (t < 0.8) return blend(u, o, smoothstep(0.1, 0.8, t));
    if (t < 1.9) return blend(o, a, smoothstep(0.8, 1.4, t) * 0.6);
    return blend(blend(o, a, 0.6), u, smoothstep(1.9, 2.8, t));
  };
  v.jitter = 0.012;
  v.rough = 0.06;
  v.tilt = 1300;
  v.seed = 71;
  Wave w = highpass(voice(v), 120);
  Sound s = reverb(w, 2.3, 0.045, 0.3, 0.5, true, 72);
  trim(s, 3.9);
  return s;
}

Sound laugh_deep() {
  // "Mwa-ha-ha-ha-ha-haaa" from a big chest, sinking as it goes on.
  Syllables syl;
  syl.list = {{0.0, 0.42, 118, 108, 1.0},   {0.52, 0.16, 132, 121, 0.9}, {0.78, 0.16, 126, 115, 0.87},
              {1.04, 0.16, 121, 110, 0.83}, {1.3, 0.16, 115, 104, 0.78}, {1.56, 0.16, 110, 99, 0.74},
              {1.84, 0.85, 112, 72, 0.85}};
  syl.attack = 0.03;
  syl.release = 0.07;
  VoiceSpec v;
  v.seconds = syl.end() + 0.05;
  v.pitch = [=](double t) { return syl.pitch(t); };
  v.loud = [=](double t) { return syl.loud(t); };
  v.breath = [=](double t) { return t < 0.4 ? 0.0 : 0.9 * syl.breath(t) + 0.12 * syl.loud(t); };
  v.formants = [](double t) {
    Formants a = vowel('a', 0.86);
    if (t < 0.2) return blend(vowel('m', 0.86), blend(vowel('u', 0.86), a, 0.5), smoothstep(0.02, 0.14, t));
    if (t < 0.4) return blend(blend(vowel('u', 0.86), a, 0.5), a, smoothstep(0.14, 0.3, t));
    return blend(a, vowel('o', 0.86), smoothstep(1.9, 2.7, t) * 0.7);
  };
  v.jitter = 0.02;
  v.rough = 0.35;
  v.roughRate = 38;
  v.tilt = 1600;
  v.seed = 81;
  Wave w = rasp(highpass(voice(v), 60), 0.25, 83);
  Sound s = reverb(w, 1.3, 0.03, 0.3, 0.22, true, 82);
  trim(s, 3.6);
  return s;
}

Sound scream_high() {
  // A woman's scream: leaps up, holds shrill and shaking, breaks off. A
  // throat at its limit does not hold a clean vibrato: the pitch lurches
  // at random, cracks upward now and then, and the air tears through.
  VoiceSpec v;
  v.seconds = 1.9;
  Curve pitch{{0, 700}, {0.12, 1150}, {0.9, 1260}, {1.5, 1170}, {1.9, 850}};
  Curve loud{{0, 0}, {0.06, 0.8}, {0.3, 1}, {1.4, 0.95}, {1.9, 0}};
  auto shake = std::make_shared<std::vector<float>>(at_time(v.seconds) + 1);
  Wander lurch(94, 9), tremble(95, 31);
  Rng cracks(96);
  double crack = 0;
  for (std::size_t i = 0; i < shake->size(); ++i) {
    // A crack: the voice jumps up for a moment and falls back.
    if (i % 441 == 0 && cracks.uni() < 0.05) crack = cracks.range(0.04, 0.08);
    crack *= 0.9997;
    (*shake)[i] = float(1 + 0.03 * lurch.next() + 0.012 * tremble.next() + crack);
  }
  v.pitch = [=](double t) { return pitch(t) * (*shake)[std::min(shake->size() - 1, at_time(t))]; };
  v.loud = loud;
  v.breath = [=](double t) { return 0.75 * loud(t) + 0.5 * smoothstep(0, 0.03, t) * (1 - smoothstep(0.03, 0.2, t)); };
  v.formants = [](double t) { return shouted(blend(vowel('a', 1.3), vowel('E', 1.3), smoothstep(1.2, 1.9, t))); };
  v.jitter = 0.045;
  v.rough = 0.45;
  v.roughRate = 80;
  v.tilt = 5000;
  v.seed = 91;
  Wave w = edge(rasp(highpass(voice(v), 200), 0.35, 93), 8);
  Sound s = reverb(w, 1.2, 0.025, 0.4, 0.3, true, 92);
  trim(s, 2.4);
  return s;
}

Sound ghost() {
  // A hollow "oooOOOooo" that wavers in pitch, with a fainter voice a
  // fifth above it and a draught of air, in a deep empty hall.
  Curve pitch{{0, 170}, {1.0, 232}, {1.8, 200}, {2.6, 250}, {3.6, 150}};
  Curve loud{{0, 0}, {0.6, 0.7}, {1.6, 1}, {2.3, 0.75}, {3.0, 0.9}, {3.6, 0}};
  auto moan = [&](double ratio, std::uint64_t seed) {
    VoiceSpec v;
    v.seconds = 3.6;
    v.pitch = [=](double t) {
      return ratio * pitch(t) * (1 + 0.035 * std::sin(kTau * 0.9 * t)) * (1 + 0.012 * std::sin(kTau * 5.5 * t));
    };
    v.loud = loud;
    v.breath = [=](double t) { return 0.45 * loud(t); };
    v.formants = [](double t) {
      return blend(vowel('u', 1.1), vowel('o', 1.1), 0.5 + 0.5 * std::sin(kTau * 0.35 * t - 1.5));
    };
    v.jitter = 0.02;
    v.tilt = 700;
    v.seed = seed;
    return voice(v);
  };
  Wave w;
  add(w, normalized(moan(1.0, 101)), 0, 1.0);
  add(w, normalized(moan(1.5, 102)), 0.25, 0.28);
  Rng rng(103);
  Wave air = white(3.9, rng);
  Biquad sweep;
  for (std::size_t i = 0; i < air.size(); ++i) {
    double t = double(i) / kRate;
    if (i % 64 == 0) sweep.tune(Biquad::Type::Band, 700 + 450 * std::sin(kTau * 0.3 * t), 4);
    air[i] = float(sweep.run(air[i]) * smoothstep(0, 1, t) * smoothstep(0, 0.8, 3.9 - t));
  }
  add(w, normalized(air), 0, 0.18);
  w = highpass(std::move(w), 90);
  Sound s = reverb(w, 3.4, 0.06, 0.3, 0.65, true, 104);
  trim(s, 4.8);
  return s;
}

Sound laugh_witch() {
  // A crone's cackle: a shrill rising "heee", a rattling run of "he-he"s
  // climbing and falling, a second shorter run, and a long falling wail.
  Syllables syl;
  syl.list.push_back({0.0, 0.34, 620, 980, 0.9});
  double t = 0.42;
  const double run1[] = {930, 990, 1040, 1060, 1040, 1000, 960, 920, 880, 840, 800};
  for (double f : run1) {
    syl.list.push_back({t, 0.075, f * 1.04, f * 0.96, 1.0});
    t += 0.1;
  }
  t += 0.12;
  const double run2[] = {1000, 1030, 990, 940, 890, 840};
  for (double f : run2) {
    syl.list.push_back({t, 0.075, f * 1.04, f * 0.96, 0.9});
    t += 0.098;
  }
  syl.list.push_back({t + 0.05, 0.6, 940, 520, 0.85});
  syl.attack = 0.012;
  syl.release = 0.025;
  syl.aspirate = 0.03;
  VoiceSpec v;
  v.seconds = syl.end() + 0.03;
  v.pitch = [=](double u) { return syl.pitch(u); };
  v.loud = [=](double u) { return syl.loud(u); };
  v.breath = [=](double u) { return 0.8 * syl.breath(u) + 0.2 * syl.loud(u); };
  v.formants = [](double u) { return blend(vowel('i', 1.3), vowel('e', 1.3), 0.5 + 0.5 * std::sin(kTau * 4.8 * u)); };
  v.jitter = 0.03;
  v.rough = 0.3;
  v.roughRate = 95;
  v.tilt = 3200;
  v.seed = 111;
  Wave w = rasp(highpass(voice(v), 250), 0.25, 113);
  Sound s = reverb(w, 1.0, 0.02, 0.4, 0.3, true, 112);
  trim(s, 3.5);
  return s;
}

Sound scream_falling() {
  // A man's hoarse yell that falls away, as if down a shaft: the pitch
  // sinks, the voice darkens and drowns in the echo.
  VoiceSpec v;
  v.seconds = 2.3;
  Curve pitch{{0, 380}, {0.15, 560}, {0.5, 545}, {2.3, 240}};
  Curve loud{{0, 0}, {0.08, 1}, {1.2, 0.8}, {2.3, 0}};
  v.pitch = [=](double t) { return pitch(t) * (1 + 0.03 * std::sin(kTau * 4.2 * t)); };
  v.loud = loud;
  v.breath = [=](double t) { return 0.3 * loud(t); };
  v.formants = [](double t) { return shouted(blend(vowel('a', 1.05), vowel('o', 1.0), smoothstep(0.5, 2.2, t))); };
  v.jitter = 0.04;
  v.rough = 0.6;
  v.roughRate = 60;
  v.tilt = 3500;
  v.seed = 121;
  Wave w = edge(rasp(highpass(voice(v), 150), 0.35, 123), 9);
  Biquad dark;
  for (std::size_t i = 0; i < w.size(); ++i) {
    double t = double(i) / kRate;
    if (i % 64 == 0) dark.tune(Biquad::Type::Low, 9000 * std::exp(-t * 0.75), 0.7);
    w[i] = dark.run(w[i]);
  }
  Sound s = reverb(w, 1.9, 0.04, 0.3, 0.55, true, 122);
  trim(s, 2.9);
  return s;
}

}  // namespace

// Up to eight effects and the music sound together in the saver. The
// shocks (voices, thunder) are the loudest; the soft ones (owl, ghost) a
// little under them; the blood drip (about once a second) and the
// footsteps (every half stride) are heard all the time, so they sit 7 LU
// under the shocks, background rather than event.
const std::vector<SoundEntry>& sound_table() {
  static const std::vector<SoundEntry> table = {
      {"v_sound0.wav", "Greetings", greetings, -18},
      {"v_sound1.wav", "Blood Drip", blood_drip, -25},
      {"v_sound2.wav", "Thunder", thunder, -18},
      {"v_sound3.wav", "Crow", crow, -19},
      {"v_sound4.wav", "Owl", owl, -20.5},
      {"v_sound5.wav", "FootSteps", footsteps, -25},
      {"v_sound6.wav", "WereWolf", werewolf, -18},
      {"v_sound7.wav", "Laugh II", laugh_deep, -18},
      {"v_sound8.wav", "Scream I", scream_high, -18},
      {"v_sound9.wav", "Ghost", ghost, -19.5},
      {"v_sound10.wav", "Laugh I", laugh_witch, -18},
      {"v_sound11.wav", "Scream II", scream_falling, -18},
  };
  return table;
}

}  // namespace mediagen
