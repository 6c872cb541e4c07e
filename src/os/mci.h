#pragma once
// Multimedia command strings ("open "<file>" type sequencer alias song0",
// "play song0 from 0", "status song0 mode", "stop song0", "close song0",
// "play <file>.wav"): replies and error codes as the command-string
// interface gives them. The text is untrusted: any text gets an answer.
#include <cstdint>
#include <memory>
#include <string>

namespace vex {

inline constexpr uint32_t kMciErrUnrecognizedCommand = 261;
inline constexpr uint32_t kMciErrInvalidDeviceName = 263;
inline constexpr uint32_t kMciErrFileNotFound = 275;
inline constexpr uint32_t kMciErrDuplicateAlias = 289;
// There is no sound output to play on: no sound device (or, for songs, no
// soundfont).
inline constexpr uint32_t kMciErrWaveOutputsUnsuitable = 326;
inline constexpr uint32_t kMciErrSeqNoMidiPresent = 343;

// One real implementation (the system's sequencer and wave devices); tests
// that assert the exact commands install a recording one.
class CommandStrings {
 public:
  virtual ~CommandStrings() = default;
  // One command; reply receives the returned text. 0 is success.
  virtual uint32_t send(const std::string& command, std::string& reply) = 0;
  // One command naming its file directly, no reply; 0 is success, and also
  // a failure the system has already shown the user itself (Windows'
  // mciExecute shows its own message box): a caller shows nothing for 0.
  virtual uint32_t execute(const std::string& command) = 0;
  // Closes whatever is still open and gives the sound output back (the
  // process is about to end).
  virtual void close_all() {}
};

std::unique_ptr<CommandStrings> make_system_command_strings();

// The interface the program talks to (the system's unless replaced).
CommandStrings& command_strings();
void set_command_strings(std::unique_ptr<CommandStrings> c);

inline uint32_t mciSendString(const std::string& command, std::string& reply) {
  return command_strings().send(command, reply);
}
inline uint32_t mciExecute(const std::string& command) { return command_strings().execute(command); }

}  // namespace vex
