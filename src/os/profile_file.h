#pragma once
// Private-profile INI files: one value per key in named sections, keys and
// sections found without regard to letter case, values returned exactly as
// written after the '=' (blanks and quotes included). Only a regular file is
// read; anything else at the path counts as missing. Every write replaces the
// file atomically, so a crash mid-write never leaves a half-written settings
// file, and a reader never finds one.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/convert.h"

namespace vex {

using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

// The value, or nullopt when the file, section or key is missing or the file
// cannot be read (or is not a regular file).
std::optional<std::string> profile_get(const std::string& file, const std::string& section, const std::string& key);

// Every key of the section with its value as profile_get gives it, in the
// file's order, from one reading of the file: keys read from it all belong to
// the same version of a file that someone is replacing. A missing section has
// no entries; nullopt when the file is missing or cannot be read.
std::optional<ProfileEntries> profile_get_section(const std::string& file, const std::string& section);

// The value of the key among a section's entries, as profile_get finds it:
// the first entry of that name, letter case ignored.
inline std::optional<std::string> profile_find(const ProfileEntries& entries, const std::string& key) {
  for (const auto& [k, v] : entries)
    if (iequals(k, key)) return v;
  return std::nullopt;
}

// Sets key=value in the section (creating file and section as needed);
// false when the file could not be written.
bool profile_put(const std::string& file, const std::string& section, const std::string& key, const std::string& value);

// Sets every key in turn, leaving the very file that as many profile_put
// calls would, but in one replacement of it: whoever reads the file finds all
// the old values or all the new ones, and of two writers at once one wins
// whole. false, with the file as it was, when it could not be written.
bool profile_put_all(const std::string& file, const std::string& section, const ProfileEntries& entries);

}  // namespace vex
