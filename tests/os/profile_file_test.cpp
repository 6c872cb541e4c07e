#include "os/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace vex {
namespace {

using namespace std::string_literals;

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ProfileFile : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::string ini = dir / "zelvora.ini";
};

TEST_F(ProfileFile, FindsSectionsAndKeysWithoutRegardToCase) {
  write(ini, "[Other]\nspeed=1\n[VEXMOOR]\n  Speed = 70  \nbat=\" 1\"\n;speed=5\n");
  EXPECT_EQ(profile_get(ini, "Vexmoor", "speed"), " 70  ");
  EXPECT_EQ(profile_get(ini, "vexmoor", "SPEED"), " 70  ");
  EXPECT_EQ(profile_get(ini, "Vexmoor", "bat"), "\" 1\"");
  EXPECT_EQ(profile_get(ini, "Other", "speed"), "1");
  EXPECT_FALSE(profile_get(ini, "Vexmoor", "clock"));
  EXPECT_FALSE(profile_get(ini, "Missing", "speed"));
  EXPECT_FALSE(profile_get(dir / "nofile.ini", "Vexmoor", "speed"));
}

TEST_F(ProfileFile, SurvivesGarbageBinaryAndVeryLongLines) {
  std::string text = "garbage line\n\x01\x02\xff\xfe=\x00\x00\n[Vexmoor\n"s;
  text += "[Vexmoor]\r\nmessagetext=" + std::string(10000, 'm') + "\r\n";
  text += "binary=\x00\x01\x02"s + "\r\nno equals sign here\r\nclock=1";
  write(ini, text);
  EXPECT_EQ(profile_get(ini, "Vexmoor", "messagetext")->size(), 10000u);
  EXPECT_EQ(profile_get(ini, "Vexmoor", "clock"), "1");  // last line without a line end
  EXPECT_EQ(profile_get(ini, "Vexmoor", "binary"), std::string("\x00\x01\x02", 3));
}

TEST_F(ProfileFile, TheFirstOfTwoSameNamedKeysWins) {
  write(ini, "[Vexmoor]\nspeed=10\nspeed=20\n");
  EXPECT_EQ(profile_get(ini, "Vexmoor", "speed"), "10");
}

TEST_F(ProfileFile, WritesCreateFileSectionAndKeysInOrder) {
  ASSERT_TRUE(profile_put(dir / "sub/dir/zelvora.ini", "Vexmoor", "firstrun", "1"));
  EXPECT_EQ(read(dir / "sub/dir/zelvora.ini"), "[Vexmoor]\nfirstrun=1\n");
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "firstrun", "1"));
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "bat", " 1"));
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "speed", " 70"));
  EXPECT_EQ(read(ini), "[Vexmoor]\nfirstrun=1\nbat= 1\nspeed= 70\n");
  EXPECT_EQ(profile_get(ini, "Vexmoor", "speed"), " 70");
}

TEST_F(ProfileFile, WritesReplaceOnlyTheirKeyAndKeepTheRest) {
  write(ini, "; my notes\r\n[Other]\r\nx=1\r\n\r\n[Vexmoor]\r\nSpeed=5\r\nbat=1\r\n\r\n[Last]\r\ny=2\r\n");
  ASSERT_TRUE(profile_put(ini, "vexmoor", "speed", " 70"));
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "clock", " 0"));
  EXPECT_EQ(read(ini),
            "; my notes\r\n[Other]\r\nx=1\r\n\r\n[Vexmoor]\r\nspeed= 70\r\nbat=1\r\nclock= 0\r\n\r\n[Last]\r\ny=2\r\n");
}

TEST_F(ProfileFile, AKeyAddedAfterALastLineWithoutItsLineEndGetsALineOfItsOwn) {
  write(ini, "[Vexmoor]\nbat=1\r");
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "speed", " 70"));
  EXPECT_EQ(profile_get(ini, "Vexmoor", "speed"), " 70");
  EXPECT_EQ(profile_get(ini, "Vexmoor", "bat"), "1");
  write(ini, "[Vexmoor]\nbat=1");
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "speed", " 70"));
  EXPECT_EQ(read(ini), "[Vexmoor]\nbat=1\nspeed= 70\n");
}

TEST_F(ProfileFile, AValueCannotBreakIntoNewLines) {
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "messagetext", "line1\n[Evil]\nspeed=1"));
  EXPECT_EQ(profile_get(ini, "Vexmoor", "messagetext"), "line1 [Evil] speed=1");
  EXPECT_FALSE(profile_get(ini, "Evil", "speed"));
}

TEST_F(ProfileFile, WritesLeaveNoTemporaryFilesAndKeepPermissions) {
  write(ini, "[Vexmoor]\n");
  chmod(ini.c_str(), 0600);
  ASSERT_TRUE(profile_put(ini, "Vexmoor", "a", "b"));
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
  struct stat st {};
  ASSERT_EQ(stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileFile, AnUnreadableFileIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  write(ini, "[Vexmoor]\nspeed=5\n");
  chmod(ini.c_str(), 0);
  EXPECT_FALSE(profile_get(ini, "Vexmoor", "speed"));
  EXPECT_FALSE(profile_put(ini, "Vexmoor", "speed", "7"));
  chmod(ini.c_str(), 0600);
  EXPECT_EQ(read(ini), "[Vexmoor]\nspeed=5\n");
}

TEST_F(ProfileFile, AWriteIntoAnUnwritableDirectoryFailsAndSaysSo) {
  EXPECT_FALSE(profile_put("/proc/vexmoor-no/zelvora.ini", "Vexmoor", "a", "b"));
}

}  // namespace
}  // namespace vex
