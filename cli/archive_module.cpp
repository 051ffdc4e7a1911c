// The module of kavu-sheet's archive subcommands that links GDAL (see cli/archive_gis.h).
#include "cli/archive_gis.h"

#include "geo/archive_io.h"
#include "geo/cover.h"
#include "geo/datum.h"
#include "geo/layers.h"
#include "geo/shapes.h"

namespace kavu::cli {
namespace {

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
        // Before the sheet's own projection is known: longitude and latitude on its datum.
        const SignedFrame& f = job.Frame;
        const double w = f.West / 3600.0, e = f.East / 3600.0;
        const double n = f.North / 3600.0, s = f.South / 3600.0;
        scan.Ground = {w, n, e, n, e, s, w, s};
        scan.Crs = "EPSG:4284";
        scan.Outline = geo::FrameOutline(f);
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
