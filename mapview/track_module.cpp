// The map's module that links PROJ and GDAL (see TrackLayer.h).
#include "geo/cover.h"
#include "geo/datum.h"
#include "geo/shapes.h"
#include "mapview/TrackLayer.h"

namespace kavu::map {
namespace {

class Reader : public TrackReader {
  public:
    std::optional<geo::Shapes> Read(const std::string& path, std::string& error) override {
        // Built once: creating the transformation is PROJ's slow part.
        if (!shift_) {
            shift_ = geo::DatumShift::Create(error);
            if (!shift_) return std::nullopt;
        }
        geo::ReadOptions options;
        options.Shift = shift_.get();
        // GPS files without a CRS (GeoJSON, as its standard says) are WGS 84.
        options.NoCrsIsWgs84 = true;
        auto shapes = geo::ReadShapes(path, options, error);
        if (shapes && shapes->Empty()) {
            error = path + ": the file holds no points, lines or areas";
            return std::nullopt;
        }
        return shapes;
    }

    std::optional<std::vector<SheetKey>> Cover(const geo::Shapes& shapes, int scale,
                                               std::string& error) override {
        geo::SheetCover cover(scale);
        if (!geo::AddToCover(shapes, cover, error)) return std::nullopt;
        return cover.Sheets();
    }

  private:
    std::unique_ptr<geo::DatumShift> shift_;
};

} // namespace
} // namespace kavu::map

extern "C" kavu::map::TrackReader* KavuMapTrackReader() {
    return new kavu::map::Reader;
}
