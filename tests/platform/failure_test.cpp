#include <gtest/gtest.h>

#include <stdexcept>

#include "base/int16.h"
#include "platform/error_report.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::ProgramTest;

class FailureTrap : public ProgramTest {};

TEST_F(FailureTrap, ReportsTheCodeAndLabelAndSkipsTheRest) {
  bool after = false;
  bool ok = trap("Animations\\Anim_Bat", [&] {
    I16 x = 32767;
    x += 1;
    after = true;
  });
  EXPECT_FALSE(ok);
  EXPECT_FALSE(after);
  ASSERT_EQ(reports().size(), 1u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 6 Animations\\Anim_Bat");
}

TEST_F(FailureTrap, EachKindOfFailureHasItsFixedCode) {
  trap("A/a", [] { throw Failure(kConversionFailed); });
  trap("A/b", [] { throw std::out_of_range("x"); });
  trap("A/c", [] { throw std::runtime_error("x"); });
  trap("A/d", [] { throw Failure(kInvalidPropertyValue); });
  ASSERT_EQ(reports().size(), 4u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 13 A/a");
  EXPECT_EQ(reports()[1], "Error Code: VXMR- 9 A/b");
  EXPECT_EQ(reports()[2], "Error Code: VXMR- 5 A/c");
  EXPECT_EQ(reports()[3], "Error Code: VXMR- 380 A/d");
}

TEST_F(FailureTrap, OneWindowWhoseCaptionLaterFailuresReplace) {
  trap("Starter/X_GetData", [] { throw Failure(kOverflow); });
  trap("ScreenSaver/MainTimer", [] { throw Failure(kIndexOutOfRange); });
  EXPECT_EQ(report_windows_created(), 1);
  ASSERT_EQ(reports().size(), 2u);
  EXPECT_EQ(reports()[0], "Error Code: VXMR- 6 Starter/X_GetData");
  EXPECT_EQ(reports()[1], "Error Code: VXMR- 9 ScreenSaver/MainTimer");
}

TEST_F(FailureTrap, NegativeCodeShowsItsSign) {
  EXPECT_EQ(error_caption(-2147, "System/X"), "Error Code: VXMR--2147 System/X");
}

TEST_F(FailureTrap, ProcessEndIsNotTrapped) {
  EXPECT_THROW(trap("Starter/Main", [] { throw ProcessEnded{0}; }), ProcessEnded);
  EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace vex
