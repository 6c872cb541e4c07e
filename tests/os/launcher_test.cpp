#include "os/launcher.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "support/waiting.h"

namespace vex {
namespace {

// xdg-open stands in for the user's browser; this one notes the address it
// was given, so the test sees exactly what arrived.
class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(dir / "xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << (dir / "opened") << "'\n";
    chmod((dir / "xdg-open").c_str(), 0755);
  }
  std::string opened() {
    std::string text;
    test::wait_until([&] {  // the browser starts on its own time
      std::ifstream in(dir / "opened");
      std::stringstream ss;
      ss << in.rdbuf();
      text = ss.str();
      return !text.empty();
    });
    return text;
  }
  // Runs open_in_browser in a child with this PATH and SIGCHLD disposition;
  // the child is killed if it has not returned within thirty seconds.
  int run(bool ignore_sigchld, const std::string& url) {
    pid_t pid = fork();
    if (pid == 0) {
      setenv("PATH", (dir.str() + ":/usr/bin:/bin").c_str(), 1);
      if (ignore_sigchld) signal(SIGCHLD, SIG_IGN);
      alarm(30);
      _exit(open_in_browser(url) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  test::TempDir dir;
};

TEST_F(Launcher, TheAddressArrivesAsOneArgumentUntouchedByAnyShell) {
  std::string url = "file:///tmp/a page; touch '" + (dir / "pwned") + "' $(id) `id`.htm";
  EXPECT_EQ(run(false, url), 0);
  EXPECT_EQ(opened(), url);
  EXPECT_FALSE(std::ifstream(dir / "pwned").good());
}

TEST_F(Launcher, AnIgnoredChildSignalDoesNotMakeItWaitForever) {
  EXPECT_EQ(run(true, "file:///tmp/bugs.htm"), 0);  // not killed by the alarm (14)
  EXPECT_EQ(opened(), "file:///tmp/bugs.htm");
}

}  // namespace
}  // namespace vex
