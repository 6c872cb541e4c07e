#include "display/sound_fx.h"

#include <gtest/gtest.h>

#include "animation/properties.h"
#include "display/screen_saver.h"
#include "os/event_loop.h"
#include "os/window.h"
#include "platform/pictures.h"
#include "startup/settings.h"
#include "startup/shutdown.h"
#include "startup/starter.h"
#include "support/recording_mixer.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;
using test::record_field;
using test::RecordingWaveMixer;
using Call = RecordingWaveMixer::Call;

class SoundFx : public ProgramTest {
 protected:
  SoundFx() { set_wave_mixer(std::make_unique<RecordingWaveMixer>(&calls, 7)); }
  void select(std::initializer_list<int> sounds) {
    settings().SoundEnabled.fill(kFalse);
    for (int n : sounds) settings().SoundEnabled[n] = kTrue;
  }
  // The sound numbers of the plays recorded since the last look, by the
  // wave their record names.
  std::vector<int> plays() {
    std::vector<int> r;
    for (; seen < calls.size(); ++seen)
      if (calls[seen].what == "Play")
        for (int n = 0; n < 12; ++n)
          if (record_field(calls[seen].params, 5) == sound_fx().SoundWaves[n] && sound_fx().SoundWaves[n] != 0)
            r.push_back(n);
    return r;
  }
  std::vector<Call> calls;
  std::size_t seen = 0;
};

TEST_F(SoundFx, OpensTheSelectedWavesThenChannelsThenGreets) {
  settings().MediaDirectory = "/media/Zelvora/Vexmoor/";
  select({0, 3, 8});
  Initialize_SoundFX();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].what, "Init");
  EXPECT_EQ(calls[1].path, "/media/Zelvora/Vexmoor/v_sound0.wav");
  EXPECT_EQ(calls[2].path, "/media/Zelvora/Vexmoor/v_sound3.wav");
  EXPECT_EQ(calls[3].path, "/media/Zelvora/Vexmoor/v_sound8.wav");
  EXPECT_EQ(calls[1].args, (std::vector<int32_t>{7, 0, 0}));
  EXPECT_EQ(calls[4].what, "OpenChannel");
  EXPECT_EQ(calls[4].args, (std::vector<int32_t>{7, 8, 2}));
  EXPECT_EQ(calls[5].args, (std::vector<int32_t>{7, 1}));
  EXPECT_EQ(calls[6].what, "Play");  // the greeting, last
  EXPECT_EQ(plays(), std::vector<int>{0});
  EXPECT_EQ(sound_fx().SoundOn, kTrue);
  EXPECT_EQ(sound_fx().CurrentAmbientSound, 5);
}

TEST_F(SoundFx, PlayRecordsAreTwelveWordsNamingMixerChannelWaveAndFlags) {
  select({3, 8});
  Initialize_SoundFX();
  const SoundFxState& fx = sound_fx();
  const MixPlayParams& three = fx.SoundPlayParams[3];
  const MixPlayParams& eight = fx.SoundPlayParams[8];
  // size, mixer lo/hi, channel lo/hi, wave lo/hi, window lo/hi, flags lo/hi, loops
  EXPECT_EQ(three, (MixPlayParams{24, 7, 0, 3, 0, static_cast<int16_t>(fx.SoundWaves[3]), 0, 0, 0, 5, 0, 0}));
  EXPECT_EQ(eight, (MixPlayParams{24, 7, 0, 7, 0, static_cast<int16_t>(fx.SoundWaves[8]), 0, 0, 0, 5, 0, 0}));
  EXPECT_EQ(fx.SoundPlayParams[0], MixPlayParams{});  // not selected: never prepared
}

TEST_F(SoundFx, HandlesSplitIntoWordsKeepingTheirBits) {
  EXPECT_EQ(LowWordOf(0x12345678), 0x5678);
  EXPECT_EQ(HighWordOf(0x12345678), 0x1234);
  EXPECT_EQ(LowWordOf(0x0001FFFF), -1);  // 0xFFFF as a 16-bit word
  EXPECT_EQ(HighWordOf(0x0001FFFF), 1);
  EXPECT_EQ(LowWordOf(0x7FFF8000), -32768);
  EXPECT_EQ(HighWordOf(0x7FFF8000), 0x7FFF);
  EXPECT_EQ(HighWordOf(-65536 * 3), -3);
  set_wave_mixer(std::make_unique<RecordingWaveMixer>(&calls, 0x2468ACE));
  select({4});
  Initialize_SoundFX();
  EXPECT_EQ(record_field(sound_fx().SoundPlayParams[4], 1), 0x2468ACE);
}

