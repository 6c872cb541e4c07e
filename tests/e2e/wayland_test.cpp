// The full-screen saver on a Wayland desktop: a real headless sway as a
// plain user, the saver started in its session as the user's idle daemon
// or a terminal would start it, natively (only WAYLAND_DISPLAY set) and
// through XWayland (its DISPLAY), read back with grim.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "daemon_host.h"
#include "end_to_end.h"  // Xlib
#include "os/bitmap_file.h"
#include "sway_session.h"

namespace vex::test {
namespace {

constexpr Pixel kSwayBackground = rgb(255, 0, 255);  // the session's own background (its configuration)
constexpr const char* kSaverName = "Vexmoor";

// Why this screenshot is not the whole scene filling an output of this
// size ("" when it is). The fixture's pictures carry a black frame of one
// pixel, so the edges are judged a few pixels in: there a window that is
// tiled, framed or offset shows its border, its title or its own frame.
std::string not_the_whole_scene(const Bitmap& shot, int w, int h) {
  if (shot.width() != w || shot.height() != h)
    return "a shot of " + std::to_string(shot.width()) + "x" + std::to_string(shot.height());
  const Pixel top = fixture_colour("v_background_top.bmp"), bottom = fixture_colour("v_background_bot.bmp");
  if (int n = count(shot, kSwayBackground); n > 0) return std::to_string(n) + " pixels of the desktop's background";
  for (int x : {2, 5, w - 6, w - 3})
    if (shot.at(x, h / 3) != top) return "no sky at the edge, x " + std::to_string(x);
  if (shot.at(w / 2, h - 6) != bottom) return "no ground at the bottom";
  // The flower, where the settings put it, at the output's scale.
  if (shot.at(360 * w / 800, 493 * h / 600) != fixture_colour("v_flower.bmp")) return "no flower in its place";
  return "";
}

// The message label's grey text in the top band.
int message_pixels(const Bitmap& shot) { return count(shot, rgb(64, 64, 64), 0, 5, shot.width(), 24); }

void keep(const std::string& name, const Bitmap& shot) {
  std::filesystem::create_directories(VEXMOOR_ARTEFACT_DIR);
  save_bmp24(std::string(VEXMOOR_ARTEFACT_DIR) + "/" + name + ".bmp", shot);
}

long milliseconds_since(std::chrono::steady_clock::time_point t) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t).count());
}

