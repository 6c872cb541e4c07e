#pragma once
// The command-string interpreter: the commands' grammar, the table of open
// aliases and the replies, over two devices that make the sound (a
// sequencer for songs, a wave player for sounds). Library-free, so that it
// is tested and fuzzed on its own; the system's devices are in os/linux/.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "os/mci.h"
#include "os/media_files.h"

namespace vex {

inline constexpr uint32_t kMciErrUnrecognizedKeyword = 259;
inline constexpr uint32_t kMciErrCannotLoadDriver = 266;
inline constexpr uint32_t kMciErrBadInteger = 270;
inline constexpr uint32_t kMciErrMissingParameter = 273;
inline constexpr uint32_t kMciErrOutOfRange = 282;
inline constexpr uint32_t kMciErrDeviceTypeRequired = 287;
inline constexpr uint32_t kMciErrNoClosingQuote = 294;
inline constexpr uint32_t kMciErrInvalidFile = 296;

// What a device's open answers when there is nothing to play on.
inline constexpr int kNoSoundOutput = -2;

// Plays songs; one at a time.
class SequencerDevice {
 public:
  virtual ~SequencerDevice() = default;
  // Keeps a checked song; an id, kNoSoundOutput when there is nothing to
  // play it on, or -1 when it cannot be kept.
  virtual int open(const MidiSong& song, std::vector<uint8_t> bytes) = 0;
  virtual bool play(int id, uint32_t from_tick) = 0;  // stops any other first
  virtual void pause(int id) = 0;
  virtual bool resume(int id) = 0;
  virtual void stop(int id) = 0;
  virtual void close(int id) = 0;
  virtual bool sounding(int id) = 0;  // started and not yet at its end
  virtual uint32_t position_tick(int id) = 0;
  // Nothing is open any more: what the device holds (a soundfont, the
  // sound output) can go.
  virtual void shut() = 0;
};

// Plays sounds, each on its own.
class WaveDevice {
 public:
  virtual ~WaveDevice() = default;
  // An id, kNoSoundOutput, or -1 as for songs.
  virtual int open(const WaveSound& sound, std::vector<uint8_t> bytes) = 0;
  virtual bool play(int id, double from_ms) = 0;
  virtual void stop(int id) = 0;
  virtual void close(int id) = 0;
  virtual bool sounding(int id) = 0;
  virtual double position_ms(int id) = 0;
  virtual void shut() = 0;
};

class MciInterpreter : public CommandStrings {
 public:
  MciInterpreter(std::unique_ptr<SequencerDevice> sequencer, std::unique_ptr<WaveDevice> waves);
  ~MciInterpreter() override;
  uint32_t send(const std::string& command, std::string& reply) override;
  uint32_t execute(const std::string& command) override;
  // Closes every alias; the devices let go of the sound output.
  void close_all() override;

 private:
  enum class Type { kSequencer, kWave };
  struct Alias {
    Type type;
    int id = -1;
    MidiSong song;
    WaveSound wave;
    bool paused = false;
    bool auto_opened = false;  // opened by naming its file in a command
    SoundShare share;          // a sound's, while it is kept
  };
  uint32_t open(const std::vector<std::string>& words, std::string& reply);
  uint32_t open_file(const std::string& path, Type type, const std::string& alias, bool auto_opened);
  // The alias a command names, opening a sound file on demand.
  Alias* find(const std::string& name, bool open_sound_file, uint32_t* error);
  uint32_t status(Alias& a, const std::vector<std::string>& items, std::string& reply);

  std::unique_ptr<SequencerDevice> sequencer_;
  std::unique_ptr<WaveDevice> waves_;
  std::map<std::string, Alias> aliases_;  // by lower-cased name
};

// Splits a command into its words: blanks separate them, double quotes hold
// a word with blanks. Returns false for a quote left open.
bool split_command(const std::string& command, std::vector<std::string>& words);

}  // namespace vex
