// The kilometre grid of a sheet as kavu-sheet writes it: text, CSV, JSON Lines or GeoJSON.
#pragma once

#include "geo/gauss_kruger.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kavu::cli {

/// Rectangular coordinates of a zone to 1942 degrees (latitude, longitude), for GeoJSON.
using GridInverse = std::function<bool(const geo::GridPoint& p, double& lat, double& lon)>;

/// Every piece of `lines`, the grid of the sheet `sheet` in `zone`: metres to 1 mm, degrees to
/// 1e-9. GeoJSON draws each piece as a line of 1942 longitudes and latitudes with a point every
/// kilometre or so (the grid is straight in the projection, not in degrees). `format` is one of
/// text, csv, json, geojson.
std::string GridOutput(const std::vector<geo::GridLine>& lines, std::string_view sheet, int zone,
                       std::string_view format, const GridInverse& inverse);

/// Metres to 1 mm, without trailing zeros: "6182348.166", "7500000"; nothing for a value that
/// is not finite.
std::string Metres(double metres);
void AppendMetres(std::string& out, double metres);
/// The same text at `out`, which has room for kMetresTextSize bytes; its length.
inline constexpr std::size_t kMetresTextSize = 24;
std::size_t WriteMetres(char* out, double metres);

} // namespace kavu::cli