class Wayland : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    // Where a user's media and settings are: under HOME, as the session
    // hands no other folder to what it starts.
    write_fixture_media(dir / ".local/share/Zelvora/Vexmoor/");
    user_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\n");
  }

  // As the dialog's Apply leaves them.
  void user_settings(const std::string& text) {
    std::filesystem::create_directories(dir / ".config");
    std::ofstream(dir / ".config/zelvora.ini") << text;
  }

  // The session, or why it cannot run here ("" when it runs).
  std::string start_session(SwayOptions options) {
    if (std::string m = SwaySession::missing_tools(options.xwayland); !m.empty())
      return m + " not installed (scripts/setup installs sway, grim, wtype, swayidle and xwayland)";
    sway_ = std::make_unique<SwaySession>(dir.path(), options);
    return sway_->failure();
  }

  // The variables of a program the session started, less the displays not
  // asked for, and more.
  std::vector<std::string> saver_environment(bool wayland, bool x, const std::vector<std::string>& more = {}) const {
    std::vector<std::string> env;
    for (const std::string& kv : sway_->environment()) {
      if (!wayland && kv.rfind("WAYLAND_DISPLAY=", 0) == 0) continue;
      if (!x && kv.rfind("DISPLAY=", 0) == 0) continue;
      env.push_back(kv);
    }
    env.push_back("SDL_AUDIODRIVER=dummy");
    env.insert(env.end(), more.begin(), more.end());
    return env;
  }

  std::unique_ptr<Process> saver(bool wayland, bool x, const std::vector<std::string>& more = {},
                                 const std::vector<std::string>& args = {"/s"}) {
    give_to_plain_user(dir.path());
    std::vector<std::string> cmd = {VEXMOOR_BINARY};
    cmd.insert(cmd.end(), args.begin(), args.end());
    return std::make_unique<Process>(as_plain_user(saver_environment(wayland, x, more), cmd),
                                     std::map<std::string, std::string>{});
  }

  // Waits for the whole scene on one output (or the only one), keeping the
  // last shot.
  ::testing::AssertionResult scene_fills(const std::string& output, Bitmap& shot, const Process& p) {
    std::string why;
    const bool shown = eventually([&] {
      shot = sway_->screenshot(output);
      why = not_the_whole_scene(shot, 1024, 768);
      return why.empty();
    });
    if (shown) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (output.empty() ? "the output" : output) << ": " << why << "\n"
                                         << p.stderr_text();
  }

  // The cursor, over the desktop's background, is drawn; over the saver it
  // is not. (The first makes sure the second can fail: sway keeps drawing
  // the image it last had until the client under the cursor sets another.)
  void expect_pointer_shown_over_the_desktop() {
    sway_->move_pointer(300, 300);
    EXPECT_TRUE(eventually([&] {
      const Bitmap shot = sway_->screenshot("", true);
      return shot.width() > 0 && count(shot, kSwayBackground, 300, 300, 320, 320) < 20 * 20;
    })) << "the cursor is drawn over the desktop";
  }
  void expect_pointer_hidden_over_the_saver() {
    const Pixel top = fixture_colour("v_background_top.bmp");
    // Over the plain sky, left of the scene's middle.
    sway_->move_pointer(200, 150);
    int others = 0;
    EXPECT_TRUE(eventually([&] {
      const Bitmap shot = sway_->screenshot("", true);
      others = 24 * 24 - count(shot, top, 200, 150, 224, 174);
      return shot.width() > 0 && others == 0;
    })) << others
        << " pixels of a cursor over the saver";
  }

  std::unique_ptr<SwaySession> sway_;
};

// Natively: the session has no XWayland, so WAYLAND_DISPLAY is the only
// way to the screen.
TEST_F(Wayland, NativelyTheSceneFillsTheOutputWithTheUsersSettingsHidesThePointerAndAKeyEndsIt) {
  user_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nmessagetext=Saved by the dialog\n");
  if (std::string why = start_session({}); !why.empty()) GTEST_SKIP() << why;
  const bool pointer = sway_->plug_in_pointer();
  if (pointer) expect_pointer_shown_over_the_desktop();
  auto s = saver(true, false);
  Bitmap shot;
  ASSERT_TRUE(scene_fills("", shot, *s));
  keep("wayland-native", shot);
  EXPECT_GT(message_pixels(shot), 20) << "the message the settings hold";
  EXPECT_EQ(sway_->shells_of(kSaverName), std::vector<std::string>{"xdg_shell"});
  EXPECT_TRUE(sway_->full_screen(kSaverName));
  if (pointer) expect_pointer_hidden_over_the_saver();
  ASSERT_TRUE(s->running());

  ASSERT_TRUE(sway_->key("space"));
  const auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a key must end the saver";
  EXPECT_EQ(*status, 0);
  if (!pointer)
    GTEST_SKIP() << "no virtual pointer tool was built (wayland-client, wayland-scanner): the cursor unchecked";
}

