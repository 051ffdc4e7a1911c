#include "engine/sheet.h"

#include <gtest/gtest.h>

using namespace kavu;

TEST(FormatAngle, Examples) {
    EXPECT_EQ(FormatAngle("N", 200700, true, false), "N 55° 45'");
    EXPECT_EQ(FormatAngle("E", 135450, true, false), "E 37° 37' 30\"");
    EXPECT_EQ(FormatAngle("E", 129600, true, false), "E 36° 00'");
    EXPECT_EQ(FormatAngle("S", 0, true, false), "S 0° 00'");
    EXPECT_EQ(FormatAngle("W", 648000, false, false), "W 180°");
    EXPECT_EQ(FormatAngle("N", 30, false, false), "N 0° 30\"");
    EXPECT_EQ(FormatAngle("N", 30, true, true), "N 0° 00' 30\"");
    EXPECT_EQ(FormatAngle("N", 5 * 3600 + 60, false, false), "N 5° 01'");
    EXPECT_EQ(FormatAngle("", 3600, false, false), " 1°");
    EXPECT_EQ(FormatAngle("N", 3600, false, true), "N 1° 00\"");
}

TEST(FormatAngle, DegreeSignIsUtf8AndNothingTrails) {
    const std::string t = FormatAngle("N", 7200, false, false);
    EXPECT_EQ(t, std::string("N 2\xC2\xB0"));
}

TEST(FormatAngle, EveryMinuteAndSecondOfADegreeReadsBack) {
    for (int v = 0; v < 3600 * 3; ++v) {
        const std::string t = FormatAngle("E", v, true, true);
        int d = 0, m = 0, s = 0;
        ASSERT_EQ(std::sscanf(t.c_str(), "E %d\xC2\xB0 %d' %d\"", &d, &m, &s), 3) << t;
        EXPECT_EQ(d * 3600 + m * 60 + s, v);
    }
}

TEST(FormatAngle, NegativeAngleGivesNoText) {
    EXPECT_EQ(FormatAngle("N", -1, true, true), "");
}
