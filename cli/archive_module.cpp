// The module of kavu-sheet's archive subcommands that links GDAL (see cli/archive_gis.h).
#include "cli/archive_gis.h"

#include "geo/archive_io.h"
#include "geo/cover.h"
#include "geo/datum.h"
#include "geo/gauss_kruger.h"
#include "geo/layers.h"
#include "geo/shapes.h"

#include <algorithm>
#include <array>

namespace kavu::cli {
namespace {

// The sheet is drawn in the Gauss-Krüger projection of its zone, so that in the zone's CRS the
// scan's pixels map to the ground by an affine fit through the four corners: the frame corners
// and every kilometre-grid crossing land where they belong. The cutline follows the frame's
// parallels and meridians, a vertex every minute.
bool InZone(const GeorefJob& job, geo::ScanCorners& scan, std::string& error) {
    const int zone = geo::ZoneOfSheet(job.Sheet);
    auto gk = geo::GaussKruger::Create(error);
    if (!gk || zone == 0) {
        if (error.empty()) error = "no Gauss-Krüger zone for the sheet";
        return false;
    }
    const auto project = [&](double latitude, double longitude, std::array<double, 2>& xy) {
        geo::GridPoint p;
        if (!gk->Forward(zone, latitude, longitude, p)) return false;
        xy = {p.Y, p.X}; // easting first, as GDAL orders a projected CRS
        return true;
    };
    const SignedFrame& f = job.Frame;
    const double w = f.West / 3600.0, e = f.East / 3600.0;
    const double n = f.North / 3600.0, s = f.South / 3600.0;
    const double corners[4][2] = {{n, w}, {n, e}, {s, e}, {s, w}};
    for (int i = 0; i < 4; ++i) {
        std::array<double, 2> xy;
        if (!project(corners[i][0], corners[i][1], xy)) {
            error = "PROJ cannot project the sheet's corners to zone " + std::to_string(zone);
            return false;
        }
        scan.Ground[2 * i] = xy[0];
        scan.Ground[2 * i + 1] = xy[1];
    }
    // Along the parallels from the outline in degrees, and down the meridians as well, since
    // they curve in the projection too.
    std::vector<std::array<double, 2>> degrees;
    const int steps = std::max(1, (f.North - f.South + 59) / 60);
    for (const auto& [lon, lat] : geo::FrameOutline(f)) {
        if (!degrees.empty() && degrees.back()[0] == lon && degrees.back()[1] != lat)
            for (int i = 1; i < steps; ++i) {
                const double from = degrees.back()[1] > lat ? n : s;
                const double to = from == n ? s : n;
                degrees.push_back({lon, from + (to - from) * i / steps});
            }
        degrees.push_back({lon, lat});
    }
    for (const auto& [lon, lat] : degrees) {
        std::array<double, 2> xy;
        if (!project(lat, lon, xy)) {
            error = "PROJ cannot project the sheet's frame to zone " + std::to_string(zone);
            return false;
        }
        scan.Outline.push_back(xy);
    }
    scan.Crs = geo::ZoneCrs(zone);
    scan.Affine = true;
    return true;
}

class Module : public ArchiveGis {
  public:
    bool WriteLayer(const std::string& path, const std::string& driver, const Table& table,
                    std::string& error) override {
        std::vector<geo::Attribute> attributes;
        for (const Column& c : table.Columns)
            attributes.push_back({c.Name, c.Type == Column::Number ? geo::Attribute::Real
                                          : c.Type == Column::Flag ? geo::Attribute::Boolean
                                                                   : geo::Attribute::Text});
        std::vector<geo::AttributeRow> rows;
        rows.reserve(table.Rows.size());
        for (const Row& r : table.Rows)
            rows.push_back({r.Values, r.Frame});
        return geo::WriteAttributeLayer(path, driver, "sheets", attributes, rows, error);
    }

    bool CoverFile(const std::string& path, int scale, std::vector<SheetKey>& sheets,
                   std::string& error) override {
        auto shift = geo::DatumShift::Create(error);
        if (!shift) return false;
        geo::ReadOptions read;
        read.Shift = shift.get();
        auto shapes = geo::ReadShapes(path, read, error);
        if (!shapes) return false;
        geo::SheetCover cover(scale);
        if (!geo::AddToCover(*shapes, cover, error)) {
            error = path + ": " + error;
            return false;
        }
        sheets = cover.Sheets();
        return true;
    }

    bool Georef(const GeorefJob& job, std::vector<std::string>& done, std::string& error) override {
        geo::ScanCorners scan;
        scan.Scan = job.Scan;
        scan.Pixels = job.Corners;
        if (!InZone(job, scan, error)) return false;
        if (!job.Vrt.empty()) {
            if (!geo::WriteGcpVrt(scan, job.Vrt, error)) return false;
            done.push_back(job.Vrt);
        }
        if (!job.Warp.empty()) {
            if (!geo::WarpToFrame(scan, job.Warp, error)) return false;
            done.push_back(job.Warp);
        }
        if (!job.Points.empty()) {
            if (!geo::WritePoints(scan, job.Points, error)) return false;
            done.push_back(job.Points);
        }
        return true;
    }
};

} // namespace
} // namespace kavu::cli

extern "C" kavu::cli::ArchiveGis* KavuSheetArchiveModule() {
    return new kavu::cli::Module;
}
