// Settings survive a crash: Apply's writes are killed at random moments,
// again and again; the file must always read, every key holding its old
// value or its new one, never a mixture or nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
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

class ApplyKilled : public test::ProgramTest {};

TEST_F(ApplyKilled, AtAnyMomentLeavesEveryKeyOldOrNew) {
  // The old settings: everything different from what Apply will write.
  std::string old_text = "[Vexmoor]\nfirstrun=1\n";
  for (const char* k : kCreatureKeys) old_text += std::string(k) + "= 0\n";
  old_text += "speed= 33\n";
  for (int i = 0; i < 12; ++i) old_text += "song" + std::to_string(i) + "= 0\n";
  for (int i = 0; i < 12; ++i) old_text += "sound" + std::to_string(i) + "= 0\n";
  old_text += "messagetext=old words\nclock= 0\n";
  const std::vector<std::string> keys = all_keys();
  std::map<std::string, std::string> old_values, new_values;
  write_settings(old_text);
  for (const auto& k : keys) old_values[k] = *profile_get(settings_file(), "Vexmoor", k);

  // Starts Apply in a child and returns once the child is about to apply:
  // however long a busy machine takes to start it, the kills that follow
  // fall on Apply itself.
  auto apply_in_child = [&]() -> pid_t {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
      close(ready[0]);
      // Apply with every control changed, so each key's new value differs.
      restart_program();
      install_fixture_media();
      starter().ScreenWidth = 800;
      starter().ScreenHeight = 600;
      GetDirectories();
      X_GetData();
      Properties_Creatures();
      load(std::make_unique<Quiet>());
      Controls& c = state().controls;
      for (auto& [name, v] : c.check) v = 1;
      c.songchk.fill(1);
      c.soundchk.fill(1);
      c.speedchk = 20;
      c.Text1 = "new words";
      shutdown_state().end_hook = nullptr;
      if (write(ready[1], "a", 1) != 1) _exit(4);
      Command2_Click();  // ends the process when done
      _exit(3);
    }
    close(ready[1]);
    char c = 0;
    const bool told = read(ready[0], &c, 1) == 1;
    close(ready[0]);
    EXPECT_TRUE(told) << "the child never came to Apply";
    return child;
  };
  // What a whole Apply writes.
  write_settings(old_text);
  int done = 0;
  pid_t measured = apply_in_child();
  ASSERT_GT(measured, 0);
  auto began = std::chrono::steady_clock::now();
  waitpid(measured, &done, 0);
  // Kills fall anywhere from Apply's start to a little past its end.
  const int whole_us = static_cast<int>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began).count());
  ASSERT_TRUE(WIFEXITED(done) && WEXITSTATUS(done) == 0);
  for (const auto& k : keys) new_values[k] = *profile_get(settings_file(), "Vexmoor", k);
  for (const auto& k : keys) {
    if (k == "firstrun") continue;
    ASSERT_NE(new_values[k], old_values[k]) << k;
  }

  std::mt19937 gen(2026);
  int mixed = 0, untouched = 0, complete = 0;
#if defined(__SANITIZE_ADDRESS__)
  const int runs = 50;  // each child starts slowly under the sanitizer
#else
  const int runs = 200;
#endif
  // A loaded machine stretches the children's times unevenly; the runs go
  // on, up to four times as many, until a kill has landed between writes.
  for (int run = 0; run < runs || (mixed == 0 && run < 4 * runs); ++run) {
    write_settings(old_text);
    pid_t child = apply_in_child();
    ASSERT_GT(child, 0);
    std::uniform_int_distribution<int> delay_us(0, whole_us + whole_us / 5);
    usleep(static_cast<useconds_t>(delay_us(gen)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    std::map<std::string, std::string> now;
    for (const auto& k : keys) {
      auto v = profile_get(settings_file(), "Vexmoor", k);
      ASSERT_TRUE(v) << "run " << run << ": the key " << k << " is gone";
      now[k] = *v;
    }
    bool all_old = true, all_new = true;
    for (const auto& k : keys) {
      ASSERT_TRUE(now[k] == old_values[k] || now[k] == new_values[k]) << "run " << run << ": " << k << "=" << now[k];
      all_old = all_old && now[k] == old_values[k];
      all_new = all_new && now[k] == new_values[k];
    }
    untouched += all_old;
    complete += all_new;
    mixed += !all_old && !all_new;
    // No half-written temporary file is left for ever beside the real one:
    // at most the one a killed write was busy with.
    int temps = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "config"))
      temps += e.path().filename().string().rfind("zelvora.ini.", 0) == 0;
    EXPECT_LE(temps, 1);
    for (const auto& e : std::filesystem::directory_iterator(dir_ / "config"))
      if (e.path().filename().string().rfind("zelvora.ini.", 0) == 0) std::filesystem::remove(e.path());
  }
  // The kills really fell in every part of Apply.
  EXPECT_GT(untouched + complete + mixed, 0);
  EXPECT_GT(mixed, 0) << "no kill landed between two writes";
  RecordProperty("untouched", untouched);
  RecordProperty("mixed", mixed);
  RecordProperty("complete", complete);
}

}  // namespace
}  // namespace vex::configuration
