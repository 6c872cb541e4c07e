// The saver's twelve songs, each a score written in the notation of midi.hpp.
#pragma once

#include "midi.hpp"

#include <string>
#include <vector>

namespace mediagen {

Song horror_hill();
Song death_toll();
Song pipe_organ();
Song descent();
Song leviathan();
Song demony();
Song nitemare();
Song lurker();
Song halloween();
Song adams_family();
Song thriller();
Song ghostbusters();

struct SongEntry {
    std::string file;
    Song (*make)();
};
const std::vector<SongEntry>& song_table();

// `text` written `n` times over.
inline std::string times(int n, const std::string& text) {
    std::string s;
    for (int i = 0; i < n; ++i) s += text + " ";
    return s;
}

// Phrase-long swells for a sustained voice: up over two bars, down over
// two, from `fromBar` to `toBar`.
inline void breathe(Voice& v, int fromBar, int toBar, double beatsPerBar, int low, int high) {
    for (int b = fromBar; b < toBar; b += 4) {
        v.expression.push_back({b * beatsPerBar, low});
        v.expression.push_back({(b + 2) * beatsPerBar, high});
    }
    v.expression.push_back({toBar * beatsPerBar, low});
}

}  // namespace mediagen
