#pragma once

namespace vex {

// Fills every scene record with its size, frames, start position, speed and
// picture file (whether installed or not); pictures are loaded later.
void Properties_Creatures();

}  // namespace vex
