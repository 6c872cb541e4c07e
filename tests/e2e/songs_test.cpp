// Songs as a user's media folder may hold them, heard through SDL's disk
// output, with the saver's standard error a pipe that is read only at the
// end: a program that writes much there, or writes while the sound thread
// waits on it, is held up as it would be under a terminal or a log reader
// that cannot keep up.
#include <filesystem>
#include <set>
#include <sstream>

#include "end_to_end.h"  // Xlib
#include "support/media_makers.h"

namespace vex::test {
namespace {

namespace fs = std::filesystem;

// n events on one tick: keys struck on channel 0, or (when `choose`) the
// channel's bank and instrument chosen over and over.
std::vector<uint8_t> one_tick_of(int n, bool choose) {
  std::vector<uint8_t> t;
  for (int i = 0; i < n; ++i) {
    if (choose && i % 2 == 0) t.insert(t.end(), {0x00, 0xB0, 0x00, static_cast<uint8_t>(i % 3)});
    else if (choose) t.insert(t.end(), {0x00, 0xC0, static_cast<uint8_t>(i % 128)});
    else t.insert(t.end(), {0x00, 0x90, static_cast<uint8_t>(36 + i % 60), 100});
  }
  t.insert(t.end(), {0x83, 0x60, 0xB0, 123, 0});  // a quarter later, all notes off
  return t;
}

// As dense as the song check lets a song be, and for a while: bursts of
// 4000 events a 12-tick step apart (12.5 ms), each kind in turn: keys
// struck, instruments chosen (that the soundfont lacks), and controllers
// moved while 100 notes sound.
std::vector<uint8_t> densest_allowed(int bursts_of_each) {
  std::vector<uint8_t> t;
  auto at = [&](bool first) { t.push_back(first ? 0x00 : 0x0C); };
  for (int b = 0; b < bursts_of_each; ++b) {
    at(b == 0);
    t.insert(t.end(), {0x90, 36, 100});
    for (int i = 1; i < 4000; ++i) t.insert(t.end(), {0x00, static_cast<uint8_t>(36 + i % 60), 100});
  }
  for (int b = 0; b < bursts_of_each; ++b) {
    // From a bank the soundfont lacks: the synthesizer warns of each.
    at(false);
    t.insert(t.end(), {0xB1, 0, 99, 0x00, 0xC1, 0});
    for (int i = 2; i < 4000; ++i) t.insert(t.end(), {0x00, static_cast<uint8_t>(i % 128)});
    t.insert(t.end(), {0x00, 0x91, 60, 100});
  }
  for (int b = 0; b < bursts_of_each; ++b) {
    at(false);
    t.insert(t.end(), {0x92, 20, 100});
    for (int i = 1; i < 100; ++i) t.insert(t.end(), {0x00, static_cast<uint8_t>(20 + i), 100});
    t.insert(t.end(), {0x00, 0xB2, 7, 100});
    for (int i = 1; i < 3900; ++i) t.insert(t.end(), {0x00, 7, static_cast<uint8_t>(i % 128)});
  }
  for (uint8_t ch : {0xB0, 0xB1, 0xB2}) t.insert(t.end(), {0x83, 0x60, ch, 123, 0});
  return t;
}

class Songs : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    media = dir / "data/Zelvora/Vexmoor";
    write_bytes(media / "v_sound0.wav", make_wave(1500, 600, 22050, 0.4));
    write_bytes(media / "v_sound1.wav", make_wave(700, 600, 44100, 0.4));
  }
  std::map<std::string, std::string> disk(const std::string& out) {
    return {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", out}};
  }
  static std::size_t written(const std::string& file) {
    std::error_code e;
    const auto bytes = fs::file_size(file, e);
    return e ? 0 : static_cast<std::size_t>(bytes / 4);
  }
  static std::size_t at_ms(int ms) { return static_cast<std::size_t>(ms) * 44100 / 1000; }
  static std::vector<int16_t> left_channel(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<int16_t> all;
    int16_t s[2];
    while (in.read(reinterpret_cast<char*>(s), 4)) all.push_back(s[0]);
    return all;
  }
  static int loudest(const std::vector<int16_t>& s, std::size_t from = 0) {
    int m = 0;
    for (std::size_t i = from; i < s.size(); ++i) m = std::max(m, std::abs(static_cast<int>(s[i])));
    return m;
  }
  // Waits until the screen has shown `n` pictures each unlike the one
  // before: the frame loop goes on.
  static bool frames_advance(const XServer& x, int n) {
    int changes = 0;
    Bitmap last = x.grab();
    return eventually([&] {
      Bitmap now = x.grab();
      if (now.width() != last.width() ||
          !std::equal(&now.at(0, 0), &now.at(0, 0) + now.width() * now.height(), &last.at(0, 0)))
        ++changes;
      last = std::move(now);
      return changes >= n;
    });
  }
  // The lines of ours; the sound system's own (the disk driver names its
  // file) are not.
  static std::vector<std::string> our_lines(const std::string& err) {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string l; std::getline(in, l);)
      if (l.rfind("vexmoor:", 0) == 0) lines.push_back(l);
    return lines;
  }
  static constexpr const char* kMovingCreatures = "bat=1\ndove=1\nrat=1\nskeleton1=1\n";
  fs::path media;
};

