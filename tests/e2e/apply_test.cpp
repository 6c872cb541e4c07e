// The settings dialog's Apply on a slow disk, as users meet it: savers
// started while it writes, and two dialogs applying at once. The dialog runs
// under strace, which holds every fsync of it back for a while.
#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include "end_to_end.h"  // Xlib, after gtest
#include "os/profile_file.h"

namespace vex::test {
namespace {

bool have_strace() {
  int status = -1;
  run_tool({"strace", "-V"}, {}, &status);
  return status == 0;
}

class SlowApply : public EndToEnd {
 protected:
  struct Dialog {
    std::unique_ptr<Process> proc;
    Window id = 0;
    int x = 0, y = 0;
  };

  // The settings dialog with each of its writes to the disk held back (and
  // with rename_too, the moment after each file is put in its place); moved
  // to (left, top) when asked.
  Dialog open_slow_dialog(const XServer& x, int delay_ms, bool rename_too = false,
                          const std::vector<Window>& others = {}, int left = -1, int top = -1) {
    Dialog dlg;
    std::vector<std::string> args{
        "strace", "-f",        "-qq", "--seccomp-bpf",
        "-o",     "/dev/null", "-e",  std::string("trace=fsync") + (rename_too ? ",rename" : "")};
    for (const char* call : {"fsync", "rename"}) {
      if (std::string(call) == "rename" && !rename_too) continue;
      args.push_back("-e");
      args.push_back(std::string("inject=") + call + ":delay_exit=" + std::to_string(delay_ms * 1000));
    }
    args.push_back(VEXMOOR_BINARY);
    args.push_back("/c");
    auto e = env(&x);
    e["ASAN_OPTIONS"] = "detect_leaks=0";  // the leak check cannot run under a tracer
    dlg.proc = std::make_unique<Process>(args, e);
    EXPECT_TRUE(eventually([&] {
      std::stringstream ids(xdotool(x, {"search", "--onlyvisible", "--name", "^Vexmoor ScreenSaver$"}));
      for (std::string line; std::getline(ids, line);) {
        const Window w = std::stoul(line);
        if (std::find(others.begin(), others.end(), w) != others.end()) continue;
        Window child = 0;
        XTranslateCoordinates(x.display(), w, DefaultRootWindow(x.display()), 0, 0, &dlg.x, &dlg.y, &child);
        dlg.id = w;
        return true;
      }
      return false;
    })) << dlg.proc->stderr_text();
    if (dlg.id && left >= 0) {
      xdotool(x, {"windowmove", "--sync", std::to_string(dlg.id), std::to_string(left), std::to_string(top)});
      Window child = 0;
      XTranslateCoordinates(x.display(), dlg.id, DefaultRootWindow(x.display()), 0, 0, &dlg.x, &dlg.y, &child);
    }
    return dlg;
  }
  void click(const XServer& x, const Dialog& d, int cx, int cy) {
    xdotool(x, {"windowfocus", "--sync", std::to_string(d.id)});
    xdotool(x, {"mousemove", std::to_string(d.x + cx), std::to_string(d.y + cy), "click", "1"});
  }
  void tab(const XServer& x, const Dialog& d, int i) {
    static const int centres[] = {31, 105, 175, 225, 269};
    click(x, d, centres[i], 11);
  }
  // A box of the second creature tab clicked: "Dead Orchid" (on by
  // default) or "Medallion" (off by default, and drawn in front of nearly
  // everything, on a stone that stays put).
  void click_flower(const XServer& x, const Dialog& d) {
    tab(x, d, 1);
    click(x, d, 32 + 8, 184 + 8);
  }
  void click_medallion(const XServer& x, const Dialog& d) {
    tab(x, d, 1);
    click(x, d, 160 + 8, 120 + 8);
  }
  void type_message(const XServer& x, const Dialog& d, const std::string& text) {
    tab(x, d, 3);
    click(x, d, 200, 185);
    xdotool(x, {"type", "--delay", "20", text});
  }
  std::string settings_text() {
    std::ifstream in(dir / "config/zelvora.ini", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
};

TEST_F(SlowApply, ASaverStartedWhileTheDialogWritesShowsTheOldSettingsOrTheNewNeverAMixture) {
  if (!have_strace()) GTEST_SKIP() << "strace is not installed (scripts/setup installs it)";
  // Twelve windows of a daemon's, 800 x 600 each, for twelve savers.
  XServer x(3200, 1800);
  Display* d = x.display();
  std::vector<Window> windows;
  for (int i = 0; i < 12; ++i) {
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), (i % 4) * 800, (i / 4) * 600, 800, 600, 0, 0, 0);
    XMapWindow(d, w);
    windows.push_back(w);
  }
  XSync(d, False);
  // No settings yet: the first-run defaults, without the medallion or a
  // message. The dialog's new settings: the medallion and a message.
  Dialog dlg = open_slow_dialog(x, 500);
  ASSERT_NE(dlg.id, 0u);
  click_medallion(x, dlg);
  type_message(x, dlg, "Boo");
  xdotool(x, {"key", "alt+a"});
  const auto applied = std::chrono::steady_clock::now();
  // Savers start at random moments of the next second and a half: the disk
  // holds each write of the dialog back for half a second.
  std::mt19937 gen(18);
  std::uniform_int_distribution<int> at_ms(0, 1500);
  std::vector<int> moments;
  for (int i = 0; i < 12; ++i) moments.push_back(at_ms(gen));
  std::sort(moments.begin(), moments.end());
  std::vector<std::unique_ptr<Process>> savers;
  for (int i = 0; i < 12; ++i) {
    std::this_thread::sleep_until(applied + std::chrono::milliseconds(moments[i]));
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", windows[i]);
    savers.push_back(start(&x, {"--window-id", id}));
  }
  auto status = dlg.proc->wait_for_exit(120s);
  ASSERT_TRUE(status) << "Apply ends the dialog";
  EXPECT_EQ(*status, 0) << dlg.proc->stderr_text();
  const int apply_ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - applied).count());
  ASSERT_NE(settings_text().find("messagetext=Boo"), std::string::npos) << settings_text();
  ASSERT_NE(settings_text().find("medallion= 1"), std::string::npos) << settings_text();

