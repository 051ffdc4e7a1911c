#include "cli/coordinates.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace kavu::cli {

namespace {
constexpr double kUnitsPerDegree = 3600.0 * static_cast<double>(kUnitsPerSecond);
}

FrameDegrees ToDegrees(const SignedFrame& frame, const Datum& datum) {
    FrameDegrees d{frame.North / 3600.0,
                   frame.South / 3600.0,
                   frame.West / 3600.0,
                   frame.East / 3600.0,
                   (frame.North + frame.South) / 7200.0,
                   (frame.West + frame.East) / 7200.0};
    if (datum.FromSeries) {
        datum.FromSeries(d.North, d.West);
        datum.FromSeries(d.South, d.East);
        datum.FromSeries(d.CentreLatitude, d.CentreLongitude);
    }
    return d;
}

double LatitudeDegrees(const ExactPoint& point) {
    return static_cast<double>(point.Latitude) / kUnitsPerDegree;
}

double LongitudeDegrees(const ExactPoint& point) {
    return static_cast<double>(point.Longitude) / kUnitsPerDegree;
}

double RoundDegrees(double degrees) {
    return std::round(degrees * 1e9) / 1e9;
}

std::size_t WriteDegrees(char* out, double degrees) {
    if (!std::isfinite(degrees) || std::fabs(degrees) > 1e9) return 0;
    const std::int64_t nano = std::llround(degrees * 1e9);
    char* p = out;
    if (nano < 0) *p++ = '-';
    const std::int64_t a = nano < 0 ? -nano : nano;
    p = std::to_chars(p, out + kDegreesTextSize, a / 1000000000).ptr;
    if (std::int64_t fraction = a % 1000000000; fraction != 0) {
        *p++ = '.';
        for (std::int64_t unit = 100000000; fraction != 0; unit /= 10) {
            *p++ = static_cast<char>('0' + fraction / unit);
            fraction %= unit;
        }
    }
    return static_cast<std::size_t>(p - out);
}

void AppendDegrees(std::string& out, double degrees) {
    char text[kDegreesTextSize];
    out.append(text, WriteDegrees(text, degrees));
}

void AppendDms(std::string& out, double degrees, bool latitude) {
    const auto total = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 3600000.0));
    const auto two = [&out](std::int64_t v) {
        out.push_back(static_cast<char>('0' + v / 10));
        out.push_back(static_cast<char>('0' + v % 10));
    };
    out.append(std::to_string(total / 3600000)).append("\u00B0");
    two(total / 60000 % 60);
    out.append("\u2032");
    two(total / 1000 % 60);
    if (std::int64_t milli = total % 1000; milli != 0) {
        out.push_back('.');
        for (std::int64_t unit = 100; milli != 0; unit /= 10) {
            out.push_back(static_cast<char>('0' + milli / unit));
            milli %= unit;
        }
    }
    out.append("\u2033");
    out.push_back(degrees < 0 && total != 0 ? (latitude ? 'S' : 'W') : (latitude ? 'N' : 'E'));
}

} // namespace kavu::cli
