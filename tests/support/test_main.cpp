// The tests' main: SDL draws offscreen and plays into nothing, so no display
// or sound card is needed (end-to-end tests give the program they start its
// own environment).
#include <gtest/gtest.h>

#include <cstdlib>

// Allocations the libraries keep for the life of the process are not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libSDL2\nleak:libX11\nleak:libfltk\nleak:libdbus\n";
}

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
