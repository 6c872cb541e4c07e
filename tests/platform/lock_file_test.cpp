#include "platform/lock_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"

namespace vex {
namespace {

// Asks, in a fresh child process, whether another instance holds the lock.
bool child_sees_others(const std::string& path) {
  pid_t pid = fork();
  if (pid == 0) _exit(register_instance_and_check_others(path) ? 1 : 0);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(InstanceLock, AnInstanceSeesAnotherOneRunningButNotItsOwnPast) {
  test::TempDir dir;
  std::string path = dir / "vexmoor.lock";
  EXPECT_FALSE(child_sees_others(path));  // alone; its lock ends with it
  EXPECT_FALSE(child_sees_others(path));  // the first one has ended
  EXPECT_FALSE(register_instance_and_check_others(path));  // this process now runs
  EXPECT_TRUE(child_sees_others(path));
  EXPECT_TRUE(child_sees_others(path));
}

TEST(InstanceLock, AnUnusableLockPlaceMeansAlone) {
  EXPECT_FALSE(register_instance_and_check_others("/proc/no-such-dir/vexmoor.lock"));
}

}  // namespace
}  // namespace vex
