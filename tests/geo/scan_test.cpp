// A scan drawn in the sheet's Gauss–Krüger projection, georeferenced as users do it: the
// control points into gdal_translate, then an affine fit (gdalwarp -order 1, the same first-order
// GCP transformer). The new points put every place on the sheet within 0.1 m; the geographic
// corners with the same fit miss by metres, which is what the figures below print.
#include "geo/gauss_kruger.h"
#include "geo_fixture.h"

#include <gdal.h>
#include <gdal_alg.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

namespace {

using kavu::SheetKey;
using namespace kavu::geo;

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

// Worst miss, in metres on the ground, of an affine fit of `gcps` (pixel, line to x, y)
// at points of the sheet: `truth` gives each point's pixel and its place in the fit's CRS;
// `metres` turns a miss into metres.
template <typename Truth, typename Metres>
double WorstMiss(const std::vector<GDAL_GCP>& gcps, int count, Truth truth, Metres metres) {
    void* fit = GDALCreateGCPTransformer(static_cast<int>(gcps.size()), gcps.data(), 1, FALSE);
    EXPECT_NE(fit, nullptr);
    double worst = 0;
    for (int i = 0; i < count; ++i) {
        double pixel = 0, line = 0, x = 0, y = 0;
        truth(i, pixel, line, x, y);
        double z = 0;
        int ok = 0;
        GDALGCPTransform(fit, FALSE, 1, &pixel, &line, &z, &ok);
        EXPECT_TRUE(ok);
        worst = std::max(worst, metres(pixel - x, line - y, y));
    }
    GDALDestroyGCPTransformer(fit);
    return worst;
}

struct Sheet {
    const char* name;
    SheetKey key;
};

TEST(Scan, AffineFitOfTheNewControlPointsIsExact) {
    GDALAllRegister();
    const auto dir =
        std::filesystem::temp_directory_path() / ("kavu-scan-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    for (const Sheet& s : {Sheet{"N-37-15-А (1:50,000, 55° N)", {5, 'N', 14, 37, 15, 1}},
                           Sheet{"N-37-15 (1:100,000, 55° N)", {4, 'N', 14, 37, 15}},
                           Sheet{"R-37-61-А (1:50,000, 70° N)", {5, 'N', 18, 37, 61, 1}},
                           Sheet{"R-37-61 (1:100,000, 70° N)", {4, 'N', 18, 37, 61}}}) {
        const SheetKey& key = s.key;
        const int zone = ZoneOfSheet(key);
        const int width = 1200, height = 1000;
        const auto points = Gk().ControlPoints(key, width, height, PrintedGridStep(key.Scale));
        ASSERT_GT(points.size(), 4u);
        // The drawing: the affine map from rectangular coordinates to pixels that the corners
        // fix (every point of the projection lies on the paper by it).
        const ScanControlPoint &o = points[0], &a = points[1], &b = points[3];
        const double det =
            (a.At.Y - o.At.Y) * (b.At.X - o.At.X) - (b.At.Y - o.At.Y) * (a.At.X - o.At.X);
        auto pixelOf = [&](const GridPoint& p, double& pixel, double& line) {
            const double s1 =
                ((p.Y - o.At.Y) * (b.At.X - o.At.X) - (b.At.Y - o.At.Y) * (p.X - o.At.X)) / det;
            const double t1 =
                ((a.At.Y - o.At.Y) * (p.X - o.At.X) - (p.Y - o.At.Y) * (a.At.X - o.At.X)) / det;
            pixel = o.Pixel + s1 * (a.Pixel - o.Pixel) + t1 * (b.Pixel - o.Pixel);
            line = o.Line + s1 * (a.Line - o.Line) + t1 * (b.Line - o.Line);
        };
        const auto frame = kavu::ComputeSignedFrame(key);
        std::vector<std::pair<double, double>> places; // latitude, longitude inside the frame
        for (int i = 0; i < 2000; ++i)
            places.emplace_back(
                (frame->South + unit(random) * (frame->North - frame->South)) / 3600.0,
                (frame->West + unit(random) * (frame->East - frame->West)) / 3600.0);

        // The scan: a bright mark at each grid crossing, the control points through
        // gdal_translate, then gdalwarp -order 1.
        const std::string scan = (dir / "scan.tif").string(), ref = (dir / "ref.tif").string(),
                          warped = (dir / "warped.tif").string();
        {
            GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
                scan.c_str(), width, height, 1, GDT_Byte, nullptr);
            ASSERT_NE(ds, nullptr);
            // A 5 x 5 block round each crossing survives the resampling of the warp.
            for (const ScanControlPoint& p : points) {
                GByte bright[25];
                std::fill(std::begin(bright), std::end(bright), GByte{255});
                const int px = std::clamp(static_cast<int>(p.Pixel) - 2, 0, width - 5),
                          ln = std::clamp(static_cast<int>(p.Line) - 2, 0, height - 5);
                ASSERT_EQ(ds->GetRasterBand(1)->RasterIO(GF_Write, px, ln, 5, 5, bright, 5, 5,
                                                         GDT_Byte, 0, 0),
                          CE_None);
            }
            GDALClose(ds);
        }
        std::string translate = "gdal_translate -q -a_srs '" + ZoneCrs(zone) + "'";
        for (const ScanControlPoint& p : points)
            translate += " -gcp " + Number(p.Pixel) + " " + Number(p.Line) + " " + Number(p.At.Y) +
                         " " + Number(p.At.X);
        ASSERT_EQ(std::system((translate + " " + scan + " " + ref).c_str()), 0) << translate;
        ASSERT_EQ(
            std::system(("gdalwarp -q -overwrite -order 1 -r near " + ref + " " + warped).c_str()),
            0);

