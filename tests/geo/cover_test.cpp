#include "geo/cover.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <tuple>
#include <vector>

namespace {

using kavu::ExactPoint;
using kavu::SheetKey;
using kavu::geo::LatLon;
using kavu::geo::SheetCover;

constexpr std::int64_t kUnit = kavu::kUnitsPerSecond;
constexpr std::int64_t kDeg = 3600 * kUnit;
// Sheet size in arc-seconds at scales 1..7.
constexpr std::array<std::int64_t, 8> kHeight{0, 14400, 7200, 2400, 1200, 600, 300, 150};
constexpr std::array<std::int64_t, 8> kWidth{0, 21600, 10800, 3600, 1800, 900, 450, 225};
constexpr int kScales[] = {1, 2, 3, 4, 5, 6, 7};

using Key = std::tuple<int, char, int, int, int, int, int, int>;
Key Tie(const SheetKey& k) {
    return {k.Scale,    k.Hemisphere, k.Row,       k.Column,
            k.SubSheet, k.Quarter,    k.Quarter25, k.Quarter10};
}
std::set<Key> Keys(const std::vector<SheetKey>& sheets) {
    std::set<Key> out;
    for (const SheetKey& k : sheets)
        out.insert(Tie(k));
    return out;
}

// Exact units (signed, longitude from Greenwich, any number of turns) to degrees.
LatLon Degrees(std::int64_t lat, std::int64_t lon) {
    return {static_cast<double>(lat) / kDeg, static_cast<double>(lon) / kDeg};
}

// The sheet of an exact point, longitude taken into [-180, 180).
std::optional<Key> SheetAt(std::int64_t lat, std::int64_t lon, int scale) {
    lon %= 360 * kDeg;
    if (lon >= 180 * kDeg) lon -= 360 * kDeg;
    if (lon < -180 * kDeg) lon += 360 * kDeg;
    auto sheet = kavu::SheetOfExactPoint(ExactPoint{lat, lon}, scale);
    if (!sheet) return std::nullopt;
    return Tie(sheet->Key);
}

// Corners of 1:1,000,000 sheets, and so of every scale: inland, the equator, 180 degrees, and
// the 84-degree limits of the series.
constexpr std::pair<int, int> kSites[] = {{56, 36}, {0, -6}, {64, 180}, {84, 36}, {-84, 174}};

// A segment between points of a lattice of quarter sheets meets exactly the sheets of the
// points at parameters s / L, L = 2 |di| |dj|: they include every crossing with a sheet edge
// (at multiples of 1/|di| or 1/|dj|) and a point inside every piece between two crossings.
TEST(SheetCover, LineMeetsExactlyTheSheetsOfItsPoints) {
    constexpr int kSteps[] = {-8, -5, -4, -2, -1, 0, 1, 2, 4, 5, 8};
    for (int scale : kScales) {
        const std::int64_t qy = kHeight[scale] * kUnit / 4, qx = kWidth[scale] * kUnit / 4;
        for (auto [siteLat, siteLon] : kSites) {
            for (int i0 = -4; i0 <= 4; ++i0) {
                for (int j0 = -4; j0 <= 4; ++j0) {
                    const std::int64_t x0 = siteLon * kDeg + i0 * qx;
                    const std::int64_t y0 = siteLat * kDeg + j0 * qy;
                    for (int di : kSteps) {
                        for (int dj : kSteps) {
                            const std::int64_t dx = di * qx, dy = dj * qy;
                            if (std::abs(y0 + dy) > 90 * kDeg) continue; // not a position
                            const std::int64_t L =
                                2 * std::max(1, std::abs(di)) * std::max(1, std::abs(dj));
                            std::set<Key> expected;
                            for (std::int64_t s = 0; s <= L; ++s) {
                                ASSERT_EQ(dx * s % L, 0);
                                ASSERT_EQ(dy * s % L, 0);
                                if (auto k = SheetAt(y0 + dy * s / L, x0 + dx * s / L, scale))
                                    expected.insert(*k);
                            }
                            SheetCover cover(scale);
                            const LatLon line[] = {Degrees(y0, x0), Degrees(y0 + dy, x0 + dx)};
                            cover.AddLine(line);
                            ASSERT_EQ(Keys(cover.Sheets()), expected)
                                << "scale " << scale << " site " << siteLat << " " << siteLon
                                << " from " << i0 << "," << j0 << " by " << di << "," << dj;
                        }
                    }
                }
            }
        }
    }
}

// A closed box less an open hole, both on the lattice of quarter sheets: a sheet is met unless
// all its points lie in the hole. A sheet holds latitudes (S, N] and longitudes [W, E).
TEST(SheetCover, AreaWithAHoleMeetsWhatTheEdgeRuleSays) {
    auto floorDiv = [](std::int64_t n, std::int64_t d) { return n / d - (n % d != 0 && n < 0); };
    auto ceilDiv = [](std::int64_t n, std::int64_t d) { return n / d + (n % d != 0 && n > 0); };
    for (int scale : {1, 4, 5, 7}) {
        const std::int64_t H = kHeight[scale] * kUnit, W = kWidth[scale] * kUnit;
        for (auto [siteLat, siteLon] : {std::pair{56, 36}, std::pair{0, 180}}) {
            const std::int64_t y0 = siteLat * kDeg, x0 = siteLon * kDeg;
            std::vector<std::array<int, 4>> spans; // a < b < c < d, quarter sheets from the site
            for (int a = -4; a <= 4; ++a)
                for (int b = a + 1; b <= 4; ++b)
                    for (int c = b + 1; c <= 4; ++c)
                        for (int d = c + 1; d <= 4; ++d)
                            spans.push_back({a, b, c, d});
            for (const auto& ys : spans) {
                for (std::size_t xi = 0; xi < spans.size(); xi += 7) {
                    const auto& xs = spans[xi];
                    auto y = [&](int k) { return y0 + ys[k] * H / 4; };
                    auto x = [&](int k) { return x0 + xs[k] * W / 4; };
                    std::set<Key> expected;
                    for (std::int64_t r = ceilDiv(y(0), H) - 1; r <= ceilDiv(y(3), H) - 1; ++r) {
                        for (std::int64_t c = floorDiv(x(0), W); c <= floorDiv(x(3), W); ++c) {
                            const bool inHole = r * H >= y(1) && (r + 1) * H < y(2) &&
                                                c * W > x(1) && (c + 1) * W <= x(2);
                            if (inHole) continue;
                            if (auto k = SheetAt((r + 1) * H, c * W, scale)) expected.insert(*k);
                        }
                    }
                    auto ring = [&](int lo, int hi, bool reverse) {
                        std::vector<LatLon> out{Degrees(y(lo), x(lo)), Degrees(y(lo), x(hi)),
                                                Degrees(y(hi), x(hi)), Degrees(y(hi), x(lo))};
                        if (reverse) std::reverse(out.begin(), out.end());
                        return out;
                    };
                    const std::vector<std::vector<LatLon>> rings{ring(0, 3, false),
                                                                 ring(1, 2, true)};
                    SheetCover cover(scale);
                    ASSERT_TRUE(cover.AddArea(rings));
                    ASSERT_EQ(Keys(cover.Sheets()), expected)
                        << "scale " << scale << " site " << siteLat << " " << siteLon << " lat "
                        << ys[0] << ys[1] << ys[2] << ys[3] << " lon " << xs[0] << xs[1] << xs[2]
                        << xs[3];
                }
            }
        }
    }
}

TEST(SheetCover, RingRoundAPoleHasNoInside) {
    std::vector<LatLon> polar;
    for (int lon = -180; lon < 180; lon += 30)
        polar.push_back({80, static_cast<double>(lon)});
    SheetCover cover(1);
    EXPECT_FALSE(cover.AddArea(std::vector<std::vector<LatLon>>{polar}));
    EXPECT_TRUE(cover.Sheets().empty());
}

TEST(SheetCover, PointsOffTheGridOrNotNumbersAddNothing) {
    SheetCover cover(5);
    for (LatLon p : {LatLon{84.0001, 10}, LatLon{-84, 10}, LatLon{NAN, 10}, LatLon{10, INFINITY},
                     LatLon{91, 0}})
        cover.AddPoint(p);
    EXPECT_TRUE(cover.Sheets().empty());
    SheetCover none(8);
    none.AddPoint({55, 37});
    EXPECT_TRUE(none.Sheets().empty());
}

} // namespace
