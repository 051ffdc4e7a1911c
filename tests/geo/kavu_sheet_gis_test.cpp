// kavu-sheet's datum, vector-file and control-point options, through the real program.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class KavuSheetGis : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("kavu-sheet-gis-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return (dir_ / name).string();
    }
    // Runs the program with `args` (passed through the shell: quote what needs it).
    Outcome Sheet(const std::string& args, const std::string& input = "") {
        Write(".in", input);
        const std::string command = std::string(KAVU_SHEET) + " " + args + " <" +
                                    (dir_ / ".in").string() + " >" + (dir_ / ".out").string() +
                                    " 2>" + (dir_ / ".err").string();
        Outcome r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(dir_ / ".out");
        r.err = Slurp(dir_ / ".err");
        fs::remove(dir_ / ".in");
        fs::remove(dir_ / ".out");
        fs::remove(dir_ / ".err");
        return r;
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir_;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Fields of one CSV line (RFC 4180 quoting).
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += '"', ++i;
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// The "old" column of a CSV answer: the lettered designations.
std::vector<std::string> OldColumn(const std::string& csv) {
    const auto lines = Lines(csv);
    std::vector<std::string> out;
    if (lines.empty()) return out;
    const auto header = Fields(lines[0]);
    const auto column = std::find(header.begin(), header.end(), "old") - header.begin();
    for (std::size_t i = 1; i < lines.size(); ++i)
        out.push_back(Fields(lines[i]).at(static_cast<std::size_t>(column)));
    return out;
}

// A value of a JSON Lines record: "key":number.
double Field(const std::string& line, const std::string& key) {
    const auto at = line.find("\"" + key + "\":");
    EXPECT_NE(at, std::string::npos) << key << " in " << line;
    return std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

TEST_F(KavuSheetGis, DatumMovesThePointAndTheFrame) {
    // 37.7485 E in WGS 84 lies east of the meridian 37 deg 45' on the 1942 datum.
    EXPECT_EQ(Sheet("point 55.7558 37.7485 --scale 50k --format csv").out,
              Sheet("point 55.7558 37.7485 --scale 50k --format csv --datum 1942").out);
    EXPECT_EQ(OldColumn(Sheet("point 55.7558 37.7485 --scale 50k --format csv").out),
              std::vector<std::string>{"N-37-4-В"});
    EXPECT_EQ(OldColumn(Sheet("point 55.7558 37.7485 --scale 50k --format csv --datum wgs84").out),
              std::vector<std::string>{"N-37-4-Г"});

    // Random WGS 84 points streamed through point, their sheets streamed through frame: each
    // WGS 84 frame holds its point (points within 1e-6 degree of an edge aside, since a frame
    // shifted to WGS 84 is no longer exactly a box).
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> latitude(-83.9, 83.9), longitude(-179.9, 179.9);
    std::string points;
    std::vector<std::pair<double, double>> given;
    for (int i = 0; i < 3000; ++i) {
        given.emplace_back(latitude(random), longitude(random));
        char line[64];
        std::snprintf(line, sizeof line, "%.7f %.7f\n", given.back().first, given.back().second);
        points += line;
    }
    const Outcome sheets = Sheet("point --scale 25k --format csv --datum wgs84", points);
    ASSERT_EQ(sheets.status, 0) << sheets.err;
    std::string names;
    for (const std::string& name : OldColumn(sheets.out))
        names += name + "\n";
    const Outcome frames = Sheet("frame --scale 25k --format json --datum wgs84", names);
    ASSERT_EQ(frames.status, 0) << frames.err;
    const auto records = Lines(frames.out);
    ASSERT_EQ(records.size(), given.size());
    int inside = 0;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto [lat, lon] = given[i];
        const double n = Field(records[i], "north"), s = Field(records[i], "south");
        const double w = Field(records[i], "west"), e = Field(records[i], "east");
        const double margin = std::min({n - lat, lat - s, lon - w, e - lon});
        if (std::fabs(margin) < 1e-6) continue;
        EXPECT_GT(margin, 0) << lat << " " << lon << ": " << records[i];
        ++inside;
    }
    EXPECT_GT(inside, 2990);
}

TEST_F(KavuSheetGis, CoverOfAFile) {
    // A GPX track in WGS 84 and its sheets, read as the file gives them.
    const std::string gpx = Write("walk.gpx", R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
<trkpt lat="55.70" lon="37.40"/><trkpt lat="55.90" lon="37.90"/></trkseg></trk></gpx>
)");
    const Outcome run = Sheet("cover " + gpx + " --scale 50k --format csv");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(OldColumn(run.out),
              (std::vector<std::string>{"N-37-4-А", "N-37-4-Б", "N-37-3-Г", "N-37-4-В"}));
    // 2 km round the track reaches the sheets beside it, and the result holds the track's.
    const auto wide =
        OldColumn(Sheet("cover " + gpx + " --scale 50k --format csv --buffer 2000").out);
    EXPECT_GT(wide.size(), 4u);
    for (const std::string& name : OldColumn(run.out))
        EXPECT_NE(std::find(wide.begin(), wide.end(), name), wide.end()) << name;

    // An area across 180 degrees at 1:1,000,000, as sheets and as published sheets.
    const std::string kml = Write("area.kml", R"(<?xml version="1.0" encoding="UTF-8"?>
<kml xmlns="http://www.opengis.net/kml/2.2"><Placemark><Polygon><outerBoundaryIs><LinearRing>
<coordinates>179.6,65.1 -179.6,65.1 -179.6,65.4 179.6,65.4 179.6,65.1</coordinates>
</LinearRing></outerBoundaryIs></Polygon></Placemark></kml>
)");
    EXPECT_EQ(OldColumn(Sheet("cover " + kml + " --scale 1M --format csv").out),
              (std::vector<std::string>{"Q-1", "Q-60"}));
    EXPECT_EQ(OldColumn(Sheet("cover " + kml + " --scale 1M --format csv --published").out),
              (std::vector<std::string>{"Q-1,2", "Q-59,60"}));

    // A point on a corner, on the 1942 datum: the sheet south-east of it.
    const std::string corner = Write("corner.geojson", R"({"type": "FeatureCollection",
 "crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::4284"}},
 "features": [{"type": "Feature", "properties": {},
   "geometry": {"type": "Point", "coordinates": [37.5, 56]}}]})");
    EXPECT_EQ(OldColumn(Sheet("cover " + corner + " --scale 25k,10k --format csv").out),
              (std::vector<std::string>{"N-37-4-А-а", "N-37-4-А-а-1"}));
}

