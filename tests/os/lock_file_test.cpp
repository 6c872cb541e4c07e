#include "os/lock_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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
  EXPECT_EQ(in_child(path), InstanceLock::kAlone);            // its lock ends with it
  EXPECT_EQ(in_child(path), InstanceLock::kAlone);            // the first one has ended
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

TEST(InstanceLock, ALinkAtItsPlaceIsNotFollowedAndAnotherUsersFileIsRefused) {
  test::TempDir dir;
  const std::string target = dir / "made-through-the-link";
  std::filesystem::create_symlink(target, dir / "vexmoor.lock");
  std::string problem;
  EXPECT_EQ(take_instance_lock(dir / "vexmoor.lock", &problem), InstanceLock::kUnavailable);
  EXPECT_FALSE(std::filesystem::exists(target));  // the link's missing target was not made
  EXPECT_NE(problem.find("link"), std::string::npos) << problem;
  if (geteuid() == 0) {  // only root can give a file away
    const std::string theirs = dir / "theirs.lock";
    {
      FILE* f = fopen(theirs.c_str(), "w");
      fclose(f);
    }
    ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
    problem.clear();
    EXPECT_EQ(take_instance_lock(theirs, &problem), InstanceLock::kUnavailable);
    EXPECT_NE(problem.find("another user"), std::string::npos) << problem;
  }
}

TEST(InstanceLock, WithoutARuntimeDirectoryTheLockLiesInADirectoryOnlyThisUserCanWrite) {
  test::TempDir dir;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", "");  // as if unset: only an absolute path counts
  test::ScopedEnv tmp("TMPDIR", dir / "tmp");
  std::filesystem::create_directory(dir / "tmp");
  const std::string path = default_lock_path();
  const std::string mine = dir / ("tmp/vexmoor-" + std::to_string(getuid()));
  ASSERT_EQ(path.rfind(mine + "/", 0), 0u) << path;
  struct stat st {};
  ASSERT_EQ(lstat(mine.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(take_instance_lock(path), InstanceLock::kAlone);
  // A directory at that name that others may write (made first by someone
  // else, say) is not used: no lock then, rather than one others control.
  test::TempDir other;
  test::ScopedEnv tmp2("TMPDIR", other.path().string());
  const std::string squatted = std::string(other.path()) + "/vexmoor-" + std::to_string(getuid());
  std::filesystem::create_directory(squatted);
  chmod(squatted.c_str(), 0777);
  EXPECT_EQ(default_lock_path(), "");
  std::string problem;
  EXPECT_EQ(take_instance_lock(default_lock_path(), &problem), InstanceLock::kUnavailable);
  EXPECT_FALSE(problem.empty());
}

}  // namespace
}  // namespace vex
