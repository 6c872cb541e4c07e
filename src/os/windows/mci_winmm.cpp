// The command strings go to the system's multimedia interface as they are:
// the sequencer plays the songs, the wave device the sounds listened to.
// The system headers first: the others need what windows.h defines.
#include "os/windows/win32.h"

#include <mmsystem.h>

#include "os/mci.h"

// winmm exports it, but MinGW's headers do not declare it.
extern "C" BOOL WINAPI mciExecute(LPCSTR command);

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
    // The system's own, by its full name: vex::mciExecute is this interface,
    // which would call this again, for ever. It puts a failure before the
    // user itself, in the system's message box: the caller, told of it,
    // would show a second one.
    ::mciExecute(command.c_str());
    return 0;
  }
  void close_all() override {
    char buf[8];
    mciSendStringA("close all", buf, sizeof buf, nullptr);
  }
};

}  // namespace

std::unique_ptr<CommandStrings> make_system_command_strings() { return std::make_unique<WinmmCommandStrings>(); }

}  // namespace vex
