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
  std::this_thread::sleep_for(2500ms);
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(1s);
  ASSERT_TRUE(status) << "gone within a second of the key";
  EXPECT_EQ(*status, 0);
  auto s = left_channel(out);
  ASSERT_GT(s.size(), at_ms(2000)) << saver->stderr_text();
  // The greeting and the first note of the song, together.
  EXPECT_GT(tone_strength(s, at_ms(200), at_ms(300), 1, 1500, 44100), 0.05);
  EXPECT_GT(tone_strength(s, at_ms(150), at_ms(300), 1, 261.63, 44100), 0.005);
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
  ASSERT_TRUE(saver->wait_for_exit(2s));
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
  click(175, 11);                // the Sounds tab
  std::this_thread::sleep_for(300ms);
  click(16 + 96 + 8, 32 + 24 + 8);  // "Horror Hill"'s loudspeaker
  std::this_thread::sleep_for(1200ms);
  click(280 + 192 + 8, 32 + 24 + 8);  // "Thunder"'s: the song stops, the sound plays
  std::this_thread::sleep_for(1000ms);
  dialog->send_signal(SIGTERM);
  ASSERT_TRUE(dialog->wait_for_exit(2s));
  auto s = left_channel(out);
  ASSERT_GT(s.size(), at_ms(1500)) << dialog->stderr_text();
  std::size_t loud_from = 0;
  while (loud_from < s.size() && std::abs(static_cast<int>(s[loud_from])) < 200) ++loud_from;
  ASSERT_LT(loud_from, s.size()) << "nothing was heard";
  // First the song's middle C, then sound 2's 800 Hz alone.
  EXPECT_GT(tone_strength(s, loud_from + at_ms(50), at_ms(250), 1, 261.63, 44100), 0.005);
  std::size_t later = loud_from + at_ms(1500);
  ASSERT_LT(later + at_ms(300), s.size());
  EXPECT_GT(tone_strength(s, later, at_ms(300), 1, 800, 44100), 0.05);
  EXPECT_LT(tone_strength(s, later, at_ms(300), 1, 261.63, 44100), 0.003) << "the song was stopped";
}

}  // namespace
}  // namespace vex::test
