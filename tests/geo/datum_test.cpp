#include "engine/sheet.h"
#include "geo/datum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

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

// Over the whole grid of the series, both ways round, including near the edges of the areas
// where PROJ's forward and inverse pick different operations.
TEST(DatumShift, RoundTripUnderAMillimetre) {
    double worst = 0;
    for (double lat = -84; lat <= 84; lat += 0.73) {
        for (double lon = -180; lon < 180; lon += 0.91) {
            double a = lat, b = lon;
            ASSERT_TRUE(Shift().ToSeries(a, b));
            ASSERT_TRUE(Shift().ToWgs84(a, b));
            worst = std::max(worst, Metres(lat, lon, a, b));
            a = lat, b = lon;
            ASSERT_TRUE(Shift().ToWgs84(a, b));
            ASSERT_TRUE(Shift().ToSeries(a, b));
            worst = std::max(worst, Metres(lat, lon, a, b));
            ASSERT_LT(worst, 1e-3) << lat << " " << lon;
        }
    }
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

// 37.7485 E in WGS 84 is 37.7504 E on the 1942 datum: east of the meridian 37 deg 45'
// that bounds the 1:50,000 sheets N-37-4-В and N-37-4-Г.
TEST(DatumShift, MovesAPointToTheNextSheet) {
    double lat = 55.7558, lon = 37.7485;
    auto asGiven =
        kavu::SheetOfPoint("N", std::lround(lat * 3600), "E", std::lround(lon * 3600), 5);
    ASSERT_TRUE(Shift().ToSeries(lat, lon));
    auto shifted =
        kavu::SheetOfPoint("N", std::lround(lat * 3600), "E", std::lround(lon * 3600), 5);
    ASSERT_TRUE(asGiven && shifted);
    EXPECT_EQ(kavu::FormatSheetOld(asGiven->Key), " N-37-4-В");
    EXPECT_EQ(kavu::FormatSheetOld(shifted->Key), " N-37-4-Г");
}

} // namespace
