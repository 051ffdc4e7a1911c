// Rectangular coordinates through the real kavu-sheet: X Y pairs read to their sheets, and the
// kilometre grid of a sheet in every format, checked against the projection and read back
// with OGR.
#include "cli/grid_output.h"
#include "geo/gauss_kruger.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <tuple>
#include <unistd.h>

namespace {

using namespace kavu::geo;

const GaussKruger& Gk() {
    static const std::unique_ptr<GaussKruger> gk = [] {
        std::string error;
        auto g = GaussKruger::Create(error);
        EXPECT_TRUE(g) << error;
        return g;
    }();
    return *gk;
}

// Moscow's worked point, X Y written each way people write it, and its sheet; errors point at
// the part at fault; degrees still read beside them.
TEST(KavuSheetGk, PointReadsRectangularPairs) {
    const ToolRun run = RunTool({"point", "--scale", "50k"},
                                "X=6 182 348 Y=7 413 188\n6182348 7413188\nx 6182.348, y 7413.188\n"
                                "Х=6182348 У=7413188\n55.7558 37.6173\nX=6182348 Y=413188\n"
                                "-1105916 7554821\n");
    EXPECT_EQ(run.Status, 1);
    const auto lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 6u) << run.Out;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(lines[i], "1:50000    14-37-004-3        N-37-4-В") << i;
    // X = -1 105 916 m in zone 7 is 10 degrees south (cs2cs), on s 3-37.
    EXPECT_NE(lines[5].find("s 3-37-"), std::string::npos) << lines[5];
    EXPECT_NE(run.Err.find("line 6: \"X=6182348 Y=413188\": Y gives zone 0, outside 1–60"),
              std::string::npos)
        << run.Err;

    // A JSON record gives the point on the 1942 datum.
    const ToolRun json =
        RunTool({"point", "--scale", "50k", "-f", "json", "X=6182348.166", "Y=7413187.972"});
    ASSERT_EQ(json.Status, 0) << json.Err;
    const auto record = nlohmann::json::parse(json.Out);
    EXPECT_NEAR(record["latitude"].get<double>(), 55.7558, 1e-8);
    EXPECT_NEAR(record["longitude"].get<double>(), 37.6173, 1e-8);
}

