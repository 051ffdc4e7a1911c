// Sheet frames written as a vector layer through GDAL, and the corners of a sheet as ground
// control points for georeferencing a scan.
#pragma once

#include "engine/published.h"
#include "engine/sheet.h"
#include "geo/datum.h"
#include "geo/gauss_kruger.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavu::geo {

/// One frame and its attributes. Designations without the leading blank of a northern sheet.
struct FrameFeature {
    SignedFrame Frame;
    std::string New, Old;                   // the sheet, or the published sheet itself
    std::string Scale;                      // "1:50000"
    std::string PublishedNew, PublishedOld; // the published sheet that holds it
};

std::optional<FrameFeature> FeatureOf(const SheetKey& key);
FrameFeature FeatureOf(const PublishedSheet& sheet);

/// Attribute names of the written layer, in order.
inline constexpr const char* kFieldNew = "new";
inline constexpr const char* kFieldOld = "old";
inline constexpr const char* kFieldScale = "scale";
inline constexpr const char* kFieldPublishedNew = "pub_new";
inline constexpr const char* kFieldPublishedOld = "pub_old";

/// Writes the frames as polygons (counter-clockwise, parallels densified every minute of
/// longitude so that they stay true when reprojected) to `path` with the GDAL driver `driver`,
/// or the one its extension names when `driver` is empty. Coordinates are in the series datum
/// (EPSG:4284), or in WGS 84 (EPSG:4326) through `toWgs84` when it is given. The layer is
/// written under a temporary name and renamed when complete: on failure nothing is left at
/// `path` and `error` names the file and GDAL's reason.
bool WriteFrames(const std::string& path, const std::string& driver,
                 std::span<const FrameFeature> frames, const DatumShift* toWgs84,
                 std::string& error);

/// A vertex of a frame (1942 degrees) in a layer's CRS, x and y as GIS order them (easting,
/// northing; longitude, latitude); false when it cannot be converted.
using VertexTransform =
    std::function<bool(double latitude, double longitude, double& x, double& y)>;

/// WriteFrames in any CRS `crs` PROJ takes, each vertex through `project`. A `zone` above 0
/// (a Gauss–Krüger layer) adds the integer attribute "zone" holding it.
bool WriteFramesIn(const std::string& path, const std::string& driver,
                   std::span<const FrameFeature> frames, const std::string& crs,
                   const VertexTransform& project, int zone, std::string& error);

/// Writes the kilometre grid of the sheet `sheet` as a line layer "grid" in the CRS of `zone`
/// (each piece straight there, its two ends), attributes sheet, zone, axis, value (metres),
/// full and label; the same driver choice and the same all-or-nothing write as WriteFrames.
bool WriteGridLines(const std::string& path, const std::string& driver, const std::string& sheet,
                    int zone, std::span<const GridLine> lines, std::string& error);

/// The short name of the GDAL vector driver that writes files with the extension of `path`;
/// empty when there is none.
std::string DriverForPath(const std::string& path);

/// A corner of a frame as a control point: its pixel position on the scan and its position on
/// the ground (degrees, in the asked datum).
struct ControlPoint {
    double Pixel = 0, Line = 0;
    double Longitude = 0, Latitude = 0;
    const char* Corner = ""; // "NW", "NE", "SE", "SW"
};

/// The four corners NW, NE, SE, SW; the pixel corners of a `width` × `height` scan (0, 0 for
/// the NW corner), or all 0 when no size is known. Nothing when `toWgs84` fails for a corner.
std::optional<std::vector<ControlPoint>>
CornerPoints(const SignedFrame& frame, const DatumShift* toWgs84, int width, int height);

/// "-gcp 0 0 37.5 56 -gcp …" for gdal_translate, degrees to 1e-9; without a size the pixel
/// positions are the placeholders NW_PIXEL NW_LINE, NE_PIXEL NE_LINE, ….
std::string GdalTranslateGcps(std::span<const ControlPoint> points, bool sized);

/// A QGIS georeferencer .points file (CRS line, header, one corner a line; QGIS counts source
/// rows upwards, so the line is negated), written under a temporary name and renamed.
bool WritePointsFile(const std::string& path, std::span<const ControlPoint> points, int epsg,
                     std::string& error);

} // namespace kavu::geo
