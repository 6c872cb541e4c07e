#include "startup/starter.h"

#include <cstdio>

#include "animation/properties.h"
#include "base/convert.h"
#include "base/random.h"
#include "config/configuration.h"
#include "display/preview_screen.h"
#include "display/screen_saver.h"
#include "os/host_window.h"
#include "os/lock_file.h"
#include "os/system_text.h"
#include "os/window.h"
#include "platform/error_report.h"
#include "platform/pictures.h"
#include "platform/system.h"
#include "startup/settings.h"
#include "startup/shutdown.h"

namespace vex {

StarterState& starter() {
  static StarterState s;
  return s;
}

int16_t ReadRegistryNumber(Registry& reg, uint32_t root, const std::string& subkey, const std::string& value) {
  // Every step runs even when an earlier one failed; nothing is reported.
  uint32_t key = 0;
  bool opened = reg.open(root, subkey, key);
  std::vector<uint8_t> buffer(2048, ' ');
  uint32_t size = 2048;
  uint32_t type = 0;
  std::string data;
  bool ok = opened && reg.query(key, value, type, buffer, size);
  if (!ok) {
    data = "Not Found";
  } else {
    if (size > buffer.size()) size = static_cast<uint32_t>(buffer.size());
    data.assign(buffer.begin(), buffer.begin() + size);
    if (type == 4 && size >= 4) {
      double v = buffer[0] + buffer[1] * 256.0 + buffer[2] * 65536.0 + buffer[3] * 16777216.0;
      data = format_000(v);
    }
    // The stored size counts a string's terminating NUL.
    if (size >= 1 && data.size() > size - 1) data = data.substr(0, size - 1);
  }
  if (opened) reg.close(key);
  try {
    return round_to_i16(leading_number(data));
  } catch (...) { return 0; }
}

void set_scene_bounds() {
  StarterState& st = starter();
  st.SceneMinY = -150;
  st.SceneHalfDepth = 750;
  st.SceneMaxX = 1200;
  st.SceneMinX = -400;
}

void Main(const std::string& raw) {
  trap("Starter/Main", [&] {
    StarterState& st = starter();
    st.RawCommandLine = raw;
    st.LoweredCommandLine = to_lower_ascii(trim_blanks(raw));
    int32_t display_properties = find_top_level_window("Display Properties");
    const RunOptions& opt = st.Options;
    // Drawing into a daemon's window is the saver, whatever else was given.
    const int mode = opt.embedded() ? 1 : choose_mode(raw);
    // Only full-screen savers hold the lock, so a preview or the settings
    // dialog never keeps a saver from starting; a second saver, with or
    // without its switch, ends at once. A daemon starts one of us per
    // monitor: those share the screen and only take turns at the sound.
    if (mode == 1 && !opt.embedded()) {
      std::string problem;
      InstanceLock lock = take_instance_lock(default_lock_path(), &problem);
      if (lock == InstanceLock::kUnavailable)
        std::fprintf(stderr,
                     "vexmoor: cannot take the one-instance lock %s (%s); a second saver started now "
                     "would not be noticed\n",
                     default_lock_path().c_str(), problem.c_str());
      if (lock == InstanceLock::kOtherRunning && display_properties == 0) {
        end_process_now(0);
        return;
      }
    }
    GetDirectories();
    std::string why;
    std::optional<ScreenSize> screen =
        open_display(&why, mode == 1 && !opt.embedded() ? DisplayUse::kFullScreenSaver : DisplayUse::kAnything);
    if (!screen) {
      std::fprintf(stderr, "vexmoor: %s\n", why.c_str());
      end_process_now(1);
    }
    st.ScreenWidth = screen->width;
    st.ScreenHeight = screen->height;
    if (opt.embedded()) {
      // The window given takes the place of the screen.
      unsigned long target = target_window(opt);
      auto rect = target ? window_client_rect(static_cast<int32_t>(target)) : root_window_rect();
      if (!rect) {
        std::fprintf(stderr, "vexmoor: there is no window 0x%lx to draw into\n", target);
        end_process_now(2);
      }
      // A window too large to draw pixel for pixel is drawn at a bounded
      // size and stretched: that size is the screen the scene is laid out on.
      const ScreenSize drawn = stretched_canvas_size(rect->w, rect->h);
      st.ScreenWidth = drawn.width;
      st.ScreenHeight = drawn.height;
    } else if (mode == 1) {
      // The scene and its labels are laid out for the primary monitor.
      std::vector<PixelRect> all = monitors();
      if (!all.empty()) {
        st.ScreenWidth = all.front().w;
        st.ScreenHeight = all.front().h;
      }
    }
    set_scene_bounds();
    seed_from_clock();
    read_settings();
    if (opt.embedded()) silence_unless_chosen();
    apply_run_options(opt);
    if (opt.embedded() && take_instance_lock(audio_lock_path()) != InstanceLock::kAlone) {
      // Another of us on this screen already plays the music and effects.
      settings().SongEnabled.fill(kFalse);
      settings().SoundEnabled.fill(kFalse);
    }
    Properties_Creatures();
    switch (mode) {
      case 4:
        st.Mode = SaverMode::kPreview;
        Run_Preview();
        return;
      case 2:
        st.Mode = SaverMode::kSettings;
        Run_Configure();
        return;
      case 3:
        st.Mode = SaverMode::kPassword;
        Run_Password();
        return;
      default:
        st.Mode = SaverMode::kScreenSaver;
        Run_ScreenSaver();
        return;
    }
  });
}

void Run_ScreenSaver() {
  trap("Starter/Run_ScreenSaver", [] {
    StarterState& st = starter();
    st.Mode = SaverMode::kScreenSaver;
    load_saver_pictures();
    ShowCursor(false);
    st.Platform = running_platform();
    if (st.Platform == Platform::kWindows95) {
      auto reg = make_system_registry();
      st.PasswordFlag = ReadRegistryNumber(*reg, kHkeyCurrentUser, "Control Panel\\Desktop", "ScreenSaveUsePassword");
    }
    set_task_switching(false);
    screen_saver::load();
    screen_saver::set_topmost(true);
  });
}

void Run_Preview() {
  trap("Starter/Run_Preview", [] {
    StarterState& st = starter();
    st.Mode = SaverMode::kPreview;
    load_preview_pictures();
    st.PreviewParentWindow = parse_preview_handle(st.LoweredCommandLine);
    st.PreviewRect = {};
    if (auto rect = window_client_rect(st.PreviewParentWindow)) {
      // In a host too large to draw pixel for pixel the preview draws in a
      // bounded canvas in the host's middle, and is laid out on that.
      const ScreenSize drawn = centred_canvas_size(rect->w, rect->h);
      st.PreviewRect = {0, 0, drawn.width, drawn.height};
    }
    if (st.PreviewParentWindow == 0 || !window_exists(st.PreviewParentWindow)) {
      // Without a host there is nothing to draw into; a preview that went on
      // invisibly would never end.
      std::fprintf(stderr, "vexmoor: %s\n", no_preview_host_message().c_str());
      set_exit_status(2);
      clean_up_and_end();
      return;
    }
    preview_screen::load();
  });
}

void Run_Configure() {
  trap("Starter/Run_Configure", [] {
    starter().Mode = SaverMode::kSettings;
    configuration::load();
  });
}

void Run_Password() {
  trap("Starter/Run_Password", [] {
    StarterState& st = starter();
    st.Mode = SaverMode::kPassword;
    const std::string& raw = st.RawCommandLine;
    if (raw.size() < 3) throw Failure(kInvalidArgument);
    st.PasswordParentWindow = text_to_i32(raw.substr(3));
    // The saver password belongs to the Windows 95/98 family; elsewhere
    // there is no password service to hand the change to.
    if (!change_saver_password(st.PasswordParentWindow))
      std::fprintf(stderr, "vexmoor: this system keeps no screen saver password; there is nothing to change\n");
  });
}

}  // namespace vex