// Each failure: one line naming the file and the reason, exit 1 (2 for a usage error), and
// nothing written where the output was to go.
TEST_F(KavuSheetGis, BadInputIsOneLineAndLeavesNothing) {
    const std::string gpx = Write("walk.gpx", R"(<?xml version="1.0"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
<trkpt lat="55.70" lon="37.40"/><trkpt lat="55.90" lon="37.90"/></trkseg></trk></gpx>
)");
    const std::string kept = Write("kept.gpkg", "an earlier file that must survive");
    const std::string noGeometry = Write("empty.geojson", R"({"type": "FeatureCollection",
 "features": [{"type": "Feature", "properties": {"a": 1}, "geometry": null}]})");
    const std::string notVector = Write("notes.kml", "these are notes, not a map");
    const auto before = Files();
    struct Case {
        std::string args;
        int status;
        std::string named; // in the message
    };
    const Case cases[] = {
        {"cover " + (dir_ / "missing.gpx").string() + " --scale 50k -o " + kept, 1, "missing.gpx"},
        {"cover " + noGeometry + " --scale 50k -o " + kept, 1, "empty.geojson: no geometry"},
        {"cover " + notVector + " --scale 50k -o " + kept, 1, "notes.kml"},
        {"cover " + gpx + " --scale 50k -o " + (dir_ / "no/such/dir.gpkg").string(), 1, "dir.gpkg"},
        {"cover " + gpx + " --scale 50k -o " + (dir_ / "sheets.xyz").string(), 1, "sheets.xyz"},
        {"cover " + gpx + " --scale 50k -o " + kept + " --driver NoSuchDriver", 1, "NoSuchDriver"},
        {"cover " + gpx + " --bbox 55,37,56,38 --scale 50k", 2, "not both"},
        {"cover " + gpx + " --scale 50k --buffer -5", 2, "--buffer"},
        {"cover --bbox 55,37,56,38 --scale 50k --buffer 5", 2, "--buffer"},
        {"point 55 37 --datum nad27", 2, "--datum"},
        {"point 55 37 --driver GPKG", 2, "--driver"},
        {"frame N-37-4-А --size 10,10", 2, "--gcp"},
        {"frame N-37-4-А --gcp --size 10x10", 2, "--size"},
        {"frame N-37-4-А --gcp -o " + (dir_ / "scan.txt").string() + " --size 10,10", 2, ".points"},
        {"frame N-37-4-А --gcp -o " + (dir_ / "scan.points").string(), 2, "--size"},
    };
    for (const Case& c : cases) {
        const Outcome run = Sheet(c.args);
        EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
        // A usage error may add where to find help.
        const std::string first = run.err.substr(0, run.err.find('\n'));
        if (c.status == 1) {
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.args << run.err;
        }
        EXPECT_NE(first.find(c.named), std::string::npos) << c.args << "\n" << run.err;
        EXPECT_TRUE(run.out.empty() || c.status == 1) << c.args;
        EXPECT_EQ(Files(), before) << c.args;
        EXPECT_EQ(Slurp(kept), "an earlier file that must survive");
    }
}

