// Rectangular coordinates through the real kavu-sheet: X Y pairs read to their sheets, and the
// kilometre grid of a sheet in every format, checked against the projection and read back
// with OGR.
#include "geo/gauss_kruger.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <fstream>
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

} // namespace
