#pragma once
// Start-up: the facts every later step reads, and the choice of mode.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/int16.h"
#include "os/host_window.h"
#include "os/system_services.h"
#include "platform/system.h"
#include "startup/options.h"

namespace vex {

// What the program was started to do; the numbers are choose_mode's.
enum class SaverMode { kNone = 0, kScreenSaver = 1, kSettings = 2, kPassword = 3, kPreview = 4 };

struct StarterState {
  SaverMode Mode = SaverMode::kNone;
  std::string RawCommandLine;
  std::string LoweredCommandLine;
  I16 ScreenWidth, ScreenHeight;
  I16 SceneMinX, SceneMaxX, SceneMinY;
  // Half the depth the scorpion crawls down to before it starts over.
  I16 SceneHalfDepth;
  vex::Platform Platform = vex::Platform::kUnknown;
  I16 PasswordFlag;
  int32_t PreviewParentWindow = 0;
  PixelRect PreviewRect;
  int32_t PasswordParentWindow = 0;
  // The command line's own options (taken out of the switches' text).
  RunOptions Options;
};
StarterState& starter();

inline constexpr uint32_t kHkeyCurrentUser = 0x80000001;

int16_t ReadRegistryNumber(Registry& registry, uint32_t root, const std::string& subkey, const std::string& value);

// The mode the raw command line asks for: "/p" before "/c" before "/a",
// found anywhere, any case; anything else is the saver.
int choose_mode(const std::string& raw_command_line);
// Leading characters dropped one at a time until the rest is a number.
int32_t parse_preview_handle(const std::string& lowered_command_line);

// The program's entry; returns after the mode routine has set things up.
// The scene's range, in scene pixels: where creatures travel off the
// 800 x 600 frame before they turn or come back.
void set_scene_bounds();
void Main(const std::string& raw_command_line);
void Run_ScreenSaver();
void Run_Preview();
void Run_Configure();
void Run_Password();

}  // namespace vex
