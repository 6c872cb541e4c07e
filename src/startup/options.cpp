#include "startup/options.h"

#include <cstdlib>

#include "os/system_text.h"
#include "startup/settings.h"

namespace vex {
namespace {

// A window id as X11 tools print it (0x2a00007) or in decimal.
std::optional<unsigned long> parse_window_id(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > (hex ? 8u : 10u)) return std::nullopt;
  if (digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) return std::nullopt;
  unsigned long long v = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  if (v == 0 || v > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<unsigned long>(v);
}

std::optional<int> parse_delay(const std::string& text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  int v = std::atoi(text.c_str());
  if (v > 32767) return std::nullopt;
  return v;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args, std::span<const char* const> creature_keys) {
  CommandLine cl;
  RunOptions& o = cl.options;
  std::vector<std::string> rest;
  auto fail = [&](const std::string& why) {
    if (cl.error.empty()) cl.error = why;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Options are spelled with one dash or two; anything else belongs to
    // the mode switches.
    std::string name, value;
    bool has_value = false;
    if (arg.rfind("--", 0) == 0 && arg.size() > 2) name = arg.substr(2);
    else if (arg.size() > 1 && arg[0] == '-' && arg[1] != '-') name = arg.substr(1);
    else {
      rest.push_back(arg);
      continue;
    }
    if (auto eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_value = true;
    }
    auto take_value = [&]() -> std::optional<std::string> {
      if (has_value) return value;
      if (i + 1 < args.size()) return args[++i];
      fail("the option " + arg + " needs a value");
      return std::nullopt;
    };
    bool known = true;
    if (name == "root") o.root = true;
    else if (name == "window-id") {
      if (auto v = take_value()) {
        if (auto id = parse_window_id(*v)) o.window_id = id;
        else fail("the option " + arg + " needs a window id (0x… or decimal), not \"" + *v + "\"");
      }
    } else if (name == "delay") {
      if (auto v = take_value()) {
        if (auto d = parse_delay(*v)) o.delay = d;
        else fail("the option " + arg + " needs a frame period in milliseconds (0 to 32767), not \"" + *v + "\"");
      }
    } else if (name == "volume") {
      if (auto v = take_value()) {
        if (auto d = parse_delay(*v); d && *d <= 100) o.volume = d;
        else fail("the option " + arg + " needs a volume from 0 to 100, not \"" + *v + "\"");
      }
    } else if (name == "message") {
      if (auto v = take_value()) o.message = *v;
    } else if (name == "clock" || name == "no-clock") o.clock = name == "clock";
    else if (name == "music" || name == "no-music") o.music = name == "music";
    else if (name == "sounds" || name == "no-sounds") o.sounds = name == "sounds";
    else if (name == "help" || name == "h") o.help = true;
    else if (name == "version") o.version = true;
    else {
      known = false;
      const bool off = name.rfind("no-", 0) == 0;
      const std::string key = off ? name.substr(3) : name;
      for (std::size_t k = 0; k < creature_keys.size(); ++k)
        if (key == creature_keys[k]) {
          o.creatures[k] = !off;
          known = true;
        }
    }
    // A switch that takes no value must not seem to take one: "--music=0"
    // would otherwise turn the music on.
    const bool takes_value = name == "window-id" || name == "delay" || name == "message" || name == "volume";
    if (known && has_value && !takes_value) fail(arg.substr(0, arg.find('=')) + " takes no value");
    if (known) continue;
    // A single dash is how some hosts write the switches; only a double
    // dash is surely meant as one of our options.
    if (arg.rfind("--", 0) == 0) fail("unknown option " + arg);
    else rest.push_back(arg);
  }
  for (std::size_t i = 0; i < rest.size(); ++i) cl.rest += (i ? " " : "") + rest[i];
  return cl;
}

unsigned long target_window(const RunOptions& o) {
  if (o.window_id) return *o.window_id;
  if (const char* env = std::getenv("XSCREENSAVER_WINDOW"))
    if (auto id = parse_window_id(env)) return *id;
  return 0;
}

std::string usage_text(std::span<const char* const> creature_keys) {
  std::string creatures;
  for (const char* k : creature_keys) creatures += std::string(creatures.empty() ? "" : ", ") + k;
  return "Usage: vexmoor [/s | /c | /p <window> | /a <window>] [options]\n"
         "A Halloween graveyard at night, as a screen saver.\n"
         "\n"
         "Modes:\n"
         "  /s                 the saver on every monitor (the default); a click or key ends it\n"
         "  /c                 the settings dialog\n" +
         help_preview_line() +
         "  /a <window>        change the saver password (there is none to change here)\n"
         "\n" +
         help_other_window_lines() +
         "Settings for this run only (the settings file is not changed):\n"
         "  --<creature>, --no-<creature>   show or hide one of: " +
         creatures +
         "\n"
         "  --delay <ms>       the frame period in milliseconds (smaller is faster; 70 is normal)\n"
         "  --clock, --no-clock\n"
         "  --message <text>   a line of text at the top of the screen\n"
         "  --music, --no-music\n"
         "  --sounds, --no-sounds\n"
         "  --volume <0-100>   how loud the songs and sounds play together (100 is as made)\n"
         "\n"
         "  --help             this text;  --version  the version\n"
         "\n" +
         help_settings_line() +
         " Exit status: 0, or 1 without a display,\n"
         "2 for a bad command line or a preview without its window.\n";
}

std::string version_text() { return "Vexmoor ScreenSaver 6.0\n"; }

}  // namespace vex
