#pragma once
// The two POSIX environment calls the shared test helpers use, which the
// Windows C runtime spells _putenv_s. Force-included (-include) into the
// helpers when they are built for Windows, so their source stays one.
#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

// An empty value removes the variable from the C runtime's environment.
inline int unsetenv(const char* name) { return _putenv_s(name, "") == 0 ? 0 : -1; }

// Windows has no FIFOs: the tests make one only to have something at a path
// that is not a regular file, which a directory is too.
#include <direct.h>
inline int mkfifo(const char* path, int) { return _mkdir(path); }
