#include "os/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "os/bitmap_file.h"
#include "os/profile_file.h"
#include "support/temp_dir.h"

namespace vex {
namespace {

TEST(RegularFiles, OnlyRegularFilesAreReadAnythingElseIsMissing) {
  test::TempDir dir;
  std::ofstream(dir / "plain") << "[Vexmoor]\nspeed=5\n";
  auto bytes = read_regular_file(dir / "plain", 1000);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 18u);
  EXPECT_FALSE(read_regular_file(dir / "plain", 10));  // too large for its kind
  EXPECT_FALSE(read_regular_file(dir / "missing", 1000));
  std::filesystem::create_directory(dir / "folder");
  EXPECT_FALSE(read_regular_file(dir / "folder", 1000));
  EXPECT_FALSE(read_regular_file("/dev/zero", 1000));
  EXPECT_FALSE(is_regular_file(dir / "folder"));
  EXPECT_TRUE(is_regular_file(dir / "plain"));
}

TEST(RegularFiles, AFifoNeverHoldsUpTheSettingsOrThePictures) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo((dir / "zelvora.ini").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((dir / "v_bat.bmp").c_str(), 0600), 0);
  // In a child, so that a read that waits shows as the alarm ending it.
  pid_t pid = fork();
  if (pid == 0) {
    alarm(30);
    bool ok = !profile_get(dir / "zelvora.ini", "Vexmoor", "speed") && !load_bmp_file(dir / "v_bat.bmp") &&
              !profile_put(dir / "zelvora.ini", "Vexmoor", "speed", " 5");
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "a read waited on the FIFO";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  struct stat st {};
  ASSERT_EQ(stat((dir / "zelvora.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));  // and was not replaced by a write either
}

}  // namespace
}  // namespace vex
