#pragma once
// A creature that stays in place acts on a schedule: at given values of one
// of the frame counters its frame (or speed) steps up, steps down or is set,
// and at some of them its sound plays. A schedule is a table of rows, read
// from the top; the first row whose values hold the counter's value applies.
//
//   constexpr Row kMedallion[] = {
//       {{40, 41, 44, 45, 48, 49}, up},
//       {{42, 43, 46, 47, 50, 51}, down},
//       {otherwise, to(0)},
//   };
#include <array>
#include <climits>
#include <initializer_list>
#include <span>

#include "base/int16.h"

namespace vex {

// The creature sounds, by their numbers among the saver's sounds.
inline constexpr int kBloodDripSound = 1;
inline constexpr int kThunderSound = 2;
inline constexpr int kCrowSound = 3;
inline constexpr int kOwlSound = 4;
inline constexpr int kFootStepsSound = 5;

// One counter value, or every value from first to last.
struct Span {
  constexpr Span() = default;
  constexpr Span(int v) : first(v), last(v) {}  // NOLINT(google-explicit-constructor)
  constexpr Span(int a, int b) : first(a), last(b) {}
  int first = 0;
  int last = -1;
};
constexpr Span thru(int first, int last) { return {first, last}; }

// The counter values a row applies at.
class When {
 public:
  constexpr When(std::initializer_list<Span> spans) {
    // More spans than fit is a compile-time error in a constexpr table.
    for (Span s : spans) spans_.at(count_++) = s;
  }
  static constexpr When always() {
    When w{};
    w.always_ = true;
    return w;
  }
  constexpr bool holds(int v) const {
    if (always_) return true;
    for (int i = 0; i < count_; ++i)
      if (spans_[i].first <= v && v <= spans_[i].last) return true;
    return false;
  }

 private:
  std::array<Span, 6> spans_{};
  int count_ = 0;
  bool always_ = false;
};
// The last row of a table: every value no row above names.
inline constexpr When otherwise = When::always();

struct Change {
  enum Kind { kKeep, kAdd, kSet };
  Kind kind = kKeep;
  int value = 0;
};
inline constexpr Change keep{Change::kKeep, 0};
inline constexpr Change up{Change::kAdd, 1};
inline constexpr Change down{Change::kAdd, -1};
constexpr Change to(int v) { return {Change::kSet, v}; }

// A sound that goes with a row: always, or only when the change reaches a value.
struct Cue {
  static constexpr int kNone = -1;
  static constexpr int kAnyValue = INT_MIN;
  int sound = kNone;
  int on_reaching = kAnyValue;
};
constexpr Cue sound(int n) { return {n, Cue::kAnyValue}; }
constexpr Cue sound_on_reaching(int n, int value) { return {n, value}; }

struct Row {
  When when;
  Change change;
  Cue cue{};
};

// Applies the first row that holds v to value (16-bit, checked), then plays
// its sound if the row has one that is due (and the sound is selected).
void follow(std::span<const Row> schedule, int v, I16& value);

}  // namespace vex