TEST_F(Songs, AFloodOfASongIsSkippedInALineAndTheSaverDrawsOnAndEnds) {
  XServer x(800, 600);
  settings(std::string("[Vexmoor]\nfirstrun=1\nspeed=40\n") + kMovingCreatures +
           "song0=1\nsong1=1\nsound0=1\nsound1=1\n");
  write_bytes(media / "v_song0.Mid", make_song_of({one_tick_of(200000, false)}));
  write_bytes(media / "v_song1.Mid", make_song_of({one_tick_of(100000, true)}));
  const std::string out = dir / "saver.raw";
  auto saver = start(&x, {"/s"}, disk(out), Process::Stderr::kHeldPipe);
  ASSERT_TRUE(frames_advance(x, 10)) << saver->stderr_text().substr(0, 2000);
  // Long enough for the first song to have begun and ended.
  ASSERT_TRUE(eventually([&] { return written(out) >= at_ms(3000); })) << "the sound output stalled";
  ASSERT_TRUE(frames_advance(x, 10)) << "the frames stalled";
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "gone on the key";
  EXPECT_EQ(*status, 0);
  const std::string err = saver->stderr_text();
  EXPECT_LT(err.size(), 2048u) << err.substr(0, 2000);
  const std::string path = (media / "v_song").string();
  EXPECT_EQ(our_lines(err), (std::vector<std::string>{"vexmoor: skipping " + path +
                                                          "0.Mid: 200000 events within 10 ms at 0.000 s, more than "
                                                          "any music holds (4096)",
                                                      "vexmoor: skipping " + path +
                                                          "1.Mid: 100000 events within 10 ms at 0.000 s, more than "
                                                          "any music holds (4096)"}))
      << err;
  EXPECT_GT(loudest(left_channel(out)), 3000) << "the sounds still play";
}

TEST_F(Songs, ASongAsDenseAsMayBeIsPlayedWithoutHoldingUpFramesOrFloodingTheTerminal) {
  XServer x(800, 600);
  settings(std::string("[Vexmoor]\nfirstrun=1\nspeed=40\n") + kMovingCreatures + "song0=1\nsound0=1\nsound1=1\n");
  // 90 bursts, 360 000 events over 1.1 s.
  write_bytes(media / "v_song0.Mid", make_song_of({densest_allowed(30)}));
  const std::string out = dir / "saver.raw";
  auto saver = start(&x, {"/s"}, disk(out), Process::Stderr::kHeldPipe);
  ASSERT_TRUE(frames_advance(x, 10)) << saver->stderr_text().substr(0, 2000);
  // The whole song and its ending go through the output.
  ASSERT_TRUE(eventually([&] { return written(out) >= at_ms(4000); })) << "the sound output stalled";
  ASSERT_TRUE(frames_advance(x, 10)) << "the frames stalled";
  saver->send_signal(SIGTERM);
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status) << "gone on SIGTERM";
  EXPECT_EQ(*status, 0);
  const std::string err = saver->stderr_text();
  EXPECT_LT(err.size(), 4096u) << err.substr(0, 2000);
  const auto lines = our_lines(err);
  EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), lines.size()) << "one line a kind:\n" << err;
  for (const auto& l : lines) EXPECT_EQ(l.rfind("vexmoor: synthesizer ", 0), 0u) << l;
  EXPECT_GT(loudest(left_channel(out)), 3000) << "heard";
}

