// The saver's twelve sound effects, each a maker that synthesises it from
// nothing but code (and, for the greeting, eSpeak's speech synthesiser).
#pragma once

#include "audio.hpp"

#include <string>
#include <vector>

namespace mediagen {

// eSpeak NG's voice `voiceName` saying `text` at `wpm` words a minute, at
// eSpeak's `pitch` and `range` (0..99), resampled to kRate.
Wave speak(const std::string& text, const std::string& voiceName, int wpm, int pitch, int range);

struct SoundEntry {
    std::string file;
    std::string name;  // the caption the dialog shows
    Sound (*make)();
    double levelLufs;  // loudest 400 ms (momentary loudness), before the -1 dBFS peak limit
};
const std::vector<SoundEntry>& sound_table();

}  // namespace mediagen