        // The fit gdalwarp made, from the GCPs gdal_translate stored.
        GDALDataset* r = static_cast<GDALDataset*>(GDALOpen(ref.c_str(), GA_ReadOnly));
        ASSERT_NE(r, nullptr);
        std::vector<GDAL_GCP> gcps(r->GetGCPs(), r->GetGCPs() + r->GetGCPCount());
        ASSERT_EQ(gcps.size(), points.size());
        const double after = WorstMiss(
            gcps, static_cast<int>(places.size()),
            [&](int i, double& pixel, double& line, double& x, double& y) {
                GridPoint p;
                ASSERT_TRUE(Gk().Forward(zone, places[i].first, places[i].second, p));
                pixelOf(p, pixel, line);
                x = p.Y;
                y = p.X;
            },
            [](double dx, double dy, double) { return std::hypot(dx, dy); });
        GDALClose(r);

        // Before: the geographic corners where the scan shows them, the same fit in degrees.
        std::vector<GDAL_GCP> corners(4);
        std::vector<std::string> ids(4);
        for (std::size_t i = 0; i < 4; ++i) {
            ids[i] = points[i].What;
            corners[i] = GDAL_GCP{ids[i].data(),
                                  ids[i].data(),
                                  points[i].Pixel,
                                  points[i].Line,
                                  points[i].Longitude,
                                  points[i].Latitude,
                                  0};
        }
        const double before = WorstMiss(
            corners, static_cast<int>(places.size()),
            [&](int i, double& pixel, double& line, double& x, double& y) {
                GridPoint p;
                ASSERT_TRUE(Gk().Forward(zone, places[i].first, places[i].second, p));
                pixelOf(p, pixel, line);
                x = places[i].second;
                y = places[i].first;
            },
            [](double dlon, double dlat, double lat) {
                return std::hypot(dlat * 111'320.0, dlon * 111'320.0 * std::cos(lat * M_PI / 180));
            });
        std::printf("%s: affine fit of the geographic corners misses by up to %.1f m; of the "
                    "rectangular control points (%zu) by %.1e m\n",
                    s.name, before, points.size(), after);
        EXPECT_LT(after, 0.1) << s.name;
        EXPECT_GT(before, 1.0) << s.name;

        // gdalwarp put every grid crossing where its coordinates say, to the pixel.
        GDALDataset* w = static_cast<GDALDataset*>(GDALOpen(warped.c_str(), GA_ReadOnly));
        ASSERT_NE(w, nullptr);
        double gt[6];
        ASSERT_EQ(w->GetGeoTransform(gt), CE_None);
        for (std::size_t i = 4; i < points.size(); ++i) {
            const int px = static_cast<int>(std::floor((points[i].At.Y - gt[0]) / gt[1]));
            const int ln = static_cast<int>(std::floor((points[i].At.X - gt[3]) / gt[5]));
            GByte block[9] = {};
            ASSERT_EQ(w->GetRasterBand(1)->RasterIO(GF_Read, std::max(0, px - 1),
                                                    std::max(0, ln - 1), 3, 3, block, 3, 3,
                                                    GDT_Byte, 0, 0),
                      CE_None);
            bool bright = false;
            for (const GByte v : block)
                bright = bright || v == 255;
            EXPECT_TRUE(bright) << s.name << " " << points[i].What;
        }
        GDALClose(w);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
