// What the saver and the dialog play, heard through SDL's disk output.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"
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
  // The process's peak resident memory so far, in megabytes.
  static long peak_mb(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    return -1;
  }
  // 32 MB of 8-bit mono at 4 kHz: more than two hours of sound, which kept
  // whole would be 1.5 GB at the output's rate.
  static std::vector<uint8_t> huge_sound(double hz) {
    return make_wave_as({.rate = 4000, .bits = 8}, 32 * 1024 * 1024 - 44, hz);
  }
  // The lines of ours in what the program said (SDL's disk output adds its
  // own).
  static std::string our_lines(const std::string& text) {
    std::istringstream in(text);
    std::string line, ours;
    while (std::getline(in, line))
      if (line.rfind("vexmoor: ", 0) == 0) ours += line + "\n";
    return ours;
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

TEST_F(Audio, InADaemonsWindowOnlyWhatWasChosenPlaysAndTheVolumeScalesIt) {
  XServer x(640, 480);
  int run = 0;
  // The loudest sample heard in the first 2.5 s of the run's sound output;
  // 0 for a run that opened none, once its first frame has been drawn and
  // a second more has passed (its greeting comes before that frame).
  auto loudest_heard = [&](std::vector<std::string> args) {
    const std::string out = dir / ("run" + std::to_string(++run) + ".raw");
    // A black screen again, whatever the run before drew on the root.
    XSetWindowBackground(x.display(), DefaultRootWindow(x.display()), 0);
    XClearWindow(x.display(), DefaultRootWindow(x.display()));
    XSync(x.display(), False);
    auto saver = start(&x, args, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", out}});
    EXPECT_TRUE(eventually([&] { return x.grab().at(320, 100) != 0u; })) << saver->stderr_text();
    const auto drawn = std::chrono::steady_clock::now();
    EXPECT_TRUE(eventually([&] {
      return written(out) >= at_ms(2500) ||
             (!std::filesystem::exists(out) && std::chrono::steady_clock::now() - drawn > 1s);
    })) << "the output stalled";
    saver->send_signal(SIGTERM);
    EXPECT_TRUE(saver->wait_for_exit(20s)) << saver->stderr_text();
    const auto s = left_channel(out);
    return loudest(s, 0, std::min(s.size(), at_ms(2500)));
  };
  // Nothing saved: the first run's defaults are heard full-screen, but a
  // locked screen stays silent unless asked.
  EXPECT_GT(loudest_heard({"/s"}), 3000);
  EXPECT_EQ(loudest_heard({"--root"}), 0);
  EXPECT_GT(loudest_heard({"--root", "--sounds"}), 3000);
  // Saved with the dialog: the greeting, at the volume saved or asked for.
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nsound0=1\n");
  const int full = loudest_heard({"--root"});
  EXPECT_GT(full, 3000);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nsound0=1\nvolume=50\n");
  EXPECT_NEAR(loudest_heard({"--root"}), full / 2, full / 50);
  EXPECT_NEAR(loudest_heard({"--root", "--volume", "25"}), full / 4, full / 50);
}

TEST_F(Audio, WithoutASoundDeviceTheSaverRunsSilentlyAndSaysNothing) {
  XServer x(800, 600);
  // The crow shows only while it caws (frame 5 of its six), so a crow seen
  // means a tick where its sound was due has been handled.
  const Pixel cawing = rgb(250, 20, 200);
  Bitmap crow(83 * 6, 2 * 64, 0);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 83 * 6; ++x) {
      const bool sprite = x >= 83 * 5 + 1 && x < 83 * 6 - 1 && y > 0 && y < 63;
      crow.at(x, y) = sprite ? cawing : 0;
      crow.at(x, 64 + y) = sprite ? 0 : 0xFFFFFF;
    }
  ASSERT_TRUE(save_bmp24(dir / "data/Zelvora/Vexmoor/v_crow1.bmp", crow));
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nsong0=1\nsound0=1\nsound3=1\nflower=1\ncrow1=1\n");
  auto saver = start(&x, {"/s"}, {{"SDL_AUDIODRIVER", "no-such-device"}});
  ASSERT_TRUE(eventually([&] { return x.grab().at(400, 100) == fixture_colour("v_background_top.bmp"); }))
      << saver->stderr_text();
  EXPECT_TRUE(eventually([&] { return count(x.grab(), cawing) > 80 * 60; })) << "the crow caws";
  EXPECT_TRUE(saver->running());
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "gone on the key";
  EXPECT_EQ(*status, 0);
  // Ended, it can say nothing more: what it said from its start, where the
  // greeting and the song found no device, through the caw, to its end,
  // where they are closed, is all there.
  EXPECT_EQ(saver->stderr_text(), "");
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
  })) << "the song is heard\n"
      << dialog->stderr_text();
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

