#include "os/mci.h"

#include <sstream>

namespace vex {
namespace {

std::unique_ptr<CommandStrings>& current() {
  static std::unique_ptr<CommandStrings> c;
  return c;
}

// No device can be opened by this program yet, so every command names an
// alias or file that is not open and gets the interface's answer for that.
class NoDevices : public CommandStrings {
 public:
  uint32_t send(const std::string& command, std::string& reply) override {
    std::istringstream in(command);
    std::string verb;
    in >> verb;
    reply.clear();
    if (verb.empty()) return kMciErrUnrecognizedCommand;
    return kMciErrInvalidDeviceName;
  }
  uint32_t execute(const std::string& command) override {
    std::string reply;
    return send(command, reply);
  }
};

}  // namespace

std::unique_ptr<CommandStrings> make_system_command_strings() { return std::make_unique<NoDevices>(); }

CommandStrings& command_strings() {
  if (!current()) current() = make_system_command_strings();
  return *current();
}

void set_command_strings(std::unique_ptr<CommandStrings> c) { current() = std::move(c); }

}  // namespace vex
