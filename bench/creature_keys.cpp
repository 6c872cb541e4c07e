// Prints the settings key of every creature, one a line, in the order the
// settings file holds them: the measuring scripts switch them all on from it.
#include <cstdio>

#include "animation/creatures.h"

int main() {
  for (const char* key : vex::kCreatureKeys) std::printf("%s\n", key);
  return 0;
}
