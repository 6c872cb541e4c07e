#pragma once
// Waiting for a state rather than for a time: a test polls for what it
// needs, with a limit generous enough for a machine whose cores are busy
// with other work.
#include <chrono>
#include <thread>

namespace vex::test {

inline constexpr std::chrono::milliseconds kGenerousWait{20000};

// Polls cond every 10 ms until it holds or the limit is up; true if it held.
template <typename F>
bool wait_until(F cond, std::chrono::milliseconds limit = kGenerousWait) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= end) return cond();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace vex::test