// The grid of sheets at 1:100,000, 1:50,000 and 1:10,000, north and south: every format
// gives the same lines; each line's ends lie on the frame at its value, and agree with the
// projection; GeoJSON reads back through OGR with one feature a line.
TEST(KavuSheetGk, GridOfASheetInEveryFormat) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("kavu-gk-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (const auto& [name, step, count] :
         {std::tuple{"N-37-004", 2000.0, 34u}, std::tuple{"N-37-4-А", 1000.0, 35u},
          std::tuple{"s K-34-13-А-а-1", 1000.0, 10u}}) {
        SCOPED_TRACE(name);
        const ToolRun text = RunTool({"grid", name});
        const ToolRun csv = RunTool({"grid", name, "--format", "csv"});
        const ToolRun json = RunTool({"grid", name, "-f", "json"});
        const ToolRun geojson = RunTool({"grid", name, "-f", "geojson"});
        ASSERT_EQ(text.Status + csv.Status + json.Status + geojson.Status, 0) << text.Err;
        const auto rows = Lines(csv.Out);
        ASSERT_EQ(rows.size(), count + 1) << csv.Out;
        EXPECT_EQ(Lines(text.Out).size(), count);
        EXPECT_EQ(Lines(json.Out).size(), count);
        for (std::size_t i = 1; i < rows.size(); ++i) {
            const auto f = CsvFields(rows[i]);
            ASSERT_EQ(f.size(), 14u);
            const int zone = std::stoi(f[1]);
            const double value = std::stod(f[3]);
            EXPECT_EQ(std::fmod(value, step), 0) << rows[i];
            EXPECT_EQ(f[4], std::to_string(static_cast<long long>(value / 1000)));
            EXPECT_EQ(f[5], f[4].substr(f[4].size() - 2));
            for (const int end : {0, 1}) {
                const double x = std::stod(f[6 + 2 * end]), y = std::stod(f[7 + 2 * end]);
                EXPECT_EQ(f[2] == "X" ? x : y, value);
                GridPoint p;
                ASSERT_TRUE(
                    Gk().Forward(zone, std::stod(f[10 + 2 * end]), std::stod(f[11 + 2 * end]), p));
                EXPECT_NEAR(p.X, x, 2e-3) << rows[i];
                EXPECT_NEAR(p.Y, y, 2e-3) << rows[i];
            }
            const auto record = nlohmann::json::parse(Lines(json.Out)[i - 1]);
            EXPECT_EQ(record["label"], f[5]);
            EXPECT_EQ(record["from"]["y"].dump(), f[7]);
        }
        const auto path = (dir / "grid.geojson").string();
        std::ofstream(path) << geojson.Out;
        GDALAllRegister();
        auto* ds = static_cast<GDALDataset*>(
            GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
        ASSERT_NE(ds, nullptr);
        OGRLayer* layer = ds->GetLayer(0);
        EXPECT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(count));
        for (const auto& feature : *layer)
            EXPECT_EQ(wkbFlatten(feature->GetGeometryRef()->getGeometryType()), wkbLineString);
        GDALClose(ds);
    }
    std::filesystem::remove_all(dir);

    // The neighbouring zone's grid on request, in its own numbers; refusals.
    const ToolRun east = RunTool({"grid", "N-37-12-Г", "--zone", "8", "-f", "csv"});
    ASSERT_EQ(east.Status, 0) << east.Err;
    for (const auto& row : Lines(east.Out))
        if (CsvFields(row)[2] == "Y") {
            EXPECT_EQ(CsvFields(row)[3].substr(0, 1), "8");
        }
    for (const auto& [args, status, message] : {
             std::tuple{std::vector<std::string>{"grid", "N-37"}, 1,
                        "no kilometre grid at 1:1000000"},
             std::tuple{std::vector<std::string>{"grid", "N-37-4"}, 1,
                        "pick one reading with --scale"},
             std::tuple{
                 std::vector<std::string>{"grid", "N-37-4", "--scale", "100k", "--zone", "9"}, 2,
                 "only its neighbours 6 and 8"},
             std::tuple{std::vector<std::string>{"grid", "N-37-4-А", "--step", "0.5"}, 2,
                        "--step must be"},
             std::tuple{std::vector<std::string>{"grid"}, 2, "grid needs a sheet NAME"},
             std::tuple{std::vector<std::string>{"grid", "Q-99"}, 1, "Q-99"},
         }) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.Status, status) << run.Err;
        EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
    }
    // --output: the same lines as a GeoPackage layer in the zone's CRS, read back with OGR.
    const auto gpkg =
        (std::filesystem::temp_directory_path() / ("kavu-gk-" + std::to_string(getpid()) + ".gpkg"))
            .string();
    ASSERT_EQ(RunTool({"grid", "N-37-4-А", "-o", gpkg}).Status, 0);
    const auto rows = Lines(RunTool({"grid", "N-37-4-А", "-f", "csv"}).Out);
    auto* ds = static_cast<GDALDataset*>(
        GDALOpenEx(gpkg.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr));
    ASSERT_NE(ds, nullptr);
    OGRLayer* layer = ds->GetLayerByName("grid");
    ASSERT_NE(layer, nullptr);
    EXPECT_NE(std::string(layer->GetSpatialRef()->GetName()).find("zone 7"), std::string::npos);
    ASSERT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(rows.size() - 1));
    std::size_t row = 1;
    for (const auto& feature : *layer) {
        const auto f = CsvFields(rows[row++]);
        const auto* line = feature->GetGeometryRef()->toLineString();
        EXPECT_EQ(feature->GetFieldAsString("label"), f[5]);
        EXPECT_NEAR(line->getX(0), std::stod(f[7]), 1e-3);
        EXPECT_NEAR(line->getY(0), std::stod(f[6]), 1e-3);
        EXPECT_NEAR(line->getX(1), std::stod(f[9]), 1e-3);
        EXPECT_NEAR(line->getY(1), std::stod(f[8]), 1e-3);
    }
    GDALClose(ds);
    std::filesystem::remove(gpkg);

    const ToolRun fine = RunTool({"grid", "N-37-4-А", "--step", "500"});
    EXPECT_EQ(Lines(fine.Out).size(), 70u);
}

