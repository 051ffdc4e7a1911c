// Points, lines and areas read from any vector file GDAL opens (GPX, KML, GeoJSON, Shapefile,
// GeoPackage, …), converted from the file's own CRS to the series datum.
#pragma once

#include "geo/cover.h"
#include "geo/datum.h"

#include <optional>
#include <string>
#include <vector>

namespace kavu::geo {

/// Degrees in the series datum (EPSG:4284).
struct Shapes {
    std::vector<LatLon> Points;
    std::vector<std::vector<LatLon>> Lines;
    std::vector<std::vector<std::vector<LatLon>>> Areas; // rings: outer first, then holes
    /// How consecutive vertices are joined: the short way round for GPX and KML, as drawn
    /// for every other format.
    Join Joins = Join::AsDrawn;

    bool Empty() const { return Points.empty() && Lines.empty() && Areas.empty(); }
};

struct ReadOptions {
    /// Converts WGS 84 to the series datum; needed for any file not already on the 1942 datum.
    const DatumShift* Shift = nullptr;
    /// Coordinates of a file that names no CRS are longitude and latitude in WGS 84 when set,
    /// in the series datum otherwise.
    bool NoCrsIsWgs84 = false;
    /// Widen every point, line and area by this many metres first (0: as read).
    double BufferMetres = 0;
};

/// Every geometry of every layer; GPX track and route points are skipped, since the tracks and
/// routes hold them. Longitudes beyond 180 degrees (up to 360) are kept: as drawn, 181 is
/// 179 degrees W. Curves are read as their line approximation. On failure nothing and a
/// one-line `error` naming the file and GDAL's or PROJ's reason.
std::optional<Shapes> ReadShapes(const std::string& path, const ReadOptions& options,
                                 std::string& error);

/// Widens every shape by `metres` on the Krassowsky ellipsoid (each shape in an azimuthal
/// equidistant projection centred on it, buffered by GEOS); the result is areas only.
std::optional<Shapes> Buffer(const Shapes& shapes, double metres, std::string& error);

/// Adds every shape to a cover; false and `error` for an area that winds round a pole.
bool AddToCover(const Shapes& shapes, SheetCover& cover, std::string& error);

} // namespace kavu::geo
