#include "geo/gauss_kruger.h"
#include "geo_fixture.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

using kavu::SheetKey;
using namespace kavu::geo;

// cs2cs -f %.4f, PROJ 9.1.1: EPSG:4284 to EPSG:284xx for zones 4..32; for the others
// "+proj=longlat +ellps=krass +to +proj=tmerc +lat_0=0 +lon_0=L +k=1 +x_0=N500000 +y_0=0
// +ellps=krass +units=m". Zone, latitude, longitude, X, Y; pairs either side of 0, 24, 42 and
// 180 degrees, and the south.
constexpr double kCs2cs[][5] = {
    {1, 51.5, 2.9, 5707817.2622, 1493055.8336},
    {1, -33, 0.5, -3655590.4231, 1266332.6483},
    {1, 50, 0.001, 5545256.7040, 1284997.8341},
    {60, 50, -0.001, 5545256.7040, 60715002.1659},
    {60, 64, -3, 7099977.8533, 60500000.0000},
    {60, -40, -5, -4431523.9209, 60329203.3301},
    {4, 60, 21.0001, 6654189.0922, 4500005.5801},
    {4, -25, 23.9999, -2769457.0774, 4802934.8632},
    {5, -25, 24.0001, -2769457.0774, 5197065.1368},
    {7, 55.7558, 37.6173, 6182348.1663, 7413187.9720},
    {7, -10, 39.5, -1105916.1474, 7554821.2678},
    {7, 55, 41.999, 6101452.5658, 7691891.6362},
    {8, 55, 42.001, 6101452.5658, 8308108.3638},
    {30, 65, 179.999, 7214820.6167, 30641440.2287},
    {31, 65, -179.999, 7214820.6167, 31358559.7713},
    {31, 66, -179.99, 7326202.7974, 31364278.8495},
    {31, -45, -175, -4986978.8726, 31657696.3505},
    {32, 64.5, -171, 7155719.3837, 32500000.0000},
    {32, -20, -169.5, -2213108.6733, 32656987.1103},
    {7, 83.9, 36.2, 9321626.2532, 7466780.2857},
};

TEST(GaussKruger, AgreesWithCs2csAndReturns) {
    for (const auto& r : kCs2cs) {
        const int zone = static_cast<int>(r[0]);
        EXPECT_EQ(ZoneOfLongitude(r[2]), zone) << r[1] << " " << r[2];
        GridPoint p;
        ASSERT_TRUE(Gk().Forward(zone, r[1], r[2], p));
        EXPECT_NEAR(p.X, r[3], 1e-4) << r[1] << " " << r[2];
        EXPECT_NEAR(p.Y, r[4], 1e-4) << r[1] << " " << r[2];
        double lat = 0, lon = 0;
        ASSERT_TRUE(Gk().Inverse(zone, p, lat, lon));
        EXPECT_NEAR(lat, r[1], 1e-10);
        EXPECT_NEAR(std::remainder(lon - r[2], 360), 0, 1e-10);
        // Y names its zone: read in another, it is refused.
        EXPECT_FALSE(Gk().Inverse(zone % 60 + 1, p, lat, lon));
    }
    GridPoint p;
    EXPECT_FALSE(Gk().Forward(0, 55, 37, p));
    EXPECT_FALSE(Gk().Forward(61, 55, 37, p));
    EXPECT_FALSE(Gk().Forward(7, 90.5, 37, p));
    EXPECT_FALSE(Gk().Forward(7, NAN, 37, p));
}

