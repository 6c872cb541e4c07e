#include "startup/settings.h"

#include <algorithm>
#include <cstdio>

#include "animation/creatures.h"
#include "base/convert.h"
#include "os/paths.h"
#include "os/profile_file.h"
#include "platform/error_report.h"
#include "startup/options.h"

namespace vex {

SettingsState& settings() {
  static SettingsState s;
  return s;
}

namespace {

// GetPrivateProfileString fills a 128-character buffer: at most 127 come back.
constexpr std::size_t kValueLimit = 127;

bool is_on(const std::string& text) { return leading_number(text) > 0; }

}  // namespace

std::string ini_path(const std::string& file) {
  if (std::any_of(file.begin(), file.end(), is_path_separator)) return file;
  std::string p = settings_file_path();
  std::size_t cut = p.size();
  while (cut > 0 && !is_path_separator(p[cut - 1])) --cut;
  return p.substr(0, cut) + file;
}

std::string GetIniData(const std::string& file, const std::string& section, const std::string& key) {
  std::string result;
  trap("System/GetIniData",
       [&] { result = utf8_prefix(profile_get(ini_path(file), section, key).value_or(std::string()), kValueLimit); });
  return result;
}

bool PutIniData(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
  bool written = false;
  trap("System/PutIniData", [&] { written = profile_put(ini_path(file), section, key, value); });
  return written;
}

std::string IniSection::get(const std::string& key) const {
  return utf8_prefix(profile_find(entries_, key).value_or(std::string()), kValueLimit);
}

IniSection GetIniSection(const std::string& file, const std::string& section) {
  IniSection result;
  trap("System/GetIniData", [&] {
    if (auto entries = profile_get_section(ini_path(file), section)) result = IniSection(std::move(*entries));
  });
  return result;
}

bool PutIniSection(const std::string& file, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& entries) {
  bool written = false;
  trap("System/PutIniData", [&] { written = profile_put_all(ini_path(file), section, entries); });
  return written;
}

void read_settings() {
  trap("Starter/X_GetData", [] {
    SettingsState& st = settings();
    // One reading for every key: the dialog may be replacing the file just
    // now, and keys read one by one could come from both versions of it.
    const IniSection file = GetIniSection(kIniFile, kIniSection);
    auto get = [&](const std::string& key) { return file.get(key); };
    if (!is_on(get("firstrun"))) {
      for (const CreatureRow& row : creature_table())
        if (row.on_at_first_run) row.record(scene()).Enabled = kTrue;
      st.Speed = 70;
      for (int n : {0, 1, 2, 4, 6, 7, 8, 9, 10, 11}) st.SoundEnabled[n] = kTrue;
      st.SongEnabled[0] = kTrue;
      return;
    }
    st.Saved = true;
    for (std::size_t i = 0; i < kCreatureKeys.size(); ++i)
      if (is_on(get(kCreatureKeys[i]))) creature_for_key(i).Enabled = kTrue;
    st.Speed = round_to_i16(leading_number(get("speed")));
    st.MessageText = get("messagetext");
    for (int n = 0; n < 12; ++n)
      if (is_on(get("song" + std::to_string(n)))) st.SongEnabled[n] = kTrue;
    for (int n = 0; n < 12; ++n)
      if (is_on(get("sound" + std::to_string(n)))) st.SoundEnabled[n] = kTrue;
    if (is_on(get("clock"))) st.ClockEnabled = kTrue;
    st.Volume = volume_from_text(get("volume"));
  });
}

int volume_from_text(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return 100;
  const std::size_t last = text.find_last_not_of(' ');
  std::string digits = text.substr(first, last - first + 1);
  if (digits.find_first_not_of("0123456789") != std::string::npos) return 100;
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
  if (digits.size() > 3) return 100;
  const int v = std::stoi(digits);
  return v <= 100 ? v : 100;
}

void silence_unless_chosen() {
  SettingsState& st = settings();
  if (st.Saved) return;
  st.SongEnabled.fill(kFalse);
  st.SoundEnabled.fill(kFalse);
}

void GetDirectories() {
  trap("Starter/GetDirectories", [] {
    bool found = false;
    std::string base = media_base_directory(&found);
    const std::string sep(1, path_separator());
    if (base.empty() || !is_path_separator(base.back())) base += sep;
    settings().MediaDirectory = base + "Zelvora" + sep + "Vexmoor" + sep;
    if (!found) {
      // Not an error the program stops for (the scene then stays dark), but
      // someone starting it from a terminal deserves to know why.
      std::fprintf(stderr,
                   "vexmoor: no media directory found (looked for Zelvora/Vexmoor/ in every data "
                   "directory); pictures will be missing\n");
    }
  });
}

void apply_run_options(const RunOptions& o) {
  SettingsState& st = settings();
  for (const auto& [key, on] : o.creatures) creature_for_key(key).Enabled = flag(on);
  if (o.delay) st.Speed = *o.delay;
  if (o.clock) st.ClockEnabled = flag(*o.clock);
  if (o.message) st.MessageText = *o.message;
  if (o.volume) st.Volume = *o.volume;
  auto any = [](const std::array<Flag16, 12>& a) {
    for (Flag16 f : a)
      if (f) return true;
    return false;
  };
  if (o.music) {
    if (!*o.music) st.SongEnabled.fill(kFalse);
    else if (!any(st.SongEnabled)) st.SongEnabled[0] = kTrue;  // asked for music: the first song at least
  }
  if (o.sounds) {
    if (!*o.sounds) st.SoundEnabled.fill(kFalse);
    else if (!any(st.SoundEnabled))
      for (int n : {0, 1, 2, 4, 6, 7, 8, 9, 10, 11}) st.SoundEnabled[n] = kTrue;
  }
}

}  // namespace vex
