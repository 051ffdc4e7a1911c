// Frames and the sheet of a point, whole-second and exact.
#include "sheets.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <tuple>
#include <vector>

using namespace kavu;
using kavu::test::Key;

namespace {

// The whole-second routine on a signed point; +180 degrees is written as 180 W.
std::optional<PointSheet> Whole(std::int32_t lat, std::int32_t lon, int scale) {
    return SheetOfPoint(lat > 0 ? "N" : "S", std::abs(lat),
                        lon < 0 || lon == kMaxLongitude ? "W" : "E", std::abs(lon), scale);
}

} // namespace

// Centre, north-west and south-east corner (the sweeps place the corners; a centre need only lie
// inside them): s I-34-61-Г; K-18-117-В in the west; and 55°42′30″–55°40′ N, 37°41′15″–37°45′ E,
// whose centre's half second is dropped to the west on both sides of 0 degrees.
TEST(SheetFrameAndPoint, WorkedExamples) {
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'S', 9, 34, 61, 4)),
              (SheetFrame{122100, 66150, 121800, 65700, 122400, 66600, 'E'}));
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'N', 11, 18, 117, 3)),
              (SheetFrame{146700, 265950, 147000, 266400, 146400, 265500, 'W'}));
    EXPECT_EQ(ComputeSheetFrame(Key(7, 'N', 14, 37, 4, 3, 4, 4)),
              (SheetFrame{200475, 135787, 200550, 135675, 200400, 135900, 'E'}));
    EXPECT_EQ(ComputeSheetFrame(Key(7, 'N', 14, 30, 12, 2, 2, 2))->X0, 113);
    EXPECT_EQ(ComputeSignedFrame(Key(7, 'S', 1, 30, 12, 2, 2, 2)), (SignedFrame{0, -150, -225, 0}));
    // The grid sweep finds the sheet of every centre and corner; here a point on a meridian
    // only, the grid's corners, and points off the grid.
    const auto r = SheetOfPoint("N", 40 * 3600 + 42 * 60, "W", 74 * 3600, 3);
    EXPECT_EQ(r->Key, Key(3, 'N', 11, 18, 29));
    EXPECT_FALSE(r->LatitudeJunction);
    EXPECT_TRUE(r->LongitudeJunction);
    EXPECT_EQ(SheetOfPoint("S", 302399, "E", 647999, 7)->Key, Key(7, 'S', 21, 60, 144, 4, 4, 4));
    EXPECT_EQ(SheetOfPoint("N", 302400, "W", 648000, 7)->Key, Key(7, 'N', 21, 1, 1, 1, 1, 1));
    // Negative angles and 180 E, which the exact sweep never asks for, and the largest angles.
    EXPECT_FALSE(SheetOfPoint("N", -1, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", -1, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 648000, 1));
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
                const auto a = SheetOfExactPoint(
                    {lat * kUnitsPerSecond + north, lon * kUnitsPerSecond + west}, scale);
                const auto b = Whole(lat + (side == 1), lon - (side == 2), scale);
                ASSERT_EQ(a.has_value(), b.has_value()) << lat << ' ' << lon << ' ' << side;
                if (!a) continue;
                ASSERT_EQ(a->Key, b->Key) << lat << ' ' << lon << ' ' << scale << ' ' << side;
                ASSERT_EQ(std::tuple(a->LatitudeJunction, a->LongitudeJunction),
                          std::tuple(side != 1 && b->LatitudeJunction,
                                     side != 2 && b->LongitudeJunction));
            }
        }
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    for (ExactPoint off : {ExactPoint{kMin, kMin}, ExactPoint{kMax, kMax}, ExactPoint{0, kMin}})
        EXPECT_FALSE(SheetOfExactPoint(off, 5));
}
