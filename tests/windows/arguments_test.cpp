// The program's arguments come from the command line's own UTF-16 text, so
// a message in any script reaches the program whole (argv would hold "?"
// for what the ANSI code page cannot say).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "os/system_services.h"

namespace vex {
namespace {

TEST(ProgramArguments, AreTheCommandLinesOwnWordsNotTheGivenArgv) {
  // Only what the system says counts: nothing is given here.
  std::vector<std::string> expected(__argv + 1, __argv + __argc);
  EXPECT_EQ(program_arguments(0, nullptr), expected);
  ASSERT_FALSE(expected.empty()) << "ctest passes the runner its options";
}

}  // namespace
}  // namespace vex
