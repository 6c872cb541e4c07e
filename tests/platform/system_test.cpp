#include "platform/system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "startup/starter.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class SystemUtilities : public ProgramTest {};

TEST_F(SystemUtilities, TrimPathKeepsTheFileName) {
  EXPECT_EQ(TrimPath("/usr/share/Zelvora/Vexmoor/v_bat.bmp"), "v_bat.bmp");
  EXPECT_EQ(TrimPath("/usr/share/Zelvora/Vexmoor/"), "");
  EXPECT_EQ(TrimPath("v_bat.bmp"), "v_bat.bmp");
  EXPECT_EQ(TrimPath(""), "");
  // On this platform the backslash is an ordinary character of a name.
  EXPECT_EQ(TrimPath("C:\\WINDOWS\\v_bat.bmp"), "C:\\WINDOWS\\v_bat.bmp");
}

TEST_F(SystemUtilities, FileInstallCheckMatchesNamesWithoutRegardToCase) {
  std::string d = dir_.str() + "/";
  std::ofstream(d + "v_crow2.bmp") << "x";
  std::ofstream(d + ".v_hidden.bmp") << "x";
  std::filesystem::create_directory(d + "v_dir.bmp");
  EXPECT_EQ(FileInstallCheck(d + "v_Crow2.bmp"), kTrue);
  EXPECT_EQ(FileInstallCheck(d + "V_CROW2.BMP"), kTrue);
  EXPECT_EQ(FileInstallCheck(d + "v_crow2.bmp"), kTrue);
  EXPECT_EQ(FileInstallCheck(d + "v_missing.bmp"), kFalse);
  EXPECT_EQ(FileInstallCheck(d + ".v_hidden.bmp"), kFalse);
  EXPECT_EQ(FileInstallCheck(d + "v_dir.bmp"), kFalse);
  EXPECT_EQ(FileInstallCheck(d + "nodir/v_crow2.bmp"), kFalse);
  EXPECT_EQ(FileInstallCheck(d), kFalse);
  EXPECT_EQ(resolve_file_case(d + "V_Crow2.BMP"), d + "v_crow2.bmp");
  EXPECT_TRUE(reports().empty());
}

TEST_F(SystemUtilities, TaskSwitchingIsTouchedOnlyInThe95FamilyWithAPassword) {
  std::vector<int> calls;
  system_state().screensaver_running = [&](int running) { calls.push_back(running); };
  starter().Platform = running_platform();
  starter().PasswordFlag = 1;
  set_task_switching(false);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(starter().Platform, Platform::kUnknown);
  starter().Platform = Platform::kWindows95;
  starter().PasswordFlag = 0;
  set_task_switching(false);
  EXPECT_TRUE(calls.empty());
  starter().PasswordFlag = 1;
  set_task_switching(false);
  set_task_switching(true);
  EXPECT_EQ(calls, (std::vector<int>{1, 0}));
}

TEST_F(SystemUtilities, CenterFormPutsTheWindowInTheMiddleEvenWhenLarger) {
  starter().ScreenWidth = 1024;
  starter().ScreenHeight = 768;
  WindowPlacement small{0, 0, 267, 95};
  CenterForm(small);
  EXPECT_EQ(small.left, 378);  // 512 - 133.5 = 378.5, to even
  EXPECT_EQ(small.top, 336);   // 384 - 47.5 = 336.5, to even
  WindowPlacement big{0, 0, 2000, 1000};
  CenterForm(big);
  EXPECT_EQ(big.left, -488);
  EXPECT_EQ(big.top, -116);
}

}  // namespace
}  // namespace vex