TEST_F(SoundFx, AmbientSoundsTakeTurnsSkippingTheUnselected) {
  struct Case {
    std::initializer_list<int> selected;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {{6, 7, 8, 9, 10, 11}, {6, 7, 8, 9, 10, 11, 6, 7}},
      {{6, 8, 11}, {6, 8, 11, 6, 8, 11, 6, 8}},
      {{9}, {9, 9, 9, 9, 9, 9, 9, 9}},
      {{7, 10}, {7, 10, 7, 10, 7, 10, 7, 10}},
      {{0, 1, 2, 3, 4, 5}, {}},  // no ambient sound: nothing
  };
  for (const Case& c : cases) {
    sound_fx() = {};
    select(c.selected);
    Initialize_SoundFX();
    plays();
    for (int i = 0; i < 8; ++i) Rotate_SoundFX();
    EXPECT_EQ(plays(), c.expected);
  }
}

TEST_F(SoundFx, WithoutAMixerEverySelectionIsClearedAndNothingPlays) {
  set_wave_mixer(std::make_unique<RecordingWaveMixer>(&calls, 0));
  select({0, 1, 2, 3, 4, 5, 6, 9});
  Initialize_SoundFX();
  ASSERT_EQ(calls.size(), 1u);  // Init only
  for (Flag16 f : settings().SoundEnabled) EXPECT_EQ(f, kFalse);
  EXPECT_EQ(sound_fx().SoundOn, kFalse);
  play_sound_if_selected(3);
  Rotate_SoundFX();
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(SoundFx, WithNoEffectChosenNoMixerIsOpened) {
  select({});
  Initialize_SoundFX();
  EXPECT_TRUE(calls.empty()) << "the sound device is left to others";
  EXPECT_EQ(sound_fx().SoundOn, kFalse);
}

TEST_F(SoundFx, ACreatureSoundPlaysOnlyWhenSelected) {
  select({1, 2});
  Initialize_SoundFX();
  plays();
  play_sound_if_selected(1);
  play_sound_if_selected(3);
  play_sound_if_selected(2);
  EXPECT_EQ(plays(), (std::vector<int>{1, 2}));
  EXPECT_EQ(record_field(calls.back().params, 3), 2);  // thunder on channel 2
}

// In the running saver: the greeting at start, one ambient sound on the
// 99th tick and every 101 ticks after, the mixer closed at the end.
class SaverSounds : public SoundFx {
 protected:
  void start(const std::string& ini) {
    install_fixture_media();
    write_settings(ini);
    open_display();
    StarterState& st = starter();
    st.ScreenWidth = 800;
    st.ScreenHeight = 600;
    set_scene_bounds();
    st.Mode = SaverMode::kScreenSaver;
    GetDirectories();
    read_settings();
    Properties_Creatures();
    load_saver_pictures();
    screen_saver::load();
  }
  void ticks(int n) { event_loop().advance(10LL * n); }
};

TEST_F(SaverSounds, GreetingAtStartAnAmbientSoundEvery101Ticks) {
  start("[Vexmoor]\nfirstrun=1\nspeed=10\nsound0=1\nsound7=1\nsound10=1\n");
  EXPECT_EQ(plays(), std::vector<int>{0});
  ticks(98);
  EXPECT_EQ(plays(), std::vector<int>{});
  ticks(1);  // the 99th
  EXPECT_EQ(plays(), std::vector<int>{7});
  ticks(100);
  EXPECT_EQ(plays(), std::vector<int>{});
  ticks(1);
  EXPECT_EQ(plays(), std::vector<int>{10});
  ticks(101);
  EXPECT_EQ(plays(), std::vector<int>{7});
}

TEST_F(SaverSounds, ShutdownClosesTheMixerOnlyWhenItOpened) {
  start("[Vexmoor]\nfirstrun=1\nspeed=10\nsound0=1\nsound5=1\n");
  std::size_t before = calls.size();
  EXPECT_THROW(clean_up_and_end(), ProcessEnded);
  std::vector<std::string> after;
  for (std::size_t i = before; i < calls.size(); ++i) after.push_back(calls[i].what);
  std::vector<std::string> expected = {"CloseChannel"};
  for (int n = 0; n < 12; ++n) expected.push_back("FreeWave");  // the twelve, opened or not
  expected.push_back("CloseSession");
  EXPECT_EQ(after, expected);
  EXPECT_EQ(calls[before].args, (std::vector<int32_t>{7, 0, 1}));
  EXPECT_EQ(calls[before + 1].args, (std::vector<int32_t>{7, sound_fx().SoundWaves[0]}));
  EXPECT_EQ(calls[before + 2].args, (std::vector<int32_t>{7, 0}));  // sound 1 was never opened
}

TEST_F(SaverSounds, WithoutAMixerShutdownLeavesItAlone) {
  set_wave_mixer(std::make_unique<RecordingWaveMixer>(&calls, 0));
  start("[Vexmoor]\nfirstrun=1\nspeed=10\nsound0=1\n");
  EXPECT_THROW(clean_up_and_end(), ProcessEnded);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].what, "Init");
}

}  // namespace
}  // namespace vex
