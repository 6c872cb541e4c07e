#include "songs.hpp"

namespace mediagen {

const std::vector<SongEntry>& song_table() {
    static const std::vector<SongEntry> table = {
        {"v_song0.Mid", horror_hill},
    };
    return table;
}

}  // namespace mediagen
