// The land compiled from GSHHS at build time, read back as the map reads it; damaged bytes;
// simplification and clipping.
#include "mapview/LandData.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

using namespace kavu::map;

namespace {

std::string BuiltLand() {
    std::ifstream file(KAVU_LAND_BIN, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool Inside(const std::vector<GeoPoint>& ring, GeoPoint p) {
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const GeoPoint a = ring[i], b = ring[j];
        if ((a.Latitude > p.Latitude) != (b.Latitude > p.Latitude) &&
            p.Longitude < (b.Longitude - a.Longitude) * (p.Latitude - a.Latitude) /
                                  (b.Latitude - a.Latitude) +
                              a.Longitude)
            in = !in;
    }
    return in;
}

int LevelAt(const LandData& land, GeoPoint p, std::size_t lod = 0) {
    int level = 0;
    for (const LandRing& r : land.Rings())
        if (!r.Points[lod].empty() && Inside(r.Points[lod], p)) level = std::max(level, r.Level);
    return level;
}

} // namespace

TEST(LandData, TheBuiltLandHoldsTheContinentsAndTheLakes) {
    const std::string bytes = BuiltLand();
    ASSERT_GT(bytes.size(), 10'000u);
    EXPECT_LT(bytes.size(), 1'000'000u); // compact
    std::string error;
    const auto land = LandData::Decode(bytes, error);
    ASSERT_TRUE(land) << error;
    EXPECT_GT(land->Rings().size(), 700u);
    EXPECT_GT(land->PointCount(), 20'000u);
    // Moscow and Cape Town are on land, mid-Atlantic and the Black Sea are not, Ladoga and
    // Baikal are lakes; at every simplification level but the coarsest.
    for (std::size_t lod = 0; lod + 1 < kLandTolerance.size(); ++lod) {
        EXPECT_EQ(LevelAt(*land, {55.75, 37.62}, lod), 1) << lod;
        EXPECT_EQ(LevelAt(*land, {-33.95, 18.6}, lod), 1) << lod;
        EXPECT_EQ(LevelAt(*land, {30.0, -40.0}, lod), 0) << lod;
        EXPECT_EQ(LevelAt(*land, {43.0, 34.0}, lod), 0) << lod;
        EXPECT_EQ(LevelAt(*land, {60.9, 31.5}, lod), 2) << lod;
        EXPECT_EQ(LevelAt(*land, {53.5, 108.2}, lod), 2) << lod;
    }
    // Coarser levels hold fewer points.
    std::array<std::size_t, kLandTolerance.size()> counts{};
    for (const LandRing& r : land->Rings())
        for (std::size_t l = 0; l < counts.size(); ++l)
            counts[l] += r.Points[l].size();
    for (std::size_t l = 1; l < counts.size(); ++l)
        EXPECT_LT(counts[l], counts[l - 1]);
}

TEST(LandData, DamagedBytesAreRefusedWithAReason) {
    const std::string bytes = BuiltLand();
    std::string error;
    for (std::size_t n = 0; n < 3000; n += 7) {
        error.clear();
        EXPECT_FALSE(LandData::Decode(bytes.substr(0, n), error)) << n;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(LandData::Decode(bytes + "x", error));
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) { // never a crash; off-globe points are refused
        std::string damaged = bytes.substr(0, 4000);
        damaged[8 + random() % 3990] = char(random());
        std::string e;
        (void)LandData::Decode(damaged, e);
    }
    LandWriter w;
    w.AddRing(1, {{0, 0}, {0, 1}, {1, 1}});
    std::string bad = w.Bytes();
    bad[9] = 3; // a level that is neither land nor lake
    EXPECT_FALSE(LandData::Decode(bad, error));
}

TEST(LandData, SimplifiedRingsStayWithinTheirToleranceAndClippingStaysInside) {
    std::vector<GeoPoint> ring;
    for (int i = 0; i < 720; ++i) {
        const double a = i * M_PI / 360, r = 10 + std::sin(a * 7);
        ring.push_back({r * std::sin(a), r * std::cos(a)});
    }
    for (double tolerance : {0.02, 0.1, 0.5}) {
        const auto s = Simplify(ring, tolerance);
        ASSERT_GE(s.size(), 3u);
        EXPECT_LT(s.size(), ring.size());
        // Every dropped point lies near the kept outline.
        for (const GeoPoint& p : ring) {
            double best = 1e9;
            for (std::size_t i = 0; i < s.size(); ++i) {
                const GeoPoint a = s[i], b = s[(i + 1) % s.size()];
                const double dx = b.Longitude - a.Longitude, dy = b.Latitude - a.Latitude;
                double t = ((p.Longitude - a.Longitude) * dx + (p.Latitude - a.Latitude) * dy) /
                           (dx * dx + dy * dy);
                t = std::clamp(t, 0.0, 1.0);
                best = std::min(best, std::hypot(a.Longitude + t * dx - p.Longitude,
                                                 a.Latitude + t * dy - p.Latitude));
            }
            EXPECT_LE(best, tolerance + 1e-12);
        }
    }
    std::vector<ScreenPoint> square{{-50, -50}, {150, -50}, {150, 150}, {-50, 150}};
    const ScreenRect box{0, 0, 100, 80};
    const auto clipped = ClipPolygon(square, box);
    ASSERT_EQ(clipped.size(), 4u);
    for (const ScreenPoint& p : clipped) {
        EXPECT_TRUE(p.X >= 0 && p.X <= 100 && p.Y >= 0 && p.Y <= 80);
    }
}

TEST(LandData, VisibleRingsAreCulledAndClippedToTheView) {
    std::string error;
    const auto land = LandData::Decode(BuiltLand(), error);
    ASSERT_TRUE(land);
    for (const GeoPoint c : {GeoPoint{55.75, 37.62}, GeoPoint{65.0, 179.9}, GeoPoint{0, 0}})
        for (double ppd : {1.0, 10.0, 100.0, 3000.0, 100000.0}) {
            const Viewport view(1000, 800, c, ppd);
            for (const auto& ring : VisibleRings(*land, view, 1))
                for (const ScreenPoint& p : ring)
                    ASSERT_TRUE(p.X >= -2 - 1e-6 && p.X <= 1002 + 1e-6 && p.Y >= -2 - 1e-6 &&
                                p.Y <= 802 + 1e-6);
        }
    // Across 180 degrees Chukotka shows on both sides of the line.
    const Viewport dateline(1000, 800, {66.0, 180.0}, 30);
    double least = 1e9, most = -1e9;
    for (const auto& ring : VisibleRings(*land, dateline, 1))
        for (const ScreenPoint& p : ring) {
            least = std::min(least, p.X);
            most = std::max(most, p.X);
        }
    EXPECT_LT(least, 300);
    EXPECT_GT(most, 700);
}
