// Scan archives through GDAL: a synthetic scan georeferenced by `kavu-sheet georef` and read
// back, and the layers `files --output` writes, opened with OGR.
#include "geo_fixture.h"
#include "tests/cli/run_tool.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <proj.h>

#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <vector>

namespace {

struct Pixel {
    double X = 0, Y = 0;
};

// A sheet as it is printed and scanned: drawn in the Gauss-Krüger projection of its zone,
// turned by a few degrees on the scanner, with paper round the frame.
class SyntheticScan {
  public:
    SyntheticScan(int zone, double metresPerPixel, double degreesTurned)
        : scale_(metresPerPixel), turn_(degreesTurned * M_PI / 180) {
        context_ = proj_context_create();
        // As the sheets print Y: the zone number before the 500 km of the central meridian.
        const std::string definition =
            "+proj=tmerc +lat_0=0 +lon_0=" + std::to_string(6 * zone - 3) +
            " +k=1 +x_0=" + std::to_string(zone) + "500000 +y_0=0 +ellps=krass +units=m +no_defs";
        projection_ = proj_create(context_, definition.c_str());
    }
    ~SyntheticScan() {
        proj_destroy(projection_);
        proj_context_destroy(context_);
    }
    void Place(double north, double west) { // the NW frame corner lands at the margin
        origin_ = Project(north, west);
    }
    Pixel At(double latitude, double longitude) const {
        const auto [e, n] = Project(latitude, longitude);
        return AtGrid(e, n);
    }
    Pixel AtGrid(double e, double n) const { // Y (easting), X (northing) in metres
        const double dx = (e - origin_[0]) / scale_, dy = (origin_[1] - n) / scale_;
        return {kMargin + dx * std::cos(turn_) - dy * std::sin(turn_),
                kMargin + dx * std::sin(turn_) + dy * std::cos(turn_)};
    }
    static constexpr double kMargin = 120;

    std::array<double, 2> Project(double latitude, double longitude) const {
        const PJ_COORD c = proj_trans(
            projection_, PJ_FWD, proj_coord(longitude * M_PI / 180, latitude * M_PI / 180, 0, 0));
        return {c.xy.x, c.xy.y};
    }

  private:
    double scale_, turn_;
    PJ_CONTEXT* context_;
    PJ* projection_;
    std::array<double, 2> origin_{};
};

// Where the dark blob nearest `guess` is: the centroid of darkness in a window round it.
Pixel Blob(const std::vector<std::uint8_t>& image, int width, int height, Pixel guess) {
    double sum = 0, sx = 0, sy = 0;
    for (int y = static_cast<int>(guess.Y) - 7; y <= static_cast<int>(guess.Y) + 7; ++y)
        for (int x = static_cast<int>(guess.X) - 7; x <= static_cast<int>(guess.X) + 7; ++x) {
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            const int v = image[static_cast<std::size_t>(y) * width + x];
            const double w = v == 0 ? 0 : std::max(0, 190 - v); // nodata counts for nothing
            sum += w, sx += w * (x + 0.5), sy += w * (y + 0.5);
        }
    return sum > 0 ? Pixel{sx / sum, sy / sum} : Pixel{-1e9, -1e9};
}

class ArchiveGis : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        GDALAllRegister(); // each test may run alone
    }
};

