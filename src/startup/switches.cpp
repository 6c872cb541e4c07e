// Reading the mode switches and the preview's window out of the command line.
#include <cstdint>
#include <string>

#include "base/convert.h"
#include "startup/starter.h"

namespace vex {
namespace {

bool contains_switch(const std::string& raw, const char* sw) {
  return to_lower_ascii(raw).find(sw) != std::string::npos;
}

}  // namespace

int choose_mode(const std::string& raw) {
  if (contains_switch(raw, "/p")) return 4;
  if (contains_switch(raw, "/c")) return 2;
  if (contains_switch(raw, "/a")) return 3;
  return 1;
}

int32_t parse_preview_handle(const std::string& lowered) {
  // Leading characters are dropped one at a time until the rest is a
  // number: the longest numeric suffix. X11 tools print window ids in
  // hexadecimal, so "0x" and up to eight hex digits count as well. Found in
  // one pass, however long the command line.
  const std::string& s = lowered;
  std::size_t e = s.find_last_not_of(" \t");
  std::size_t hex_at = std::string::npos;
  uint32_t hex_value = 0;
  if (e != std::string::npos) {
    ++e;
    std::size_t h = s.find_last_not_of("0123456789abcdef", e - 1);
    h = h == std::string::npos ? 0 : h + 1;
    if (h < e && e - h <= 8 && h >= 2 && s[h - 1] == 'x' && s[h - 2] == '0') {
      hex_value = static_cast<uint32_t>(std::stoul(s.substr(h, e - h), nullptr, 16));
      if (hex_value <= 0x7FFFFFFFu) hex_at = h - 2;
    }
  }
  std::size_t dec_at = numeric_suffix_start(s);
  if (hex_at != std::string::npos && (dec_at == std::string::npos || hex_at < dec_at))
    return static_cast<int32_t>(hex_value);
  if (dec_at != std::string::npos) return round_to_i32(*parse_number(std::string_view(s).substr(dec_at)));
  return 0;
}

}  // namespace vex
