// kavu-sheet's datum, vector-file and control-point options, through the real program.
#include "geo_fixture.h"
#include "tests/cli/run_tool.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <tuple>

namespace {

using Names = std::vector<std::string>;

// Runs kavu-sheet with CSV output and gives its "old" column (lettered designations).
Names OldOf(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.end(), {"-f", "csv"});
    const ToolRun run = RunTool(args, input);
    EXPECT_EQ(run.Status, 0) << run.Err;
    Names out;
    const auto lines = Lines(run.Out);
    const auto header = CsvFields(lines.empty() ? "" : lines[0]);
    const auto column = std::find(header.begin(), header.end(), "old") - header.begin();
    for (std::size_t i = 1; i < lines.size(); ++i)
        out.push_back(CsvFields(lines[i]).at(static_cast<std::size_t>(column)));
    return out;
}

class KavuSheetGis : public TempDirTest {
  protected:
    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }
    std::string Read(const std::string& name) {
        std::ifstream in(dir_ / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(KavuSheetGis, DatumMovesThePointAndTheFrame) {
    // 37.7485 E in WGS 84 lies east of the meridian 37 deg 45' on the 1942 datum.
    for (const auto& [datum, sheet] :
         {std::pair{"", "N-37-4-В"}, {"1942", "N-37-4-В"}, {"wgs84", "N-37-4-Г"}}) {
        Names args{"point", "55.7558", "37.7485", "--scale", "50k"};
        if (*datum) args.insert(args.end(), {"--datum", datum});
        EXPECT_EQ(OldOf(args), Names{sheet}) << datum;
    }
    // The frame in WGS 84: the corners and the centre of the 1942 frame, each shifted.
    const auto f =
        CsvFields(Lines(RunTool({"frame", "N-37-4-В", "-f", "csv", "--datum", "wgs84"}).Out).at(1));
    double north = 55 + 50 / 60.0, west = 37.5, south = 55 + 40 / 60.0, east = 37.75;
    double lat = 55.75, lon = 37.625;
    ASSERT_TRUE(Shift().ToWgs84(north, west) && Shift().ToWgs84(south, east) &&
                Shift().ToWgs84(lat, lon));
    for (auto [column, degrees] :
         {std::pair{8, north}, {9, south}, {10, west}, {11, east}, {12, lat}, {13, lon}})
        EXPECT_NEAR(std::stod(f.at(column)), degrees, 1e-9) << column;
    // Every column says its datum; the point is echoed as read, and in 1942 beside it.
    const auto header =
        CsvFields(Lines(RunTool({"frame", "N-37-4", "-fcsv", "--datum=wgs84"}).Out).at(0));
    EXPECT_EQ(header.at(8), "north_wgs84");
    EXPECT_EQ(header.back(), "centre_dms_wgs84");
    const auto point =
        Lines(RunTool({"point", "55.7558", "37.7485", "-s50k", "-fcsv", "--datum", "wgs84"}).Out);
    ASSERT_EQ(point.size(), 2u);
    EXPECT_EQ(point[0].rfind("line,input,latitude_wgs84,longitude_wgs84,latitude_1942,"
                             "longitude_1942,scale,new",
                             0),
              0u)
        << point[0];
    const auto p = CsvFields(point[1]);
    double lat1942 = 55.7558, lon1942 = 37.7485;
    ASSERT_TRUE(Shift().ToSeries(lat1942, lon1942));
    EXPECT_EQ(p.at(2), "55.7558");
    EXPECT_EQ(p.at(3), "37.7485");
    EXPECT_NEAR(std::stod(p.at(4)), lat1942, 1e-9);
    EXPECT_NEAR(std::stod(p.at(5)), lon1942, 1e-9);
    EXPECT_EQ(p.at(8), "N-37-4-Г");
    // A line that does not read keeps every column.
    const auto empty = Lines(RunTool({"point", "-fcsv", "--datum", "wgs84"}, "x\n").Out);
    EXPECT_EQ(CsvFields(empty.at(1)).size(), CsvFields(empty.at(0)).size());
}

TEST_F(KavuSheetGis, CoverOfAFile) {
    // A GPX track in WGS 84 that passes 0.001 degree east of the 1942 corner N 56, E 37 30
    // going south-east: the north-west, north-east and south-east sheets; a waypoint in
    // N-37-15-В.
    auto wgs = [&](const char* tag, double lat, double lon) {
        EXPECT_TRUE(Shift().ToWgs84(lat, lon));
        char text[96];
        std::snprintf(text, sizeof text, "<%s lat=\"%.10f\" lon=\"%.10f\"/>\n", tag, lat, lon);
        return std::string(text);
    };
    const std::string gpx = Write(
        "walk.gpx", "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                    "xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
                        wgs("wpt", 55.45, 37.2) + "<trk><trkseg>\n" + wgs("trkpt", 56.05, 37.451) +
                        wgs("trkpt", 55.95, 37.551) + "</trkseg></trk></gpx>\n");
    EXPECT_EQ(OldOf({"cover", gpx, "--scale", "50k,1M"}),
              (Names{"O-37-135-Г", "O-37-136-В", "N-37-4-А", "N-37-15-В", "O-37", "N-37"}));
    // 2 km round it reaches the sheets beside them.
    EXPECT_GT(OldOf({"cover", gpx, "--scale", "50k", "--buffer", "2000"}).size(), 4u);
    // An area across 180 degrees, as published sheets.
    const std::string kml = Write("area.kml", R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Placemark><Polygon><outerBoundaryIs><LinearRing>
<coordinates>179.6,65.1 -179.6,65.1 -179.6,65.4 179.6,65.4 179.6,65.1</coordinates>
</LinearRing></outerBoundaryIs></Polygon></Placemark></kml>
)");
    EXPECT_EQ(OldOf({"cover", kml, "--scale", "1M", "--published"}), (Names{"Q-1,2", "Q-59,60"}));
    // A file on the 1942 datum is not shifted: 0.0005 degree west of 37 deg 30' stays there.
    const std::string series = Write("series.geojson", R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4284"}},
 "features": [{"type": "Feature", "properties": {},
   "geometry": {"type": "MultiPoint", "coordinates": [[37.4995, 56.0001]]}}]})");
    EXPECT_EQ(OldOf({"cover", series, "--scale", "50k"}), Names{"O-37-135-Г"});
    // Points exactly on a corner and on 180 degrees (64 N), on the 1942 datum: the sheets
    // south-east of them, column 1 for 180 degrees.
    const std::string corner = Write("corner.geojson", R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4284"}},
 "features": [{"type": "Feature", "properties": {},
   "geometry": {"type": "MultiPoint", "coordinates": [[37.5, 56], [180, 64]]}},
  {"type": "Feature", "properties": {}, "geometry": null}]})");
    EXPECT_EQ(OldOf({"cover", corner, "--scale", "25k,10k,1M"}),
              (Names{"P-1-1-А-а", "N-37-4-А-а", "P-1-1-А-а-1", "N-37-4-А-а-1", "P-1", "N-37"}));
}

