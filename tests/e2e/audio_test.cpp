// What the saver and the dialog play, heard through SDL's disk output.
#include <chrono>
#include <filesystem>
#include <thread>

#include "end_to_end.h"  // Xlib
#include "support/media_makers.h"

namespace vex::test {
namespace {

class Audio : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    const std::filesystem::path media = dir / "data/Zelvora/Vexmoor";
    // A greeting of 1500 Hz, a song of piano notes from middle C.
    write_bytes(media / "v_sound0.wav", make_wave(1500, 2000, 22050, 0.4));
    write_bytes(media / "v_song0.Mid", make_song(16));
    for (int i = 1; i < 12; ++i) {
      write_bytes(media / ("v_sound" + std::to_string(i) + ".wav"), make_wave(600 + 100 * i, 1200, 44100, 0.4));
      write_bytes(media / ("v_song" + std::to_string(i) + ".Mid"), make_song(8));
    }
  }
  std::vector<int16_t> left_channel(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<int16_t> all;
    int16_t s[2];
    while (in.read(reinterpret_cast<char*>(s), 4)) all.push_back(s[0]);
    return all;
  }
  static std::size_t at_ms(int ms) { return static_cast<std::size_t>(ms) * 44100 / 1000; }
  // How many frames the output has written so far: the tests go by the
  // output's own time, however slowly a busy machine's sound thread goes.
  static std::size_t written(const std::string& file) {
    std::error_code e;
    const auto bytes = std::filesystem::file_size(file, e);
    return e ? 0 : static_cast<std::size_t>(bytes / 4);
  }
  // The first sample of the output that is more than quiet.
  static std::size_t first_loud(const std::vector<int16_t>& s, std::size_t from = 0) {
    while (from < s.size() && std::abs(static_cast<int>(s[from])) < 200) ++from;
    return from;
  }
  static int loudest(const std::vector<int16_t>& s, std::size_t from, std::size_t to) {
    int m = 0;
    for (std::size_t i = from; i < std::min(to, s.size()); ++i) m = std::max(m, std::abs(static_cast<int>(s[i])));
    return m;
  }
};

TEST_F(Audio, TheSaverGreetsPlaysItsSongAndIsSilentAndGoneOnAKey) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nsong0=1\nsound0=1\n");
  const std::string out = dir / "saver.raw";
  auto saver = start(&x, {"/s"}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", out}});
  ASSERT_TRUE(eventually([&] { return x.grab().at(400, 100) != 0u; })) << saver->stderr_text();
  ASSERT_TRUE(eventually([&] { return written(out) >= at_ms(2500); })) << "the output stalled";
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "gone on the key";
  EXPECT_EQ(*status, 0);
  auto s = left_channel(out);
  ASSERT_GT(s.size(), at_ms(2000)) << saver->stderr_text();
  const std::size_t began = first_loud(s);
  ASSERT_LT(began + at_ms(2000), s.size()) << "nothing was heard";
  // The greeting, and while it sounds the first note of the song.
  EXPECT_GT(tone_strength(s, began + at_ms(100), at_ms(300), 1, 1500, 44100), 0.05);
  double middle_c = 0;
  for (std::size_t from = began; from + at_ms(300) <= began + at_ms(2000); from += at_ms(100))
    middle_c = std::max(middle_c, tone_strength(s, from, at_ms(300), 1, 261.63, 44100));
  EXPECT_GT(middle_c, 0.005);
  EXPECT_GT(loudest(s, 0, s.size()), 3000);
}

TEST_F(Audio, WithoutASoundDeviceTheSaverRunsSilentlyAndSaysNothing) {
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nsong0=1\nsound0=1\nflower=1\n");
  auto saver = start(&x, {"/s"}, {{"SDL_AUDIODRIVER", "no-such-device"}});
  ASSERT_TRUE(eventually([&] { return x.grab().at(400, 100) == fixture_colour("v_background_top.bmp"); }))
      << saver->stderr_text();
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(saver->running());
  EXPECT_EQ(saver->stderr_text(), "");
  xdotool(x, {"key", "space"});
  ASSERT_TRUE(saver->wait_for_exit(20s));
}

TEST_F(Audio, ListenButtonsPlayTheirSongAndTheirSound) {
  XServer x(1024, 768);
  const std::string out = dir / "dialog.raw";
  auto dialog = start(&x, {"/c"}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", out}});
  std::string id;
  ASSERT_TRUE(eventually([&] {
    id = xdotool(x, {"search", "--name", "^Vexmoor ScreenSaver$"});
    return !id.empty();
  })) << dialog->stderr_text();
  XWindowAttributes a{};
  Window w = std::stoul(id);
  XGetWindowAttributes(x.display(), w, &a);
  int wx = 0, wy = 0;
  Window child = 0;
  XTranslateCoordinates(x.display(), w, DefaultRootWindow(x.display()), 0, 0, &wx, &wy, &child);
  auto click = [&](int cx, int cy) {
    xdotool(x, {"mousemove", std::to_string(wx + cx), std::to_string(wy + cy), "click", "1"});
  };
  click(175, 11);  // the Sounds tab
  ASSERT_TRUE(eventually([&] { return x.grab().at(wx + 120, wy + 64) == fixture_colour("v_speaker.bmp"); }))
      << "the Sounds tab shows";
  click(16 + 96 + 8, 32 + 24 + 8);  // "Horror Hill"'s loudspeaker
  // The song heard for 1.2 s of the output, then the sound's button.
  std::size_t loud_from = 0;
  ASSERT_TRUE(eventually([&] {
    auto heard = left_channel(out);
    loud_from = first_loud(heard);
    return loud_from < heard.size() && heard.size() >= loud_from + at_ms(1200);
  })) << "the song is heard\n" << dialog->stderr_text();
  const std::size_t clicked = written(out);
  click(280 + 192 + 8, 32 + 24 + 8);  // "Thunder"'s: the song stops, the sound plays
  ASSERT_TRUE(eventually([&] { return written(out) >= clicked + at_ms(1000); })) << "the output stalled";
  dialog->send_signal(SIGTERM);
  ASSERT_TRUE(dialog->wait_for_exit(20s));
  auto s = left_channel(out);
  // First the song's middle C ...
  EXPECT_GT(tone_strength(s, loud_from + at_ms(50), at_ms(250), 1, 261.63, 44100), 0.005);
  // ... then, from where the sound begins after the click, sound 2's 800 Hz alone.
  std::size_t sound_from = clicked;
  while (sound_from + at_ms(50) < s.size() && tone_strength(s, sound_from, at_ms(50), 1, 800, 44100) < 0.05)
    sound_from += at_ms(10);
  const std::size_t later = sound_from + at_ms(100);
  ASSERT_LT(later + at_ms(300), s.size()) << "the sound was not heard";
  EXPECT_GT(tone_strength(s, later, at_ms(300), 1, 800, 44100), 0.05);
  EXPECT_LT(tone_strength(s, later, at_ms(300), 1, 261.63, 44100), 0.003) << "the song was stopped";
}

}  // namespace
}  // namespace vex::test