// --crs: frame in gk gives the corners and centre in the sheet's zone, the same numbers as
// EPSG:28407; a projected CRS reads northing and easting; EPSG:4326 is --datum wgs84; a CRS
// PROJ does not know, and --crs beside --datum, are refused.
TEST(KavuSheetGk, FrameAndPointInAnyCrs) {
    const ToolRun gk = RunTool({"frame", "N-37-4-А", "--crs", "gk", "-f", "csv"});
    const ToolRun epsg = RunTool({"frame", "--crs", "EPSG:28407", "N-37-4-А", "-f", "csv"});
    ASSERT_EQ(gk.Status + epsg.Status, 0) << gk.Err << epsg.Err;
    const auto a = CsvFields(Lines(gk.Out).at(1)), b = CsvFields(Lines(epsg.Out).at(1));
    ASSERT_EQ(a.size(), 16u);
    ASSERT_EQ(b.size(), 15u);
    EXPECT_EQ(a[5], "7");
    GridPoint corners[5];
    ASSERT_TRUE(Gk().Corners(kavu::SheetKey{5, 'N', 14, 37, 4, 1}, 0, corners));
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(std::stod(a[6 + 2 * i]), corners[i].X, 5e-4);
        EXPECT_NEAR(std::stod(a[7 + 2 * i]), corners[i].Y, 5e-4);
        EXPECT_EQ(a[6 + 2 * i], b[5 + 2 * i]);
        EXPECT_EQ(a[7 + 2 * i], b[6 + 2 * i]);
    }
    const ToolRun text = RunTool({"frame", "N-37-4-А", "--crs", "gk"});
    EXPECT_EQ(text.Out.rfind("14-37-004-1  N-37-4-А  NW X 6209687.479 Y 7406413.288  NE X ", 0), 0u)
        << text.Out;

    // cs2cs EPSG:4284 EPSG:32637 of 55.7558 37.6173: 413106.5994 6179774.0500.
    const ToolRun utm =
        RunTool({"point", "--crs", "EPSG:32637", "--scale", "50k"}, "6179774.05 413106.6\n1 2 3\n");
    EXPECT_EQ(utm.Status, 1);
    EXPECT_EQ(Lines(utm.Out).at(0), "1:50000    14-37-004-3        N-37-4-В");
    EXPECT_NE(utm.Err.find("left over after northing and easting"), std::string::npos) << utm.Err;

    const ToolRun wgs =
        RunTool({"point", "55.7558", "37.6173", "--crs", "EPSG:4326", "-f", "json"});
    const ToolRun datum =
        RunTool({"point", "55.7558", "37.6173", "--datum", "wgs84", "-f", "json"});
    EXPECT_EQ(wgs.Out, datum.Out);
    EXPECT_NE(wgs.Out.find("latitude_wgs84"), std::string::npos);

    const ToolRun unknown = RunTool({"frame", "N-37-4-А", "--crs", "EPSG:999999"});
    EXPECT_EQ(unknown.Status, 1);
    EXPECT_NE(unknown.Err.find("EPSG:999999"), std::string::npos);
    const ToolRun both = RunTool({"frame", "N-37-4-А", "--crs", "gk", "--datum", "wgs84"});
    EXPECT_EQ(both.Status, 2);
    EXPECT_NE(both.Err.find("--crs and --datum"), std::string::npos);
}

// A CSV run as rows of named fields.
std::vector<std::map<std::string, std::string>> CsvRecords(const std::string& text) {
    const auto lines = Lines(text);
    std::vector<std::map<std::string, std::string>> out;
    if (lines.empty()) return out;
    const auto header = CsvFields(lines[0]);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = CsvFields(lines[i]);
        std::map<std::string, std::string> row;
        for (std::size_t k = 0; k < header.size() && k < fields.size(); ++k)
            row[header[k]] = fields[k];
        out.push_back(row);
    }
    return out;
}

