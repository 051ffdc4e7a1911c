// Frames and the sheet of a point, whole-second and exact.
#include "sheets.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

using namespace kavu;
using kavu::test::Key;

namespace {

SheetFrame Frame(int y1, int x1, int y2, int x2, int y0, int x0, char ew) {
    SheetFrame f;
    f.Y1 = y1, f.X1 = x1, f.Y2 = y2, f.X2 = x2, f.Y0 = y0, f.X0 = x0, f.EW = ew;
    return f;
}

constexpr std::int64_t kUnit = kUnitsPerSecond;

// The whole-second routine on a signed point; +180 degrees is written as 180 W.
std::optional<PointSheet> Whole(std::int32_t lat, std::int32_t lon, int scale) {
    return SheetOfPoint(lat > 0 ? "N" : "S", std::abs(lat),
                        lon < 0 || lon == kMaxLongitude ? "W" : "E", std::abs(lon), scale);
}

std::optional<PointSheet> Exact(std::int64_t lat, std::int64_t lon, int scale,
                                std::int64_t latUnits = 0, std::int64_t lonUnits = 0) {
    return SheetOfExactPoint({lat * kUnit + latUnits, lon * kUnit + lonUnits}, scale);
}

} // namespace

TEST(SheetFrame, WorkedExamples) {
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 14, 37)),
              Frame(201600, 129600, 187200, 151200, 194400, 140400, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'S', 9, 34, 61, 4)),
              Frame(121800, 65700, 122400, 66600, 122100, 66150, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'N', 11, 18, 117, 3)),
              Frame(147000, 266400, 146400, 265500, 146700, 265950, 'W'));
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 21, 1)),
              Frame(302400, 648000, 288000, 626400, 295200, 637200, 'W'));
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'S', 1, 31)), Frame(0, 0, 14400, 21600, 7200, 10800, 'E'));
    // 55°50′–55°45′ N, 37°30′–37°37′30″ E; 55°42′30″–55°40′ N, 37°41′15″–37°45′ E.
    EXPECT_EQ(ComputeSheetFrame(Key(6, 'N', 14, 37, 4, 3, 1)),
              Frame(201000, 135000, 200700, 135450, 200850, 135225, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(7, 'N', 14, 37, 4, 3, 4, 4)),
              Frame(200550, 135675, 200400, 135900, 200475, 135787, 'E'));
    // The centre's half second at 1:10,000 is dropped to the west on both sides of 0 degrees.
    EXPECT_EQ(ComputeSheetFrame(Key(7, 'N', 14, 30, 12, 2, 2, 2))->X0, 113);
    EXPECT_EQ(ComputeSignedFrame(Key(7, 'S', 1, 30, 12, 2, 2, 2)), (SignedFrame{0, -150, -225, 0}));
}

TEST(SheetOfPoint, WorkedExamplesEdgesAndTheGridsEnd) {
    const int lat = 55 * 3600 + 45 * 60, lon = 37 * 3600 + 37 * 60;
    EXPECT_EQ(SheetOfPoint("N", lat, "E", lon, 5)->Key, Key(5, 'N', 14, 37, 4, 3));
    EXPECT_EQ(SheetOfPoint("N", lat, "E", lon, 7)->Key, Key(7, 'N', 14, 37, 4, 3, 3, 2));
    EXPECT_EQ(SheetOfPoint("S", 33 * 3600 + 55 * 60, "E", 18 * 3600 + 25 * 60, 3)->Key,
              Key(3, 'S', 9, 34, 13));
    auto r = SheetOfPoint("N", 40 * 3600 + 42 * 60, "W", 74 * 3600, 3);
    EXPECT_EQ(r->Key, Key(3, 'N', 11, 18, 29));
    EXPECT_FALSE(r->LatitudeJunction);
    EXPECT_TRUE(r->LongitudeJunction);
    // The equator is the southern row's, whatever the letter; 0 degrees the eastern column's.
    for (const char* ns : {"N", "S"})
        for (const char* ew : {"W", "E"}) {
            r = SheetOfPoint(ns, 0, ew, 0, 1);
            EXPECT_EQ(r->Key, Key(1, 'S', 1, 31));
            EXPECT_TRUE(r->LatitudeJunction && r->LongitudeJunction);
        }
    EXPECT_EQ(SheetOfPoint("S", 302399, "E", 647999, 7)->Key, Key(7, 'S', 21, 60, 144, 4, 4, 4));
    EXPECT_EQ(SheetOfPoint("N", 302400, "W", 648000, 7)->Key, Key(7, 'N', 21, 1, 1, 1, 1, 1));
    EXPECT_FALSE(SheetOfPoint("N", -1, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", -1, 1));
    EXPECT_FALSE(SheetOfPoint("N", 302401, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("S", 302400, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "W", 648001, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 648000, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 0, 0));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 0, 8));
    EXPECT_FALSE(SheetOfPoint("N", 2147483647, "W", 2147483647, 5));
}

// Every 1:10,000 parallel and meridian and the seconds beside them, paired so that each value
// meets many of the other, at every scale and on and off the grid. A fraction of a second beside
// a whole second is on that second's side and on no junction: 0.4" north of a parallel is in the
// sheet north of it, 0.4" west of a meridian in the sheet west of it.
TEST(SheetOfExactPoint, AgreesWithTheWholeSecondRoutineAndFractionsFallOnTheirSide) {
    auto edges = [](std::int32_t limit, std::int32_t step) {
        std::vector<std::int32_t> v;
        for (std::int32_t e = -limit; e <= limit; e += step)
            for (std::int32_t d : {-1, 0, 1})
                v.push_back(e + d);
        return v;
    };
    const auto lats = edges(kMaxLatitude + 150, SheetHeight(7));
    const auto lons = edges(kMaxLongitude + 225, SheetWidth(7));
    for (int scale = 0; scale <= kSheetScaleCount + 1; ++scale)
        for (std::size_t i = 0; i < lons.size() * 3; ++i) {
            const std::int32_t lat = lats[i % lats.size()], lon = lons[i * 7919 % lons.size()];
            for (int side = 0; side < 3; ++side) {                   // on, 0.4" north, 0.4" west
                if (side == 2 && lon - 1 == kMaxLongitude) continue; // 180 E is written 180 W
                const std::int64_t north = side == 1 ? 400'000'000 : 0;
                const std::int64_t west = side == 2 ? -400'000'000 : 0;
                const auto a = Exact(lat, lon, scale, north, west);
                const auto b = Whole(lat + (side == 1), lon - (side == 2), scale);
                ASSERT_EQ(a.has_value(), b.has_value()) << lat << ' ' << lon << ' ' << side;
                if (!a) continue;
                ASSERT_EQ(a->Key, b->Key) << lat << ' ' << lon << ' ' << scale << ' ' << side;
                ASSERT_EQ(a->LatitudeJunction, side != 1 && b->LatitudeJunction);
                ASSERT_EQ(a->LongitudeJunction, side != 2 && b->LongitudeJunction);
            }
        }
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    for (ExactPoint off : {ExactPoint{kMin, kMin}, ExactPoint{kMax, kMax}, ExactPoint{0, kMin}})
        EXPECT_FALSE(SheetOfExactPoint(off, 5));
}