// Every zone: its number from its sheets' column and its longitudes, and its CRS as PROJ reads
// it (EPSG's where there is one) against our conversion at random points of the zone.
TEST(GaussKruger, ZonesAndTheirCrs) {
    PJ_CONTEXT* ctx = proj_context_create();
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> latitude(-80, 84), offset(0, 6);
    for (int zone = 1; zone <= 60; ++zone) {
        const double west = std::remainder(6.0 * (zone - 1), 360.0);
        EXPECT_EQ(ZoneOfLongitude(west), zone);
        EXPECT_EQ(ZoneOfLongitude(west + 5.9999999), zone);
        SheetKey key;
        key.Column = zone > 30 ? zone - 30 : zone + 30;
        EXPECT_EQ(ZoneOfSheet(key), zone);
        EXPECT_EQ(CentralMeridian(zone), std::remainder(west + 3, 360.0));
        const std::string crs = ZoneCrs(zone);
        EXPECT_EQ(crs.rfind("EPSG:", 0) == 0, zone >= 4 && zone <= 32) << crs;
        PJ* raw = proj_create_crs_to_crs(ctx, "EPSG:4284", crs.c_str(), nullptr);
        PJ* op = proj_normalize_for_visualization(ctx, raw);
        ASSERT_NE(op, nullptr) << crs;
        for (int i = 0; i < 50; ++i) {
            const double lat = latitude(random), lon = std::remainder(west + offset(random), 360);
            const PJ_COORD c = proj_trans(op, PJ_FWD, proj_coord(lon, lat, 0, 0));
            GridPoint p;
            ASSERT_TRUE(Gk().Forward(zone, lat, lon, p));
            ASSERT_NEAR(p.X, c.xy.y, 1e-3) << zone << " " << lat << " " << lon;
            ASSERT_NEAR(p.Y, c.xy.x, 1e-3) << zone << " " << lat << " " << lon;
        }
        proj_destroy(op);
        proj_destroy(raw);
    }
    proj_context_destroy(ctx);
    EXPECT_EQ(ZoneCrs(0), "");
    EXPECT_EQ(ZoneCrs(61), "");
}

bool OnFrame(const kavu::SignedFrame& f, double lat, double lon) {
    const double n = f.North / 3600.0, s = f.South / 3600.0, w = f.West / 3600.0,
                 e = f.East / 3600.0;
    lon = w + std::remainder(lon - w, 360.0);
    const double eps = 1e-9;
    const bool inside = lat > s - eps && lat < n + eps && lon > w - eps && lon < e + eps;
    return inside && (std::fabs(lat - n) < eps || std::fabs(lat - s) < eps ||
                      std::fabs(lon - w) < eps || std::fabs(lon - e) < eps);
}

// The grid of sheets at every printed scale, from the equator to 84 degrees, both hemispheres
// and the columns either side of 180: each piece has its value at both ends, its ends on the
// frame and its middle inside; every grid value met at random points inside the frame has a
// line; the labels are the kilometres and their last two digits.
TEST(GaussKruger, GridOfSheetsAtEveryScale) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int scale = 4; scale <= 7; ++scale) {
        const double step = PrintedGridStep(scale);
        EXPECT_EQ(step, scale == 4 ? 2000 : 1000);
        for (const char hemisphere : {'N', 'S'})
            for (const int row : {1, 9, 14, 18, 21})
                for (const int column : {1, 30, 31, 37, 60}) {
                    SheetKey key{scale,
                                 hemisphere,
                                 row,
                                 column,
                                 1 + (row * 7 + column) % 144,
                                 scale >= 5 ? 2 : 0,
                                 scale >= 6 ? 3 : 0,
                                 scale >= 7 ? 4 : 0};
                    const auto frame = kavu::ComputeSignedFrame(key);
                    ASSERT_TRUE(frame);
                    const auto lines = Gk().Grid(key, 0, step);
                    ASSERT_FALSE(lines.empty());
                    const int zone = ZoneOfSheet(key);
                    for (const GridLine& line : lines) {
                        const double at[2] = {line.Northing ? line.From.X : line.From.Y,
                                              line.Northing ? line.To.X : line.To.Y};
                        EXPECT_EQ(at[0], line.Value);
                        EXPECT_EQ(at[1], line.Value);
                        EXPECT_TRUE(OnFrame(*frame, line.FromLatitude, line.FromLongitude));
                        EXPECT_TRUE(OnFrame(*frame, line.ToLatitude, line.ToLongitude));
                        GridPoint from,
                            mid{(line.From.X + line.To.X) / 2, (line.From.Y + line.To.Y) / 2};
                        ASSERT_TRUE(
                            Gk().Forward(zone, line.FromLatitude, line.FromLongitude, from));
                        EXPECT_NEAR(from.X, line.From.X, 1e-3);
                        EXPECT_NEAR(from.Y, line.From.Y, 1e-3);
                        double lat = 0, lon = 0;
                        ASSERT_TRUE(Gk().Inverse(zone, mid, lat, lon));
                        EXPECT_GT(lat, frame->South / 3600.0 - 1e-9);
                        EXPECT_LT(lat, frame->North / 3600.0 + 1e-9);
                        const long long km = std::llround(std::fabs(line.Value) / 1000);
                        EXPECT_EQ(line.Full, std::to_string(line.Value < 0 ? -km : km));
                        EXPECT_EQ(line.Label, std::to_string(km % 100 + 100).substr(1));
                    }
                    for (int i = 0; i < 20; ++i) {
                        const double lat =
                            (frame->South + unit(random) * (frame->North - frame->South)) / 3600.0;
                        const double lon =
                            (frame->West + unit(random) * (frame->East - frame->West)) / 3600.0;
                        GridPoint p;
                        ASSERT_TRUE(Gk().Forward(zone, lat, lon, p));
                        for (const bool northing : {true, false}) {
                            const double value = std::floor((northing ? p.X : p.Y) / step) * step;
                            bool found = false;
                            for (const GridLine& line : lines)
                                found = found || (line.Northing == northing && line.Value == value);
                            // A value below the frame's lowest line has none.
                            double lowest = HUGE_VAL;
                            for (const GridLine& line : lines)
                                if (line.Northing == northing)
                                    lowest = std::min(lowest, line.Value);
                            EXPECT_TRUE(found || value < lowest) << key.Row << " " << key.Column;
                        }
                    }
                }
    }
    EXPECT_TRUE(Gk().Grid(SheetKey{5, 'N', 14, 61, 1, 1}, 0, 1000).empty());
    EXPECT_TRUE(Gk().Grid(SheetKey{5, 'N', 14, 37, 1, 1}, 0, 0).empty());
    EXPECT_TRUE(Gk().Grid(SheetKey{5, 'N', 14, 37, 1, 1}, 0, NAN).empty());
}