TEST_F(Audio, AHugeSoundCostsWhatIsKeptTheSaverStartsAndEndsAtOnceAndSaysWhatItLeftOut) {
  const std::filesystem::path media = dir / "data/Zelvora/Vexmoor";
  write_bytes(media / "v_sound0.wav", huge_sound(500));
  auto adpcm = make_wave(600, 500);
  adpcm[20] = 2;
  write_bytes(media / "v_sound1.wav", adpcm);
  std::filesystem::remove(media / "v_sound4.wav");  // selected, not installed: nothing to say
  XServer x(800, 600);
  std::string ini = "[Vexmoor]\nfirstrun=1\nspeed=40\nflower=1\n";
  for (int n = 0; n < 12; ++n) ini += "sound" + std::to_string(n) + "=1\n";
  settings(ini);
  auto saver = start(&x, {"/s"});
  ASSERT_TRUE(eventually([&] { return x.grab().at(400, 100) == fixture_colour("v_background_top.bmp"); }))
      << saver->stderr_text();
  const long peak = peak_mb(saver->pid());
  std::cout << "[ measured ] the saver's peak memory with a 32 MB sound of 8-bit mono at 4 kHz: " << peak << " MB\n";
  EXPECT_LT(peak, 300);
  saver->send_signal(SIGTERM);
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "gone on SIGTERM";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(saver->stderr_text(), "vexmoor: cutting " + (media / "v_sound0.wav").string() +
                                      ": it lasts 8388.6 s; only its first 30 s are kept\n"
                                      "vexmoor: skipping " +
                                      (media / "v_sound1.wav").string() + ": not PCM samples (format tag 0x0002)\n");
}

TEST_F(Audio, TheListenButtonPlaysAHugeSoundAtOnceAndTellsOfItOnce) {
  const std::filesystem::path media = dir / "data/Zelvora/Vexmoor";
  write_bytes(media / "v_sound2.wav", huge_sound(700));
  XServer x(1024, 768);
  const std::string out = dir / "dialog.raw";
  auto dialog = start(&x, {"/c"}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", out}});
  std::string id;
  ASSERT_TRUE(eventually([&] {
    id = xdotool(x, {"search", "--name", "^Vexmoor ScreenSaver$"});
    return !id.empty();
  })) << dialog->stderr_text();
  Window w = std::stoul(id);
  int wx = 0, wy = 0;
  Window child = 0;
  XTranslateCoordinates(x.display(), w, DefaultRootWindow(x.display()), 0, 0, &wx, &wy, &child);
  auto click = [&](int cx, int cy) {
    xdotool(x, {"mousemove", std::to_string(wx + cx), std::to_string(wy + cy), "click", "1"});
  };
  click(175, 11);  // the Sounds tab
  ASSERT_TRUE(eventually([&] { return x.grab().at(wx + 120, wy + 64) == fixture_colour("v_speaker.bmp"); }))
      << "the Sounds tab shows";
  // "Thunder"'s loudspeaker, twice: each time the sound is heard.
  for (int round = 0; round < 2; ++round) {
    const std::size_t clicked = written(out);
    click(280 + 192 + 8, 32 + 24 + 8);
    std::size_t heard_at = 0;
    ASSERT_TRUE(eventually([&] {
      auto s = left_channel(out);
      for (std::size_t from = clicked; from + at_ms(100) <= s.size(); from += at_ms(50))
        if (tone_strength(s, from, at_ms(100), 1, 700, 44100) > 0.1) {
          heard_at = from;
          return true;
        }
      return false;
    })) << "round "
        << round << " heard\n"
        << dialog->stderr_text();
    ASSERT_TRUE(eventually([&] { return written(out) >= heard_at + at_ms(300); })) << "the output stalled";
  }
  const long peak = peak_mb(dialog->pid());
  std::cout << "[ measured ] the dialog's peak memory after listening to it: " << peak << " MB\n";
  EXPECT_LT(peak, 300);
  dialog->send_signal(SIGTERM);
  ASSERT_TRUE(dialog->wait_for_exit(20s));
  EXPECT_EQ(our_lines(dialog->stderr_text()), "vexmoor: cutting " + (media / "v_sound2.wav").string() +
                                                  ": it lasts 8388.6 s; only its first 30 s are kept\n");
}

}  // namespace
}  // namespace vex::test
