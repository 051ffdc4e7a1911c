#include "cli/grid_output.h"

#include "cli/coordinates.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kavu::cli {

void AppendMetres(std::string& out, double metres) {
    if (!std::isfinite(metres) || std::fabs(metres) > 1e12) return;
    // Whole millimetres, written as integers: several times faster than printf.
    const long long mm = std::llround(metres * 1000);
    const unsigned long long a = mm < 0 ? 0ULL - static_cast<unsigned long long>(mm) : mm;
    char text[32];
    char* p = text;
    if (mm < 0) *p++ = '-';
    p = std::to_chars(p, text + sizeof text, a / 1000).ptr;
    if (unsigned fraction = static_cast<unsigned>(a % 1000); fraction != 0) {
        *p++ = '.';
        for (unsigned unit = 100; fraction != 0; unit /= 10) {
            *p++ = static_cast<char>('0' + fraction / unit);
            fraction %= unit;
        }
    }
    out.append(text, static_cast<std::size_t>(p - text));
}

std::string Metres(double metres) {
    std::string out;
    AppendMetres(out, metres);
    return out;
}

namespace {

std::string Degrees(double degrees) {
    std::string out;
    AppendDegrees(out, RoundDegrees(degrees));
    return out;
}

// A JSON number written as the text gives it, so that metres keep their millimetres exactly.
nlohmann::json Number(const std::string& text) {
    return nlohmann::json::parse(text);
}

} // namespace

std::string GridOutput(const std::vector<geo::GridLine>& lines, std::string_view sheet, int zone,
                       std::string_view format, const GridInverse& inverse) {
    std::string out;
    const std::string name(sheet);
    if (format == "csv")
        out += "sheet,zone,axis,value,full,label,from_x,from_y,to_x,to_y,from_latitude,"
               "from_longitude,to_latitude,to_longitude\n";
    nlohmann::json features = nlohmann::json::array();
    for (const geo::GridLine& l : lines) {
        const char* axis = l.Northing ? "X" : "Y";
        const std::string fx = Metres(l.From.X), fy = Metres(l.From.Y), tx = Metres(l.To.X),
                          ty = Metres(l.To.Y);
        if (format == "text") {
            out += std::string(axis) + "=" + l.Full + " km  " + l.Label + "  from X " + fx + " Y " +
                   fy + "  to X " + tx + " Y " + ty + "\n";
        } else if (format == "csv") {
            out += name + "," + std::to_string(zone) + "," + axis + "," + Metres(l.Value) + "," +
                   l.Full + "," + l.Label + "," + fx + "," + fy + "," + tx + "," + ty + "," +
                   Degrees(l.FromLatitude) + "," + Degrees(l.FromLongitude) + "," +
                   Degrees(l.ToLatitude) + "," + Degrees(l.ToLongitude) + "\n";
        } else {
            nlohmann::json properties = {{"sheet", name},  {"zone", zone},
                                         {"axis", axis},   {"value", Number(Metres(l.Value))},
                                         {"full", l.Full}, {"label", l.Label}};
            if (format == "json") {
                nlohmann::json record = properties;
                record["from"] = {{"x", Number(fx)},
                                  {"y", Number(fy)},
                                  {"latitude", Number(Degrees(l.FromLatitude))},
                                  {"longitude", Number(Degrees(l.FromLongitude))}};
                record["to"] = {{"x", Number(tx)},
                                {"y", Number(ty)},
                                {"latitude", Number(Degrees(l.ToLatitude))},
                                {"longitude", Number(Degrees(l.ToLongitude))}};
                out += record.dump() + "\n";
                continue;
            }
            const double length = std::hypot(l.To.X - l.From.X, l.To.Y - l.From.Y);
            const int pieces = std::max(1, static_cast<int>(std::ceil(length / 1000)));
            nlohmann::json coordinates = nlohmann::json::array();
            for (int k = 0; k <= pieces; ++k) {
                const double t = static_cast<double>(k) / pieces;
                double lat = k == 0 ? l.FromLatitude : l.ToLatitude;
                double lon = k == 0 ? l.FromLongitude : l.ToLongitude;
                if (k != 0 && k != pieces &&
                    !inverse(
                        {l.From.X + t * (l.To.X - l.From.X), l.From.Y + t * (l.To.Y - l.From.Y)},
                        lat, lon))
                    continue;
                coordinates.push_back({Number(Degrees(lon)), Number(Degrees(lat))});
            }
            features.push_back(
                {{"type", "Feature"},
                 {"geometry", {{"type", "LineString"}, {"coordinates", coordinates}}},
                 {"properties", properties}});
        }
    }
    if (format == "geojson")
        out = nlohmann::json({{"type", "FeatureCollection"}, {"features", features}}).dump() + "\n";
    return out;
}

} // namespace kavu::cli
