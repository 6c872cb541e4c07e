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

}  // namespace mediagen
