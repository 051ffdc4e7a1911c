// GDAL for scan archives: a table of files or sheets written as a polygon layer with any
// attributes, and a scanned sheet georeferenced from the pixel positions of its frame corners.
#pragma once

#include "engine/sheet.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kavu::geo {

struct Attribute {
    enum Kind { Text, Real, Boolean };
    std::string Name;
    Kind Type = Text;
};

struct AttributeRow {
    std::vector<std::string> Values;  // Real: decimal text, empty for null; Boolean: "true"
    std::optional<SignedFrame> Frame; // none: a feature without geometry
};

/// Writes the rows as polygons in the 1942 datum (EPSG:4284) to `path`, with `driver` or the one
/// its extension names; under a temporary name first, so that nothing is left at `path` on
/// failure (`error` then names the file and GDAL's reason).
bool WriteAttributeLayer(const std::string& path, const std::string& driver,
                         const std::string& layerName, const std::vector<Attribute>& attributes,
                         const std::vector<AttributeRow>& rows, std::string& error);

/// A scan, where its frame corners lie on it, and where they lie on the ground.
struct ScanCorners {
    std::string Scan;
    std::array<double, 8> Pixels{}; // pixel, line of the NW, NE, SE and SW corners
    std::array<double, 8> Ground{}; // x, y of the same corners in `Crs` (longitude first)
    std::string Crs;                // as GDAL takes it: "EPSG:4284", "EPSG:28407", a PROJ string
    /// The frame as drawn in `Crs`, closed: the cutline of the warp and its extent.
    std::vector<std::array<double, 2>> Outline;
    /// An affine fit through the corners (exact for a sheet drawn in a projected `Crs`); else a
    /// thin-plate spline, exact at each corner, for a geographic one.
    bool Affine = false;
};

/// The frame's outline in longitude and latitude, a vertex every minute along the parallels.
std::vector<std::array<double, 2>> FrameOutline(const SignedFrame& frame);

/// A VRT over the scan with the four corners as control points in the CRS; the scan's path in
/// it is relative where it can be. A corner outside the image is an error.
bool WriteGcpVrt(const ScanCorners& scan, const std::string& vrt, std::string& error);

/// The scan warped to the CRS through the control points, on a grid spanning the outline's box,
/// cut to the outline with nodata (0) outside it, as a tiled, compressed GeoTIFF.
bool WarpToFrame(const ScanCorners& scan, const std::string& tiff, std::string& error);

/// The control points as a QGIS georeferencer .points file (CRS line, header, one corner a
/// line; QGIS counts rows upwards, so the line is negated).
bool WritePoints(const ScanCorners& scan, const std::string& path, std::string& error);

} // namespace kavu::geo
