#include "startup/shutdown.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define VEXMOOR_LEAK_CHECK 1
#endif

#include "animation/creatures.h"
#include "animation/previews.h"
#include "display/sound_fx.h"
#include "os/mci.h"
#include "os/window.h"
#include "platform/error_report.h"
#include "platform/surfaces.h"
#include "platform/system.h"
#include "startup/starter.h"

namespace vex {

ShutdownState& shutdown_state() {
  static ShutdownState s;
  return s;
}

void set_exit_status(int status) { shutdown_state().exit_status = status; }

void end_process_now(int status) {
  if (shutdown_state().end_hook) {
    shutdown_state().end_hook(status);
    throw ProcessEnded{status};
  }
  std::fflush(stdout);
  std::fflush(stderr);
  close_display();
#if VEXMOOR_LEAK_CHECK
  // The process ends without the usual exit-time run, which is where the
  // leak checker would look; a sanitizer build looks here, and a leak makes
  // the ending a failure.
  if (__lsan_do_recoverable_leak_check() != 0 && status == 0) status = 23;
#endif
  std::_Exit(status);
}

void clean_up_and_end() {
  trap("Starter/X_Cleanup_And_End", [] {
    SurfacesState& sf = surfaces();
    Scene& s = scene();
    // Surfaces already released (by an earlier run that failed part-way, or
    // the palette right after loading) are skipped by release_surface itself.
    for (Surface* p : {&s.BackgroundTop.Picture, &s.BackgroundMid1.Picture, &s.BackgroundMid2.Picture,
                       &s.BackgroundMid3.Picture, &s.BackgroundBottom.Picture, &sf.PaletteSurface, &sf.FrameBuffer})
      release_surface(*p);
    for (const CreatureRow& row : creature_table())
      for (const PictureSpec& picture : row.pictures)
        if (picture.record) release_surface(picture.record(s).Picture);
    for (Surface* p : {&sf.PreviewStrip, &previews().PreviewCreature.Picture, &previews().PreviewCreature2.Picture})
      release_surface(*p);
    ShowCursor(true);
    set_task_switching(true);
    for (int n = 0; n < 12; ++n) {
      std::string alias = "song" + std::to_string(n);
      std::string reply(255, ' ');
      mciSendString("status " + alias + " mode", reply);
      if (reply.compare(0, 7, "playing") == 0) mciSendString("stop " + alias, reply);
      reply.assign(255, ' ');
      mciSendString("status " + alias + " mode", reply);
      if (reply.compare(0, 7, "stopped") == 0) mciSendString("close " + alias, reply);
    }
    if (starter().Mode == SaverMode::kScreenSaver && sound_fx().SoundOn) close_sound_fx();
    // The sound output and its thread go now: the process ends without the
    // usual exit-time run.
    command_strings().close_all();
    end_process_now(shutdown_state().exit_status);
  });
}

}  // namespace vex
