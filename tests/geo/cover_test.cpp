#include "geo/cover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

using kavu::geo::LatLon;
using kavu::geo::SheetCover;

constexpr std::int64_t kUnit = kavu::kUnitsPerSecond;
constexpr std::int64_t kDeg = 3600 * kUnit;
// Sheet size in arc-seconds at scales 1..7.
constexpr std::array<std::int64_t, 8> kHeight{0, 14400, 7200, 2400, 1200, 600, 300, 150};
constexpr std::array<std::int64_t, 8> kWidth{0, 21600, 10800, 3600, 1800, 900, 450, 225};

std::set<std::string> Names(const std::vector<kavu::SheetKey>& sheets) {
    std::set<std::string> out;
    for (const kavu::SheetKey& k : sheets)
        out.insert(kavu::FormatSheetNew(k));
    return out;
}

// Exact units (signed, longitude from Greenwich, any number of turns) to degrees.
LatLon Degrees(std::int64_t lat, std::int64_t lon) {
    return {static_cast<double>(lat) / kDeg, static_cast<double>(lon) / kDeg};
}

// Adds the name of the sheet of an exact point, longitude taken into [-180, 180), if any.
void AddSheetAt(std::set<std::string>& names, std::int64_t lat, std::int64_t lon, int scale) {
    lon = (lon % (360 * kDeg) + 540 * kDeg) % (360 * kDeg) - 180 * kDeg;
    if (auto sheet = kavu::SheetOfExactPoint(kavu::ExactPoint{lat, lon}, scale))
        names.insert(kavu::FormatSheetNew(sheet->Key));
}

// A segment between points of a lattice of quarter sheets meets exactly the sheets of the
// points at parameters s / L, L = 2 |di| |dj|: they include every crossing with a sheet edge
// (at multiples of 1/|di| or 1/|dj|) and a point inside every piece between two crossings.
// Sites are corners of 1:1,000,000 sheets, and so of every scale: inland, the equator, 180
// degrees, and the 84-degree limits of the series.
TEST(SheetCover, LineMeetsExactlyTheSheetsOfItsPoints) {
    constexpr int kSteps[] = {-8, -5, -4, -2, -1, 0, 1, 2, 4, 5, 8};
    for (int scale = 1; scale <= 7; ++scale) {
        const std::int64_t qy = kHeight[scale] * kUnit / 4, qx = kWidth[scale] * kUnit / 4;
        for (auto [siteLat, siteLon] :
             {std::pair{56, 36}, {0, -6}, {64, 180}, {84, 36}, {-84, 174}})
            for (int start = 0; start < 81; ++start)
                for (int di : kSteps)
                    for (int dj : kSteps) {
                        const std::int64_t x0 = siteLon * kDeg + (start / 9 - 4) * qx;
                        const std::int64_t y0 = siteLat * kDeg + (start % 9 - 4) * qy;
                        const std::int64_t dx = di * qx, dy = dj * qy;
                        if (std::abs(y0 + dy) > 90 * kDeg) continue; // not a position
                        const std::int64_t L =
                            2 * std::max(1, std::abs(di)) * std::max(1, std::abs(dj));
                        std::set<std::string> expected;
                        for (std::int64_t s = 0; s <= L; ++s) {
                            ASSERT_TRUE(dx * s % L == 0 && dy * s % L == 0);
                            AddSheetAt(expected, y0 + dy * s / L, x0 + dx * s / L, scale);
                        }
                        SheetCover cover(scale);
                        const LatLon line[] = {Degrees(y0, x0), Degrees(y0 + dy, x0 + dx)};
                        cover.AddLine(line);
                        ASSERT_EQ(Names(cover.Sheets()), expected)
                            << "site " << siteLat << " " << siteLon << " from " << start << " by "
                            << di << "," << dj;
                    }
    }
}

// A closed box less an open hole, both on the lattice of quarter sheets: a sheet is met unless
// all its points lie in the hole. A sheet holds latitudes (S, N] and longitudes [W, E).
TEST(SheetCover, AreaWithAHoleMeetsWhatTheEdgeRuleSays) {
    auto floorDiv = [](std::int64_t n, std::int64_t d) { return n / d - (n % d != 0 && n < 0); };
    auto ceilDiv = [](std::int64_t n, std::int64_t d) { return n / d + (n % d != 0 && n > 0); };
    std::vector<std::array<int, 4>> spans; // a < b < c < d, quarter sheets from the site
    for (int a = -4; a <= 4; ++a)
        for (int b = a + 1; b <= 4; ++b)
            for (int c = b + 1; c <= 4; ++c)
                for (int d = c + 1; d <= 4; ++d)
                    spans.push_back({a, b, c, d});
    for (int scale : {1, 4, 5, 7}) {
        const std::int64_t H = kHeight[scale] * kUnit, W = kWidth[scale] * kUnit;
        for (auto [siteLat, siteLon] : {std::pair{56, 36}, std::pair{0, 180}})
            for (const auto& ys : spans)
                for (std::size_t xi = 0; xi < spans.size(); xi += 7) {
                    auto y = [&](int k) { return siteLat * kDeg + ys[k] * H / 4; };
                    auto x = [&](int k) { return siteLon * kDeg + spans[xi][k] * W / 4; };
                    std::set<std::string> expected;
                    for (std::int64_t r = ceilDiv(y(0), H) - 1; r <= ceilDiv(y(3), H) - 1; ++r)
                        for (std::int64_t c = floorDiv(x(0), W); c <= floorDiv(x(3), W); ++c)
                            if (!(r * H >= y(1) && (r + 1) * H < y(2) && c * W > x(1) &&
                                  (c + 1) * W <= x(2))) // not in the hole
                                AddSheetAt(expected, (r + 1) * H, c * W, scale);
                    auto ring = [&](int lo, int hi, bool reverse) {
                        std::vector<LatLon> out{Degrees(y(lo), x(lo)), Degrees(y(lo), x(hi)),
                                                Degrees(y(hi), x(hi)), Degrees(y(hi), x(lo))};
                        if (reverse) std::reverse(out.begin(), out.end());
                        return out;
                    };
                    SheetCover cover(scale);
                    ASSERT_TRUE(cover.AddArea(std::vector{ring(0, 3, false), ring(1, 2, true)}));
                    ASSERT_EQ(Names(cover.Sheets()), expected)
                        << "scale " << scale << " site " << siteLat << " " << siteLon << " box "
                        << ys[0] << ys[1] << ys[2] << ys[3] << " lon " << xi;
                }
    }
}

TEST(SheetCover, NothingOffTheGridOrRoundAPole) {
    std::vector<LatLon> polar;
    for (int lon = -180; lon < 180; lon += 30)
        polar.push_back({80, static_cast<double>(lon)});
    SheetCover cover(5), world(1), none(8);
    EXPECT_FALSE(world.AddArea(std::vector<std::vector<LatLon>>{polar}));
    for (LatLon p : {LatLon{84.0001, 10}, LatLon{-84, 10}, LatLon{NAN, 10}, LatLon{10, INFINITY},
                     LatLon{91, 0}})
        cover.AddPoint(p);
    none.AddPoint({55, 37});
    EXPECT_TRUE(cover.Sheets().empty() && world.Sheets().empty() && none.Sheets().empty());
}

} // namespace
