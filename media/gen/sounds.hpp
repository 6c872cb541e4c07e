// The saver's twelve sound effects, each a maker that synthesises it from
// nothing but code (and, for the greeting, Flite's speech synthesiser).
#pragma once

#include "audio.hpp"

#include <string>
#include <vector>

namespace mediagen {

// A synthesiser's speech as it made it, at its own sample rate.
struct Speech {
    Wave samples;
    int rate = 0;
};
// Flite's American male voice (cmu_us_rms) saying `text`, every sound
// `stretch` times as long as the voice says it by itself.
Speech speak(const std::string& text, double stretch);

struct SoundEntry {
    std::string file;
    std::string name;  // the caption the dialog shows
    Sound (*make)();
    double levelLufs;  // loudest 400 ms (momentary loudness), before the -1 dBFS peak limit
};
const std::vector<SoundEntry>& sound_table();

}  // namespace mediagen
