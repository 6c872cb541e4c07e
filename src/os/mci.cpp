#include "os/mci.h"

#include <sstream>

namespace vex {

// No song device is opened by this program yet, so every command names an
// alias that is not open and gets the interface's "not open" error.
uint32_t mciSendString(const std::string& command, std::string& reply) {
  std::istringstream in(command);
  std::string verb, alias;
  in >> verb >> alias;
  reply.clear();
  if (verb.empty()) return kMciErrUnrecognizedCommand;
  return kMciErrInvalidDeviceName;
}

}  // namespace vex
