#include "os/linux/mci_interpreter.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "os/file_io.h"

namespace vex {
namespace {

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool ends_with(const std::string& s, const char* tail) {
  const std::string t = tail;
  return s.size() >= t.size() && lower(s.substr(s.size() - t.size())) == t;
}

bool looks_like_file(const std::string& name) {
  return name.find('/') != std::string::npos || ends_with(name, ".wav") || ends_with(name, ".mid") ||
         ends_with(name, ".midi");
}

// A whole number of milliseconds as the commands write them.
bool parse_count(const std::string& s, uint32_t& out) {
  if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  out = static_cast<uint32_t>(std::strtoul(s.c_str(), nullptr, 10));
  return true;
}

std::string join(const std::vector<std::string>& w, std::size_t from, std::size_t to) {
  std::string s;
  for (std::size_t i = from; i < to; ++i) s += (i > from ? " " : "") + w[i];
  return s;
}

// A song that is there but cannot be read is said once; one that is simply
// not installed is not.
void tell_unreadable_song(const std::string& path) {
  std::error_code e;
  const auto what = std::filesystem::status(path, e).type();
  if (e || what == std::filesystem::file_type::not_found) return;
  if (!is_regular_file(path)) return tell_skipped(path, "not a file");
  const uintmax_t size = std::filesystem::file_size(path, e);
  if (!e && size > kMaxSongBytes)
    return tell_skipped(path, "larger than " + std::to_string(kMaxSongBytes / (1024 * 1024)) + " MB");
  tell_skipped(path, "cannot be read");
}

}  // namespace

bool split_command(const std::string& command, std::vector<std::string>& words) {
  words.clear();
  std::size_t i = 0;
  while (i < command.size()) {
    while (i < command.size() && (command[i] == ' ' || command[i] == '\t')) ++i;
    if (i >= command.size()) break;
    if (command[i] == '"') {
      std::size_t close = command.find('"', i + 1);
      if (close == std::string::npos) return false;
      words.push_back(command.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      std::size_t end = command.find_first_of(" \t", i);
      if (end == std::string::npos) end = command.size();
      words.push_back(command.substr(i, end - i));
      i = end;
    }
  }
  return true;
}

MciInterpreter::MciInterpreter(std::unique_ptr<SequencerDevice> sequencer, std::unique_ptr<WaveDevice> waves)
    : sequencer_(std::move(sequencer)), waves_(std::move(waves)) {}

MciInterpreter::~MciInterpreter() { close_all(); }

void MciInterpreter::close_all() {
  for (auto& [name, a] : aliases_) {
    if (a.type == Type::kSequencer) sequencer_->close(a.id);
    else waves_->close(a.id);
  }
  aliases_.clear();
  sequencer_->shut();
  waves_->shut();
}

uint32_t MciInterpreter::execute(const std::string& command) {
  std::string reply;
  return send(command, reply);
}

uint32_t MciInterpreter::open_file(const std::string& path, Type type, const std::string& alias, bool auto_opened) {
  const std::string key = lower(alias);
  if (aliases_.count(key)) return kMciErrDuplicateAlias;
  Alias a;
  a.type = type;
  a.auto_opened = auto_opened;
  if (type == Type::kWave) {
    // Checked, cut and counted as the saver's sounds are.
    auto sound = read_kept_sound(path);
    if (!sound) return is_regular_file(path) ? kMciErrInvalidFile : kMciErrFileNotFound;
    a.wave = sound->wave;
    a.share = std::move(sound->share);
    a.id = waves_->open(sound->wave, std::move(sound->bytes));
  } else {
    auto bytes = read_regular_file(path, kMaxSongBytes);
    if (!bytes) {
      tell_unreadable_song(path);
      return is_regular_file(path) ? kMciErrInvalidFile : kMciErrFileNotFound;
    }
    std::string why;
    auto song = parse_midi(*bytes, &why);
    if (!song) {
      tell_skipped(path, why);
      return kMciErrInvalidFile;
    }
    a.song = *song;
    a.id = sequencer_->open(*song, std::move(*bytes));
  }
  if (a.id == kNoSoundOutput) return type == Type::kSequencer ? kMciErrSeqNoMidiPresent : kMciErrWaveOutputsUnsuitable;
  if (a.id < 0) return kMciErrCannotLoadDriver;
  aliases_.emplace(key, std::move(a));
  return 0;
}

uint32_t MciInterpreter::open(const std::vector<std::string>& w, std::string& reply) {
  if (w.size() < 2) return kMciErrMissingParameter;
  const std::string& device = w[1];
  std::string type, alias = device;
  for (std::size_t i = 2; i < w.size(); ++i) {
    const std::string k = lower(w[i]);
    if ((k == "type" || k == "alias") && i + 1 < w.size()) {
      (k == "type" ? type : alias) = w[++i];
    } else if (k == "wait" || k == "notify" || k == "shareable") {
    } else {
      return kMciErrUnrecognizedKeyword;
    }
  }
  type = lower(type);
  if (type.empty())
    type = ends_with(device, ".wav")                                   ? "waveaudio"
           : (ends_with(device, ".mid") || ends_with(device, ".midi")) ? "sequencer"
                                                                       : "";
  if (type.empty()) return kMciErrDeviceTypeRequired;
  if (type != "sequencer" && type != "waveaudio") return kMciErrInvalidDeviceName;
  uint32_t err = open_file(device, type == "sequencer" ? Type::kSequencer : Type::kWave, alias, false);
  // As a count and a character: the literal makes GCC 12 warn (-Wrestrict)
  // of an overlap no string can have here.
  if (err == 0) reply.assign(1, '1');
  return err;
}

MciInterpreter::Alias* MciInterpreter::find(const std::string& name, bool open_sound_file, uint32_t* error) {
  auto it = aliases_.find(lower(name));
  if (it != aliases_.end()) return &it->second;
  if (open_sound_file && ends_with(name, ".wav")) {
    *error = open_file(name, Type::kWave, name, true);
    if (*error) return nullptr;
    return &aliases_.find(lower(name))->second;
  }
  *error = kMciErrInvalidDeviceName;
  return nullptr;
}

uint32_t MciInterpreter::status(Alias& a, const std::vector<std::string>& items, std::string& reply) {
  const std::string item = lower(join(items, 0, items.size()));
  const bool sounding = a.type == Type::kSequencer ? sequencer_->sounding(a.id) : waves_->sounding(a.id);
  if (item == "mode") {
    reply = a.paused ? "paused" : sounding ? "playing" : "stopped";
  } else if (item == "length") {
    reply = std::to_string(std::lround(a.type == Type::kSequencer ? a.song.length_ms() : a.wave.length_ms()));
  } else if (item == "position") {
    double ms =
        a.type == Type::kSequencer ? a.song.ticks_to_ms(sequencer_->position_tick(a.id)) : waves_->position_ms(a.id);
    reply = std::to_string(std::lround(ms));
  } else if (item == "ready" || item == "media present") {
    reply = "true";
  } else if (item == "time format") {
    reply = "milliseconds";
  } else {
    return items.empty() ? kMciErrMissingParameter : kMciErrUnrecognizedKeyword;
  }
  return 0;
}

uint32_t MciInterpreter::send(const std::string& command, std::string& reply) {
  reply.clear();
  std::vector<std::string> w;
  if (!split_command(command, w)) return kMciErrNoClosingQuote;
  if (w.empty()) return kMciErrUnrecognizedCommand;
  const std::string verb = lower(w[0]);
  if (verb == "open") return open(w, reply);
  if (verb != "play" && verb != "stop" && verb != "close" && verb != "status" && verb != "pause" && verb != "resume")
    return kMciErrUnrecognizedCommand;
  if (w.size() < 2) return kMciErrMissingParameter;
  if (verb == "close" && lower(w[1]) == "all" && w.size() == 2) {
    for (auto& [n, a] : aliases_) {
      if (a.type == Type::kSequencer) sequencer_->close(a.id);
      else waves_->close(a.id);
    }
    aliases_.clear();
    return 0;
  }
  // The name is the longest run of words that names an open alias or a
  // sound file (a file path may hold blanks, and stands unquoted); what
  // follows are the command's own words.
  std::size_t end = w.size();
  const bool opens = verb == "play";
  for (; end > 1; --end) {
    const std::string name = join(w, 1, end);
    if (aliases_.count(lower(name)) || (opens && ends_with(name, ".wav") && is_regular_file(name))) break;
  }
  if (end == 1) end = verb == "status" ? std::min<std::size_t>(2, w.size()) : w.size();
  const std::string name = join(w, 1, end);
  const std::vector<std::string> rest(w.begin() + static_cast<std::ptrdiff_t>(end), w.end());
  uint32_t err = 0;
  Alias* a = find(name, opens, &err);
  if (!a) {
    // Silencing a sound that is not playing is no error: there is nothing
    // to silence.
    if (verb == "stop" && looks_like_file(name) && err == kMciErrInvalidDeviceName) return 0;
    return err;
  }
  if (verb == "status") return status(*a, rest, reply);
  if (verb == "play") {
    uint32_t from = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
      const std::string k = lower(rest[i]);
      if ((k == "from" || k == "to") && i + 1 < rest.size()) {
        uint32_t v = 0;
        if (!parse_count(rest[++i], v)) return kMciErrBadInteger;
        if (k == "from") from = v;
      } else if (k != "wait" && k != "notify") {
        return kMciErrUnrecognizedKeyword;
      }
    }
    a->paused = false;
    if (a->type == Type::kSequencer) {
      if (from > a->song.length_ms() + 1) return kMciErrOutOfRange;
      return sequencer_->play(a->id, a->song.ms_to_ticks(from)) ? 0 : kMciErrCannotLoadDriver;
    }
    if (from > a->wave.length_ms() + 1) return kMciErrOutOfRange;
    return waves_->play(a->id, from) ? 0 : kMciErrCannotLoadDriver;
  }
  if (!rest.empty() && !(rest.size() == 1 && (lower(rest[0]) == "wait" || lower(rest[0]) == "notify")))
    return kMciErrUnrecognizedKeyword;
  if (verb == "stop") {
    a->paused = false;
    if (a->type == Type::kSequencer) sequencer_->stop(a->id);
    else waves_->stop(a->id);
  } else if (verb == "pause") {
    if (a->type == Type::kSequencer && sequencer_->sounding(a->id)) {
      sequencer_->pause(a->id);
      a->paused = true;
    } else if (a->type == Type::kWave) {
      waves_->stop(a->id);
    }
  } else if (verb == "resume") {
    if (a->paused && a->type == Type::kSequencer) sequencer_->resume(a->id);
    a->paused = false;
  } else if (verb == "close") {
    if (a->type == Type::kSequencer) sequencer_->close(a->id);
    else waves_->close(a->id);
    aliases_.erase(lower(name));
  }
  return 0;
}

}  // namespace vex
