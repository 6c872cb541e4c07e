#include "os/media_files.h"

#include <gtest/gtest.h>

#include "os/file_io.h"
#include "support/media_makers.h"
#include "support/temp_dir.h"

namespace vex {
namespace {

TEST(MidiFiles, AreReadWithTheirTempoMap) {
  // 4 quarters at 120 bpm, then from tick 960 at 60 bpm.
  auto bytes = test::make_song(4, 500000, 960, 1000000);
  auto song = parse_midi(bytes);
  ASSERT_TRUE(song);
  EXPECT_EQ(song->tracks, 2);
  EXPECT_EQ(song->division, 480);
  EXPECT_EQ(song->last_tick, 4u * 480);
  EXPECT_DOUBLE_EQ(song->ticks_to_ms(480), 500);
  EXPECT_DOUBLE_EQ(song->ticks_to_ms(960), 1000);
  EXPECT_DOUBLE_EQ(song->ticks_to_ms(1440), 2000);  // the slower beat
  EXPECT_DOUBLE_EQ(song->length_ms(), 3000);
  EXPECT_EQ(song->ms_to_ticks(40), 38u);
  EXPECT_EQ(song->ms_to_ticks(1500), 1200u);
  EXPECT_EQ(song->ms_to_ticks(0), 0u);
  EXPECT_EQ(song->ms_to_ticks(1e9), song->last_tick);
  // Without a tempo event the file's beat is 120 per minute.
  auto plain = test::make_song(2);
  EXPECT_DOUBLE_EQ(parse_midi(plain)->length_ms(), 1000);
}

TEST(MidiFiles, TellWhichChannelsPlayTheirDefaultInstrument) {
  // Delta times are single bytes here: 0x00 or 0x60 (96 ticks).
  auto song = parse_midi(test::make_song_of({
      {0x00, 0xC0, 48, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0},     // ch 0: strings chosen first
      {0x00, 0x91, 62, 100, 0x60, 0xC1, 19, 0x00, 0x81, 62, 0},     // ch 1: a note, then the organ
      {0x60, 0x99, 36, 100, 0x00, 0x89, 36, 0},                     // ch 9: drums, none chosen
      {0x00, 0xC3, 5, 0x00, 0x92, 64, 0},                           // ch 3 chosen, never sounds;
  }));                                                               // ch 2 only a silent note-on
  ASSERT_TRUE(song);
  EXPECT_EQ(song->sounding_channels, (1u << 0) | (1u << 1) | (1u << 9));
  EXPECT_EQ(song->default_program_channels, (1u << 1) | (1u << 9));
  // A second track choosing ch 1's instrument before its first note changes that.
  auto both = parse_midi(test::make_song_of({{0x60, 0x91, 62, 100, 0x60, 0x81, 62, 0}, {0x00, 0xC1, 19}}));
  ASSERT_TRUE(both);
  EXPECT_EQ(both->default_program_channels, 0u);
  EXPECT_EQ(both->sounding_channels, 1u << 1);
}

TEST(MidiFiles, AnythingBrokenIsRefused) {
  auto good = test::make_song(3);
  ASSERT_TRUE(parse_midi(good));
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_FALSE(parse_midi(std::span<const uint8_t>(good.data(), n))) << "cut to " << n;
  auto bad_track_length = good;
  bad_track_length[14 + 4] = 0x7F;  // the first track claims far more than the file holds
  EXPECT_FALSE(parse_midi(bad_track_length));
  auto too_many_tracks = good;
  too_many_tracks[11] = 3;
  EXPECT_FALSE(parse_midi(too_many_tracks));
  auto smpte = good;
  smpte[12] = 0xE7;  // frames-per-second timing
  EXPECT_FALSE(parse_midi(smpte));
  std::vector<uint8_t> text = {'M', 'T', 'h', 'd', 'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'};
  EXPECT_FALSE(parse_midi(text));
  EXPECT_FALSE(parse_midi(test::make_wave(440, 100)));
}

// Events for make_song_of: n note events (a key struck, or let go, on
// channel 0) at `delta` ticks after what came before, then all at once.
std::vector<uint8_t> struck(int n, uint32_t delta = 0, uint8_t status = 0x90) {
  std::vector<uint8_t> t;
  for (int i = 0; i < n; ++i) {
    test::put_vlq(t, i == 0 ? delta : 0);
    t.insert(t.end(), {status, static_cast<uint8_t>(36 + i % 60), static_cast<uint8_t>(status == 0x90 ? 100 : 0)});
  }
  return t;
}
std::vector<uint8_t> joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
// A tempo event at `delta` ticks: microseconds per quarter note.
std::vector<uint8_t> tempo(uint32_t us, uint32_t delta = 0) {
  std::vector<uint8_t> t;
  test::put_vlq(t, delta);
  t.insert(t.end(), {0xFF, 0x51, 0x03});
  test::put_be(t, us, 3);
  return t;
}

// Songs written to a file and read back as the players read them: the song
// check against what no music holds, counted over all tracks together, in
// the time the tempo map gives.
class DenseSongs : public ::testing::Test {
 protected:
  std::optional<MidiSong> read(const std::vector<std::vector<uint8_t>>& tracks, std::string* why = nullptr) {
    const std::string file = dir / ("song" + std::to_string(++count) + ".Mid");
    test::write_bytes(file, test::make_song_of(tracks));
    auto bytes = read_regular_file(file, kMaxSongBytes);
    EXPECT_TRUE(bytes) << file;
    return bytes ? parse_midi(*bytes, why) : std::nullopt;
  }
  test::TempDir dir;
  int count = 0;
};

TEST_F(DenseSongs, AsManyEventsAtOnceAsEveryKeyAndControllerOfEveryChannelPlayBeyondThatNot) {
  // 480 ticks a quarter at 120 per minute: a tick is 1.04 ms.
  ASSERT_TRUE(read({struck(kMaxSongEventsAtOnce)}));
  std::string why;
  EXPECT_FALSE(read({struck(kMaxSongEventsAtOnce + 1)}, &why));
  EXPECT_EQ(why, "4097 events within 10 ms at 0.000 s, more than any music holds (4096)");
  // The same flood later in the song says when.
  EXPECT_FALSE(read({joined(struck(2, 0), struck(kMaxSongEventsAtOnce + 1, 960))}, &why));
  EXPECT_NE(why.find("at 1.000 s"), std::string::npos) << why;
  // 200 000 note-ons on one tick, as a flood of a file holds.
  EXPECT_FALSE(read({struck(200000)}, &why));
  EXPECT_NE(why.find("200000 events"), std::string::npos) << why;
  // Letting keys go counts as much as striking them; so do instruments
  // chosen, controllers and system-exclusive messages.
  EXPECT_FALSE(read({struck(kMaxSongEventsAtOnce + 1, 0, 0x80)}));
  std::vector<uint8_t> programs = {0x00, 0xC0, 0};
  for (int i = 0; i < kMaxSongEventsAtOnce; ++i) programs.insert(programs.end(), {0x00, static_cast<uint8_t>(i % 128)});
  EXPECT_FALSE(read({programs}));
  programs.resize(programs.size() - 2);
  EXPECT_TRUE(read({programs}));
  std::vector<uint8_t> sysex;
  for (int i = 0; i <= kMaxSongEventsAtOnce; ++i) sysex.insert(sysex.end(), {0x00, 0xF0, 0x02, 0x7E, 0xF7});
  EXPECT_FALSE(read({sysex}));
  // Texts are the player's own business, however many: a song's lyrics.
  std::vector<uint8_t> texts;
  for (int i = 0; i < 3 * kMaxSongEventsAtOnce; ++i) texts.insert(texts.end(), {0x00, 0xFF, 0x05, 0x01, 'a'});
  EXPECT_TRUE(read({texts, struck(8)}));
}

TEST_F(DenseSongs, TheTracksCountTogether) {
  const int half = kMaxSongEventsAtOnce / 2;
  EXPECT_TRUE(read({struck(half), struck(half)}));
  EXPECT_FALSE(read({struck(half), struck(half + 1)}));
  // Tracks that take their turns one after another do not add up.
  EXPECT_TRUE(read({struck(half + 1), struck(half + 1, 100), struck(half + 1, 200)}));
  EXPECT_FALSE(read({struck(half + 1), struck(half + 1, 100), struck(half + 1, 100)}));
  // Whichever track comes first in the file: two tracks at one moment, a
  // third between them in the file and later in time.
  EXPECT_FALSE(read({struck(half), struck(1, 200), struck(half + 1)}));
}

TEST_F(DenseSongs, AMomentIsTenMillisecondsAsTheTempoMapCountsThem) {
  const int half = kMaxSongEventsAtOnce / 2;
  // At 480 000 us a quarter a tick is 1 ms: 9 ticks apart is one moment,
  // 10 apart two.
  EXPECT_FALSE(read({joined(tempo(480000), joined(struck(half), struck(half + 1, 9)))}));
  EXPECT_TRUE(read({joined(tempo(480000), joined(struck(half), struck(half + 1, 10)))}));
  // Spread over ticks, a flood is still a flood when the ticks are short:
  // 4097 events one tick apart at 48 us a quarter (0.1 us a tick).
  std::vector<uint8_t> spread = tempo(48);
  for (int i = 0; i <= kMaxSongEventsAtOnce; ++i) spread.insert(spread.end(), {0x01, 0x90, 60, 100});
  std::string why;
  EXPECT_FALSE(read({spread}, &why));
  // The tempo counts from where it changes, in whichever track it is: 100
  // ticks are 104 ms at the first tempo, 9.4 ms at the second.
  auto apart_100 = joined(struck(half, 2000), struck(half + 1, 100));
  EXPECT_TRUE(read({tempo(500000), apart_100}));
  EXPECT_TRUE(read({joined(tempo(500000), tempo(45000, 3000)), apart_100}));
  EXPECT_FALSE(read({joined(tempo(500000), tempo(45000, 1000)), apart_100}));
  // Across the change: 10 ticks at the first tempo and 5 at the second are
  // 10.9 ms; 1 and 5 are 1.5 ms.
  EXPECT_TRUE(read({joined(tempo(500000), tempo(45000, 1000)), joined(struck(half, 990), struck(half + 1, 15))}));
  EXPECT_FALSE(read({joined(tempo(500000), tempo(45000, 1000)), joined(struck(half, 999), struck(half + 1, 6))}));
}

TEST_F(DenseSongs, SayWhyABrokenSongIsRefused) {
  auto good = test::make_song(3);
  std::string why;
  EXPECT_FALSE(parse_midi(std::span<const uint8_t>(good.data(), 10), &why));
  EXPECT_EQ(why, "not a MIDI file");
  EXPECT_FALSE(parse_midi(std::span<const uint8_t>(good.data(), good.size() - 3), &why));
  EXPECT_EQ(why, "it is cut short");
  auto smpte = good;
  smpte[12] = 0xE7;
  EXPECT_FALSE(parse_midi(smpte, &why));
  EXPECT_EQ(why, "its timing is not in beats");
  auto too_many_tracks = good;
  too_many_tracks[11] = 3;
  EXPECT_FALSE(parse_midi(too_many_tracks, &why));
  EXPECT_EQ(why, "it holds 2 of the 3 tracks it says it has");
  EXPECT_FALSE(read({{0x00, 0x90, 60, 100, 0x00, 0xF3, 0x01}}, &why));
  EXPECT_EQ(why, "track 1: it holds a system message, which has no place in a file");
}

TEST(WaveFiles, AreReadAndAnythingBrokenIsRefused) {
  auto good = test::make_wave(440, 500, 22050);
  auto w = parse_wave(good);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->channels, 1);
  EXPECT_EQ(w->rate, 22050);
  EXPECT_EQ(w->bits, 16);
  EXPECT_EQ(w->data_offset, 44u);
  EXPECT_NEAR(w->length_ms(), 500, 0.1);
  // Cut inside its samples: what is there still plays.
  auto cut = good;
  cut.resize(44 + 1001);
  ASSERT_TRUE(parse_wave(cut));
  EXPECT_EQ(parse_wave(cut)->data_bytes, 1000u);
  for (std::size_t n = 0; n < 45; ++n) EXPECT_FALSE(parse_wave(std::span<const uint8_t>(good.data(), n))) << n;
  auto compressed = good;
  compressed[20] = 2;  // not plain PCM
  EXPECT_FALSE(parse_wave(compressed));
  auto six_channels = good;
  six_channels[22] = 6;
  EXPECT_FALSE(parse_wave(six_channels));
  EXPECT_FALSE(parse_wave(test::make_song(2)));
}

}  // namespace
}  // namespace vex