TEST_F(Wayland, NativelyAClickEndsTheSaverAndSoDoesATerminationRequest) {
  if (std::string why = start_session({}); !why.empty()) GTEST_SKIP() << why;
  if (!sway_->plug_in_pointer()) GTEST_SKIP() << "no virtual pointer tool was built (wayland-client, wayland-scanner)";
  auto s = saver(true, false);
  Bitmap shot;
  ASSERT_TRUE(scene_fills("", shot, *s));
  sway_->move_pointer(100, 100);
  sway_->move_pointer(600, 400);
  EXPECT_TRUE(s->running()) << "moving the pointer must not end the saver";
  sway_->click(600, 400);
  auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a click must end the saver";
  EXPECT_EQ(*status, 0);

  s = saver(true, false);
  ASSERT_TRUE(scene_fills("", shot, *s));
  const auto asked = std::chrono::steady_clock::now();
  s->send_signal(SIGTERM);
  status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "SIGTERM must end the saver";
  EXPECT_EQ(*status, 0) << "through the normal shutdown";
  std::cout << "SIGTERM ended the native saver after " << milliseconds_since(asked) << " ms\n";
}

TEST_F(Wayland, NativelyOnTwoOutputsEachHoldsAWholeSceneAndTheMessageStandsOnTheFirst) {
  user_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nmessagetext=on the primary\n");
  if (std::string why = start_session({.outputs = 2}); !why.empty()) GTEST_SKIP() << why;
  const auto outputs = sway_->outputs();
  ASSERT_EQ(outputs.size(), 2u);
  auto s = saver(true, false);
  Bitmap first, second;
  ASSERT_TRUE(scene_fills(outputs[0], first, *s));
  ASSERT_TRUE(scene_fills(outputs[1], second, *s));
  keep("wayland-native-second-output", second);
  EXPECT_GT(message_pixels(first), 20);
  EXPECT_EQ(message_pixels(second), 0);
  EXPECT_EQ(sway_->shells_of(kSaverName), (std::vector<std::string>{"xdg_shell", "xdg_shell"}));
  EXPECT_TRUE(sway_->full_screen(kSaverName));
  ASSERT_TRUE(sway_->key("space"));
  const auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a key must end the saver on both outputs";
  EXPECT_EQ(*status, 0);
}

// Through XWayland: the session has both displays, as a desktop does.
TEST_F(Wayland, ThroughXWaylandTheSceneFillsTheOutputHidesThePointerAndAKeyEndsIt) {
  if (std::string why = start_session({.xwayland = true}); !why.empty()) GTEST_SKIP() << why;
  const bool pointer = sway_->plug_in_pointer();
  if (pointer) expect_pointer_shown_over_the_desktop();
  auto s = saver(true, true, {"SDL_VIDEODRIVER=x11"});
  Bitmap shot;
  ASSERT_TRUE(scene_fills("", shot, *s));
  keep("wayland-xwayland", shot);
  EXPECT_EQ(sway_->shells_of(kSaverName), std::vector<std::string>{"xwayland"});
  EXPECT_TRUE(sway_->full_screen(kSaverName));
  if (pointer) expect_pointer_hidden_over_the_saver();
  ASSERT_TRUE(sway_->key("space"));
  const auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a key must end the saver";
  EXPECT_EQ(*status, 0);
  if (!pointer)
    GTEST_SKIP() << "no virtual pointer tool was built (wayland-client, wayland-scanner): the cursor unchecked";
}

TEST_F(Wayland, WithOnlyTheXWaylandDisplayTheSceneFillsTheOutputAndAClickEndsIt) {
  if (std::string why = start_session({.xwayland = true}); !why.empty()) GTEST_SKIP() << why;
  if (!sway_->plug_in_pointer()) GTEST_SKIP() << "no virtual pointer tool was built (wayland-client, wayland-scanner)";
  auto s = saver(false, true);
  Bitmap shot;
  ASSERT_TRUE(scene_fills("", shot, *s));
  EXPECT_EQ(sway_->shells_of(kSaverName), std::vector<std::string>{"xwayland"});
  sway_->click(600, 400);
  const auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a click must end the saver";
  EXPECT_EQ(*status, 0);
}

