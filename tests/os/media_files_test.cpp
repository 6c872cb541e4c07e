#include "os/media_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
      {0x00, 0xC0, 48, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0},  // ch 0: strings chosen first
      {0x00, 0x91, 62, 100, 0x60, 0xC1, 19, 0x00, 0x81, 62, 0},  // ch 1: a note, then the organ
      {0x60, 0x99, 36, 100, 0x00, 0x89, 36, 0},                  // ch 9: drums, none chosen
      {0x00, 0xC3, 5, 0x00, 0x92, 64, 0},                        // ch 3 chosen, never sounds;
  }));                                                           // ch 2 only a silent note-on
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

TEST(WaveFiles, PcmInTheExtensibleLayoutIsReadOtherKindsAreNot) {
  using test::make_wave_as;
  auto w = parse_wave(make_wave_as({.rate = 44100, .channels = 2, .bits = 16, .extensible = true}, 1000));
  ASSERT_TRUE(w);
  EXPECT_EQ(w->channels, 2);
  EXPECT_EQ(w->rate, 44100);
  EXPECT_EQ(w->bits, 16);
  EXPECT_EQ(w->data_offset, 12u + 8 + 40 + 8);
  EXPECT_EQ(w->data_bytes, 4000u);
  // Fewer valid bits than the sample holds are still 16-bit samples; 8-bit
  // mono is PCM too.
  EXPECT_TRUE(parse_wave(make_wave_as({.bits = 16, .extensible = true, .valid_bits = 12}, 100)));
  EXPECT_TRUE(parse_wave(make_wave_as({.bits = 8, .extensible = true}, 100)));
  std::string why;
  EXPECT_FALSE(parse_wave(make_wave_as({.extensible = true, .sub_format = 3}, 100), &why));  // floating point
  EXPECT_EQ(why, "not PCM samples (an extensible format of another kind)");
  auto other_guid = make_wave_as({.extensible = true}, 100);
  other_guid[12 + 8 + 24 + 15] ^= 1;  // the last byte of the sub-format
  EXPECT_FALSE(parse_wave(other_guid));
  EXPECT_FALSE(parse_wave(make_wave_as({.bits = 16, .extensible = true, .valid_bits = 20}, 100)));
  auto short_extension = make_wave_as({.extensible = true}, 100);
  short_extension[12 + 8 + 16] = 10;  // the extension's size
  EXPECT_FALSE(parse_wave(short_extension));
  // The extensible tag on a format chunk of the plain size.
  auto plain = make_wave_as({}, 100);
  plain[20] = 0xFE;
  plain[21] = 0xFF;
  EXPECT_FALSE(parse_wave(plain, &why));
  EXPECT_EQ(why, "its extensible format chunk is too short");
}

TEST(WaveFiles, SayWhyTheyAreRefused) {
  auto why = [](std::vector<uint8_t> bytes) {
    std::string w;
    EXPECT_FALSE(parse_wave(bytes, &w));
    return w;
  };
  auto good = test::make_wave_as({}, 100);
  auto with = [&](std::size_t at, uint8_t v) {
    auto b = good;
    b[at] = v;
    return b;
  };
  EXPECT_EQ(why(test::make_song(2)), "not a WAV file");
  EXPECT_EQ(why(with(20, 2)), "not PCM samples (format tag 0x0002)");
  EXPECT_EQ(why(with(22, 6)), "6 channels (1 or 2 are played)");
  EXPECT_EQ(why(with(34, 24)), "24 bits a sample (8 or 16 are played)");
  auto slow = with(24, 0xE8);
  slow[25] = 0x03;  // 1000 Hz
  EXPECT_EQ(why(slow), "a rate of 1000 Hz (4000 to 192000 are played)");
  EXPECT_EQ(why(std::vector<uint8_t>(good.begin(), good.begin() + 12)), "no format chunk");
  EXPECT_EQ(why(std::vector<uint8_t>(good.begin(), good.begin() + 30)), "cut short inside its header");
  EXPECT_EQ(why(std::vector<uint8_t>(good.begin(), good.begin() + 44)), "no samples");
}

