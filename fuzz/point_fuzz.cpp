// Reads arbitrary bytes as a point and checks that the answer is whole: an error with a
// reason inside the text, or a point on the globe that reads back unchanged from its exact
// degrees, minutes and nine-digit seconds, with hemisphere letters in either order.
#include "engine/readers.h"

#include <cstddef>
#include <cstdint>
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
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
