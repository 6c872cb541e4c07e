#pragma once
// Private-profile INI files: one value per key in named sections, keys and
// sections found without regard to letter case, values returned exactly as
// written after the '=' (blanks and quotes included). Only a regular file is
// read; anything else at the path counts as missing. Every write replaces the file atomically, so a crash
// mid-write never leaves a half-written settings file.
#include <optional>
#include <string>

namespace vex {

// The value, or nullopt when the file, section or key is missing or the file
// cannot be read (or is not a regular file).
std::optional<std::string> profile_get(const std::string& file, const std::string& section, const std::string& key);

// Sets key=value in the section (creating file and section as needed);
// false when the file could not be written.
bool profile_put(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace vex
