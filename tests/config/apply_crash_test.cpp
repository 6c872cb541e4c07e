// Settings survive a crash and a second dialog: Apply is killed at random
// moments, again and again, and the file must always read with every key
// old or every key new, never a mixture or nothing; two dialogs applying at
// the same moment leave the whole settings of one of them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <functional>
#include <random>
#include <sstream>

#include "animation/properties.h"
#include "config/configuration.h"
#include "os/profile_file.h"
#include "startup/settings.h"
#include "startup/shutdown.h"
#include "startup/starter.h"
#include "support/test_support.h"

namespace vex::configuration {
namespace {

class Quiet : public View {
 public:
  void create(const Controls&) override {}
  void centre() override {}
  void show() override {}
  void show_preview(int, const PixelView&) override {}
  void tell(const std::string&, const std::string&) override {}
  void close() override {}
};

std::vector<std::string> all_keys() {
  std::vector<std::string> keys = {"firstrun"};
  for (const char* k : kCreatureKeys) keys.push_back(k);
  keys.push_back("speed");
  for (int i = 0; i < 12; ++i) keys.push_back("song" + std::to_string(i));
  for (int i = 0; i < 12; ++i) keys.push_back("sound" + std::to_string(i));
  keys.push_back("messagetext");
  keys.push_back("clock");
  return keys;
}

class ApplyKilled : public test::ProgramTest {
 protected:
  // The old settings: everything different from what either Apply below
  // writes.
  static std::string old_text() {
    std::string t = "[Vexmoor]\nfirstrun=1\n";
    for (const char* k : kCreatureKeys) t += std::string(k) + "= 2\n";
    t += "speed= 33\n";
    for (int i = 0; i < 12; ++i) t += "song" + std::to_string(i) + "= 2\n";
    for (int i = 0; i < 12; ++i) t += "sound" + std::to_string(i) + "= 2\n";
    t += "messagetext=old words\nclock= 2\n";
    return t;
  }
  static void every_box(Controls& c, int v) {
    for (auto& [name, value] : c.check) value = v;
    c.songchk.fill(v);
    c.soundchk.fill(v);
  }
  // Every control changed one way, or every one the other way: each key's
  // value differs between the two and from the old settings.
  static void all_on(Controls& c) {
    every_box(c, 1);
    c.speedchk = 20;
    c.Text1 = "new words";
  }
  static void all_off(Controls& c) {
    every_box(c, 0);
    c.speedchk = 100;
    c.Text1 = "other words";
  }

  // Starts Apply in a child with the controls set so; returns once the child
  // is about to apply (however long a busy machine takes to start it, what
  // follows falls on Apply itself). With a go pipe the child waits for a
  // byte on it before applying.
  pid_t start_apply(const std::function<void(Controls&)>& set, int go = -1) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
      close(ready[0]);
      restart_program();
      install_fixture_media();
      starter().ScreenWidth = 800;
      starter().ScreenHeight = 600;
      GetDirectories();
      read_settings();
      Properties_Creatures();
      load(std::make_unique<Quiet>());
      set(state().controls);
      shutdown_state().end_hook = nullptr;
      if (write(ready[1], "a", 1) != 1) _exit(4);
      char c = 0;
      if (go >= 0 && read(go, &c, 1) != 1) _exit(5);
      on_apply();  // ends the process when done
      _exit(3);
    }
    close(ready[1]);
    char c = 0;
    const bool told = read(ready[0], &c, 1) == 1;
    close(ready[0]);
    EXPECT_TRUE(told) << "the child never came to Apply";
    return child;
  }

  std::map<std::string, std::string> values_now() {
    std::map<std::string, std::string> now;
    for (const auto& k : all_keys()) {
      auto v = profile_get(settings_file(), "Vexmoor", k);
      if (v) now[k] = *v;
    }
    return now;
  }

  // What a whole Apply with these controls leaves, and how long it took.
  std::map<std::string, std::string> applied(const std::function<void(Controls&)>& set, int* took_us = nullptr) {
    write_settings(old_text());
    pid_t child = start_apply(set);
    EXPECT_GT(child, 0);
    auto began = std::chrono::steady_clock::now();
    int done = 0;
    waitpid(child, &done, 0);
    if (took_us)
      *took_us = static_cast<int>(
          std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began).count());
    EXPECT_TRUE(WIFEXITED(done) && WEXITSTATUS(done) == 0);
    return values_now();
  }

  int temporary_files() {
    int temps = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "config"))
      temps += e.path().filename().string().rfind("zelvora.ini.", 0) == 0;
    return temps;
  }
  void remove_temporary_files() {
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "config"))
      if (e.path().filename().string().rfind("zelvora.ini.", 0) == 0) std::filesystem::remove(e.path());
  }
};

