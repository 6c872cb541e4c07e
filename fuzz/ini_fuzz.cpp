// Any bytes as a settings file: reading never fails, and writing a key then
// reading it back gives the value exactly as written, while
// every other key reads as before.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "base/convert.h"
#include "os/profile_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/vexmoor-ini-fuzz-" + std::to_string(getpid()) + ".ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  auto before = vex::profile_get(path, "Vexmoor", "clock");
  vex::profile_get(path, "Vexmoor", "speed");
  if (!vex::profile_put(path, "Vexmoor", "speed", " 70")) __builtin_trap();
  auto speed = vex::profile_get(path, "Vexmoor", "speed");
  if (!speed || *speed != " 70") __builtin_trap();
  if (vex::profile_get(path, "Vexmoor", "clock") != before) __builtin_trap();
  std::remove(path.c_str());
  return 0;
}
