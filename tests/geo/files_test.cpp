// Real files written by the tests, read and written through GDAL.
#include "geo/layers.h"
#include "geo/shapes.h"
#include "geo_fixture.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>

namespace {

namespace fs = std::filesystem;
using namespace kavu::geo;

using Files = TempDirTest;

// Every vertex lies on the frame, the ring runs counter-clockwise from the south-west corner
// (clockwise in a shapefile, whose format says so), and the parallels have a vertex every
// minute of longitude.
void ExpectOutline(OGRLinearRing ring, const kavu::SignedFrame& f, const DatumShift* toWgs84,
                   bool clockwise) {
    if (clockwise) ring.reversePoints();
    const int steps = std::max(1, (f.East - f.West + 59) / 60);
    ASSERT_EQ(ring.getNumPoints(), 2 * (steps + 1) + 1);
    double twiceArea = 0;
    for (int i = 0; i + 1 < ring.getNumPoints(); ++i) {
        twiceArea += ring.getX(i) * ring.getY(i + 1) - ring.getX(i + 1) * ring.getY(i);
        const bool south = i <= steps;
        const int k = south ? i : 2 * steps + 1 - i;
        double lat = (south ? f.South : f.North) / 3600.0;
        double lon = (f.West + (f.East - f.West) * static_cast<double>(k) / steps) / 3600.0;
        ASSERT_TRUE(toWgs84 == nullptr || toWgs84->ToWgs84(lat, lon));
        EXPECT_NEAR(ring.getY(i), lat, 1e-9) << i;
        EXPECT_NEAR(ring.getX(i), lon, 1e-9) << i;
    }
    EXPECT_GT(twiceArea, 0);
    EXPECT_EQ(ring.getX(0), ring.getX(ring.getNumPoints() - 1));
    EXPECT_EQ(ring.getY(0), ring.getY(ring.getNumPoints() - 1));
}

TEST_F(Files, FramesWrittenAndReadBack) {
    SheetCover cover(5);
    const LatLon line[] = {{56.05, 37.451}, {55.95, 37.551}};
    cover.AddLine(line);
    std::vector<FrameFeature> frames;
    for (const auto& key : cover.Sheets())
        frames.push_back(*FeatureOf(key));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].Old, "O-37-135-Г"); // the northern blank is not part of an attribute

    for (const DatumShift* datum : {static_cast<const DatumShift*>(nullptr), &Shift()})
        for (const char* name : {"sheets.gpkg", "sheets.shp", "sheets.geojson"}) {
            std::string error;
            ASSERT_TRUE(WriteFrames((dir_ / name).string(), "", frames, datum, error)) << error;
            std::unique_ptr<GDALDataset> dataset(
                GDALDataset::Open((dir_ / name).c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
            ASSERT_TRUE(dataset) << name;
            OGRLayer* layer = dataset->GetLayer(0);
            ASSERT_EQ(layer->GetFeatureCount(), 3) << name;
            const OGRSpatialReference* srs = layer->GetSpatialRef();
            ASSERT_NE(srs, nullptr);
            EXPECT_STREQ(srs->GetAuthorityCode(nullptr), datum ? "4326" : "4284") << name;
            std::size_t i = 0;
            for (auto& feature : *layer) {
                const FrameFeature& f = frames[i++];
                EXPECT_STREQ(feature->GetFieldAsString(kFieldNew), f.New.c_str());
                EXPECT_STREQ(feature->GetFieldAsString(kFieldOld), f.Old.c_str());
                EXPECT_STREQ(feature->GetFieldAsString(kFieldScale), "1:50000");
                EXPECT_STREQ(feature->GetFieldAsString(kFieldPublishedOld), f.PublishedOld.c_str());
                const OGRGeometry* g = feature->GetGeometryRef();
                ASSERT_TRUE(g && wkbFlatten(g->getGeometryType()) == wkbPolygon);
                ExpectOutline(*g->toPolygon()->getExteriorRing(), f.Frame, datum,
                              fs::path(name).extension() == ".shp");
            }
        }
    // Only the finished files: no temporary folder left beside them.
    const auto files = Listing();
    for (const auto& name : files)
        EXPECT_EQ(name.rfind(".kavu-", 0), std::string::npos) << name;
    EXPECT_EQ(std::count(files.begin(), files.end(), "sheets.dbf"), 1);
}

// A point d metres from an edge meets the sheet beyond it once the buffer is wider than d;
// across a parallel (the point south of it) and a meridian (the point west of it), near and
// far, and across 180 degrees. The points lie mid-way along an edge, far from the others.
TEST(Buffer, ReachesTheNextSheetAtTheGivenDistance) {
    for (const auto& [lat, lon, parallel, scale] : {std::tuple{56.0, 37.625, true, 5},
                                                    {55.9167, 37.5, false, 5},
                                                    {-30.1, 180.0, false, 1},
                                                    {8.0, -100.1, true, 1}}) {
        // Metres per degree of latitude and of longitude on the Krassowsky ellipsoid.
        const double a = 6378245, f = 1 / 298.3, e2 = f * (2 - f);
        const double s = std::sin(lat * M_PI / 180), w = std::sqrt(1 - e2 * s * s);
        const double perLat = a * (1 - e2) / (w * w * w) * M_PI / 180;
        const double perLon = a / w * std::cos(lat * M_PI / 180) * M_PI / 180;
        for (double d : {150.0, 1000.0, 4000.0}) {
            Shapes shapes;
            shapes.Points.push_back(parallel ? LatLon{lat - d / perLat, lon}
                                             : LatLon{lat, lon - d / perLon});
            for (double r : {0.98 * d, 1.02 * d}) {
                std::string error;
                auto wide = Buffer(shapes, r, error);
                ASSERT_TRUE(wide) << error;
                ASSERT_TRUE(shapes.Lines.empty() && wide->Points.empty());
                SheetCover cover(scale);
                ASSERT_TRUE(AddToCover(*wide, cover, error));
                EXPECT_EQ(cover.Sheets().size(), r > d ? 2u : 1u)
                    << lat << " " << lon << " d " << d << " r " << r;
            }
        }
    }
    std::string error;
    EXPECT_FALSE(Buffer({}, -1, error));
    EXPECT_FALSE(Buffer({}, NAN, error));
}

} // namespace
