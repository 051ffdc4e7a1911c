// The one way a vector layer file is written: whole, or not at all.
#pragma once

#include <ogr_core.h>

#include <functional>
#include <string>

class OGRLayer;

namespace kavu::geo {

/// Called by a layer's contents to give up: GDAL's last reason, or `fallback`, becomes the
/// error; returns false.
using LayerFailure = std::function<bool(const char* fallback)>;

struct LayerContents {
    std::function<bool(OGRLayer&)> Fields; // false: the attributes could not be added
    std::function<bool(OGRLayer&, const LayerFailure&)> Features;
};

/// Writes one layer `layerName` of `geometry` in `crs` (anything PROJ takes, axes as GIS
/// order them) to `path` with the GDAL driver `driver`, or the one its extension names when
/// `driver` is empty. Text attributes are UTF-8 where the format asks for an encoding. The
/// file is made in a temporary folder beside `path` (a shapefile is several files) and moved
/// into place once GDAL has closed it without an error: on failure nothing is left at `path`
/// and `error` names the file and the reason.
bool WriteLayerFile(const std::string& path, const std::string& driver, const std::string& crs,
                    const char* layerName, OGRwkbGeometryType geometry,
                    const LayerContents& contents, std::string& error);

} // namespace kavu::geo
