#include "engine/sheet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

using namespace kavu;

namespace {

constexpr std::int64_t kUnit = kUnitsPerSecond;

ExactPoint AtSeconds(std::int64_t lat, std::int64_t lon, std::int64_t latUnits = 0,
                     std::int64_t lonUnits = 0) {
    return {lat * kUnit + latUnits, lon * kUnit + lonUnits};
}

// The whole-second routine on a signed point; +180 degrees is written as 180 W.
std::optional<PointSheet> WholeSecond(std::int32_t lat, std::int32_t lon, int scale) {
    return SheetOfPoint(lat > 0 ? "N" : "S", std::abs(lat),
                        lon < 0 || lon == kMaxLongitude ? "W" : "E", std::abs(lon), scale);
}

void ExpectSame(const std::optional<PointSheet>& a, const std::optional<PointSheet>& b) {
    ASSERT_EQ(a.has_value(), b.has_value());
    if (!a) return;
    ASSERT_EQ(a->Key, b->Key) << FormatSheetNew(a->Key) << " / " << FormatSheetNew(b->Key);
    ASSERT_EQ(a->LatitudeJunction, b->LatitudeJunction);
    ASSERT_EQ(a->LongitudeJunction, b->LongitudeJunction);
}

// Every 1:10,000 edge, which is an edge at every scale, and the seconds on either side of it.
std::vector<std::int32_t> EdgesAndNeighbours(std::int32_t limit, std::int32_t step) {
    std::vector<std::int32_t> v;
    for (std::int32_t e = -limit; e <= limit; e += step)
        for (std::int32_t d : {-1, 0, 1})
            if (e + d >= -limit && e + d <= limit) v.push_back(e + d);
    return v;
}

} // namespace

// Every 1:10,000 parallel and meridian and the seconds beside them, paired so that each value
// meets many of the other, at every scale and on and off the grid.
TEST(SheetOfExactPoint, AgreesWithTheWholeSecondRoutine) {
    const auto lats = EdgesAndNeighbours(kMaxLatitude + 150, SheetHeight(7));
    const auto lons = EdgesAndNeighbours(kMaxLongitude + 225, SheetWidth(7));
    const std::size_t n = std::max(lats.size(), lons.size()) * 3;
    for (int scale = 0; scale <= kSheetScaleCount + 1; ++scale)
        for (std::size_t i = 0; i < n; ++i) {
            const std::int32_t lat = lats[i % lats.size()];
            const std::int32_t lon = lons[(i * 7919) % lons.size()];
            ExpectSame(SheetOfExactPoint(AtSeconds(lat, lon), scale), WholeSecond(lat, lon, scale));
        }
}

// A point a fraction of a second beside an edge lies in the sheet on that side, and is on no
// junction; tested against the whole second further out.
TEST(SheetOfExactPoint, FractionsBesideEveryEdge) {
    for (int scale = 1; scale <= kSheetScaleCount; ++scale) {
        const std::int32_t h = SheetHeight(scale), w = SheetWidth(scale);
        for (std::int32_t e = -kMaxLatitude + h; e < kMaxLatitude; e += h) {
            const std::int32_t lon = (e / h) % 2 == 0 ? 1 : -1;
            const auto north = SheetOfExactPoint(AtSeconds(e, lon, 400'000'000), scale);
            const auto south = SheetOfExactPoint(AtSeconds(e, lon, -1), scale);
            ASSERT_TRUE(north && south) << e;
            ASSERT_EQ(north->Key, WholeSecond(e + 1, lon, scale)->Key) << e;
            ASSERT_EQ(south->Key, WholeSecond(e, lon, scale)->Key) << e;
            ASSERT_FALSE(north->LatitudeJunction || south->LatitudeJunction);
        }
        for (std::int32_t e = -kMaxLongitude + w; e < kMaxLongitude; e += w) {
            const auto west = SheetOfExactPoint(AtSeconds(1, e, 0, -400'000'000), scale);
            const auto east = SheetOfExactPoint(AtSeconds(1, e, 0, 1), scale);
            ASSERT_TRUE(west && east) << e;
            ASSERT_EQ(west->Key, WholeSecond(1, e - 1, scale)->Key) << e;
            ASSERT_EQ(east->Key, WholeSecond(1, e, scale)->Key) << e;
            ASSERT_FALSE(west->LongitudeJunction || east->LongitudeJunction);
        }
    }
}

TEST(SheetOfExactPoint, GridLimits) {
    const std::int64_t top = std::int64_t{kMaxLatitude} * kUnit;
    const std::int64_t side = std::int64_t{kMaxLongitude} * kUnit;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(SheetOfExactPoint({top, side}, 7)->Key, SheetOfExactPoint({top, -side}, 7)->Key);
    EXPECT_EQ(SheetOfExactPoint({-top + 1, side - 1}, 1)->Key, (SheetKey{1, 'S', 21, 60}));
    EXPECT_EQ(SheetOfExactPoint({0, 0}, 1)->Key, (SheetKey{1, 'S', 1, 31}));
    for (ExactPoint off :
         {ExactPoint{top + 1, 0}, ExactPoint{-top, 0}, ExactPoint{0, side + 1},
          ExactPoint{0, -side - 1}, ExactPoint{kMin, kMin}, ExactPoint{kMax, kMax}})
        EXPECT_FALSE(SheetOfExactPoint(off, 5)) << off.Latitude << ' ' << off.Longitude;
}
