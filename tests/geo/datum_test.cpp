#include "geo/datum.h"

#include <proj.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

using kavu::geo::DatumShift;

const DatumShift& Shift() {
    static const std::unique_ptr<DatumShift> shift = [] {
        std::string error;
        auto s = DatumShift::Create(error);
        EXPECT_TRUE(s) << error;
        return s;
    }();
    return *shift;
}

// Distance in metres between two nearby points, good to a fraction of a millimetre at these
// separations.
double Metres(double lat1, double lon1, double lat2, double lon2) {
    const double dlon = std::remainder(lon2 - lon1, 360.0);
    const double north = (lat2 - lat1) * 111'000.0;
    const double east = dlon * 111'000.0 * std::cos(lat1 * M_PI / 180);
    return std::hypot(north, east);
}

// cs2cs EPSG:4326 EPSG:4284 -f %.9f and cs2cs EPSG:4284 EPSG:4326 -f %.9f, PROJ 9.1.1, on the
// same input lines (latitude, longitude).
struct Reference {
    double lat, lon;
    double toSeriesLat, toSeriesLon;
    double toWgsLat, toWgsLon;
};
constexpr Reference kCs2cs[] = {
    {55.7558, 37.6173, 55.755757306, 37.619174484, 55.755842662, 37.615425483},
    {59.9386, 30.3141, 59.938626698, 30.316354129, 59.938573259, 30.311845848},
    {43.2389, 76.8897, 43.238607510, 76.890245215, 43.239192495, 76.889154761},
    {50.4501, 30.5234, 50.450261004, 30.525117999, 50.449938964, 30.521681992},
    {55.0084, 82.9357, 55.007792064, 82.936253971, 55.009007949, 82.935145992},
    {43.1155, 131.8855, 43.115192698, 131.884407254, 43.115807303, 131.886592785},
    {64.7337, 177.5089, 64.733649260, 177.505755431, 64.733750678, 177.512044610},
    {66, -179.99, 65.999983262, -179.993323834, 66.000016672, -179.986676133},
    {41.7151, 44.8271, 41.715185930, 44.828342137, 41.715014052, 44.825857843},
    {81.5, 58, 81.499201625, 58.006063241, 81.500798287, 57.993935534},
    {0, 0, 0.000807810, 0.001062185, -0.000807792, -0.001062154},
    {-33.9, 18.4, -33.899193034, 18.401306888, -33.900806932, 18.398693124},
    {10, 179.9, 10.000553118, 179.898509956, 9.999446879, 179.901490034},
    {-70, -60, -70.000829186, -59.998695347, -69.999170851, -60.001304468},
};

TEST(DatumShift, AgreesWithCs2csBothWays) {
    for (const Reference& r : kCs2cs) {
        double lat = r.lat, lon = r.lon;
        ASSERT_TRUE(Shift().ToSeries(lat, lon));
        EXPECT_NEAR(lat, r.toSeriesLat, 1e-9) << r.lat << " " << r.lon;
        EXPECT_NEAR(lon, r.toSeriesLon, 1e-9) << r.lat << " " << r.lon;
        lat = r.lat, lon = r.lon;
        ASSERT_TRUE(Shift().ToWgs84(lat, lon));
        // PROJ's inverse is not quite the inverse of its forward shift (cs2cs there and back
        // misses by up to 4 mm at -70 -60); ours is, and stays within 5 mm of PROJ's.
        EXPECT_LT(Metres(lat, lon, r.toWgsLat, r.toWgsLon), 5e-3) << r.lat << " " << r.lon;
    }
}

// The shift is interpolated between values PROJ gives; it must stay within 1e-9 degree of
// PROJ (0.1 mm; in longitude, on the ground) everywhere: at random over the globe, and point by
// point across the south and west edges of the area where PROJ changes operation (41.19 N, 19.58 E)
// and across 180 degrees. At the random points, there and back again lands within a millimetre.
TEST(DatumShift, AgreesWithProjPointByPoint) {
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* raw = proj_create_crs_to_crs(ctx, "EPSG:4326", "EPSG:4284", nullptr);
    PJ* proj = proj_normalize_for_visualization(ctx, raw);
    ASSERT_NE(proj, nullptr);
    auto check = [&](double lat, double lon) {
        const PJ_COORD c = proj_trans(proj, PJ_FWD, proj_coord(lon, lat, 0, 0));
        double a = lat, b = lon;
        ASSERT_TRUE(Shift().ToSeries(a, b));
        ASSERT_NEAR(a, c.xy.y, 1e-9) << lat << " " << lon;
        ASSERT_NEAR(std::remainder(b - c.xy.x, 360.0) * std::cos(lat * M_PI / 180), 0, 1e-9)
            << lat << " " << lon;
    };
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> latitude(-89, 89), longitude(-180, 180);
    for (int i = 0; i < 20000; ++i) {
        const double lat = latitude(random), lon = longitude(random);
        check(lat, lon);
        double a = lat, b = lon, c = lat, d = lon;
        ASSERT_TRUE(Shift().ToSeries(a, b) && Shift().ToWgs84(a, b));
        ASSERT_TRUE(Shift().ToWgs84(c, d) && Shift().ToSeries(c, d));
        ASSERT_LT(std::max(Metres(lat, lon, a, b), Metres(lat, lon, c, d)), 1e-3)
            << lat << " " << lon;
    }
    for (double lat = 40.9; lat < 41.5; lat += 0.0007)
        check(lat, 44.83);
    for (double lon = 19.3; lon < 19.9; lon += 0.0007)
        check(55.1, lon);
    for (double lon = 179.7; lon < 180.3; lon += 0.0007)
        check(65.3, std::remainder(lon, 360.0));
    proj_destroy(proj);
    proj_destroy(raw);
    proj_context_destroy(ctx);
}

TEST(DatumShift, RefusesWhatIsNotAPoint) {
    for (auto [lat, lon] : {std::pair{NAN, 37.0}, {55.0, INFINITY}, {90.5, 0.0}, {-91.0, 0.0}}) {
        double a = lat, b = lon;
        EXPECT_FALSE(Shift().ToSeries(a, b));
        EXPECT_FALSE(Shift().ToWgs84(a, b));
        EXPECT_TRUE(std::isnan(lat) ? std::isnan(a) : a == lat);
        EXPECT_TRUE(std::isinf(lon) ? std::isinf(b) : b == lon);
    }
}

TEST(DatumShift, NamesTheOperationAndItsAccuracy) {
    EXPECT_NE(Shift().Description().find("EPSG:4284"), std::string::npos);
    EXPECT_NE(Shift().Description().find("(INVERSE(EPSG):5044), 3 m"), std::string::npos);
    EXPECT_EQ(Shift().OperationAt(55.7558, 37.6173),
              "Inverse of Pulkovo 1942 to WGS 84 (20) (INVERSE(EPSG):5044), 3 m");
    // PROJ picks per point: outside Russia's area another operation serves.
    EXPECT_EQ(Shift().OperationAt(-33.9, 18.4),
              "Inverse of Pulkovo 1942 to WGS 84 (16) (INVERSE(EPSG):15865), 4.5 m");
}

} // namespace
