#pragma once
// Values the program keeps in 16 bits overflow loudly instead of wrapping:
// a creature that walks past 32767 is a failure to report, never a silent
// jump to -32768.
#include <cstdint>

#include "base/failure.h"

namespace vex {

class I16 {
 public:
  constexpr I16() = default;
  constexpr I16(long long v) : v_(check(v)) {}   // NOLINT(google-explicit-constructor)
  constexpr operator int() const { return v_; }  // NOLINT(google-explicit-constructor)

  I16& operator+=(long long d) {
    v_ = check(v_ + d);
    return *this;
  }
  I16& operator-=(long long d) {
    v_ = check(v_ - d);
    return *this;
  }
  I16& operator++() { return *this += 1; }
  I16& operator--() { return *this -= 1; }

 private:
  static constexpr int16_t check(long long v) {
    if (v < INT16_MIN || v > INT16_MAX) throw Failure(kOverflow);
    return static_cast<int16_t>(v);
  }
  int16_t v_ = 0;
};

// Flags are 16-bit with every bit set for true, as stored settings expect.
using Flag16 = int16_t;
inline constexpr Flag16 kTrue = -1;
inline constexpr Flag16 kFalse = 0;
inline constexpr Flag16 flag(bool b) { return b ? kTrue : kFalse; }

// A product or sum that must itself fit 16 bits (checked), e.g. Frame * Width.
inline I16 mul16(int a, int b) { return I16(static_cast<long long>(a) * b); }

// 32-bit values (positions, handles) overflow loudly too.
inline int32_t check32(long long v) {
  if (v < INT32_MIN || v > INT32_MAX) throw Failure(kOverflow);
  return static_cast<int32_t>(v);
}

}  // namespace vex