// The checks on real files, as the saver's mixer and the dialog's sounds
// make them.
class KeptSounds : public ::testing::Test {
 protected:
  void SetUp() override {
    held_before = SoundShare::held();
    testing::internal::CaptureStderr();
  }
  void TearDown() override {
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(SoundShare::held(), held_before) << "every share is given back";
  }
  // What was said on stderr since the last time.
  std::string told() {
    std::string s = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    return s;
  }
  std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
    test::write_bytes(dir / name, bytes);
    return dir / name;
  }
  static constexpr std::size_t kKeptSecond = 44100 * 4;
  test::TempDir dir;
  std::size_t held_before = 0;
};

TEST_F(KeptSounds, ALongSoundIsCutToItsFirst30SecondsFromItsHeaderAlone) {
  // 32 MB of 8-bit mono at 4 kHz: more than two hours, 1.5 GB as kept.
  const std::size_t frames = 32 * 1024 * 1024 - 44;
  const std::string huge = file("huge.wav", test::make_wave_as({.rate = 4000, .bits = 8}, frames));
  auto k = check_kept_sound(huge);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->wave.data_bytes, 30u * 4000);
  EXPECT_EQ(kept_bytes(k->wave), 30 * kKeptSecond);
  EXPECT_EQ(k->share.bytes(), 30 * kKeptSecond);
  EXPECT_EQ(SoundShare::held(), held_before + 30 * kKeptSecond);
  EXPECT_LE(k->bytes.size(), 64u * 1024) << "only the header has been read";
  ASSERT_TRUE(read_kept_samples(*k));
  EXPECT_EQ(k->bytes.size(), 44u + 30 * 4000) << "only the kept samples are read";
  EXPECT_EQ(k->wave.data_offset, 44u);
  EXPECT_DOUBLE_EQ(k->wave.length_ms(), 30000);
  // Told once, however often the file is asked for.
  EXPECT_TRUE(read_kept_sound(huge));
  EXPECT_TRUE(read_kept_sound(huge));
  EXPECT_EQ(told(), "vexmoor: cutting " + huge + ": it lasts 8388.6 s; only its first 30 s are kept\n");
  auto exactly = read_kept_sound(file("exactly.wav", test::make_wave_as({.rate = 11025, .bits = 8}, 11025 * 30)));
  ASSERT_TRUE(exactly);
  EXPECT_EQ(exactly->wave.data_bytes, 11025u * 30);
  // A sound within the limit is kept whole, without a word; one that claims
  // more samples than it holds is as long as what it holds.
  const std::string shorter = file("shorter.wav", test::make_wave_as({.rate = 8000, .channels = 2}, 8000 * 29 + 7));
  auto whole = read_kept_sound(shorter);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->wave.data_bytes, (8000u * 29 + 7) * 4);
  EXPECT_EQ(kept_bytes(whole->wave), ((8000ull * 29 + 7) * 44100 + 7999) / 8000 * 4) << "a part frame rounds up";
  auto claims = test::make_wave_as({.rate = 22050}, 22050);
  claims[40] = claims[41] = claims[42] = 0xFF;  // the data chunk's length: 16 MB more
  auto claimed = read_kept_sound(file("claims.wav", claims));
  ASSERT_TRUE(claimed);
  EXPECT_EQ(claimed->wave.data_bytes, 22050u * 2);
  // Notes after the samples (a minute's worth of bytes) are not samples.
  auto noted = test::make_wave_as({.rate = 4000, .bits = 8}, 4000 * 20);
  noted.insert(noted.end(), {'L', 'I', 'S', 'T'});
  test::put_le(noted, 4000 * 60, 4);
  noted.resize(noted.size() + 4000 * 60, 'n');
  auto notes_after = check_kept_sound(file("notes after.wav", noted));
  ASSERT_TRUE(notes_after);
  EXPECT_EQ(notes_after->share.bytes(), 20 * kKeptSecond);
  EXPECT_EQ(told(), "");
}

