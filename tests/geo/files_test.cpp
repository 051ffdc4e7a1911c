// Real files written by the tests, read and written through GDAL.
#include "geo/layers.h"
#include "geo/shapes.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace kavu::geo;

const DatumShift& Shift() {
    static const std::unique_ptr<DatumShift> shift = [] {
        std::string error;
        return DatumShift::Create(error);
    }();
    return *shift;
}

class Files : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kavu-geo-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }
    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.insert(e.path().filename().string());
        return names;
    }
    fs::path dir_;
};

// A 1942 position as WGS 84 text for a file, "lon lat" or "lat lon".
std::pair<std::string, std::string> Wgs(double lat, double lon) {
    EXPECT_TRUE(Shift().ToWgs84(lat, lon));
    char a[32], b[32];
    std::snprintf(a, sizeof a, "%.10f", lat);
    std::snprintf(b, sizeof b, "%.10f", lon);
    return {a, b};
}

std::set<std::string> Cover(const std::string& path, int scale, double buffer = 0) {
    std::string error;
    auto shapes = ReadShapes(path, {&Shift(), false, buffer}, error);
    EXPECT_TRUE(shapes) << error;
    SheetCover cover(scale);
    std::set<std::string> names;
    if (!shapes || !AddToCover(*shapes, cover, error)) return names;
    for (const auto& key : cover.Sheets())
        names.insert(kavu::FormatSheetOld(key));
    return names;
}

// The track passes 0.001 degree east of the corner N 56, E 37 30 going south-east, so it
// crosses the north-west, north-east and south-east sheets; the waypoint lies in N-37-15-В.
TEST_F(Files, GpxTrackPastASheetCorner) {
    std::string gpx = R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">)";
    auto [wlat, wlon] = Wgs(55.45, 37.2);
    gpx += "<wpt lat=\"" + wlat + "\" lon=\"" + wlon + "\"/>\n<trk><trkseg>\n";
    for (auto [lat, lon] : {std::pair{56.05, 37.451}, {55.95, 37.551}}) {
        auto [a, b] = Wgs(lat, lon);
        gpx += "<trkpt lat=\"" + a + "\" lon=\"" + b + "\"/>\n";
    }
    gpx += "</trkseg></trk></gpx>\n";
    EXPECT_EQ(Cover(Write("track.gpx", gpx), 5),
              (std::set<std::string>{" O-37-135-Г", " O-37-136-В", " N-37-4-А", " N-37-15-В"}));
}

// Q-60 and Q-1 at 1:1,000,000; rows 8 and 9, the last column of one and the first of the other
// at 1:100,000.
TEST_F(Files, KmlPolygonAcross180) {
    std::string coordinates;
    for (auto [lat, lon] :
         {std::pair{65.1, 179.6}, {65.1, -179.6}, {65.4, -179.6}, {65.4, 179.6}, {65.1, 179.6}}) {
        auto [a, b] = Wgs(lat, lon);
        coordinates += b + "," + a + ",0 ";
    }
    const std::string path = Write("area.kml", R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Document><Placemark><Polygon><outerBoundaryIs>
<LinearRing><coordinates>)" + coordinates + R"(</coordinates></LinearRing></outerBoundaryIs>
</Polygon></Placemark></Document></kml>
)");
    EXPECT_EQ(Cover(path, 1), (std::set<std::string>{" Q-60", " Q-1"}));
    std::string error;
    auto shapes = ReadShapes(path, {&Shift(), false, 0}, error);
    ASSERT_TRUE(shapes) << error;
    SheetCover cover(1);
    ASSERT_TRUE(AddToCover(*shapes, cover, error));
    std::vector<std::string> published;
    for (const auto& sheet : cover.Published())
        published.push_back(sheet.Old);
    EXPECT_EQ(published, (std::vector<std::string>{" Q-1,2", " Q-59,60"}));
    EXPECT_EQ(Cover(path, 4),
              (std::set<std::string>{" Q-60-96", " Q-60-108", " Q-1-85", " Q-1-97"}));
}