TEST_F(KavuSheetGis, FramesAsAGeoPackage) {
    const std::string path = (dir_ / "grid.gpkg").string();
    for (const char* datum : {"1942", "wgs84"}) {
        const Outcome run = Sheet(std::string("cover --bbox 55.5,37,56,38 --scale 100k -o ") +
                                  path + " --datum " + datum);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        const Outcome csv = Sheet(
            std::string("cover --bbox 55.5,37,56,38 --scale 100k --format csv --datum ") + datum);
        const auto names = OldColumn(csv.out);
        GDALAllRegister();
        std::unique_ptr<GDALDataset> ds(
            GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
        ASSERT_TRUE(ds);
        OGRLayer* layer = ds->GetLayer(0);
        ASSERT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(names.size()));
        EXPECT_STREQ(layer->GetSpatialRef()->GetAuthorityCode(nullptr),
                     std::string(datum) == "1942" ? "4284" : "4326");
        std::size_t i = 0;
        for (auto& feature : *layer) {
            EXPECT_EQ(feature->GetFieldAsString("old"), names[i++]);
            EXPECT_STREQ(feature->GetFieldAsString("scale"), "1:100000");
            OGREnvelope box;
            feature->GetGeometryRef()->getEnvelope(&box);
            // 30' x 20' sheets: round numbers on 1942; in WGS 84 moved by about 100 m, and
            // stretched by 2 m or so, as the shift changes across a sheet.
            EXPECT_NEAR(box.MaxX - box.MinX, 0.5, 1e-4);
            EXPECT_NEAR(box.MaxY - box.MinY, 1 / 3.0, 1e-4);
            const double offset = std::fabs(box.MinX * 2 - std::round(box.MinX * 2));
            if (std::string(datum) == "1942")
                EXPECT_LT(offset, 1e-12);
            else
                EXPECT_GT(offset, 1e-4);
        }
    }
}

// The -gcp arguments georeference a real raster through gdal_translate; the .points file
// holds the same corners.
TEST_F(KavuSheetGis, ControlPointsForAScan) {
    const Outcome gcp = Sheet("frame N-37-4-А --gcp --size 600,400");
    ASSERT_EQ(gcp.status, 0) << gcp.err;
    EXPECT_EQ(gcp.out, "-gcp 0 0 37.5 56 -gcp 600 0 37.75 56 -gcp 600 400 37.75 55.833333333 "
                       "-gcp 0 400 37.5 55.833333333\n");
    GDALAllRegister();
    const std::string scan = (dir_ / "scan.tif").string();
    {
        std::unique_ptr<GDALDataset> ds(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
            scan.c_str(), 600, 400, 1, GDT_Byte, nullptr));
        ASSERT_TRUE(ds);
    }
    const std::string referenced = (dir_ / "referenced.tif").string();
    std::string line = gcp.out;
    line.pop_back();
    ASSERT_EQ(
        std::system(
            ("gdal_translate -q -a_srs EPSG:4284 " + line + " " + scan + " " + referenced).c_str()),
        0);
    std::unique_ptr<GDALDataset> ds(GDALDataset::Open(referenced.c_str(), GDAL_OF_RASTER));
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetGCPCount(), 4);
    const GDAL_GCP* gcps = ds->GetGCPs();
    EXPECT_EQ(gcps[2].dfGCPPixel, 600);
    EXPECT_EQ(gcps[2].dfGCPLine, 400);
    EXPECT_EQ(gcps[2].dfGCPX, 37.75);
    EXPECT_NEAR(gcps[2].dfGCPY, 55 + 50 / 60.0, 1e-9);

    // Several names from standard input: one line each, an empty one where a name fails.
    const Outcome lines = Sheet("frame --gcp --datum wgs84", "N-37-4-А\nnonsense\nN-37-4-Б\n");
    EXPECT_EQ(lines.status, 1);
    const auto out = Lines(lines.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].rfind("-gcp NW_PIXEL NW_LINE 37.49", 0), 0u) << out[0];
    EXPECT_EQ(out[1], "");

    const std::string points = (dir_ / "scan.points").string();
    ASSERT_EQ(Sheet("frame N-37-4-А --gcp --size 600,400 -o " + points).status, 0);
    const auto file = Lines(Slurp(points));
    ASSERT_EQ(file.size(), 6u);
    EXPECT_EQ(file[1], "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual");
    EXPECT_EQ(file[4], "37.75,55.833333333,600,-400,1,0,0,0");
}

} // namespace
