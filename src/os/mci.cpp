#include "os/mci.h"

namespace vex {
namespace {

std::unique_ptr<CommandStrings>& current() {
  static std::unique_ptr<CommandStrings> c;
  return c;
}

}  // namespace

CommandStrings& command_strings() {
  if (!current()) current() = make_system_command_strings();
  return *current();
}

void set_command_strings(std::unique_ptr<CommandStrings> c) { current() = std::move(c); }

}  // namespace vex
