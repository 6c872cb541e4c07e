// Any command line (arguments split at NUL bytes): the options and the mode
// switches are read without crashing, whatever they hold, and the preview's
// window is found in one pass exactly where trying every suffix finds it.
#include <cstdint>
#include <string>
#include <vector>

#include "base/convert.h"
#include "base/failure.h"
#include "startup/options.h"
#include "startup/starter.h"

// The parser treats every creature key alike; a few stand in for the table's
// twenty, whose rows would bring the whole program along.
const char* const kSomeCreatureKeys[] = {"bat", "crow1", "gravedigger", "zombie"};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) args.emplace_back();
    else args.back() += static_cast<char>(data[i]);
  }
  vex::CommandLine cl = vex::parse_command_line(args, kSomeCreatureKeys);
  int mode = vex::choose_mode(cl.rest);
  if (mode < 1 || mode > 4) __builtin_trap();
  std::string lowered = vex::to_lower_ascii(vex::trim_blanks(cl.rest));
  try {
    vex::parse_preview_handle(lowered);
  } catch (const vex::Failure& f) {
    if (f.code() != vex::kOverflow) __builtin_trap();
  }
  // The one-pass search against the definition, on short texts.
  if (lowered.size() <= 48) {
    size_t want = std::string::npos;
    for (size_t i = 0; i < lowered.size(); ++i)
      if (vex::is_numeric(std::string_view(lowered).substr(i))) {
        want = i;
        break;
      }
    if (vex::numeric_suffix_start(lowered) != want) __builtin_trap();
  }
  return 0;
}
