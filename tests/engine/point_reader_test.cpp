// The point reader over sweeps of the globe in each format family, its exact rounding, its
// errors, and the sheet of a point read from text at the edges of every scale.
#include "engine/readers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

using namespace kavu;

namespace {

__extension__ typedef __int128 Wide;

constexpr std::int64_t kSec = kUnitsPerSecond;

std::string Digits(std::int64_t v, int width) {
    std::string s = std::to_string(v);
    return std::string(static_cast<std::size_t>(std::max(0, width - int(s.size()))), '0') + s;
}

// `micro` millionths of a degree as decimal degrees with point or comma, trailing zeros kept
// or dropped.
std::string Decimal(std::int64_t micro, char point, bool sign, bool trim) {
    const std::int64_t a = micro < 0 ? -micro : micro;
    std::string frac = Digits(a % 1000000, 6);
    while (trim && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    std::string s = micro < 0 ? "-" : sign ? "+" : "";
    s += std::to_string(a / 1000000);
    return frac.empty() ? s : s + point + frac;
}

struct Marks {
    const char *deg, *min, *sec;
};
constexpr std::array<Marks, 4> kMarks{
    {{"°", "'", "\""}, {"°", "′", "″"}, {"º", "’", "”"}, {" ", " ", " "}}};
// Hemisphere words: [style][north, south, east, west].
constexpr std::array<std::array<const char*, 4>, 4> kLetters{{{"N", "S", "E", "W"},
                                                              {"n", "s", "e", "w"},
                                                              {"с.ш.", "ю.ш.", "в.д.", "з.д."},
                                                              {"С", "Ю", "В", "З"}}};

// Tenths of a second as degrees, minutes and seconds with marks.
std::string Dms(std::int64_t tenths, const Marks& m) {
    const std::int64_t s = tenths / 10;
    std::string t =
        std::to_string(s / 3600) + m.deg + Digits(s / 60 % 60, 2) + m.min + Digits(s % 60, 2);
    if (tenths % 10) t += "." + std::to_string(tenths % 10);
    return t + m.sec;
}

// Thousandths of a minute as degrees and decimal minutes.
std::string Dm(std::int64_t milli, const Marks& m) {
    return std::to_string(milli / 60000) + m.deg + std::to_string(milli % 60000 / 1000) + "." +
           Digits(milli % 1000, 3) + m.min;
}

void ExpectPoint(const std::string& text, std::int64_t lat, std::int64_t lon) {
    const PointResult r = ReadPoint(text);
    ASSERT_TRUE(r.Ok) << "“" << text << "”: " << r.Error.English;
    ASSERT_EQ(r.Point, (ExactPoint{lat, lon})) << text;
}

void ExpectError(const std::string& text, std::string_view reason, std::size_t pos) {
    const PointResult r = ReadPoint(text);
    ASSERT_FALSE(r.Ok) << text;
    EXPECT_EQ(r.Error.English, reason) << text;
    EXPECT_EQ(r.Error.Position, pos) << text;
    EXPECT_FALSE(r.Error.Russian.empty()) << text;
}

} // namespace

TEST(PointReader, DecimalDegreesOverTheGlobe) {
    constexpr std::array<const char*, 6> kPointSep{", ", ",", " ", "  ", "\t", " ,  "};
    constexpr std::array<const char*, 3> kCommaSep{"; ", ";", " "};
    for (std::int64_t lat = -90000000; lat <= 90000000; lat += 1234567)
        for (std::int64_t lon = -180000000; lon <= 180000000; lon += 2345679) {
            const std::int64_t la = lat * 3600000, lo = lon * 3600000; // units of 1e-6 degree
            const bool odd = (lat ^ lon) & 1;
            for (const char* sep : kPointSep)
                ExpectPoint(Decimal(lat, '.', odd, odd) + sep + Decimal(lon, '.', !odd, !odd), la,
                            lo);
            for (const char* sep : kCommaSep)
                ExpectPoint(Decimal(lat, ',', false, odd) + sep + Decimal(lon, ',', odd, true), la,
                            lo);
        }
}

TEST(PointReader, DegreesMinutesSecondsWithEveryMarkAndLetter) {
    for (std::int64_t lat = -900 * 3600; lat <= 900 * 3600; lat += 7919 * 3)
        for (std::int64_t lon = -1800 * 3600; lon <= 1800 * 3600; lon += 15013 * 7) {
            const std::int64_t la = lat * kSec / 10, lo = lon * kSec / 10;
            const std::int64_t alat = lat < 0 ? -lat : lat, alon = lon < 0 ? -lon : lon;
            for (const Marks& m : kMarks) {
                const std::string y = Dms(alat, m), x = Dms(alon, m);
                for (const auto& l : kLetters) {
                    const std::string ns = l[lat < 0 ? 1 : 0], ew = l[lon < 0 ? 3 : 2];
                    ExpectPoint(y + ns + " " + x + ew, la, lo);
                    ExpectPoint(ns + y + " " + ew + x, la, lo);
                    ExpectPoint(x + " " + ew + " " + y + " " + ns, la, lo); // longitude first
                }
                ExpectPoint((lat < 0 ? "-" : "") + y + ", " + (lon < 0 ? "-" : "+") + x, la, lo);
            }
            if (lat % 600 == 0 && lon % 600 == 0 &&
                alon < 1800 * 3600) { // whole minutes: decimal-minute form
                const std::int64_t mla = alat / 600 * 1000, mlo = alon / 600 * 1000 + 250;
                ExpectPoint(std::string(lat < 0 ? "S" : "N") + Dm(mla, kMarks[3]) + " " +
                                (lon < 0 ? "W" : "E") + Dm(mlo, kMarks[3]),
                            la, lon < 0 ? lo - kSec * 15 : lo + kSec * 15);
            }
        }
}

// Beyond the unit, latitude rounds up and longitude down (in signed values), so that a point
// a hair north of a parallel or west of a meridian stays on its side of it.
TEST(PointReader, LongDecimalsRoundLatitudeUpAndLongitudeDown) {
    std::mt19937_64 rng(7);
    for (int n = 0; n < 20000; ++n) {
        const int digits = 12 + n % 8;
        std::string frac;
        for (int i = 0; i < digits; ++i)
            frac.push_back(static_cast<char>('0' + rng() % 10));
        const int whole = static_cast<int>(rng() % 90);
        const bool neg = n % 3 == 0;
        const std::string v = (neg ? "-" : "") + std::to_string(whole) + "." + frac;
        const PointResult r = ReadPoint(v + " " + v);
        ASSERT_TRUE(r.Ok) << v;
        // The true value in units is whole*3.6e12 + frac*3.6e12/10^digits.
        Wide den = 1;
        for (int i = 0; i < digits; ++i)
            den *= 10;
        const Wide num = (Wide(whole) * den + Wide(std::stoull(frac.substr(0, 19)))) * 3600 * kSec;
        const Wide lat = neg ? -Wide(r.Point.Latitude) : Wide(r.Point.Latitude);
        const Wide lon = neg ? -Wide(r.Point.Longitude) : Wide(r.Point.Longitude);
        // |lat| is the smallest (north) or largest (south) unit count on the true value's
        // side; |lon| the other way round.
        const Wide up = lat * den >= num && (lat - 1) * den < num ? 1 : 0;
        const Wide down = lat * den <= num && (lat + 1) * den > num ? 1 : 0;
        ASSERT_TRUE(neg ? down : up) << v;
        const Wide lonUp = lon * den >= num && (lon - 1) * den < num ? 1 : 0;
        const Wide lonDown = lon * den <= num && (lon + 1) * den > num ? 1 : 0;
        ASSERT_TRUE(neg ? lonUp : lonDown) << v;
    }
}

TEST(PointReader, OutOfRangeAndLeftOverTextAreErrorsWithAReason) {
    for (int v = 60; v < 100; ++v) {
        const std::string t = std::to_string(v);
        ExpectError("55 " + t + " 37 00", "minutes " + t + " are 60 or more", 3);
        ExpectError("55°10'" + t + "\"N 37°E", "seconds " + t + " are 60 or more", 7);
        ExpectError("55 10, 37 " + t + ".5", "minutes " + t + ".5 are 60 or more", 10);
    }
    for (int d = 91; d < 400; d += 7) {
        ExpectError(std::to_string(d) + " 0", "latitude beyond 90°", 0);
        ExpectError("E10 N" + std::to_string(d), "latitude beyond 90°", 4);
        if (d > 180) ExpectError("10 " + std::to_string(d), "longitude beyond 180°", 3);
    }
    ExpectError("90.0000000000000000001 0", "latitude beyond 90°", 0);
    ExpectError("-90°00'00.1\" 0", "latitude beyond 90°", 0);
    ExpectError("0 -180.000000000001", "longitude beyond 180°", 2);
    ExpectPoint("-90 -180", -90 * 3600 * kSec, -180 * 3600 * kSec);
    ExpectPoint("90 180", 90 * 3600 * kSec, 180 * 3600 * kSec);
    ExpectError("N55 N37", "two latitudes", 4);
    ExpectError("55 з.д. 37 в.д.", "two longitudes", 10);
    ExpectPoint("55.5 37.5 W", 199800 * kSec, -135000 * kSec);
    ExpectError("55.5 37.5 W 4", "left over: “4”", 12);
    ExpectError("55.1, 37.2, 4", "left over: “, 4”", 10);
    ExpectError("-55 S 37", "a sign and a hemisphere letter together", 4);
    ExpectError("55 45 37", "an odd count of numbers: latitude and longitude do not split", 0);
    ExpectError("55.7", "a second coordinate is missing", 4);
    ExpectError("  55.7 # 37", "unexpected “#”", 7);
    ExpectError("", "the text is empty", 0);
}
