// The songs' levels: measured once per song and soundfont on the real
// FluidSynth, kept in a real cache file, and applied by the song device.
#include "os/linux/song_level.h"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "os/mci.h"
#include "support/media_makers.h"
#include "support/temp_dir.h"
#include "support/waiting.h"

namespace vex {
namespace {

namespace fs = std::filesystem;
using song_level::Measurer;

const char* const kTimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Four seconds of chords at this velocity, on the piano.
std::vector<uint8_t> chords(uint8_t velocity) {
  std::vector<uint8_t> t;
  for (int i = 0; i < 8; ++i) {
    const uint8_t keys[] = {48, 55, 60, 64, 67};
    for (uint8_t key : keys) t.insert(t.end(), {0x00, 0x90, static_cast<uint8_t>(key + i % 3), velocity});
    for (uint8_t key : keys) {
      if (key == keys[0]) t.insert(t.end(), {0x83, 0x60});  // 480 ticks later
      else t.push_back(0x00);
      t.insert(t.end(), {0x80, static_cast<uint8_t>(key + i % 3), 0});
    }
  }
  return test::make_song_of({t});
}

// What a measurer tells, as it tells it.
struct Told {
  std::mutex lock;
  std::map<int, double> gains;
  Measurer::Known known() {
    return [this](int id, double gain) {
      std::lock_guard<std::mutex> hold(lock);
      gains[id] = gain;
    };
  }
  std::optional<double> gain(int id) {
    std::lock_guard<std::mutex> hold(lock);
    auto it = gains.find(id);
    return it == gains.end() ? std::nullopt : std::optional<double>(it->second);
  }
};

TEST(SongLevels, AreMeasuredOnceAndKeptUntilTheSoundfontChanges) {
  if (!fs::exists(kTimGM6mb)) GTEST_SKIP() << kTimGM6mb << " is not installed (timgm6mb-soundfont)";
  test::TempDir dir;
  const std::string font = dir / "font.sf2", cache = dir / "cache/song-levels";
  fs::copy_file(kTimGM6mb, font);
  const std::vector<uint8_t> loud = chords(127);

  // Measured: not known at once, told later, and below the default gain
  // for a song this loud.
  double measured = 0;
  {
    Told told;
    Measurer m(font, cache, told.known());
    EXPECT_FALSE(m.want(1, loud, 1));
    ASSERT_TRUE(test::wait_until([&] { return told.gain(1).has_value(); }));
    measured = *told.gain(1);
    EXPECT_LT(measured, song_level::kDefaultGain * 0.7);
  }
  // Kept: another run knows it at once.
  {
    Told told;
    Measurer m(font, cache, told.known());
    auto kept = m.want(1, loud, 1);
    ASSERT_TRUE(kept);
    EXPECT_NEAR(*kept, measured, measured * 1e-3);
  }
  // The soundfont replaced by another file at the same place: measured again.
  fs::last_write_time(font, fs::last_write_time(font) + std::chrono::seconds(5));
  {
    Told told;
    Measurer m(font, cache, told.known());
    EXPECT_FALSE(m.want(1, loud, 1));
    ASSERT_TRUE(test::wait_until([&] { return told.gain(1).has_value(); }));
    EXPECT_NEAR(*told.gain(1), measured, measured * 0.01);
  }
  // A damaged file (one figure of a level changed) is not trusted: the song
  // is measured again, and the file mended.
  {
    std::stringstream text;
    text << std::ifstream(cache).rdbuf();
    std::string s = text.str();
    const std::size_t at = s.find('\n') + 1 + 17 + 2;  // a figure of the first line's level
    ASSERT_LT(at, s.size());
    s[at] = s[at] == '1' ? '2' : '1';
    std::ofstream(cache, std::ios::trunc) << s;
    Told told;
    Measurer m(font, cache, told.known());
    EXPECT_FALSE(m.want(1, loud, 1)) << "a damaged level was used";
    ASSERT_TRUE(test::wait_until([&] { return told.gain(1).has_value(); }));
  }
  {
    Told told;
    Measurer m(font, cache, told.known());
    EXPECT_TRUE(m.want(1, loud, 1)) << "the mended file is read";
  }
  // A cache that cannot be written only costs measuring again.
  std::ofstream(dir / "file") << "not a folder";
  {
    Told told;
    Measurer m(font, dir / "file/song-levels", told.known());
    EXPECT_FALSE(m.want(1, loud, 1));
    ASSERT_TRUE(test::wait_until([&] { return told.gain(1).has_value(); }));
    EXPECT_NEAR(*told.gain(1), measured, measured * 0.01);
  }
}

// Through the command strings on SDL's disk output: a loud song and a soft
// one (the same chords some 12 dB apart at the default gain) are heard within a
// few decibels of each other once the device has measured them.
TEST(SongLevels, BringSoftAndLoudSongsTogetherAsTheyAreHeard) {
  if (!fs::exists(kTimGM6mb)) GTEST_SKIP() << kTimGM6mb << " is not installed (timgm6mb-soundfont)";
  test::TempDir dir;
  fs::create_directories(dir.path() / "fonts/sf2");
  fs::create_symlink(kTimGM6mb, dir.path() / "fonts/sf2/default-GM.sf2");
  test::ScopedEnv root("VEXMOOR_SOUNDFONT_ROOT", dir / "fonts"), cache("XDG_CACHE_HOME", dir / "cache");
  test::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", dir / "out.raw");
  test::write_bytes(dir / "loud.mid", chords(127));
  test::write_bytes(dir / "soft.mid", chords(64));
  auto written = [&] {
    std::error_code e;
    const auto bytes = fs::file_size(dir / "out.raw", e);
    return e ? std::size_t{0} : static_cast<std::size_t>(bytes / 4);
  };
  auto lines = [&] {
    std::ifstream in(dir / "cache/vexmoor/song-levels");
    int n = 0;
    for (std::string l; std::getline(in, l);) ++n;
    return n;
  };
  std::size_t loud_from = 0, soft_from = 0;
  {
    auto mci = make_system_command_strings();
    std::string reply;
    for (const char* name : {"loud", "soft"})
      ASSERT_EQ(mci->send("open \"" + (dir / (std::string(name) + ".mid")) + "\" type sequencer alias " + name, reply),
                0u);
    ASSERT_TRUE(test::wait_until([&] { return lines() == 3; }, std::chrono::seconds(60))) << "both measured";
    for (auto [name, from] : {std::pair{"loud", &loud_from}, {"soft", &soft_from}}) {
      ASSERT_EQ(mci->send(std::string("play ") + name + " from 0", reply), 0u);
      *from = written() + 2048;
      ASSERT_TRUE(test::wait_until([&] { return written() >= *from + 44100 * 3; }));
    }
    mci->close_all();
  }
  std::ifstream in(dir / "out.raw", std::ios::binary);
  std::vector<int16_t> left;
  int16_t frame[2];
  while (in.read(reinterpret_cast<char*>(frame), 4)) left.push_back(frame[0]);
  auto rms_db = [&](std::size_t from) {
    double e = 0;
    for (std::size_t i = from; i < from + 44100 * 2 && i < left.size(); ++i) e += double(left[i]) * left[i];
    return 10 * std::log10(e / (44100 * 2) + 1e-9);
  };
  ASSERT_GE(left.size(), soft_from + 44100 * 2);
  EXPECT_NEAR(rms_db(loud_from), rms_db(soft_from), 4.0);
}

}  // namespace
}  // namespace vex
