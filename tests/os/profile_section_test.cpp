// A whole section written and read at once, on every system: the file left
// is the one the keys written one by one would leave, and the section read
// at once answers as the keys read one by one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "os/profile_file.h"
#include "support/temp_dir.h"

namespace vex {
namespace {

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The keys the dialog's Apply writes, in its order, with values of every form.
ProfileEntries apply_keys(const std::string& message) {
  ProfileEntries e{{"firstrun", "1"}};
  for (const char* k :
       {"bat",         "blooddrip", "bouncingpumpkin", "crow1",     "crow2", "dove", "firefly",  "flower",
        "gravedigger", "hand",      "lightning",       "medallion", "owl",   "rat",  "scorpion", "skeleton1",
        "skeleton2",   "spider",    "watchman",        "zombie"})
    e.emplace_back(k, " 1");
  e.emplace_back("speed", " 70");
  for (int i = 0; i < 12; ++i) e.emplace_back("song" + std::to_string(i), i == 3 ? " 1" : " 0");
  for (int i = 0; i < 12; ++i) e.emplace_back("sound" + std::to_string(i), i == 5 ? " 0" : " 1");
  e.emplace_back("messagetext", message);
  e.emplace_back("clock", " 0");
  return e;
}

class ProfileSection : public ::testing::Test {
 protected:
  int files_in_dir() const {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) n += e.is_regular_file();
    return n;
  }
  test::TempDir dir;
};

TEST_F(ProfileSection, AllKeysAtOnceLeaveTheFileTheWritesOneByOneLeave) {
  struct Start {
    const char* what;
    std::optional<std::string> text;  // nullopt: no file
  };
  const Start starts[] = {
      {"no file", std::nullopt},
      {"an empty file", ""},
      {"a file of ours", "[Vexmoor]\nfirstrun=1\nbat= 0\nspeed= 33\nmessagetext=old\n"},
      {"other sections, notes, keys in capitals, CRLF",
       "; my notes\r\n[Other]\r\nspeed=5\r\n\r\n[VEXMOOR]\r\nSpeed=9\r\nmine=kept\r\nBAT=1\r\n\r\n[Last]\r\ny=2\r\n"},
      {"a last line without its line end", "[Vexmoor]\nclock=1"},
      {"only another section", "[Other]\nx=1\n"},
  };
  for (const std::string& message : {std::string("Happy Halloween"), std::string("two\nlines"), std::string()}) {
    for (const Start& s : starts) {
      const std::string one_by_one = dir / "one.ini", at_once = dir / "all.ini";
      std::filesystem::remove(one_by_one);
      std::filesystem::remove(at_once);
      if (s.text) {
        write(one_by_one, *s.text);
        write(at_once, *s.text);
      }
      const ProfileEntries keys = apply_keys(message);
      for (const auto& [k, v] : keys) ASSERT_TRUE(profile_put(one_by_one, "Vexmoor", k, v)) << s.what << ": " << k;
      ASSERT_TRUE(profile_put_all(at_once, "Vexmoor", keys)) << s.what;
      const std::string expected = read(one_by_one);
      EXPECT_EQ(read(at_once), expected) << s.what << ", message \"" << message << "\"";
      EXPECT_NE(expected.find("firstrun=1"), std::string::npos) << expected;
      // Nothing is left beside the file but the two files themselves.
      EXPECT_EQ(files_in_dir(), 2) << s.what;
    }
  }
}

TEST_F(ProfileSection, TheSectionReadAtOnceAnswersAsEachKeyReadAlone) {
  const std::string ini = dir / "zelvora.ini";
  write(ini,
        "[Other]\nspeed=1\n[VEXMOOR]\n  Speed = 70  \nbat=\" 1\"\nowl=' 2'\n;clock=5\nmessagetext=a \"quoted\" "
        "word\nsong0= 1\nSONG0=2\nempty=\nsound3 = 0\n[Vexmoor]\nhand=1\n");
  auto section = profile_get_section(ini, "Vexmoor");
  ASSERT_TRUE(section);
  for (const char* key :
       {"speed", "SPEED", "bat", "owl", "clock", "messagetext", "song0", "empty", "sound3", "hand", "missing"})
    EXPECT_EQ(profile_find(*section, key), profile_get(ini, "Vexmoor", key)) << key;
  ASSERT_TRUE(profile_find(*section, "song0"));
  EXPECT_NE(profile_find(*section, "song0")->find('1'), std::string::npos) << "the first of two same-named keys";

  auto other = profile_get_section(ini, "other");
  ASSERT_TRUE(other);
  EXPECT_EQ(profile_find(*other, "speed"), "1");
  auto none = profile_get_section(ini, "Missing");
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
  EXPECT_FALSE(profile_get_section(dir / "nofile.ini", "Vexmoor"));
}

TEST_F(ProfileSection, WhatCannotBeWrittenLeavesTheFileAsItWas) {
  // A folder where the file should be: neither replaced nor written into.
  std::filesystem::create_directories(dir.path() / "zelvora.ini");
  EXPECT_FALSE(profile_put_all(dir / "zelvora.ini", "Vexmoor", apply_keys("x")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "zelvora.ini"));
  EXPECT_EQ(files_in_dir(), 0);
}

}  // namespace
}  // namespace vex
