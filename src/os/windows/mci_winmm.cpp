// The command strings go to the system's multimedia interface as they are:
// the sequencer plays the songs, the wave device the sounds listened to.
// The system headers first: the others need what windows.h defines.
#include "os/windows/win32.h"

#include <mmsystem.h>

#include "os/mci.h"

namespace vex {
namespace {

class WinmmCommandStrings : public CommandStrings {
 public:
  uint32_t send(const std::string& command, std::string& reply) override {
    char buf[256] = {};
    const MCIERROR e = mciSendStringA(command.c_str(), buf, sizeof buf, nullptr);
    reply = buf;
    return e;
  }
  uint32_t execute(const std::string& command) override {
    // mciExecute shows the system's own message on a failure and says only
    // whether it went.
    return mciExecute(command.c_str()) ? 0 : kMciErrUnrecognizedCommand;
  }
  void close_all() override {
    char buf[8];
    mciSendStringA("close all", buf, sizeof buf, nullptr);
  }
};

}  // namespace

std::unique_ptr<CommandStrings> make_system_command_strings() { return std::make_unique<WinmmCommandStrings>(); }

}  // namespace vex