// On the 1942 datum the point lies exactly on the corner and on 180 degrees; a feature without
// geometry is passed over.
TEST_F(Files, GeoJsonPointsExactlyOnEdges) {
    const std::string path = Write("points.geojson", R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4284"}},
 "features": [
  {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [37.5, 56]}},
  {"type": "Feature", "properties": {}, "geometry": null}
 ]})");
    EXPECT_EQ(Cover(path, 5), (std::set<std::string>{" N-37-4-А"}));
    const std::string east = Write("east.geojson", R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4284"}},
 "features": [{"type": "Feature", "properties": {},
   "geometry": {"type": "Point", "coordinates": [180, 64]}}]})");
    EXPECT_EQ(Cover(east, 1), (std::set<std::string>{" P-1"}));
}

std::unique_ptr<GDALDataset> Open(const fs::path& path) {
    return std::unique_ptr<GDALDataset>(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
}

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
        if (toWgs84 != nullptr) {
            ASSERT_TRUE(toWgs84->ToWgs84(lat, lon));
        }
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

    for (const DatumShift* datum : {static_cast<const DatumShift*>(nullptr), &Shift()}) {
        for (const char* name : {"sheets.gpkg", "sheets.shp", "sheets.geojson"}) {
            std::string error;
            ASSERT_TRUE(WriteFrames((dir_ / name).string(), "", frames, datum, error)) << error;
            auto dataset = Open(dir_ / name);
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
                ASSERT_NE(g, nullptr);
                ASSERT_EQ(wkbFlatten(g->getGeometryType()), wkbPolygon);
                ExpectOutline(*g->toPolygon()->getExteriorRing(), f.Frame, datum,
                              fs::path(name).extension() == ".shp");
            }
        }
    }
    EXPECT_EQ(frames[0].Old, "O-37-135-Г"); // the northern blank is not part of an attribute
    // Only the finished files: no temporary folder left beside them.
    for (const auto& name : Listing())
        EXPECT_EQ(name.rfind(".kavu-", 0), std::string::npos) << name;
    EXPECT_TRUE(Listing().count("sheets.dbf"));
}

// The .points file QGIS reads: one corner a line, pixel rows counted upwards.
TEST_F(Files, ControlPointsFileReadBack) {
    const kavu::SignedFrame frame{56 * 3600, 55 * 3600 + 50 * 60, 37 * 3600 + 30 * 60,
                                  37 * 3600 + 45 * 60};
    for (const DatumShift* datum : {static_cast<const DatumShift*>(nullptr), &Shift()}) {
        auto corners = CornerPoints(frame, datum, 6000, 4000);
        ASSERT_TRUE(corners);
        std::string error;
        const std::string path = (dir_ / "scan.points").string();
        ASSERT_TRUE(WritePointsFile(path, *corners, datum ? 4326 : 4284, error)) << error;
        std::ifstream in(path);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line.rfind("#CRS: GEOGCRS[", 0), 0u) << line;
        EXPECT_NE(line.find(datum ? "ID[\"EPSG\",4326]" : "ID[\"EPSG\",4284]"), std::string::npos);
        std::getline(in, line);
        EXPECT_EQ(line, "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual");
        const double pixel[4][2] = {{0, 0}, {6000, 0}, {6000, -4000}, {0, -4000}};
        const double ground[4][2] = {
            {56, 37.5}, {56, 37.75}, {55 + 50 / 60.0, 37.75}, {55 + 50 / 60.0, 37.5}};
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(std::getline(in, line));
            double v[8];
            char comma;
            std::istringstream fields(line);
            for (double& x : v)
                fields >> x >> comma;
            double lat = ground[i][0], lon = ground[i][1];
            if (datum) {
                ASSERT_TRUE(datum->ToWgs84(lat, lon));
            }
            EXPECT_NEAR(v[0], lon, 5e-10);
            EXPECT_NEAR(v[1], lat, 5e-10);
            EXPECT_EQ(v[2], pixel[i][0]);
            EXPECT_EQ(v[3], pixel[i][1]);
            EXPECT_EQ(v[4], 1);
        }
        EXPECT_FALSE(std::getline(in, line));
    }
    auto corners = CornerPoints(frame, nullptr, 0, 0);
    EXPECT_EQ(GdalTranslateGcps(*corners, false),
              "-gcp NW_PIXEL NW_LINE 37.5 56 -gcp NE_PIXEL NE_LINE 37.75 56 "
              "-gcp SE_PIXEL SE_LINE 37.75 55.833333333 "
              "-gcp SW_PIXEL SW_LINE 37.5 55.833333333");
}

