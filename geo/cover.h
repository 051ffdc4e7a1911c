// The sheets that a point, line or area meets, decided exactly on the grid of one scale.
//
// Positions are degrees in the series datum. They are taken to the engine's exact units
// (1e-9 arc-second), so an edge given as 55.0 or 37.5 lies on the edge, and every crossing of a
// segment with a sheet edge is found by integer arithmetic rather than by sampling. A point on a
// parallel belongs to the sheet south of it, on a meridian to the sheet east of it; a line or
// area holds every point between its vertices, so it lists exactly the sheets of those points.
//
// Consecutive vertices are joined by a straight segment in latitude and longitude: as drawn
// (straight in the coordinates as given, as GDAL and QGIS draw GeoJSON, shapefiles and
// GeoPackages; 181 degrees is 179 degrees W), or the short way round (two vertices more than
// 180 degrees of longitude apart are joined across 180 degrees, as a GPS receiver records a
// track that crosses it, and as KML viewers join points).
#pragma once

#include "engine/published.h"
#include "engine/sheet.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kavu::geo {

struct LatLon {
    double Latitude = 0;
    double Longitude = 0;
};

enum class Join { ShortWay, AsDrawn };

class SheetCover {
  public:
    /// `scale` 1..7 (1:1,000,000 … 1:10,000); any other scale covers nothing.
    explicit SheetCover(int scale);

    /// Parts beyond 84 degrees (where the series has no sheets) add nothing; vertices that are
    /// not positions (not finite, or beyond 90 degrees of latitude) are skipped.
    void AddPoint(LatLon point);
    void AddLine(std::span<const LatLon> vertices, Join join = Join::ShortWay);
    /// An area by its rings (outer and holes, even-odd); the last vertex of a ring joins the
    /// first. False, and nothing added, when a ring joined the short way winds round a pole: it
    /// has no inside on this grid.
    bool AddArea(std::span<const std::vector<LatLon>> rings, Join join = Join::ShortWay);

    /// Every sheet met, north to south, then west to east from 180 degrees W.
    std::vector<SheetKey> Sheets() const;
    /// The published sheets holding them, each once, in the order of their first member.
    std::vector<PublishedSheet> Published() const;

  private:
    struct Cell {
        std::int32_t Row; // counts cell heights north from the equator, negative in the south
        std::int32_t Column;
    };
    struct Unit {
        std::int64_t X; // from 180 degrees W, may run past 360 degrees when unwrapped
        std::int64_t Y;
    };
    void AddCell(std::int64_t row, std::int64_t column);
    void AddSegment(Unit a, Unit b);
    std::vector<Unit> Unwrap(std::span<const LatLon> vertices, Join join) const;

    int scale_;
    std::int64_t height_ = 0, width_ = 0; // cell size in units
    std::int64_t columns_ = 0;
    std::int64_t minRow_ = 0, maxRow_ = -1;
    std::vector<Cell> cells_;
};

} // namespace kavu::geo