// GeoJSON, shapefiles and the other GDAL formats are straight in their coordinates, as QGIS
// draws them; only GPX and KML join points more than 180 degrees apart across 180 degrees.
TEST_F(KavuSheetGis, AreasAsDrawnAndTracksTheShortWay) {
    const std::string crs =
        R"("crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4284"}},)";
    const auto geojson = [&](const std::string& name, const std::string& geometry) {
        return Write(name, R"({"type": "FeatureCollection", )" + crs +
                               R"( "features": [{"type": "Feature", "properties": {},
 "geometry": )" + geometry + "}]}");
    };
    // A box round nearly the whole world: every sheet in it, as --bbox gives them.
    const std::string world = geojson("world.geojson", R"({"type": "Polygon", "coordinates":
 [[[-179, -59], [179, -59], [179, 83], [-179, 83], [-179, -59]]]})");
    const Names box = OldOf({"cover", "--bbox", "-59,-179,83,179", "-s", "1M"});
    EXPECT_EQ(box.size(), 36u * 60u);
    EXPECT_EQ(OldOf({"cover", world, "-s", "1M"}), box);
    // The same ring in KML is joined the short way: a strip along 180 degrees.
    const std::string kml = Write("strip.kml", R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Placemark><Polygon><outerBoundaryIs><LinearRing>
<coordinates>-179,-59 179,-59 179,83 -179,83 -179,-59</coordinates>
</LinearRing></outerBoundaryIs></Polygon></Placemark></kml>
)");
    EXPECT_EQ(OldOf({"cover", kml, "-s", "1M"}).size(), 36u * 2u);
    // A line from 179.5 E to 179.5 W: round the globe in GeoJSON, across 180 degrees in a GPX
    // track (WGS 84, so the points are first shifted).
    const std::string line = geojson("line.geojson", R"({"type": "LineString", "coordinates":
 [[179.5, 0.5], [-179.5, 0.5]]})");
    EXPECT_EQ(OldOf({"cover", line, "-s", "1M"}).size(), 60u);
    const std::string gpx = Write("track.gpx", R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
<trkpt lat="0.5" lon="179.5"/><trkpt lat="0.5" lon="-179.5"/></trkseg></trk></gpx>
)");
    EXPECT_EQ(OldOf({"cover", gpx, "-s", "1M"}), (Names{"A-1", "A-60"}));
    // Longitudes past 180 degrees, in the 1942 datum and in WGS 84 (no CRS named): 181 is
    // 179 degrees W, and a line from 178 to 182 crosses 180 degrees.
    EXPECT_EQ(OldOf({"cover", geojson("east.geojson", R"({"type": "LineString", "coordinates":
 [[178, 0.5], [182, 0.5]]})"),
                     "-s", "1M"}),
              (Names{"A-1", "A-60"}));
    EXPECT_EQ(OldOf({"cover", Write("wgs.geojson", R"({"type": "FeatureCollection", "features": [
 {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [181, 0.5]}}]})"),
                     "-s", "1M"}),
              Names{"A-1"});
}