// Every failure names the file and says why, and leaves nothing behind.
TEST_F(Files, BadInputNamesTheFileAndTheReason) {
    auto readError = [&](const std::string& path) {
        std::string error;
        EXPECT_FALSE(ReadShapes(path, {&Shift(), false, 0}, error)) << path;
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_GT(error.size(), path.size() + 8) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        return error;
    };
    EXPECT_NE(readError((dir_ / "missing.gpx").string()).find("No such file"), std::string::npos);
    readError(Write("noise.kml", "\x01\x02 not a vector file"));
    readError(Write("broken.geojson", R"({"type": "FeatureCollection", "features": [)"));
    EXPECT_NE(readError(Write("empty.geojson", R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "properties": {"a": 1}, "geometry": null}]})"))
                  .find("no geometry"),
              std::string::npos);
    // A CRS of an engineering drawing has no way to the globe.
    {
        GDALAllRegister();
        std::unique_ptr<GDALDataset> ds(
            GetGDALDriverManager()
                ->GetDriverByName("ESRI Shapefile")
                ->Create((dir_ / "drawing.shp").c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRSpatialReference local;
        local.SetLocalCS("workshop drawing");
        OGRLayer* layer = ds->CreateLayer("drawing", &local, wkbPoint, nullptr);
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetGeometryDirectly(new OGRPoint(1, 2));
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    }
    readError((dir_ / "drawing.shp").string());

    const auto before = Listing();
    const FrameFeature frame = *FeatureOf(kavu::SheetKey{5, 'N', 14, 37, 4, 1});
    auto writeError = [&](const std::string& path, const std::string& driver) {
        std::string error;
        EXPECT_FALSE(WriteFrames(path, driver, std::span(&frame, 1), nullptr, error)) << path;
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    };
    writeError((dir_ / "no" / "such" / "folder.gpkg").string(), "");
    writeError((dir_ / "sheets.unknown").string(), "");
    writeError((dir_ / "sheets.gpkg").string(), "NoSuchDriver");
    writeError((dir_ / "sheets.tif").string(), "GTiff"); // raster only
    fs::create_directory(dir_ / "taken.geojson");        // a folder where the file would go
    writeError((dir_ / "taken.geojson").string(), "");
    auto after = Listing();
    after.erase("taken.geojson");
    EXPECT_EQ(after, before);
}

// Metres per degree of latitude and of longitude on the Krassowsky ellipsoid.
std::pair<double, double> MetresPerDegree(double lat) {
    const double a = 6378245, f = 1 / 298.3, e2 = f * (2 - f);
    const double s = std::sin(lat * M_PI / 180), w = std::sqrt(1 - e2 * s * s);
    return {a * (1 - e2) / (w * w * w) * M_PI / 180,
            a / w * std::cos(lat * M_PI / 180) * M_PI / 180};
}

// A point d metres from an edge meets the sheet beyond it once the buffer is wider than d;
// across a parallel and a meridian, near and far, and across 180 degrees.
TEST(Buffer, ReachesTheNextSheetAtTheGivenDistance) {
    struct Edge {
        double lat, lon; // on the edge
        bool parallel;   // the point lies south of a parallel, else west of a meridian
        int scale;
    };
    // The points lie mid-way along an edge, far from the others.
    for (const Edge& e : {Edge{56, 37.625, true, 5}, Edge{55.9167, 37.5, false, 5},
                          Edge{-30.1, 180, false, 1}, Edge{8, -100.1, true, 1}}) {
        for (double d : {150.0, 1000.0, 4000.0}) {
            const auto [perLat, perLon] = MetresPerDegree(e.lat);
            Shapes shapes;
            if (e.parallel)
                shapes.Points.push_back({e.lat - d / perLat, e.lon});
            else
                shapes.Points.push_back({e.lat, e.lon - d / perLon});
            for (double r : {0.98 * d, 1.02 * d}) {
                std::string error;
                auto wide = Buffer(shapes, r, error);
                ASSERT_TRUE(wide) << error;
                ASSERT_TRUE(shapes.Lines.empty() && wide->Points.empty());
                SheetCover cover(e.scale);
                ASSERT_TRUE(AddToCover(*wide, cover, error));
                EXPECT_EQ(cover.Sheets().size(), r > d ? 2u : 1u)
                    << e.lat << " " << e.lon << " d " << d << " r " << r;
            }
        }
    }
    std::string error;
    EXPECT_FALSE(Buffer({}, -1, error));
    EXPECT_FALSE(Buffer({}, NAN, error));
}

} // namespace
