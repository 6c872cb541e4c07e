#include "base/int16.h"

#include <gtest/gtest.h>

namespace vex {
namespace {

TEST(Int16, SixteenBitArithmeticOverflowsInsteadOfWrapping) {
  I16 v = 32767;
  EXPECT_THROW(++v, Failure);
  EXPECT_EQ(v, 32767);
  I16 w = -32768;
  EXPECT_THROW(w -= 1, Failure);
  EXPECT_THROW(I16(40000), Failure);
  EXPECT_THROW(mul16(300, 200), Failure);
  EXPECT_EQ(mul16(-128, 256), -32768);
  EXPECT_THROW(check32(1LL << 31), Failure);
}

}  // namespace
}  // namespace vex