// Each failure: one line naming the file and the reason, exit 1 (2 for a usage error, which
// may add where to find help), and nothing written where the output was to go.
TEST_F(KavuSheetGis, BadInputIsOneLineAndLeavesNothing) {
    const std::string gpx = Write("walk.gpx", R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
<trkpt lat="55.70" lon="37.40"/><trkpt lat="55.90" lon="37.90"/></trkseg></trk></gpx>
)");
    const std::string kept = Write("kept.gpkg", "an earlier file that must survive");
    const std::string noGeometry = Write("empty.geojson", R"({"type": "FeatureCollection",
 "features": [{"type": "Feature", "properties": {"a": 1}, "geometry": null}]})");
    const std::string notVector = Write("notes.kml", "these are notes, not a map");
    {
        // A shapefile on an engineering drawing's CRS, which has no way to the globe.
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
    std::filesystem::create_directory(dir_ / "taken.geojson"); // where the output would go
    const auto before = Listing();
    const std::string dir = dir_.string() + "/";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string named; // in the message
    } cases[] = {
        {{"cover", dir + "missing.gpx", "-s", "50k", "-o", kept}, 1, "missing.gpx: No such file"},
        {{"cover", noGeometry, "-s", "50k", "-o", kept}, 1, "empty.geojson: no geometry"},
        {{"cover", notVector, "-s", "50k", "-o", kept}, 1, "notes.kml: "},
        {{"cover", dir + "drawing.shp", "-s", "50k", "-o", kept}, 1, "drawing.shp: "},
        {{"cover", gpx, "-s", "50k", "-o", dir + "no/such/dir.gpkg"}, 1, "dir.gpkg: "},
        {{"cover", gpx, "-s", "50k", "-o", dir + "sheets.xyz"}, 1, "sheets.xyz: "},
        {{"cover", gpx, "-s", "50k", "-o", dir + "taken.geojson"}, 1, "taken.geojson: "},
        {{"cover", gpx, "-s", "50k", "-o", kept, "--driver", "NoSuchDriver"}, 1, "NoSuchDriver"},
        {{"cover", gpx, "--bbox", "55,37,56,38", "-s", "50k"}, 2, "not both"},
        {{"cover", gpx, "-s", "50k", "--buffer", "-5"}, 2, "--buffer"},
        {{"cover", "--bbox", "55,37,56,38", "-s", "50k", "--buffer", "5"}, 2, "--buffer"},
        {{"point", "55", "37", "--datum", "nad27"}, 2, "--datum"},
        {{"point", "55", "37", "--driver", "GPKG"}, 2, "--driver"},
        {{"frame", "N-37-4-А", "--size", "10,10"}, 2, "--gcp"},
        {{"frame", "N-37-4-А", "--gcp", "--size", "10x10"}, 2, "--size"},
        {{"frame", "N-37-4-А", "--gcp", "-o", dir + "scan.txt", "--size", "10,10"}, 2, ".points"},
        {{"frame", "N-37-4-А", "--gcp", "-o", dir + "scan.points"}, 2, "--size"},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(c.args);
        const std::string said = c.args[1] + "\n" + run.Err;
        EXPECT_EQ(run.Status, c.status) << said;
        EXPECT_NE(run.Err.substr(0, run.Err.find('\n')).find(c.named), std::string::npos) << said;
        EXPECT_TRUE(c.status != 1 || std::count(run.Err.begin(), run.Err.end(), '\n') == 1) << said;
        EXPECT_EQ(run.Out, "") << said;
        EXPECT_EQ(Listing(), before) << said;
    }
    EXPECT_EQ(Read("kept.gpkg"), "an earlier file that must survive");
}