TEST_F(KeptSounds, TwelveOfTheLongestFitTogetherAThirteenthDoesNot) {
  std::vector<std::string> paths;
  for (int i = 0; i < 13; ++i)
    paths.push_back(
        file("long" + std::to_string(i) + ".wav", test::make_wave_as({.rate = 4000, .bits = 8}, 4000 * 31)));
  std::vector<KeptSoundFile> kept;
  for (int i = 0; i < 12; ++i) {
    auto k = read_kept_sound(paths[static_cast<std::size_t>(i)]);
    ASSERT_TRUE(k) << i;
    kept.push_back(std::move(*k));
  }
  EXPECT_EQ(SoundShare::held(), held_before + 12 * 30 * kKeptSecond);
  told();
  EXPECT_FALSE(read_kept_sound(paths[12]));
  EXPECT_EQ(told(), "vexmoor: skipping " + paths[12] + ": it would take the sounds kept together past 64 MB\n");
  // A sound let go makes room for another.
  kept.erase(kept.begin());
  EXPECT_TRUE(read_kept_sound(paths[12]));
}

TEST_F(KeptSounds, EachBrokenOneIsToldOnceAMissingOneNotAtAll) {
  const std::string broken = dir / "broken.wav", compressed = dir / "compressed.wav", folder = dir / "folder.wav",
                    fifo = dir / "fifo.wav", large = dir / "large.wav";
  std::ofstream(broken) << "RIFF";
  auto adpcm = test::make_wave_as({}, 100);
  adpcm[20] = 2;
  test::write_bytes(compressed, adpcm);
  std::filesystem::create_directory(folder);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Larger than any sound may be, without writing it all.
  test::write_bytes(large, test::make_wave_as({}, 100));
  ASSERT_EQ(truncate(large.c_str(), 33 * 1024 * 1024), 0);
  for (int round = 0; round < 3; ++round)
    for (const std::string& p : {broken, compressed, folder, fifo, large, dir / "missing.wav"})
      EXPECT_FALSE(read_kept_sound(p)) << p;
  EXPECT_EQ(told(), "vexmoor: skipping " + broken + ": not a WAV file\n" + "vexmoor: skipping " + compressed +
                        ": not PCM samples (format tag 0x0002)\n" + "vexmoor: skipping " + folder + ": not a file\n" +
                        "vexmoor: skipping " + fifo + ": not a file\n" + "vexmoor: skipping " + large +
                        ": larger than 32 MB\n");
}

TEST_F(KeptSounds, AHeaderFarFromTheFilesStartIsFoundAndTheFileChangedMeanwhileIsCheckedAgain) {
  // 100 kB of notes before the format, as some editors write.
  auto tone = test::make_wave_as({.rate = 22050}, 22050);
  std::vector<uint8_t> noted(tone.begin(), tone.begin() + 12);
  noted.insert(noted.end(), {'L', 'I', 'S', 'T'});
  test::put_le(noted, 100000, 4);
  noted.resize(noted.size() + 100000, 'n');
  noted.insert(noted.end(), tone.begin() + 12, tone.end());
  auto far = read_kept_sound(file("far.wav", noted));
  ASSERT_TRUE(far);
  EXPECT_EQ(far->wave.data_offset, 12u + 8 + 100000 + 8 + 16 + 8);
  EXPECT_EQ(far->wave.data_bytes, 22050u * 2);
  EXPECT_EQ(far->bytes.size(), far->wave.data_offset + far->wave.data_bytes);
  // Its header checked, then the file replaced by one that is refused.
  const std::string changing = file("changing.wav", test::make_wave_as({.rate = 22050}, 22050 * 2));
  auto k = check_kept_sound(changing);
  ASSERT_TRUE(k);
  auto adpcm = test::make_wave_as({.rate = 22050}, 22050 * 2);
  adpcm[20] = 2;
  test::write_bytes(changing, adpcm);
  EXPECT_FALSE(read_kept_samples(*k));
  EXPECT_FALSE(k->share) << "given back";
  EXPECT_EQ(told(), "vexmoor: skipping " + changing + ": not PCM samples (format tag 0x0002)\n");
}

}  // namespace
}  // namespace vex
