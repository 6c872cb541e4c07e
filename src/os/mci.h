#pragma once
// Multimedia command strings ("open ... alias song0", "status song0 mode",
// "play song0 from 0", "stop song0", "close song0"): replies and error codes
// as the command-string interface gives them.
#include <cstdint>
#include <string>

namespace vex {

inline constexpr uint32_t kMciErrInvalidDeviceName = 263;
inline constexpr uint32_t kMciErrUnrecognizedCommand = 261;

// Sends one command; reply receives the returned text. 0 is success.
uint32_t mciSendString(const std::string& command, std::string& reply);

}  // namespace vex