// The -gcp arguments for gdal_translate in the sheet's Gauss–Krüger zone (the corners and,
// with the scan's size, the kilometre-grid crossings), and the .points file with the same
// points, source rows counted upwards as QGIS does.
TEST_F(KavuSheetGis, ControlPointsForAScan) {
    const ToolRun gcp = RunTool({"frame", "N-37-4-А", "--gcp", "--size", "600,400"});
    ASSERT_EQ(gcp.Status, 0) << gcp.Err;
    ASSERT_EQ(gcp.Out.rfind("-a_srs EPSG:28407 -gcp ", 0), 0u) << gcp.Out;
    std::size_t count = 0;
    for (std::size_t at = gcp.Out.find("-gcp "); at != std::string::npos;
         at = gcp.Out.find("-gcp ", at + 1))
        ++count;
    EXPECT_GT(count, 200u); // about 18 x 17 crossings besides the corners
    // gdal_translate takes them as they are; the south-east corner is where the projection
    // puts it (cs2cs EPSG:4284 EPSG:28407 of 55.833333333 37.75).
    GDALAllRegister();
    const std::string scan = (dir_ / "scan.tif").string(), out = (dir_ / "out.tif").string();
    std::unique_ptr<GDALDataset>(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        scan.c_str(), 600, 400, 1, GDT_Byte, nullptr));
    const std::string translate =
        "gdal_translate -q " + gcp.Out.substr(0, gcp.Out.size() - 1) + " " + scan + " " + out;
    ASSERT_EQ(std::system(translate.c_str()), 0);
    std::unique_ptr<GDALDataset> ds(GDALDataset::Open(out.c_str(), GDAL_OF_RASTER));
    ASSERT_TRUE(ds);
    ASSERT_EQ(static_cast<std::size_t>(ds->GetGCPCount()), count);
    const GDAL_GCP& se = ds->GetGCPs()[2];
    EXPECT_NEAR(se.dfGCPX, 7421674.724, 1e-3);
    EXPECT_NEAR(se.dfGCPY, 6190821.721, 1e-3);
    EXPECT_NE(std::string(ds->GetGCPSpatialRef()->GetName()).find("zone 7"), std::string::npos);

    // From standard input: a line a name, an empty one where a name fails; corners only
    // without a size, in the zone whatever the datum.
    const ToolRun lines = RunTool({"frame", "--gcp", "--datum", "wgs84"}, "N-37-4-А\nnonsense\n");
    EXPECT_EQ(lines.Status, 1);
    const auto answers = Lines(lines.Out);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].rfind("-a_srs EPSG:28407 -gcp NW_PIXEL NW_LINE 7406413.288 6209687.479 "
                               "-gcp NE_PIXEL NE_LINE ",
                               0),
              0u)
        << answers[0];
    EXPECT_EQ(answers[1], "");

    const std::string points = (dir_ / "scan.points").string();
    ASSERT_EQ(RunTool({"frame", "N-37-4-А", "--gcp", "--size", "600,400", "-o", points}).Status, 0);
    const auto file = Lines(Read("scan.points"));
    ASSERT_EQ(file.size(), count + 2);
    EXPECT_EQ(file[0].rfind("#CRS: PROJCRS[\"Pulkovo 1942 / Gauss-Kruger zone 7\"", 0), 0u)
        << file[0];
    EXPECT_EQ(file[1], "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual");
    EXPECT_EQ(file[2].rfind("7406413.288,6209687.479,", 0), 0u) << file[2];
}

} // namespace
