#include "display/sound_fx.h"

#include <string>

#include "platform/error_report.h"
#include "startup/settings.h"

namespace vex {

SoundFxState& sound_fx() {
  static SoundFxState s;
  return s;
}

int16_t HighWordOf(int32_t value) { return static_cast<int16_t>(value / 65536); }
int16_t LowWordOf(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

namespace {

MixPlayParams play_record(int32_t mixer, int32_t channel, int32_t wave) {
  MixPlayParams r{};
  auto put32 = [&](int at, int32_t v) {
    r[at] = LowWordOf(v);
    r[at + 1] = HighWordOf(v);
  };
  r[0] = 24;
  put32(1, mixer);
  put32(3, channel);
  put32(5, wave);
  put32(7, 0);  // no window to notify
  put32(9, 5);  // flags: play at once, restarting the channel
  r[11] = 0;    // play once
  return r;
}

bool selected(int n) { return settings().SoundEnabled[static_cast<std::size_t>(n)] != kFalse; }

}  // namespace

void Initialize_SoundFX() {
  trap("ScreenSaver/Initialize_SoundFX", [] {
    SoundFxState& fx = sound_fx();
    SettingsState& st = settings();
    // With no effect chosen there is nothing to mix: the sound device is
    // left to others (a second saver on the same screen, the music).
    bool any = false;
    for (int n = 0; n < 12; ++n) any = any || selected(n);
    if (!any) {
      fx.SoundOn = kFalse;
      return;
    }
    fx.MixerHandle = WaveMixInit();
    if (fx.MixerHandle == 0) {
      st.SoundEnabled.fill(kFalse);
      fx.SoundOn = kFalse;
      return;
    }
    fx.SoundOn = kTrue;
    for (int n = 0; n < 12; ++n)
      if (selected(n))
        fx.SoundWaves[n] =
            WaveMixOpenWave(fx.MixerHandle, st.MediaDirectory + "v_sound" + std::to_string(n) + ".wav", 0, 0);
    WaveMixOpenChannel(fx.MixerHandle, 8, 2);
    WaveMixActivate(fx.MixerHandle, 1);
    for (int n = 0; n < 12; ++n)
      if (selected(n)) fx.SoundPlayParams[n] = play_record(fx.MixerHandle, sound_channel(n), fx.SoundWaves[n]);
    fx.CurrentAmbientSound = 5;
    if (selected(0)) WaveMixPlay(fx.SoundPlayParams[0]);
  });
}

void Rotate_SoundFX() {
  trap("ScreenSaver/Rotate_SoundFX", [] {
    bool any = false;
    for (int n = 6; n <= 11; ++n) any = any || selected(n);
    if (!any) return;
    SoundFxState& fx = sound_fx();
    auto next = [&] {
      fx.CurrentAmbientSound += 1;
      if (fx.CurrentAmbientSound >= 12) fx.CurrentAmbientSound = 6;
    };
    next();
    while (!selected(fx.CurrentAmbientSound)) next();
    WaveMixPlay(fx.SoundPlayParams[fx.CurrentAmbientSound]);
  });
}

void close_sound_fx() {
  SoundFxState& fx = sound_fx();
  WaveMixCloseChannel(fx.MixerHandle, 0, 1);
  for (int n = 0; n < 12; ++n) WaveMixFreeWave(fx.MixerHandle, fx.SoundWaves[n]);
  WaveMixCloseSession(fx.MixerHandle);
}

void play_sound_if_selected(int n) {
  if (selected(n)) WaveMixPlay(sound_fx().SoundPlayParams[static_cast<std::size_t>(n)]);
}

}  // namespace vex
