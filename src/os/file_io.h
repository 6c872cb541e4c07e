#pragma once
// Reading the files the program is given (settings, pictures, songs,
// sounds): only regular files are read. Anything else at the path (a FIFO,
// a device, a directory) counts as missing and is never opened for reading
// in a way that could wait.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vex {

// The whole file, or nullopt when it is missing, not a regular file,
// unreadable, or larger than max_bytes. With read_at_most, only the file's
// first bytes up to that count are read (the size limit is still the
// file's): a reader that needs only the start of a large file pays for
// that start.
std::optional<std::vector<uint8_t>> read_regular_file(const std::string& path, std::size_t max_bytes,
                                                      std::size_t read_at_most = SIZE_MAX);

bool is_regular_file(const std::string& path);

}  // namespace vex
