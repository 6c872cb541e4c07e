#include "display/music.h"

#include "os/mci.h"
#include "platform/error_report.h"
#include "startup/settings.h"

namespace vex {

MusicState& music() {
  static MusicState m;
  return m;
}

namespace {

uint32_t send(const std::string& command) {
  MusicState& m = music();
  m.MciReturnText.assign(255, ' ');
  m.MciResult = mciSendString(command, m.MciReturnText);
  return m.MciResult;
}

bool selected(int n) { return settings().SongEnabled[static_cast<std::size_t>(n)] != kFalse; }
bool in_rotation(int n) { return selected(n) && !music().dropped[static_cast<std::size_t>(n)]; }

std::string alias(int n) { return "song" + std::to_string(n); }

// From CurrentSong on (itself included when asked), the first song of the
// rotation that starts; a song that does not start leaves the rotation. The
// music stops when none is left.
void play_from(bool include_current) {
  MusicState& m = music();
  for (int tries = 0; tries < 13; ++tries) {
    if (!(tries == 0 && include_current)) {
      m.CurrentSong += 1;
      if (m.CurrentSong > 11) m.CurrentSong = 0;
    }
    if (!in_rotation(m.CurrentSong)) continue;
    if (send("play " + alias(m.CurrentSong) + " from 0") == 0) return;
    m.dropped[static_cast<std::size_t>(static_cast<int>(m.CurrentSong))] = true;
  }
  event_loop().set_enabled(m.MusicTimer, false);
}

}  // namespace

void create_music_timer() {
  MusicState& m = music();
  m.MusicTimer = event_loop().add_timer("MusicTimer", MusicTimer_Timer);
  event_loop().set_interval(m.MusicTimer, kMusicTimerMs);
}

void Initialize_Songs() {
  trap("ScreenSaver/Initialize_Songs", [] {
    MusicState& m = music();
    const std::string& dir = settings().MediaDirectory;
    bool any = false;
    for (int n = 0; n < 12; ++n) {
      if (!selected(n)) continue;
      any = true;
      send("open \"" + dir + "v_song" + std::to_string(n) + ".Mid\" type sequencer alias " + alias(n));
    }
    if (!any) return;
    event_loop().set_enabled(m.MusicTimer, true);
    // The lowest-numbered song first; one that cannot play gives its turn
    // to the next instead of silencing the music.
    m.CurrentSong = 0;
    play_from(true);
  });
}

void MusicTimer_Timer() {
  trap("ScreenSaver/MusicTimer", [] {
    MusicState& m = music();
    if (send("status " + alias(m.CurrentSong) + " mode") != 0) return;
    if (m.MciReturnText.compare(0, 7, "stopped") != 0) return;
    // A song that cannot play when its turn comes leaves the rotation; the
    // saver goes on (with the next song, or in silence).
    play_from(false);
  });
}

}  // namespace vex