  int old_ones = 0, new_ones = 0, mixed = 0;
  const Pixel top = fixture_colour("v_background_top.bmp"), medallion = fixture_colour("v_medallion.bmp");
  for (int i = 0; i < 12; ++i) {
    Process& s = *savers[i];
    // Drawing the scene, or (read "firstrun" without "speed") black and
    // saying why.
    bool stopped = false;
    ASSERT_TRUE(eventually([&] {
      stopped = s.stderr_text().find("frame period") != std::string::npos;
      return stopped || x.grab(windows[i]).at(400, 100) == top;
    })) << "saver "
        << i << ": " << s.stderr_text();
    bool shown = false, message = false;
    if (!stopped) {
      // The medallion is drawn in the first frame, the message before it.
      Bitmap shot = x.grab(windows[i]);
      shown = count(shot, medallion) > 500;
      message = count(shot, rgb(64, 64, 64), 0, 5, 800, 24) > 20;
    }
    const bool old_settings = !stopped && !shown && !message, new_settings = !stopped && shown && message;
    old_ones += old_settings;
    new_ones += new_settings;
    if (!old_settings && !new_settings) {
      ++mixed;
      ADD_FAILURE() << "saver " << i << ", started " << moments[i]
                    << " ms after Apply: " << (stopped ? "no frame period, a black screen" : "")
                    << (!stopped && shown ? "the medallion without the message" : "")
                    << (!stopped && !shown ? "the message without the medallion" : "");
    }
  }
  RecordProperty("apply_ms", apply_ms);
  RecordProperty("old_settings", old_ones);
  RecordProperty("new_settings", new_ones);
  EXPECT_EQ(mixed, 0);
}

