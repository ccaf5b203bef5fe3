#include "GeneralFloatFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(GeneralFloatFormatTest, FixedInsideTheRangeExponentOutsideIt) {
    EXPECT_EQ(FormatGeneralFloat(0.0, "."), "0");
    EXPECT_EQ(FormatGeneralFloat(-0.0, "."), "0");
    EXPECT_EQ(FormatGeneralFloat(-2.5, ","), "-2,5");
    EXPECT_EQ(FormatGeneralFloat(100.0, "."), "100");
    EXPECT_EQ(FormatGeneralFloat(0.0001, "."), "0.0001");
    EXPECT_EQ(FormatGeneralFloat(1.0 / 3.0, "."), "0.333333333333333");
    EXPECT_EQ(FormatGeneralFloat(999999999999999.0, "."), "999999999999999");

    EXPECT_EQ(FormatGeneralFloat(1e15, "."), "1E15");
    EXPECT_EQ(FormatGeneralFloat(5e-5, "."), "5E-5");
    EXPECT_EQ(FormatGeneralFloat(-1.25e300, ","), "-1,25E300");
    // Rounding to 15 digits can carry into the next power of ten.
    EXPECT_EQ(FormatGeneralFloat(9999999999999999.0, "."), "1E16");
    EXPECT_EQ(FormatGeneralFloat(0.99999999999999999, "."), "1");

    EXPECT_EQ(FormatGeneralFloat(std::numeric_limits<double>::infinity(), "."), "INF");
    EXPECT_EQ(FormatGeneralFloat(-std::numeric_limits<double>::infinity(), "."), "-INF");
    EXPECT_EQ(FormatGeneralFloat(std::nan(""), "."), "NAN");
}

} // namespace
