#include "engine/readers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kavu::ReadRectangular;

// Every written form of one pair, and the same forms over a sweep of zones and distances: the
// whole-metre values come back exactly.
TEST(RectangularReader, WrittenForms) {
    for (const char* text :
         {"X=6182348 Y=7413188", "x 6182348, y 7413188", "6182348 7413188", "6182348, 7413188",
          "X=6 182 348 Y=7 413 188", "X = 6 182 348, Y = 7 413 188", "Y=7413188 X=6182348",
          "Х=6182348 У=7413188", "х: 6182348; у: 7413188", "X=6182.348 Y=7413.188",
          "x 6182,348 y 7413,188", "  X=6\u00A0182\u00A0348  Y=7\u202F413\u202F188 ",
          "X 6 182 348  Y 7 413 188"}) {
        const auto r = ReadRectangular(text);
        ASSERT_TRUE(r.Rectangular && r.Ok) << text << ": " << r.Error.English;
        EXPECT_DOUBLE_EQ(r.Point.X, 6182348) << text;
        EXPECT_DOUBLE_EQ(r.Point.Y, 7413188) << text;
        EXPECT_EQ(r.Point.Zone, 7) << text;
    }
    for (int zone = 1; zone <= 60; zone += 7)
        for (long x = -9'331'000; x <= 9'331'000; x += 1'234'567)
            for (long e = 166'000; e <= 834'000; e += 111'111) {
                const long y = zone * 1'000'000L + e;
                const std::string xs = std::to_string(x), ys = std::to_string(y);
                for (const std::string& text :
                     {xs + ' ' + ys, std::string("X=").append(xs).append(" Y=").append(ys),
                      std::string("y ").append(ys).append(", x ").append(xs)}) {
                    const auto r = ReadRectangular(text);
                    ASSERT_TRUE(r.Ok) << text << ": " << r.Error.English;
                    EXPECT_EQ(r.Point.X, x);
                    EXPECT_EQ(r.Point.Y, y);
                    EXPECT_EQ(r.Point.Zone, zone);
                }
            }
    const auto south = ReadRectangular("X=-1 105 916 Y=7 554 821");
    ASSERT_TRUE(south.Ok);
    EXPECT_EQ(south.Point.X, -1105916);
}

// Degrees are not rectangular pairs: the point reader has them.
TEST(RectangularReader, DegreesAreLeftToThePointReader) {
    for (const char* text : {"55.7558 37.6173", "-33.9 18.4", "55 45 21 37 37 02", "360 37",
                             "55°45'N 37°37'E", "N-37-4", "", "   "}) {
        const auto r = ReadRectangular(text);
        EXPECT_FALSE(r.Rectangular) << text;
        EXPECT_FALSE(r.Ok) << text;
    }
}

TEST(RectangularReader, ErrorsSayWhyAndWhere) {
    struct Case {
        const char* text;
        std::size_t position;
        const char* english;
    };
    for (const Case& c : {
             Case{"X=6182348 Y=413188", 12, "Y gives zone 0, outside 1–60"},
             Case{"6182348 61413188", 8, "Y gives zone 61, outside 1–60"},
             Case{"X=6182348 Y=-7413188", 12, "Y gives zone -8, outside 1–60"},
             Case{"X=6182348 Y=7100000", 12,
                  "Y's last six digits 100000 m lie outside 166 000–834 000 m, wider than any "
                  "zone"},
             Case{"X=6182348 Y=7900000", 12,
                  "Y's last six digits 900000 m lie outside 166 000–834 000 m, wider than any "
                  "zone"},
             Case{"X=9400000 Y=7413188", 2, "X beyond 84°"},
             Case{"X=-9400000 Y=7413188", 2, "X beyond 84°"},
             Case{"X=6182348 X=7413188", 10, "two X coordinates"},
             Case{"X=6182348", 9, "a second coordinate is missing"},
             Case{"X=6182348 Y=", 12, "a number is missing at the end"},
             Case{"X=6182348 Y=abc", 12, "a number is expected at “abc”"},
             Case{"X=6182348 Z=7413188", 10, "X or Y is expected at “Z=7413188”"},
             Case{"X=6182348 Y=7413188 m", 20, "left over: “m”"},
             Case{"6182348 7413188 5", 16, "left over: “5”"},
             Case{"X=1234567890123 Y=7413188", 2, "X beyond 84°"},
         }) {
        const auto r = ReadRectangular(c.text);
        EXPECT_TRUE(r.Rectangular) << c.text;
        EXPECT_FALSE(r.Ok) << c.text;
        EXPECT_EQ(r.Error.English, c.english) << c.text;
        EXPECT_EQ(r.Error.Position, c.position) << c.text;
        EXPECT_FALSE(r.Error.Russian.empty()) << c.text;
    }
}

} // namespace