// Each subcommand in gk and in UTM 37: the point echoed and every frame's corners and centre
// as PROJ projects the 1942 degrees of the same run without --crs, to the millimetre; CSV
// and JSON Lines give the same numbers; text has no coordinates but a frame's, so it is the
// geographic run's.
TEST(KavuSheetGk, ProjectedRecordsOfEverySubcommand) {
    struct Run {
        std::vector<std::string> args;
        std::string gkInput, utmInput; // standard input in each CRS
    };
    const Run runs[] = {
        {{"point", "--scale", "50k,100k"},
         "55.7558 37.6173\nX=6182348 Y=7413188\n",
         "6179774.05 413106.6\n"},
        {{"around", "N-37-12-Г"}, "", ""},
        {{"rescale", "N-37-4", "--from", "100k", "--scale", "50k"}, "", ""},
        {{"cover", "--bbox", "55,37,55.4,38", "--scale", "100k"}, "", ""},
    };
    for (const std::string crs : {"gk", "EPSG:32637"}) {
        std::string error;
        const auto projection = CrsTransform::Create(crs, error);
        ASSERT_TRUE(projection) << error;
        for (const Run& run : runs) {
            SCOPED_TRACE(crs + " " + run.args[0]);
            const bool point = run.args[0] == "point";
            const std::string& input = crs == "gk" ? run.gkInput : run.utmInput;
            auto with = [&](std::vector<std::string> extra) {
                std::vector<std::string> args = run.args;
                args.insert(args.end(), extra.begin(), extra.end());
                const ToolRun r = RunTool(args, input);
                EXPECT_EQ(r.Status, 0) << r.Err;
                return r.Out;
            };
            const auto csv = CsvRecords(with({"--crs", crs, "-f", "csv"}));
            const auto json = Lines(with({"--crs", crs, "-f", "json"}));
            ASSERT_EQ(csv.size(), json.size());
            ASSERT_FALSE(csv.empty());
            if (!point || crs == "gk") {
                // The same input in degrees, and the same records in them.
                const std::string plainInput = point ? "55.7558 37.6173\n55.7558 37.6173\n" : "";
                std::vector<std::string> args = run.args;
                args.insert(args.end(), {"-f", "csv"});
                const auto plain = CsvRecords(RunTool(args, plainInput).Out);
                ASSERT_EQ(plain.size(), csv.size());
                args.back() = "text";
                EXPECT_EQ(with({"--crs", crs}), RunTool(args, plainInput).Out);
                for (std::size_t i = 0; i < csv.size(); ++i) {
                    EXPECT_EQ(csv[i].at("old"), plain[i].at("old"));
                    if (point) {
                        EXPECT_NEAR(std::stod(csv[i].at("latitude_1942")), 55.7558,
                                    2e-6); // X Y to 1 m
                        continue;
                    }
                    const double n = std::stod(plain[i].at("north")),
                                 s = std::stod(plain[i].at("south")),
                                 w = std::stod(plain[i].at("west")),
                                 e = std::stod(plain[i].at("east"));
                    const int zone = crs == "gk" ? ZoneOfLongitude((w + e) / 2) : 0;
                    if (crs == "gk") {
                        EXPECT_EQ(csv[i].at("zone"), std::to_string(zone));
                    }
                    const std::pair<const char*, std::pair<double, double>> corners[] = {
                        {"nw", {n, w}},
                        {"ne", {n, e}},
                        {"se", {s, e}},
                        {"sw", {s, w}},
                        {"centre", {(n + s) / 2, (w + e) / 2}}};
                    const auto record = nlohmann::json::parse(json[i]);
                    for (const auto& [name, at] : corners) {
                        double a = 0, b = 0;
                        ASSERT_TRUE(projection->FromSeries(at.first, at.second, a, b, zone));
                        const std::string corner = name;
                        // Half a millimetre, and the degrees' last digit (1e-9, 0.1 mm).
                        EXPECT_NEAR(std::stod(csv[i].at(corner + "_northing")), a, 7e-4);
                        EXPECT_NEAR(std::stod(csv[i].at(corner + "_easting")), b, 7e-4);
                        EXPECT_EQ(record[corner][0].dump(), csv[i].at(corner + "_northing"));
                        EXPECT_EQ(record[corner][1].dump(), csv[i].at(corner + "_easting"));
                    }
                }
            }
            if (!point) continue;
            for (std::size_t i = 0; i < csv.size(); ++i) {
                const double lat = std::stod(csv[i].at("latitude_1942")),
                             lon = std::stod(csv[i].at("longitude_1942"));
                double a = 0, b = 0;
                ASSERT_TRUE(projection->FromSeries(lat, lon, a, b));
                EXPECT_NEAR(std::stod(csv[i].at("northing")), a, 5e-4);
                EXPECT_NEAR(std::stod(csv[i].at("easting")), b, 5e-4);
                const auto record = nlohmann::json::parse(json[i]);
                EXPECT_EQ(record["northing"].dump(), csv[i].at("northing"));
                EXPECT_EQ(record["old"], csv[i].at("old"));
                if (crs == "gk") {
                    EXPECT_EQ(csv[i].at("zone"), "7");
                    // The X Y read echoes itself.
                    if (i >= 2) {
                        EXPECT_EQ(csv[i].at("northing"), "6182348");
                    }
                } else {
                    EXPECT_EQ(csv[i].at("northing"), "6179774.05");
                    EXPECT_EQ(csv[i].at("easting"), "413106.6");
                }
            }
        }
    }
}