// With no X server there is no window to show a failure report in: the
// line on standard error is all, and the program ends saying it failed
// (the window system's library would end it with only "cannot open display").
TEST_F(Wayland, NativelyWithoutXAFailureIsReportedOnStandardErrorAndEndsWithStatus1) {
  user_settings("[Vexmoor]\nfirstrun=1\nspeed=99999999\n");
  if (std::string why = start_session({}); !why.empty()) GTEST_SKIP() << why;
  auto s = saver(true, false);
  const auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "the saver must end when its failure cannot be shown";
  EXPECT_EQ(*status, 1);
  const std::string err = s->stderr_text();
  EXPECT_NE(err.find("vexmoor: Error Code: VXMR- 6 Starter/X_GetData"), std::string::npos) << err;
  EXPECT_EQ(err.find("display"), std::string::npos) << err;
}

// Sway puts every X11 window it manages on its focused output, wherever
// the window asks to be, and lets one be full screen there: through
// XWayland the scene shows on that output alone (the native way, taken
// unless X11 is asked for, has one on each). It still ends on a key.
TEST_F(Wayland, ThroughXWaylandOnTwoOutputsTheFocusedOneShowsTheSceneAndAKeyEndsIt) {
  user_settings("[Vexmoor]\nfirstrun=1\nflower=1\nspeed=40\nmessagetext=on the primary\n");
  if (std::string why = start_session({.outputs = 2, .xwayland = true}); !why.empty()) GTEST_SKIP() << why;
  const auto outputs = sway_->outputs();
  ASSERT_EQ(outputs.size(), 2u);
  auto s = saver(true, true, {"SDL_VIDEODRIVER=x11"});
  Bitmap first;
  ASSERT_TRUE(scene_fills(outputs[0], first, *s));
  ASSERT_TRUE(sway_->key("space"));
  const auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
}

// Where both are there the saver picks one itself; SDL_VIDEODRIVER picks
// for it. The dialog stays an X11 window.
TEST_F(Wayland, WithBothDisplaysTheSaverRunsWithNothingSetAndTheAskedForWayIsTaken) {
  if (std::string why = start_session({.xwayland = true}); !why.empty()) GTEST_SKIP() << why;
  Bitmap shot;
  auto s = saver(true, true);
  ASSERT_TRUE(scene_fills("", shot, *s));
  EXPECT_TRUE(sway_->full_screen(kSaverName));
  const auto chosen = sway_->shells_of(kSaverName);
  ASSERT_EQ(chosen.size(), 1u);
  std::cout << "with both displays the saver presents through " << chosen[0] << "\n";
  ASSERT_TRUE(sway_->key("space"));
  auto status = s->wait_for_exit(20s);
  ASSERT_TRUE(status) << "a key must end the saver";
  EXPECT_EQ(*status, 0);

  for (const auto& [driver, shell] : {std::pair{"x11", "xwayland"}, std::pair{"wayland", "xdg_shell"}}) {
    s = saver(true, true, {std::string("SDL_VIDEODRIVER=") + driver});
    ASSERT_TRUE(scene_fills("", shot, *s)) << driver;
    EXPECT_EQ(sway_->shells_of(kSaverName), std::vector<std::string>{shell}) << driver;
    ASSERT_TRUE(sway_->key("space"));
    status = s->wait_for_exit(20s);
    ASSERT_TRUE(status) << driver;
    EXPECT_EQ(*status, 0);
  }

  auto dialog = saver(true, true, {}, {"/c"});
  EXPECT_TRUE(eventually([&] { return !sway_->shells_of("Vexmoor ScreenSaver").empty(); })) << dialog->stderr_text();
  EXPECT_EQ(sway_->shells_of("Vexmoor ScreenSaver"), std::vector<std::string>{"xwayland"});
}