// A system whose only General MIDI soundfont is in the compressed layout,
// as the MuseScore soundfont packages leave it: the system's choice
// sf3/default-GM.sf3 a link to it. The soundfont is the installed TimGM6mb
// converted by sf3convert.
TEST_F(Songs, ASoundfontOnlyInTheCompressedLayoutPlaysTheSongs) {
  const std::string sf3 = VEXMOOR_TEST_SF3;
  if (sf3.empty())
    GTEST_SKIP() << "no sf3 soundfont was made (sf3convert and timgm6mb-soundfont; scripts/setup installs them)";
  std::string head(0x24, '\0');
  std::ifstream(sf3, std::ios::binary).read(head.data(), 0x24);
  ASSERT_EQ(head.substr(0x18, 4), "ifil");
  ASSERT_EQ(head[0x20], 3) << "the soundfont is of version 3, compressed";
  const fs::path root = dir.path() / "sounds";
  fs::create_directories(root / "sf3");
  fs::create_symlink(sf3, root / "sf3/compressed.sf3");
  fs::create_symlink(root / "sf3/compressed.sf3", root / "sf3/default-GM.sf3");
  XServer x(800, 600);
  settings("[Vexmoor]\nfirstrun=1\nspeed=40\nsong0=1\n");
  write_bytes(media / "v_song0.Mid", make_song(16));
  const std::string out = dir / "saver.raw";
  auto env = disk(out);
  env["VEXMOOR_SOUNDFONT_ROOT"] = root.string();
  auto saver = start(&x, {"/s"}, env);
  ASSERT_TRUE(eventually([&] { return written(out) >= at_ms(3000); })) << saver->stderr_text();
  xdotool(x, {"key", "space"});
  ASSERT_TRUE(saver->wait_for_exit(20s));
  auto s = left_channel(out);
  double middle_c = 0;
  for (std::size_t from = 0; from + at_ms(300) <= s.size(); from += at_ms(100))
    middle_c = std::max(middle_c, tone_strength(s, from, at_ms(300), 1, 261.63, 44100));
  EXPECT_GT(middle_c, 0.005) << "the song's middle C is heard";
  EXPECT_EQ(our_lines(saver->stderr_text()), std::vector<std::string>{}) << saver->stderr_text();
}

TEST_F(Songs, WithoutAnySoundfontTheSaverSaysSoOnceAndRunsSilently) {
  const fs::path root = dir.path() / "sounds";
  fs::create_directories(root / "sf2");
  fs::create_directories(root / "sf3");
  XServer x(800, 600);
  settings(std::string("[Vexmoor]\nfirstrun=1\nspeed=40\n") + kMovingCreatures +
           "song0=1\nsong3=1\nsong7=1\nsound0=1\n");
  for (int n : {0, 3, 7}) write_bytes(media / ("v_song" + std::to_string(n) + ".Mid"), make_song(2));
  const std::string out = dir / "saver.raw";
  auto env = disk(out);
  env["VEXMOOR_SOUNDFONT_ROOT"] = root.string();
  auto saver = start(&x, {"/s"}, env, Process::Stderr::kHeldPipe);
  ASSERT_TRUE(frames_advance(x, 10));
  ASSERT_TRUE(eventually([&] { return written(out) >= at_ms(2000); })) << "the sound output stalled";
  xdotool(x, {"key", "space"});
  auto status = saver->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(our_lines(saver->stderr_text()),
            std::vector<std::string>{"vexmoor: no General MIDI soundfont in " + root.string() +
                                     " (sf2/default-GM.sf2, sf3/default-GM.sf3 or another the soundfont packages "
                                     "install); the songs stay silent"})
      << saver->stderr_text();
  // The greeting plays; no song's middle C.
  auto s = left_channel(out);
  EXPECT_GT(loudest(s), 3000);
  for (std::size_t from = 0; from + at_ms(300) <= s.size(); from += at_ms(100))
    ASSERT_LT(tone_strength(s, from, at_ms(300), 1, 261.63, 44100), 0.002) << from;
}

}  // namespace
}  // namespace vex::test