// A sheet on the edge of zone 7 takes zone 8's grid on request, in zone 8's numbers.
TEST(GaussKruger, NeighbouringZoneGrid) {
    const SheetKey key{5, 'N', 14, 37, 12, 4}; // east edge of the column: 42 degrees E
    const auto lines = Gk().Grid(key, 8, 1000);
    ASSERT_FALSE(lines.empty());
    for (const GridLine& line : lines)
        if (!line.Northing) {
            EXPECT_EQ(static_cast<int>(line.Value / 1e6), 8);
        }
}

// The control points of a scan: one affine map, fitted to the corners, carries every pixel to
// its rectangular coordinates within a millimetre, grid crossings included.
TEST(GaussKruger, ControlPointsFitOneAffineMap) {
    for (const SheetKey& key : {SheetKey{5, 'N', 14, 37, 4, 1}, SheetKey{4, 'N', 18, 37, 144},
                                SheetKey{5, 'S', 9, 34, 13, 4}}) {
        const auto points = Gk().ControlPoints(key, 6000, 4500, PrintedGridStep(key.Scale));
        ASSERT_GT(points.size(), 8u);
        EXPECT_EQ(points[0].What, "NW");
        // Affine from NW, NE, SW; checked everywhere else.
        const ScanControlPoint &o = points[0], &a = points[1], &b = points[3];
        const double det =
            (a.Pixel - o.Pixel) * (b.Line - o.Line) - (b.Pixel - o.Pixel) * (a.Line - o.Line);
        for (const ScanControlPoint& p : points) {
            const double s = ((p.Pixel - o.Pixel) * (b.Line - o.Line) -
                              (b.Pixel - o.Pixel) * (p.Line - o.Line)) /
                             det;
            const double t = ((a.Pixel - o.Pixel) * (p.Line - o.Line) -
                              (p.Pixel - o.Pixel) * (a.Line - o.Line)) /
                             det;
            EXPECT_NEAR(o.At.X + s * (a.At.X - o.At.X) + t * (b.At.X - o.At.X), p.At.X, 1e-3)
                << p.What;
            EXPECT_NEAR(o.At.Y + s * (a.At.Y - o.At.Y) + t * (b.At.Y - o.At.Y), p.At.Y, 1e-3)
                << p.What;
            EXPECT_GE(p.Pixel, -1e-6);
            EXPECT_LE(p.Pixel, 6000 + 1e-6);
            EXPECT_GE(p.Line, -1e-6);
            EXPECT_LE(p.Line, 4500 + 1e-6);
        }
    }
    EXPECT_TRUE(Gk().ControlPoints(SheetKey{5, 'N', 14, 37, 4, 0}, 6000, 4500, 1000).empty());
}

