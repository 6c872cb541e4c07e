#pragma once
// "Is another full-screen saver running?" A saver holds an exclusive lock on
// one file for its whole life; a second one finds it taken.
#include <string>

namespace vex {

enum class InstanceLock {
  kAlone,         // the lock is ours until the process ends
  kOtherRunning,  // another process holds it
  kUnavailable,   // the lock file cannot be used (problem says why)
};

InstanceLock take_instance_lock(const std::string& lock_path, std::string* problem = nullptr);

std::string default_lock_path();
// The lock the one of several processes drawing one screen takes that plays
// the sound.
std::string audio_lock_path();

}  // namespace vex