// A frame PROJ cannot project (UTM zone 37 on the far side of the globe) is named on standard
// error; its CSV row stays, empty, in line with the input.
TEST(KavuSheetGk, FrameBeyondTheProjection) {
    const ToolRun run =
        RunTool({"frame", "--crs", "EPSG:32637", "-f", "csv"}, "s A-53-89-А\nN-37-4-А\n");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("line 1: PROJ cannot project the frame of s A-53-89-А to EPSG:32637"),
              std::string::npos)
        << run.Err;
    const auto rows = Lines(run.Out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], "1,s A-53-89-А");
    EXPECT_EQ(CsvFields(rows[2]).at(4), "N-37-4-А");
}

// A GDAL dataset opened for reading, closed at the end of the scope.
struct Opened {
    explicit Opened(const std::string& path)
        : ds(static_cast<GDALDataset*>(
              GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr))) {}
    ~Opened() { GDALClose(ds); }
    GDALDataset* ds;
};

// GeoJSON and GIS layers in a projected CRS, read back with OGR: the CRS named, one feature a
// sheet, each frame a ring whose every vertex lies on the sheet's edges (its parallels
// densified, as they curve), and the corners where PROJ puts them. With gk a file is drawn in
// one zone, that of the sheet named, even for the neighbours across the zone's edge.
TEST(KavuSheetGk, GeoJsonAndLayersInAProjectedCrs) {
    GDALAllRegister();
    const auto dir =
        std::filesystem::temp_directory_path() / ("kavu-gk-layers-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string error;
    for (const auto& [crs, code, args] :
         {std::tuple{std::string("gk"), 28407, std::vector<std::string>{"around", "N-37-12-Г"}},
          std::tuple{std::string("EPSG:32637"), 32637,
                     std::vector<std::string>{"cover", "--bbox", "55,37,55.4,38", "-s", "100k"}},
          std::tuple{std::string("EPSG:28407"), 28407,
                     std::vector<std::string>{"point", "6182348", "7413188", "-s", "50k"}}}) {
        SCOPED_TRACE(crs + " " + args[0]);
        const auto projection = CrsTransform::Create(crs == "gk" ? "EPSG:28407" : crs, error);
        ASSERT_TRUE(projection) << error;
        std::vector<std::string> plainArgs = args;
        plainArgs.insert(plainArgs.end(), {"-f", "csv"});
        auto plain = CsvRecords(RunTool(plainArgs).Out);
        if (args[0] == "point") { // its frame, from the frame of its sheet
            plain = CsvRecords(RunTool({"frame", plain.at(0).at("old"), "-f", "csv"}).Out);
        }
        std::vector<std::string> geoArgs = args;
        geoArgs.insert(geoArgs.end(), {"--crs", crs, "-f", "geojson"});
        const ToolRun geojson = RunTool(geoArgs);
        ASSERT_EQ(geojson.Status, 0) << geojson.Err;
        const std::string geojsonPath = (dir / "frames.geojson").string();
        std::ofstream(geojsonPath) << geojson.Out;
        const std::string gpkgPath = (dir / (args[0] + ".gpkg")).string();
        std::vector<std::string> fileArgs = args;
        fileArgs.insert(fileArgs.end(), {"--crs", crs, "-o", gpkgPath});
        const ToolRun file = RunTool(fileArgs);
        ASSERT_EQ(file.Status, 0) << file.Err;

        for (const std::string& path : {geojsonPath, gpkgPath}) {
            SCOPED_TRACE(path);
            const Opened opened(path);
            ASSERT_NE(opened.ds, nullptr);
            OGRLayer* layer = opened.ds->GetLayer(0);
            ASSERT_NE(layer->GetSpatialRef(), nullptr);
            EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr),
                         std::to_string(code).c_str());
            ASSERT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(plain.size()));
            std::size_t i = 0;
            for (const auto& feature : *layer) {
                const auto& row = plain.at(i++);
                EXPECT_STREQ(feature->GetFieldAsString("old"), row.at("old").c_str());
                if (crs == "gk") {
                    EXPECT_EQ(feature->GetFieldAsInteger("zone"), 7);
                }
                const double n = std::stod(row.at("north")), s = std::stod(row.at("south")),
                             w = std::stod(row.at("west")), e = std::stod(row.at("east"));
                const auto* ring = feature->GetGeometryRef()->toPolygon()->getExteriorRing();
                ASSERT_GT(ring->getNumPoints(), 20);
                double a = 0, b = 0;
                ASSERT_TRUE(projection->FromSeries(s, w, a, b));
                EXPECT_NEAR(ring->getX(0), b, 1e-3); // the south-west corner, easting first
                EXPECT_NEAR(ring->getY(0), a, 1e-3);
                for (int k = 0; k < ring->getNumPoints(); ++k) {
                    double lat = 0, lon = 0;
                    ASSERT_TRUE(projection->ToSeries(ring->getY(k), ring->getX(k), lat, lon));
                    const bool onParallel = std::fabs(lat - s) < 1e-8 || std::fabs(lat - n) < 1e-8;
                    const bool onMeridian = std::fabs(lon - w) < 1e-8 || std::fabs(lon - e) < 1e-8;
                    EXPECT_TRUE(onParallel || onMeridian) << k << ": " << lat << " " << lon;
                }
                EXPECT_EQ(ring->isClockwise(), FALSE);
            }
        }
    }
    // A point's GIS layer holds the frame of its sheet (it was drawn at 0, 0).
    const std::string points = (dir / "point.gpkg").string();
    ASSERT_EQ(RunTool({"point", "55.7558", "37.6173", "-s", "50k", "-o", points}).Status, 0);
    {
        const Opened opened(points);
        ASSERT_NE(opened.ds, nullptr);
        OGREnvelope box;
        ASSERT_EQ(opened.ds->GetLayer(0)->GetExtent(&box), OGRERR_NONE);
        EXPECT_NEAR(box.MinX, 37.5, 1e-9);
        EXPECT_NEAR(box.MaxY, 55 + 50 / 60.0, 1e-9);
    }
    std::filesystem::remove_all(dir);
}

