// Reads arbitrary bytes as a point and checks that the answer is whole: an error with a
// reason inside the text, or a point on the globe that reads back unchanged from its exact
// degrees, minutes and nine-digit seconds, with hemisphere letters in either order. The same
// bytes as a rectangular pair: an error inside the text, or X and Y in range that read back.
#include "engine/readers.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace kavu;

namespace {

std::string Dms(std::int64_t v, const char* positive, const char* negative) {
    const std::uint64_t a =
        v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    const std::uint64_t s = a / kUnitsPerSecond, frac = a % kUnitsPerSecond;
    std::string f = std::to_string(frac);
    f.insert(0, 9 - f.size(), '0');
    return std::to_string(s / 3600) + "°" + std::to_string(s / 60 % 60) + "′" +
           std::to_string(s % 60) + "." + f + "″" + (v < 0 ? negative : positive);
}

void CheckRectangular(std::string_view text) {
    const RectangularResult r = ReadRectangular(text);
    if (!r.Rectangular && r.Ok) std::abort();
    if (!r.Ok) {
        if (r.Rectangular &&
            (r.Error.Position > text.size() || r.Error.English.empty() || r.Error.Russian.empty()))
            std::abort();
        return;
    }
    const RectangularPoint& p = r.Point;
    const double easting = p.Y - p.Zone * 1e6;
    if (p.Zone < 1 || p.Zone > 60 || !(easting >= 166000 && easting <= 834000) ||
        !(std::fabs(p.X) <= 9331988))
        std::abort();
    char again[96];
    std::snprintf(again, sizeof again, "Y=%.3f X=%.3f", p.Y, p.X);
    const RectangularResult back = ReadRectangular(again);
    if (!back.Ok || std::fabs(back.Point.X - p.X) > 1e-3 || std::fabs(back.Point.Y - p.Y) > 1e-3)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckRectangular(text);
    const PointResult r = ReadPoint(text);
    if (!r.Ok) {
        if (r.Error.Position > size || r.Error.English.empty() || r.Error.Russian.empty())
            std::abort();
        return 0;
    }
    const std::int64_t maxLat = 90 * 3600 * kUnitsPerSecond, maxLon = 2 * maxLat;
    const ExactPoint p = r.Point;
    if (p.Latitude < -maxLat || p.Latitude > maxLat || p.Longitude < -maxLon ||
        p.Longitude > maxLon)
        std::abort();
    const std::string lat = Dms(p.Latitude, "N", "S"), lon = Dms(p.Longitude, "E", "W");
    for (const std::string& again : {lat + " " + lon, lon + " " + lat}) {
        const PointResult back = ReadPoint(again);
        if (!back.Ok || back.Point != p) std::abort();
    }
    return 0;
}
