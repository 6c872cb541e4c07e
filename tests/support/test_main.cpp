// The tests' main: SDL draws offscreen and plays into nothing, so no display
// or sound card is needed (end-to-end tests give the program they start its
// own environment).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// Allocations the libraries keep for the life of the process are not ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libSDL2\nleak:libX11\nleak:libfltk\nleak:libdbus\n";
}

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
#if !defined(_WIN32)
  // What the songs' device keeps in the user's cache (their levels) goes to
  // a folder of this run's own. (Windows' songs keep nothing there.)
  std::string cache = (std::filesystem::temp_directory_path() / "vexmoor-test-cache-XXXXXX").string();
  const bool own_cache = mkdtemp(cache.data()) != nullptr;
  if (own_cache) setenv("XDG_CACHE_HOME", cache.c_str(), 1);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
#if !defined(_WIN32)
  std::error_code ignored;
  if (own_cache) std::filesystem::remove_all(cache, ignored);
#endif
  return status;
}
