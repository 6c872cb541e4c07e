#pragma once
// The program's one random generator: uniform single-precision numbers in
// [0, 1), seeded from the clock.
#include <cstdint>

namespace vex {

void seed_from_clock();
// Seeds again from the time of day, mixed with the generator's state so that
// two re-seeds within one clock tick still give different numbers.
void reseed_from_clock();
void seed_random(uint64_t seed);
float rnd();

}  // namespace vex