TEST_F(SlowApply, TwoDialogsApplyingAtOnceLeaveTheWholeSettingsOfOne) {
  if (!have_strace()) GTEST_SKIP() << "strace is not installed (scripts/setup installs it)";
  XServer x(1024, 768);
  // Disks of two speeds, slow after each file is put in place too: each
  // dialog's writes overtake the other's, and each finds the other's.
  Dialog a = open_slow_dialog(x, 300, true, {}, 0, 0);
  ASSERT_NE(a.id, 0u);
  Dialog b = open_slow_dialog(x, 170, true, {a.id}, 0, 384);
  ASSERT_NE(b.id, 0u);
  // The first dialog turns every box of the first creature tab, every song
  // and every sound the other way, and says "one": keys from the first to
  // the last that Apply writes. The second only says "two".
  std::map<std::string, std::string> first{{"messagetext", "one"}}, second{{"messagetext", "two"}};
  const std::pair<const char*, bool> creatures[10] = {
      {"gravedigger", true}, {"crow1", true},     {"watchman", true}, {"crow2", true},      {"zombie", true},
      {"owl", true},         {"skeleton1", true}, {"bat", true},      {"skeleton2", false}, {"rat", true}};
  tab(x, a, 0);
  for (int i = 0; i < 10; ++i) {
    click(x, a, i % 2 ? 16 + 144 + 8 : 16 + 16 + 8, 32 + 24 + 32 * (i / 2) + 8);
    first[creatures[i].first] = creatures[i].second ? " 0" : " 1";
    second[creatures[i].first] = creatures[i].second ? " 1" : " 0";
  }
  tab(x, a, 2);
  const int rows[6] = {24, 50, 76, 103, 128, 154};
  const int song_at[6][2] = {{0, 1}, {2, 3}, {4, 5}, {7, 6}, {8, 9}, {10, 11}};
  const int sound_at[6][2] = {{0, 2}, {1, 9}, {6, 10}, {3, 7}, {4, 8}, {5, 11}};
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 2; ++col) {
      click(x, a, 16 + (col ? 128 : 16) + 8, 32 + rows[row] + 8);
      click(x, a, 280 + (col ? 120 : 16) + 8, 32 + rows[row] + 8);
      const int song = song_at[row][col], sound = sound_at[row][col];
      const bool song_on = song == 0, sound_on = sound != 3 && sound != 5;
      first["song" + std::to_string(song)] = song_on ? " 0" : " 1";
      second["song" + std::to_string(song)] = song_on ? " 1" : " 0";
      first["sound" + std::to_string(sound)] = sound_on ? " 0" : " 1";
      second["sound" + std::to_string(sound)] = sound_on ? " 1" : " 0";
    }
  type_message(x, a, "one");
  type_message(x, b, "two");
  xdotool(x, {"windowfocus", "--sync", std::to_string(a.id), "key", "alt+a", "windowfocus", "--sync",
              std::to_string(b.id), "key", "alt+a"});
  auto sa = a.proc->wait_for_exit(120s), sb = b.proc->wait_for_exit(120s);
  ASSERT_TRUE(sa && sb) << "Apply ends each dialog";
  EXPECT_EQ(*sa, 0);
  EXPECT_EQ(*sb, 0);
  const auto section = profile_get_section(dir / "config/zelvora.ini", "Vexmoor");
  ASSERT_TRUE(section);
  EXPECT_EQ(section->size(), 49u) << settings_text();  // the 48 keys, then the volume
  int of_first = 0, of_second = 0;
  for (const auto& [key, value] : first) {
    const auto now = profile_find(*section, key);
    ASSERT_TRUE(now) << key << "\n" << settings_text();
    of_first += *now == value;
    of_second += *now == second.at(key);
  }
  const int keys = static_cast<int>(first.size());
  EXPECT_TRUE(of_first == keys || of_second == keys)
      << of_first << " of " << keys << " keys from one dialog, " << of_second << " from the other\n"
      << settings_text();
  RecordProperty("first_won", of_first == keys);
}

}  // namespace
}  // namespace vex::test
