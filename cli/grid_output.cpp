#include "cli/grid_output.h"

#include "cli/coordinates.h"
#include "cli/digit_pairs.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kavu::cli {

std::size_t WriteMetres(char* out, double metres) {
    if (!(std::fabs(metres) <= 1e12)) return 0; // and not a number
    // Whole millimetres, written as integers: several times faster than printf.
    const long long mm = std::llround(metres * 1000);
    auto a = static_cast<unsigned long long>(mm < 0 ? -mm : mm);
    char* p = out;
    if (mm < 0) *p++ = '-';
    const auto fraction = static_cast<unsigned>(a % 1000);
    a /= 1000;
    char digits[16];
    char* d = digits + sizeof digits;
    for (; a >= 100; a /= 100) {
        d -= 2;
        std::memcpy(d, kDigitPairs.data() + 2 * (a % 100), 2);
    }
    if (a >= 10) {
        d -= 2;
        std::memcpy(d, kDigitPairs.data() + 2 * a, 2);
    } else {
        *--d = static_cast<char>('0' + a);
    }
    while (d != digits + sizeof digits) // a dozen bytes: no call to memcpy
        *p++ = *d++;
    if (fraction != 0) {
        p[0] = '.';
        p[1] = static_cast<char>('0' + fraction / 100);
        p[2] = static_cast<char>('0' + fraction / 10 % 10);
        p[3] = static_cast<char>('0' + fraction % 10);
        p += fraction % 100 == 0 ? 2 : fraction % 10 == 0 ? 3 : 4;
    }
    return static_cast<std::size_t>(p - out);
}

void AppendMetres(std::string& out, double metres) {
    char text[kMetresTextSize];
    out.append(text, WriteMetres(text, metres));
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