// A surface the compositor shows nowhere gets no frame callbacks, as one
// on an output powered down: the saver's frames stop, and go on when it is
// shown again. (Headless sway 1.7 keeps its outputs powered whatever it is
// told, so the saver's window is hidden on another workspace instead.) Its
// requests to the compositor are read from the client library's own trace.
TEST_F(Wayland, NativelyASurfaceShownNowhereGetsNoFramesUntilItIsShownAgain) {
  if (std::string why = start_session({}); !why.empty()) GTEST_SKIP() << why;
  auto s = saver(true, false, {"WAYLAND_DEBUG=client"});
  Bitmap shot;
  ASSERT_TRUE(scene_fills("", shot, *s));
  auto commits = [&] {
    const std::string trace = s->stderr_text();
    long n = 0;
    for (std::size_t at = 0; (at = trace.find(".commit()", at)) != std::string::npos; ++at) ++n;
    return n;
  };
  int status = 0;
  const std::string said = sway_->swaymsg({"workspace", "elsewhere"}, &status);
  ASSERT_EQ(status, 0) << said;
  // Once the frame asked for last goes unanswered, nothing more is sent: a
  // second without a frame, at 25 frames a second.
  long before = commits();
  auto quiet_since = std::chrono::steady_clock::now();
  ASSERT_TRUE(eventually([&] {
    const long now = commits();
    if (now != before) before = now, quiet_since = std::chrono::steady_clock::now();
    return milliseconds_since(quiet_since) >= 1000;
  })) << "frames go on to a surface shown nowhere";
  sway_->swaymsg({"workspace", "back_and_forth"});
  EXPECT_TRUE(eventually([&] { return commits() >= before + 10; })) << "the frames go on when it is shown again";
  ASSERT_TRUE(scene_fills("", shot, *s));
  EXPECT_TRUE(s->running());
}

// The idle daemon a sway desktop has, with the line the README gives.
TEST_F(Wayland, SwayidleStartsTheSaverWhenIdleAKeyEndsItAndTheNextIdleTimeStartsItAgain) {
  if (!installed("swayidle")) GTEST_SKIP() << "swayidle not installed (scripts/setup installs it)";
  if (std::string why = start_session({.xwayland = true}); !why.empty()) GTEST_SKIP() << why;
  give_to_plain_user(dir.path());
  std::vector<std::string> env = sway_->environment();
  env.push_back("SDL_AUDIODRIVER=dummy");
  Process idle(as_plain_user(env, {"swayidle", "-w", "timeout", "1", std::string(VEXMOOR_BINARY) + " /s"}),
               std::map<std::string, std::string>{});
  // A longer timeout of another idle daemon, as a desktop's screen lock or
  // display power saving: it comes while the saver draws, since the saver
  // holds no idle inhibitor. (One daemon with -w waits for the saver before
  // it looks at its next timeout.)
  const std::filesystem::path later = dir / "still-idle";
  Process power(as_plain_user(env, {"swayidle", "timeout", "4", "touch " + later.string()}),
                std::map<std::string, std::string>{});
  Bitmap shot;
  int first = 0;
  ASSERT_TRUE(eventually([&] {
    const auto ours = our_processes(dir.str());
    if (ours.size() == 1) first = ours[0];
    return first != 0;
  })) << "the saver is started once the session is idle\n"
      << idle.stderr_text();
  ASSERT_TRUE(scene_fills("", shot, idle));
  EXPECT_TRUE(eventually([&] { return std::filesystem::exists(later); })) << "the session stays idle under the saver\n"
                                                                          << power.stderr_text();
  EXPECT_EQ(our_processes(dir.str()), std::vector<int>{first});
  ASSERT_TRUE(sway_->key("space"));
  ASSERT_TRUE(eventually([&] {
    const auto ours = our_processes(dir.str());
    return std::find(ours.begin(), ours.end(), first) == ours.end();
  })) << "a key ends the saver";
  int second = 0;
  ASSERT_TRUE(eventually([&] {
    const auto ours = our_processes(dir.str());
    if (ours.size() == 1 && ours[0] != first) second = ours[0];
    return second != 0;
  })) << "the next idle time starts it again\n"
      << idle.stderr_text();
  ASSERT_TRUE(scene_fills("", shot, idle));
  EXPECT_TRUE(idle.running());
}

}  // namespace
}  // namespace vex::test
