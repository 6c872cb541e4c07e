#include "base/random.h"

#include <chrono>

namespace vex {
namespace {

uint64_t state = 0x9E3779B97F4A7C15ull;

uint64_t splitmix(uint64_t& s) {
  uint64_t z = (s += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t clock_bits() { return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()); }

}  // namespace

void seed_random(uint64_t seed) { state = seed; }
void seed_from_clock() { state = clock_bits(); }
void reseed_from_clock() { state ^= clock_bits() * 0xD1B54A32D192ED03ull; }

float rnd() { return static_cast<float>(splitmix(state) >> 40) * (1.0f / 16777216.0f); }

}  // namespace vex