// Corners and centres, which Forward projects once for all zones, print to the millimetre
// as PROJ prints them in each zone's own projection: every corner and centre of every
// 1:50,000 sheet (and so of every smaller scale), and of the 1:10,000 sheets in a band of
// zones either side of Greenwich and 180 degrees.
TEST(GaussKruger, SheetCornersInEveryZoneAsProjPrintsThem) {
    PJ_CONTEXT* ctx = proj_context_create();
    std::size_t points = 0;
    // `lat` and `lon` in arc-seconds as a sheet's frame has them; centres halfway, as the
    // writers take them.
    const auto sweep = [&](int zone, int latStep, int lonStep, int south, int north) {
        PJ* pj = proj_create(ctx, detail::ZoneProjection(zone).c_str());
        ASSERT_NE(pj, nullptr);
        const int axis = static_cast<int>(CentralMeridian(zone) * 3600);
        const auto check = [&](double lat, double lon) {
            GridPoint p;
            ASSERT_TRUE(Gk().Forward(zone, lat, lon, p)) << zone << " " << lat << " " << lon;
            const PJ_COORD c =
                proj_trans(pj, PJ_FWD, proj_coord(proj_torad(lon), proj_torad(lat), 0, 0));
            // Whole millimetres, as the tool prints them.
            if (std::llround(p.X * 1000) != std::llround(c.xy.y * 1000) ||
                std::llround(p.Y * 1000) != std::llround(c.xy.x * 1000))
                ADD_FAILURE() << "zone " << zone << " at " << lat << " " << lon;
            ++points;
        };
        for (int s = south; s < north; s += latStep)
            for (int w = axis - 10800; w < axis + 10800; w += lonStep) {
                const double n = (s + latStep) / 3600.0, so = s / 3600.0, we = w / 3600.0,
                             e = (w + lonStep) / 3600.0;
                check(so, we);
                if (w + lonStep == axis + 10800) check(so, e);
                if (s + latStep == north) check(n, we);
                check((n + so) / 2, (we + e) / 2);
            }
        proj_destroy(pj);
    };
    for (int zone = 1; zone <= 60; ++zone)
        sweep(zone, 600, 900, -84 * 3600, 84 * 3600);
    for (const int zone : {1, 30, 31, 60})
        sweep(zone, 150, 225, 50 * 3600, 52 * 3600);
    // Half a second west of an axis on the equator, where the table's key is smallest.
    PJ* seven = proj_create(ctx, detail::ZoneProjection(7).c_str());
    const double lon = 39 - 0.5 / 3600;
    const PJ_COORD c = proj_trans(seven, PJ_FWD, proj_coord(proj_torad(lon), 0, 0, 0));
    GridPoint p;
    ASSERT_TRUE(Gk().Forward(7, 0, lon, p));
    EXPECT_EQ(std::llround(p.Y * 1000), std::llround(c.xy.x * 1000));
    EXPECT_LT(p.Y, 7499990);
    proj_destroy(seven);
    proj_context_destroy(ctx);
    EXPECT_GT(points, 1500000u);
}

