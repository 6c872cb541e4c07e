// The command strings go to the system's multimedia interface as they are:
// the sequencer plays the songs, the wave device the sounds listened to.
// The system headers first: the others need what windows.h defines.
#include "os/windows/win32.h"

#include <mmsystem.h>

#include "os/mci.h"
#include "os/sound_volume.h"

// winmm exports it, but MinGW's headers do not declare it.
extern "C" BOOL WINAPI mciExecute(LPCSTR command);

namespace vex {
namespace {

// The songs' share of the output volume. The sequencer has no volume
// command: the volume is that of the MIDI device it plays through, the MIDI
// mapper (its port unless told otherwise), which hands it on to the
// synthesizer it maps to. Named by its identifier, the device changes for
// every one of its users, so the level is scaled from what it was and put
// back when the songs end. At full output volume the device is left alone.
class SongVolume {
 public:
  // Follows the output volume: called before every command, so a change
  // reaches a song that plays by its next command (the saver asks after
  // its song every 10 s).
  void follow() {
    const int volume = output_volume();
    if (volume == applied_) return;
    if (!saved_) {
      if (midiOutGetVolume(kMapper, &was_) != MMSYSERR_NOERROR) return;  // a device with no volume
      saved_ = true;
    }
    const auto part = [&](DWORD level) { return level * static_cast<DWORD>(volume) / kFullVolume; };
    midiOutSetVolume(kMapper, part(LOWORD(was_)) | part(HIWORD(was_)) << 16);
    applied_ = volume;
  }
  void put_back() {
    if (saved_) midiOutSetVolume(kMapper, was_);
    saved_ = false;
    applied_ = kFullVolume;
  }

 private:
  static inline const HMIDIOUT kMapper = reinterpret_cast<HMIDIOUT>(static_cast<UINT_PTR>(MIDI_MAPPER));
  int applied_ = kFullVolume;
  bool saved_ = false;
  DWORD was_ = 0;
};

class WinmmCommandStrings : public CommandStrings {
 public:
  ~WinmmCommandStrings() override { volume_.put_back(); }
  uint32_t send(const std::string& command, std::string& reply) override {
    volume_.follow();
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
    volume_.put_back();
  }

 private:
  SongVolume volume_;
};

}  // namespace

std::unique_ptr<CommandStrings> make_system_command_strings() { return std::make_unique<WinmmCommandStrings>(); }

}  // namespace vex