// Metres as the tool writes them, against printf: whole millimetres, no trailing zeros, across
// the eastings of every zone and the northings of both hemispheres, and halfway cases.
TEST(KavuSheetGk, MetresToTheMillimetre) {
    const auto reference = [](double metres) {
        const long long mm = std::llround(metres * 1000);
        char text[48];
        std::snprintf(text, sizeof text, "%s%lld.%03lld", mm < 0 ? "-" : "", std::llabs(mm) / 1000,
                      std::llabs(mm) % 1000);
        std::string out = text;
        out.erase(out.find_last_not_of('0') + 1);
        if (out.back() == '.') out.pop_back();
        return out == "-0" ? std::string("0") : out;
    };
    std::mt19937_64 random(20);
    std::uniform_real_distribution<double> any(-61e6, 61e6);
    std::vector<double> values = {0,           -0.0, 0.0004, -0.0004,  0.0005,       1,
                                  10,          99,   100,    999.9995, -1105916.147, 60500000,
                                  9999999.999, 1e12, -1e12};
    for (int i = 0; i < 200000; ++i) {
        const double v = any(random);
        values.push_back(v);
        values.push_back(std::round(v)); // whole metres
        values.push_back(std::round(v * 10) / 10);
    }
    for (const double v : values)
        ASSERT_EQ(kavu::cli::Metres(v), reference(v)) << v;
    EXPECT_EQ(kavu::cli::Metres(std::nan("")), "");
    EXPECT_EQ(kavu::cli::Metres(2e12), "");
}

} // namespace
