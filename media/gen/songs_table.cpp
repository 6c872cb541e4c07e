#include "songs.hpp"

namespace mediagen {

const std::vector<SongEntry>& song_table() {
  static const std::vector<SongEntry> table = {
      {"v_song0.Mid", horror_hill},  {"v_song1.Mid", death_toll}, {"v_song2.Mid", pipe_organ},
      {"v_song3.Mid", descent},      {"v_song4.Mid", leviathan},  {"v_song5.Mid", demony},
      {"v_song6.Mid", nitemare},     {"v_song7.Mid", lurker},     {"v_song8.Mid", halloween},
      {"v_song9.Mid", adams_family}, {"v_song10.Mid", thriller},  {"v_song11.Mid", ghostbusters},
  };
  return table;
}

}  // namespace mediagen