TEST_F(ArchiveGis, WarpedScanPutsTheFrameAndItsPointsInPlace) {
    // N-37-4-В, 1:50,000: 55 40'..55 50' N, 37 30'..37 45' E, zone 7 (central meridian 39 E).
    const double north = 55 + 50 / 60.0, south = 55 + 40 / 60.0, west = 37.5, east = 37.75;
    SyntheticScan sheet(7, 20, 3);
    sheet.Place(north, west);
    const std::array<std::pair<double, double>, 4> corners{
        {{north, west}, {north, east}, {south, east}, {south, west}}};
    // Points to find again: near each corner, and a 3 x 3 lattice inside, like grid crossings.
    std::vector<std::pair<double, double>> marks;
    for (const double f : {0.04, 0.96})
        for (const double g : {0.04, 0.96})
            marks.emplace_back(south + f * (north - south), west + g * (east - west));
    for (const double f : {0.25, 0.5, 0.75})
        for (const double g : {0.25, 0.5, 0.75})
            marks.emplace_back(south + f * (north - south), west + g * (east - west));

    // Kilometre-grid crossings every 3 km, well inside the frame.
    std::vector<std::array<double, 2>> crossings; // Y, X
    {
        const auto nw = sheet.Project(north, west), se = sheet.Project(south, east);
        for (double y = std::ceil(nw[0] / 1000 + 1) * 1000; y < se[0] - 1000; y += 3000)
            for (double x = std::ceil(se[1] / 1000 + 1) * 1000; x < nw[1] - 1000; x += 3000)
                crossings.push_back({y, x});
    }
    ASSERT_GT(crossings.size(), 10u);
    std::vector<Pixel> drawn;
    for (const auto& [lat, lon] : marks)
        drawn.push_back(sheet.At(lat, lon));
    for (const auto& [y, x] : crossings)
        drawn.push_back(sheet.AtGrid(y, x));

    double right = 0, bottom = 0;
    for (const auto& [lat, lon] : corners) {
        const Pixel p = sheet.At(lat, lon);
        right = std::max(right, p.X), bottom = std::max(bottom, p.Y);
    }
    const int width = static_cast<int>(right + SyntheticScan::kMargin);
    const int height = static_cast<int>(bottom + SyntheticScan::kMargin);
    // Paper 200, each mark a soft dark blob at its exact (sub-pixel) place.
    std::vector<std::uint8_t> image(static_cast<std::size_t>(width) * height, 200);
    for (const Pixel& c : drawn) {
        for (int y = static_cast<int>(c.Y) - 6; y <= static_cast<int>(c.Y) + 6; ++y)
            for (int x = static_cast<int>(c.X) - 6; x <= static_cast<int>(c.X) + 6; ++x) {
                const double r2 = std::pow(x + 0.5 - c.X, 2) + std::pow(y + 0.5 - c.Y, 2);
                auto& v = image[static_cast<std::size_t>(y) * width + x];
                v = static_cast<std::uint8_t>(std::lround(200 - 180 * std::exp(-r2 / 4.5)));
            }
    }
    const std::string scan = (dir_ / "n37-004-3.tif").string();
    {
        GDALAllRegister();
        std::unique_ptr<GDALDataset> out(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
            scan.c_str(), width, height, 1, GDT_Byte, nullptr));
        ASSERT_TRUE(out);
        ASSERT_EQ(out->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, width, height, image.data(),
                                                  width, height, GDT_Byte, 0, 0),
                  CE_None);
    }
    std::string cornerText;
    for (const auto& [lat, lon] : corners) {
        const Pixel p = sheet.At(lat, lon);
        if (!cornerText.empty()) cornerText += ',';
        cornerText += std::to_string(p.X);
        cornerText += ',';
        cornerText += std::to_string(p.Y);
    }
    const std::string warped = (dir_ / "warped.tif").string();
    const ToolRun run =
        RunTool({"georef", scan, "--corners", cornerText, "--warp", warped, "--points"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(Lines(run.Out).size(), 3u) << run.Out; // the VRT, the GeoTIFF, the .points

    // The VRT holds the four corners as control points on the 1942 datum.
    {
        std::unique_ptr<GDALDataset> vrt(
            GDALDataset::Open((dir_ / "n37-004-3.vrt").c_str(), GDAL_OF_RASTER));
        ASSERT_TRUE(vrt);
        ASSERT_EQ(vrt->GetGCPCount(), 4);
        const auto se = sheet.Project(south, east);
        EXPECT_NEAR(vrt->GetGCPs()[2].dfGCPX, se[0], 1e-3);
        EXPECT_NEAR(vrt->GetGCPs()[2].dfGCPY, se[1], 1e-3);
        EXPECT_STREQ(vrt->GetGCPSpatialRef()->GetAuthorityCode(nullptr), "28407");
    }
    std::ifstream points(scan + ".points");
    std::string line;
    int rows = 0;
    while (std::getline(points, line))
        ++rows;
    EXPECT_EQ(rows, 6); // CRS, header, four corners

    // The warped sheet, in the zone's CRS, spans the frame's box; every mark near a corner,
    // inside and on a grid crossing lies within one pixel of where its coordinates say.
    std::unique_ptr<GDALDataset> out(GDALDataset::Open(warped.c_str(), GDAL_OF_RASTER));
    ASSERT_TRUE(out);
    double t[6];
    ASSERT_EQ(out->GetGeoTransform(t), CE_None);
    const int w = out->GetRasterXSize(), h = out->GetRasterYSize();
    EXPECT_STREQ(out->GetSpatialRef()->GetAuthorityCode(nullptr), "28407");
    for (const auto& [lat, lon] : corners) {
        const auto [y, x] = sheet.Project(lat, lon);
        EXPECT_TRUE(y >= t[0] - 1e-6 && y <= t[0] + w * t[1] + 1e-6 && x <= t[3] + 1e-6 &&
                    x >= t[3] + h * t[5] - 1e-6);
    }
    int hasNodata = 0;
    EXPECT_EQ(out->GetRasterBand(1)->GetNoDataValue(&hasNodata), 0);
    EXPECT_TRUE(hasNodata);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h);
    ASSERT_EQ(
        out->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, w, h, pixels.data(), w, h, GDT_Byte, 0, 0),
        CE_None);
    std::vector<std::array<double, 2>> ground = crossings;
    for (const auto& [lat, lon] : marks)
        ground.push_back(sheet.Project(lat, lon));
    for (const auto& [y, x] : ground) {
        const Pixel expected{(y - t[0]) / t[1], (x - t[3]) / t[5]};
        const Pixel found = Blob(pixels, w, h, expected);
        EXPECT_LT(std::hypot(found.X - expected.X, found.Y - expected.Y), 1.0)
            << "Y " << y << " X " << x << ": " << found.X << "," << found.Y << " for " << expected.X
            << "," << expected.Y;
    }

    // A corner outside the scan, and a name that is no sheet, are refused.
    EXPECT_EQ(RunTool({"georef", scan, "--corners", "0,0,99999,0,99999,9,0,9"}).Status, 1);
    EXPECT_EQ(RunTool({"georef", scan, "--corners", "1,2,3"}).Status, 2);
    EXPECT_EQ(RunTool({"georef", scan, "--corners", cornerText, "--name", "readme"}).Status, 1);
}

