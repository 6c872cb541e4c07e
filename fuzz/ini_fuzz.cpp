// Any bytes as a settings file: reading never fails, the section read at
// once answers as the keys read one by one, writing a key then reading it
// back gives the value exactly as written, while every other key reads as
// before, and several keys written at once leave the bytes that writing them
// one by one leaves.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "base/convert.h"
#include "os/profile_file.h"

namespace {

// Every write is flushed to the disk; in memory that costs nothing.
const std::string kDir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";

void write_file(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = kDir + "/vexmoor-ini-fuzz-" + std::to_string(getpid()) + ".ini";
  static const std::string other = kDir + "/vexmoor-ini-fuzz-" + std::to_string(getpid()) + "-b.ini";
  write_file(path, data, size);
  auto section = vex::profile_get_section(path, "Vexmoor");
  if (!section) __builtin_trap();
  for (const char* key : {"clock", "speed", "firstrun", "messagetext"})
    if (vex::profile_find(*section, key) != vex::profile_get(path, "Vexmoor", key)) __builtin_trap();

  write_file(other, data, size);
  const vex::ProfileEntries keys = {{"firstrun", "1"}, {"speed", " 40"}, {"messagetext", "a\r\nb"}, {"bat", ""}};
  for (const auto& [k, v] : keys)
    if (!vex::profile_put(other, "Vexmoor", k, v)) __builtin_trap();
  if (!vex::profile_put_all(path, "Vexmoor", keys)) __builtin_trap();
  if (read_file(path) != read_file(other)) __builtin_trap();
  std::remove(other.c_str());

  write_file(path, data, size);
  auto before = vex::profile_get(path, "Vexmoor", "clock");
  vex::profile_get(path, "Vexmoor", "speed");
  if (!vex::profile_put(path, "Vexmoor", "speed", " 70")) __builtin_trap();
  auto speed = vex::profile_get(path, "Vexmoor", "speed");
  if (!speed || *speed != " 70") __builtin_trap();
  if (vex::profile_get(path, "Vexmoor", "clock") != before) __builtin_trap();
  std::remove(path.c_str());
  return 0;
}
