#include "cli/coordinates.h"

#include "cli/digit_pairs.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

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

namespace {

// A fraction of `digits` places (v < 10^digits) after a point, without its trailing zeros;
// nothing at all for 0. Inlined with a constant count, the divisions become multiplications.
[[gnu::always_inline]] inline char* PutFraction(char* p, std::uint32_t v, int digits) {
    if (v == 0) return p;
    *p++ = '.';
    char* const start = p;
    if (digits % 2 != 0) {
        std::uint32_t unit = 1;
        for (int i = 1; i < digits; ++i)
            unit *= 10;
        *p++ = static_cast<char>('0' + v / unit);
        v %= unit;
        --digits;
    }
    std::uint32_t unit = 1;
    for (int i = 2; i < digits; i += 2)
        unit *= 100;
    for (; digits > 0; digits -= 2, unit /= 100) {
        p = PutDigitPair(p, v / unit);
        v %= unit;
    }
    while (p > start && p[-1] == '0')
        --p;
    return p;
}

} // namespace

std::size_t WriteDegrees(char* out, double degrees) {
    if (!std::isfinite(degrees) || std::fabs(degrees) > 1e9) return 0;
    const std::int64_t nano = std::llround(degrees * 1e9);
    char* p = out;
    if (nano < 0) *p++ = '-';
    const auto a = static_cast<std::uint64_t>(nano < 0 ? -nano : nano);
    const std::uint64_t whole = a / 1000000000;
    if (whole < 100)
        p = whole < 10 ? (*p = static_cast<char>('0' + whole), p + 1)
                       : PutDigitPair(p, static_cast<std::uint32_t>(whole));
    else
        p = std::to_chars(p, out + kDegreesTextSize, whole).ptr;
    p = PutFraction(p, static_cast<std::uint32_t>(a % 1000000000), 9);
    return static_cast<std::size_t>(p - out);
}

void AppendDegrees(std::string& out, double degrees) {
    char text[kDegreesTextSize];
    out.append(text, WriteDegrees(text, degrees));
}

namespace {

// `total` thousandths of an arc-second (not negative); `negative` for south and west.
std::size_t PutDms(char* out, std::int64_t total, bool negative, bool latitude) {
    char* p = std::to_chars(out, out + kDmsTextSize, total / 3600000).ptr;
    std::memcpy(p, "\u00B0", 2);
    p = PutDigitPair(p + 2, static_cast<std::uint32_t>(total / 60000 % 60));
    std::memcpy(p, "\u2032", 3);
    p = PutDigitPair(p + 3, static_cast<std::uint32_t>(total / 1000 % 60));
    p = PutFraction(p, static_cast<std::uint32_t>(total % 1000), 3);
    std::memcpy(p, "\u2033", 3);
    p += 3;
    *p++ = negative && total != 0 ? (latitude ? 'S' : 'W') : (latitude ? 'N' : 'E');
    return static_cast<std::size_t>(p - out);
}

} // namespace

std::size_t WriteDms(char* out, double degrees, bool latitude) {
    const auto total = static_cast<std::int64_t>(std::llround(std::fabs(degrees) * 3600000.0));
    if (total < 0) { // not finite, or past what llround holds: no angle to write
        std::memcpy(out, "?", 1);
        return 1;
    }
    return PutDms(out, total, degrees < 0, latitude);
}

std::size_t WriteDmsMilli(char* out, std::int64_t milli, bool latitude) {
    if (milli < -kMaxMilli || milli > kMaxMilli) {
        std::memcpy(out, "?", 1);
        return 1;
    }
    return PutDms(out, milli < 0 ? -milli : milli, milli < 0, latitude);
}

void AppendDms(std::string& out, double degrees, bool latitude) {
    char text[kDmsTextSize];
    out.append(text, WriteDms(text, degrees, latitude));
}

} // namespace kavu::cli