TEST_F(ArchiveGis, LayersOfFilesAndOfCoverage) {
    for (const char* name : {"n37-003.tif", "N-37-16 1975.tif", "q-39-013_014_015.tif"})
        std::ofstream(dir_ / name) << name;
    const std::string files = (dir_ / "files.gpkg").string();
    ASSERT_EQ(RunTool({"files", dir_.string(), "--scale", "100k", "--output", files}).Status, 0);
    // The area as a GeoJSON polygon (WGS 84), well inside the four sheets' box.
    const std::string area = (dir_ / "area.geojson").string();
    std::ofstream(area) << R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
                           R"("properties":{},"geometry":{"type":"Polygon","coordinates":)"
                           R"([[[37.1,55.6],[37.9,55.6],[37.9,55.9],[37.1,55.9],[37.1,55.6]]]}}]})";
    const std::string coverage = (dir_ / "coverage.shp").string();
    ASSERT_EQ(RunTool({"files", dir_.string(), "--coverage", area, "--scale", "100k", "--output",
                       coverage})
                  .Status,
              0);
    {
        std::unique_ptr<GDALDataset> layer(GDALDataset::Open(files.c_str(), GDAL_OF_VECTOR));
        ASSERT_TRUE(layer);
        OGRLayer* l = layer->GetLayer(0);
        EXPECT_EQ(l->GetFeatureCount(), 3);
        std::map<std::string, OGREnvelope> frames;
        for (auto& f : *l) {
            OGREnvelope e;
            f->GetGeometryRef()->getEnvelope(&e);
            frames[std::filesystem::path(f->GetFieldAsString("path")).filename().string()] = e;
            if (std::string(f->GetFieldAsString("old")) == "Q-39-13,14,15") {
                EXPECT_EQ(f->GetFieldAsInteger("irregular"), 1);
            }
        }
        // The irregular join spans its three members: 1 30' of longitude.
        const OGREnvelope q = frames["q-39-013_014_015.tif"];
        EXPECT_NEAR(q.MaxX - q.MinX, 1.5, 1e-9);
        EXPECT_NEAR(q.MaxY - q.MinY, 1 / 3.0, 1e-9);
        EXPECT_NEAR(frames["n37-003.tif"].MinX, 37, 1e-9);
    }
    std::unique_ptr<GDALDataset> layer(GDALDataset::Open(coverage.c_str(), GDAL_OF_VECTOR));
    ASSERT_TRUE(layer);
    std::map<std::string, int> present;
    for (auto& f : *layer->GetLayer(0))
        present[f->GetFieldAsString("old")] = f->GetFieldAsInteger("present");
    EXPECT_EQ(
        present,
        (std::map<std::string, int>{
            {"N-37-3", 1}, {"N-37-4", 0}, {"N-37-15", 0}, {"N-37-16", 1}, {"Q-39-13,14,15", 0}}));
}

} // namespace
