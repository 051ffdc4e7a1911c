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

/// A scan and where its frame corners lie on it: pixel and line of the NW, NE, SE and SW
/// corners, in that order.
struct ScanCorners {
    std::string Scan;
    SignedFrame Frame;
    std::array<double, 8> Pixels{};
};

/// A VRT over the scan with the four corners as control points in the 1942 geographic CRS
/// (EPSG:4284); the scan's path in it is relative where it can be.
bool WriteGcpVrt(const ScanCorners& scan, const std::string& vrt, std::string& error);

/// The scan warped to EPSG:4284 through the control points (a thin-plate spline, exact at the
/// corners), cut to the frame, nodata (0) outside it, as a tiled, compressed GeoTIFF.
bool WarpToFrame(const ScanCorners& scan, const std::string& tiff, std::string& error);

} // namespace kavu::geo