TEST_F(ApplyKilled, AtAnyMomentLeavesEveryKeyOldOrEveryKeyNew) {
  const std::vector<std::string> keys = all_keys();
  write_settings(old_text());
  const std::map<std::string, std::string> old_values = values_now();
  ASSERT_EQ(old_values.size(), keys.size());
  int whole_us = 0;
  const std::map<std::string, std::string> new_values = applied(all_on, &whole_us);
  ASSERT_EQ(new_values.size(), keys.size());
  for (const auto& k : keys) {
    if (k == "firstrun") continue;
    ASSERT_NE(new_values.at(k), old_values.at(k)) << k;
  }

  std::mt19937 gen(2026);
  int mixed = 0, untouched = 0, complete = 0;
#if defined(__SANITIZE_ADDRESS__)
  const int runs = 50;  // each child starts slowly under the sanitizer
#else
  const int runs = 200;
#endif
  // Kills fall anywhere from Apply's start to a little past its end. A
  // loaded machine stretches the children's times unevenly; the runs go on,
  // up to four times as many, until kills have landed both before the
  // settings were replaced and after.
  for (int run = 0; run < runs || ((untouched == 0 || complete == 0) && run < 4 * runs); ++run) {
    write_settings(old_text());
    pid_t child = start_apply(all_on);
    ASSERT_GT(child, 0);
    std::uniform_int_distribution<int> delay_us(0, whole_us + whole_us / 5);
    usleep(static_cast<useconds_t>(delay_us(gen)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    const std::map<std::string, std::string> now = values_now();
    for (const auto& k : keys) ASSERT_TRUE(now.count(k)) << "run " << run << ": the key " << k << " is gone";
    const bool all_old = now == old_values, all_new = now == new_values;
    if (!all_old && !all_new) {
      int news = 0;
      for (const auto& k : keys) news += now.at(k) == new_values.at(k);
      ADD_FAILURE() << "run " << run << ": " << news << " of " << keys.size() << " keys new, the rest old";
    }
    untouched += all_old;
    complete += all_new;
    mixed += !all_old && !all_new;
    // No half-written temporary file is left for ever beside the real one:
    // at most the one a killed write was busy with.
    EXPECT_LE(temporary_files(), 1);
    remove_temporary_files();
    if (mixed > 3) break;  // the point is made
  }
  EXPECT_EQ(mixed, 0);
  // The kills really fell on both sides of the one replacement.
  EXPECT_GT(untouched, 0);
  EXPECT_GT(complete, 0);
  RecordProperty("untouched", untouched);
  RecordProperty("mixed", mixed);
  RecordProperty("complete", complete);
}

TEST_F(ApplyKilled, TwoDialogsApplyingAtOnceLeaveTheWholeSettingsOfOne) {
  const std::map<std::string, std::string> of_a = applied(all_on);
  const std::map<std::string, std::string> of_b = applied(all_off);
  ASSERT_EQ(of_a.size(), all_keys().size());
  ASSERT_EQ(of_b.size(), all_keys().size());
  int a_won = 0, b_won = 0, mixed = 0;
  for (int run = 0; run < 40; ++run) {
    write_settings(old_text());
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t a = start_apply(all_on, go[0]);
    pid_t b = start_apply(all_off, go[0]);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    // Both are waiting at Apply: one write lets both go at once.
    ASSERT_EQ(write(go[1], "gg", 2), 2);
    close(go[0]);
    close(go[1]);
    int sa = 0, sb = 0;
    waitpid(a, &sa, 0);
    waitpid(b, &sb, 0);
    ASSERT_TRUE(WIFEXITED(sa) && WEXITSTATUS(sa) == 0 && WIFEXITED(sb) && WEXITSTATUS(sb) == 0) << "run " << run;
    const std::map<std::string, std::string> now = values_now();
    if (now == of_a) ++a_won;
    else if (now == of_b) ++b_won;
    else {
      ++mixed;
      int from_a = 0, from_b = 0;
      for (const auto& [k, v] : now) {
        from_a += of_a.count(k) && v == of_a.at(k);
        from_b += of_b.count(k) && v == of_b.at(k);
      }
      ADD_FAILURE() << "run " << run << ": " << from_a << " keys of one dialog, " << from_b << " of the other, "
                    << now.size() << " in all";
      if (mixed > 3) break;
    }
    EXPECT_EQ(temporary_files(), 0);
  }
  EXPECT_EQ(mixed, 0);
  RecordProperty("first_won", a_won);
  RecordProperty("second_won", b_won);
}

}  // namespace
}  // namespace vex::configuration
