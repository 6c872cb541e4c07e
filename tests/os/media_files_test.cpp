#include "os/media_files.h"

#include <gtest/gtest.h>

#include "support/media_makers.h"

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
