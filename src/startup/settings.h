#pragma once
// The settings file and the settings read from it at start-up.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "animation/creatures.h"
#include "base/int16.h"

namespace vex {

inline constexpr const char* kIniFile = "zelvora.ini";
inline constexpr const char* kIniSection = "Vexmoor";

struct SettingsState {
  I16 Speed;
  std::string MessageText;
  std::array<Flag16, 12> SongEnabled{};
  std::array<Flag16, 12> SoundEnabled{};
  Flag16 ClockEnabled = kFalse;
  // How loud the songs and effects play together, 0..100.
  int Volume = 100;
  // The user saved settings in the dialog (firstrun above 0): what the
  // file says was chosen, not the first run's defaults.
  bool Saved = false;
  // Where every picture, song and sound is read from; ends in a separator.
  std::string MediaDirectory;
};
SettingsState& settings();

std::string GetIniData(const std::string& file, const std::string& section, const std::string& key);
// Writes one key; false when the file could not be written (which the
// caller may tell the user).
bool PutIniData(const std::string& file, const std::string& section, const std::string& key, const std::string& value);
// The whole section, read at once: every key from the same version of the
// file, each as GetIniData would have read it from that version.
class IniSection {
 public:
  IniSection() = default;
  explicit IniSection(std::vector<std::pair<std::string, std::string>> entries) : entries_(std::move(entries)) {}
  std::string get(const std::string& key) const;

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};
IniSection GetIniSection(const std::string& file, const std::string& section);
// Writes the keys in their order as PutIniData would one by one, in one
// replacement of the file: every key is saved, or none is.
bool PutIniSection(const std::string& file, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& entries);
void read_settings();
// The "volume" key's value: 0..100, and 100 for anything else (missing, not
// a whole number, out of range), since a mistyped volume should not silence
// the saver.
int volume_from_text(const std::string& text);
// In a screen-saver daemon's or a locker's window the saver plays only what
// the user chose: with the first run's defaults it is silent there, since a
// locked machine must not start playing music nobody asked for.
void silence_unless_chosen();
void GetDirectories();

// A bare file name lives in the settings directory; anything with a
// directory part is used as given.
std::string ini_path(const std::string& file);

}  // namespace vex
