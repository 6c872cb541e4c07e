// The listen buttons of the Sounds tab: a song under the alias "song1", a
// sound effect named by its file; each stops what played before.
#include <string>

#include "config/configuration.h"
#include "config/controls.h"
#include "os/mci.h"
#include "startup/settings.h"

namespace vex::configuration {
namespace {

std::string sound_file(int i) { return settings().MediaDirectory + "v_sound" + std::to_string(i) + ".wav"; }
std::string song_file(int i) { return settings().MediaDirectory + "v_song" + std::to_string(i) + ".Mid"; }

void silence_sounds() {
  for (int i = 0; i < 12; ++i) mciExecute("stop " + sound_file(i));
}

// Where a song begins to be worth hearing, in milliseconds.
int start_position(int n) {
  switch (n) {
    case 5: return 40;
    case 10: return 170;
    case 11: return 80;
    default: return 0;
  }
}

// A failing sound command brings up the system's error box on every click,
// however often the same file fails; the dialog adds nothing and carries on.
// Without a sound output the file is not to blame, and the box says so.
void command_error_box(const std::string& what, const std::string& file, uint32_t error) {
  ConfigurationState& st = state();
  if (!st.view) return;
  if (error == kMciErrWaveOutputsUnsuitable)
    st.view->tell("Vexmoor", what + " cannot be played: there is no sound output (no sound device could be opened).");
  else
    st.view->tell("Vexmoor",
                  what + " cannot be played: " + file + " is missing or is not a file this program can play.");
}

}  // namespace

void stop_listening_song() {
  std::string reply(255, ' ');
  mciSendString("status song1 mode", reply);
  if (reply.compare(0, 7, "playing") == 0) mciSendString("stop song1", reply);
  reply.assign(255, ' ');
  mciSendString("status song1 mode", reply);
  if (reply.compare(0, 7, "stopped") == 0) mciSendString("close song1", reply);
}

void speaker_Click(int n) {
  silence_sounds();
  stop_listening_song();
  std::string reply(255, ' ');
  mciSendString("open \"" + song_file(n) + "\" type sequencer alias song1", reply);
  // An alias left open in some other state keeps the song it has; the play
  // then applies to that one, as it always did. A song that cannot be
  // played fails without a word: the user simply hears nothing.
  mciSendString("play song1 from " + std::to_string(start_position(n)), reply);
}

void fxspeaker_Click(int n) {
  stop_listening_song();
  silence_sounds();
  if (const uint32_t error = mciExecute("play " + sound_file(n)))
    command_error_box("The sound \"" + std::string(sound_name(n)) + "\"", sound_file(n), error);
}

}  // namespace vex::configuration
