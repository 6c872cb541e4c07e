#include "os/lock_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vex {
namespace {

// Asks, in a fresh child process, what the lock says.
InstanceLock in_child(const std::string& path) {
  pid_t pid = fork();
  if (pid == 0) _exit(static_cast<int>(take_instance_lock(path)));
  int status = 0;
  waitpid(pid, &status, 0);
  return static_cast<InstanceLock>(WEXITSTATUS(status));
}

TEST(InstanceLock, ASaverSeesAnotherOneRunningButNotItsOwnPast) {
  test::TempDir dir;
  std::string path = dir / "vexmoor.lock";
  EXPECT_EQ(in_child(path), InstanceLock::kAlone);  // its lock ends with it
  EXPECT_EQ(in_child(path), InstanceLock::kAlone);  // the first one has ended
  EXPECT_EQ(take_instance_lock(path), InstanceLock::kAlone);  // this process now runs
  EXPECT_EQ(in_child(path), InstanceLock::kOtherRunning);
  EXPECT_EQ(in_child(path), InstanceLock::kOtherRunning);
}

TEST(InstanceLock, APlaceThatCannotHoldALockSaysWhyAndNeverBlocks) {
  test::TempDir dir;
  std::string problem;
  EXPECT_EQ(take_instance_lock("/proc/no-such-dir/vexmoor.lock", &problem), InstanceLock::kUnavailable);
  EXPECT_FALSE(problem.empty());

  std::filesystem::create_directory(dir / "a-directory");
  problem.clear();
  EXPECT_EQ(take_instance_lock(dir / "a-directory", &problem), InstanceLock::kUnavailable);
  EXPECT_FALSE(problem.empty());

  // Opening a FIFO for reading would wait for a writer forever.
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_EQ(in_child(dir / "fifo"), InstanceLock::kUnavailable);

  if (geteuid() != 0) {  // root writes anywhere
    std::filesystem::create_directory(dir / "ro");
    chmod((dir / "ro").c_str(), 0500);
    EXPECT_EQ(take_instance_lock(dir / "ro/vexmoor.lock"), InstanceLock::kUnavailable);
  }
}

}  // namespace
}  // namespace vex