// A whole frame at once gives Forward's numbers for its corners and centre bit for bit, on
// the first look and from the table: the 1:50,000 and 1:10,000 sheets of zones at both edges
// of the numbering and at Greenwich, in their own zone and the next, and a frame too wide for
// the table.
TEST(GaussKruger, FrameCornersAreForwardsNumbers) {
    std::size_t frames = 0;
    const auto check = [&](const kavu::SignedFrame& f, int zone) {
        const double n = f.North / 3600.0, s = f.South / 3600.0, w = f.West / 3600.0,
                     e = f.East / 3600.0;
        const double at[5][2] = {{n, w}, {n, e}, {s, e}, {s, w}, {(n + s) / 2, (w + e) / 2}};
        for (int pass = 0; pass < 2; ++pass) {
            GridPoint out[5];
            ASSERT_TRUE(Gk().FrameCorners(f, zone, out));
            for (int i = 0; i < 5; ++i) {
                GridPoint p;
                ASSERT_TRUE(Gk().Forward(zone, at[i][0], at[i][1], p));
                ASSERT_EQ(out[i].X, p.X) << zone << " " << f.North << " " << f.West << " " << i;
                ASSERT_EQ(out[i].Y, p.Y) << zone << " " << f.North << " " << f.West << " " << i;
            }
        }
        ++frames;
    };
    for (const int zone : {1, 7, 30, 31, 60}) {
        const int axis = static_cast<int>(CentralMeridian(zone) * 3600);
        for (int south = -84 * 3600; south < 84 * 3600; south += 600)
            for (int west = axis - 10800; west < axis + 10800; west += 900) {
                const kavu::SignedFrame f{south + 600, south, west, west + 900};
                check(f, zone);
                check(f, zone % 60 + 1);
            }
        for (int south = 55 * 3600; south < 56 * 3600; south += 150)
            for (int west = axis - 10800; west < axis + 10800; west += 225)
                check({south + 150, south, west, west + 225}, zone);
    }
    check({56 * 3600, 55 * 3600, -100 * 3600, 30 * 3600}, 7);
    EXPECT_GT(frames, 100000u);
}

TEST(CrsTransform, GkAndEpsgCodesAndErrors) {
    std::string error;
    auto gk = CrsTransform::Create("gk", error);
    auto epsg = CrsTransform::Create("EPSG:28407", error);
    auto wgs = CrsTransform::Create("EPSG:4326", error);
    ASSERT_TRUE(gk && epsg && wgs) << error;
    EXPECT_TRUE(gk->Projected() && gk->PerZone() && epsg->Projected() && !wgs->Projected());
    double a = 0, b = 0, c = 0, d = 0, lat = 0, lon = 0;
    ASSERT_TRUE(gk->FromSeries(55.7558, 37.6173, a, b));
    ASSERT_TRUE(epsg->FromSeries(55.7558, 37.6173, c, d));
    EXPECT_NEAR(a, 6182348.1663, 1e-4);
    EXPECT_NEAR(b, 7413187.9720, 1e-4);
    EXPECT_NEAR(c, a, 1e-4);
    EXPECT_NEAR(d, b, 1e-4);
    ASSERT_TRUE(gk->ToSeries(a, b, lat, lon));
    EXPECT_NEAR(lat, 55.7558, 1e-10);
    EXPECT_NEAR(lon, 37.6173, 1e-10);
    ASSERT_TRUE(gk->FromSeries(55.7558, 37.6173, a, b, 8)); // the neighbouring zone on request
    EXPECT_EQ(static_cast<int>(b / 1e6), 8);
    // cs2cs EPSG:4284 EPSG:4326 -f %.9f on 55.7558 37.6173.
    ASSERT_TRUE(wgs->FromSeries(55.7558, 37.6173, a, b));
    EXPECT_NEAR(a, 55.755842662, 2e-8);
    EXPECT_NEAR(b, 37.615425483, 2e-8);
    // cs2cs EPSG:4284 EPSG:32637 of 55.7558 37.6173: easting 413106.5994, northing
    // 6179774.0500; northing comes first here.
    auto utm = CrsTransform::Create("EPSG:32637", error);
    ASSERT_TRUE(utm) << error;
    ASSERT_TRUE(utm->FromSeries(55.7558, 37.6173, a, b));
    EXPECT_NEAR(a, 6179774.0500, 1e-3);
    EXPECT_NEAR(b, 413106.5994, 1e-3);
    ASSERT_TRUE(utm->ToSeries(a, b, lat, lon));
    EXPECT_NEAR(lat, 55.7558, 1e-9);
    EXPECT_NEAR(lon, 37.6173, 1e-9);
    EXPECT_FALSE(CrsTransform::Create("EPSG:999999", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(CrsTransform::Create("nonsense", error));
    EXPECT_FALSE(gk->ToSeries(6182348, 99413188, lat, lon));
}

} // namespace
