#pragma once
// The command line's own options, beside the mode switches a screen-saver
// host passes: where to draw when a desktop's saver daemon runs us, and
// settings for this run only. They are taken out before the switches are
// searched, so that a window id or a message never reads as a switch.
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "animation/creatures.h"

namespace vex {

struct RunOptions {
  bool root = false;                       // --root: the daemon's window, or the root window
  std::optional<unsigned long> window_id;  // --window-id <id>
  std::map<std::size_t, bool> creatures;   // by index of the creature key: on or off
  std::optional<int> delay;                // --delay <ms>: the frame period
  std::optional<bool> clock;
  std::optional<std::string> message;
  std::optional<bool> music;
  std::optional<bool> sounds;
  std::optional<int> volume;  // --volume <0-100>
  bool help = false;
  bool version = false;

  bool embedded() const { return root || window_id.has_value(); }
};

struct CommandLine {
  RunOptions options;
  std::string rest;   // what is left, joined by blanks: the mode switches
  std::string error;  // a malformed option: what was wrong (empty when all is well)
};

// Each creature key is a switch of its own (--bat, --no-bat); the keys are
// the creature table's unless others are given.
CommandLine parse_command_line(const std::vector<std::string>& args,
                               std::span<const char* const> creature_keys = kCreatureKeys);

// For this run only, over what the settings file said.
void apply_run_options(const RunOptions& options);

// The window --root and --window-id name: the daemon's ($XSCREENSAVER_WINDOW),
// the given one, or 0 for the root window.
unsigned long target_window(const RunOptions& options);

std::string usage_text(std::span<const char* const> creature_keys = kCreatureKeys);
std::string version_text();

}  // namespace vex
