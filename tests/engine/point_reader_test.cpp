// The point reader over sweeps of the globe in each format family, its errors, and its rounding
// of long decimals.
#include "engine/readers.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

using namespace kavu;
using kavu::test::Padded;

namespace {

constexpr std::int64_t kSec = kUnitsPerSecond;

// Degree, minute and second marks, and hemisphere words north, south, east, west.
constexpr std::array<std::array<const char*, 3>, 4> kMarks{
    {{"°", "'", "\""}, {"°", "′", "″"}, {"º", "’", "”"}, {" ", " ", " "}}};
constexpr const char* kLetters[][4] = {{"N", "S", "E", "W"},
                                       {"n", "s", "e", "w"},
                                       {"с.ш.", "ю.ш.", "в.д.", "з.д."},
                                       {"С", "Ю", "В", "З"}};

// Tenths of a second (absolute) as degrees, minutes and seconds.
std::string Dms(std::int64_t tenths, const std::array<const char*, 3>& m) {
    const std::int64_t s = std::abs(tenths) / 10, t = std::abs(tenths) % 10;
    return std::to_string(s / 3600) + m[0] + Padded(s / 60 % 60, 2) + m[1] + Padded(s % 60, 2) +
           (t ? std::string(".") + std::to_string(t) : "") + m[2];
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

TEST(PointReader, DegreesMinutesAndSecondsOverTheGlobe) {
    // Degrees, minutes, seconds in tenths, with every mark and hemisphere word in both places.
    for (std::int64_t lat = -900 * 3600; lat <= 900 * 3600; lat += 7919 * 7)
        for (std::int64_t lon = -1800 * 3600; lon <= 1800 * 3600; lon += 15013 * 11) {
            const std::int64_t la = lat * kSec / 10, lo = lon * kSec / 10;
            for (const auto& m : kMarks) {
                const std::string y = Dms(lat, m), x = Dms(lon, m);
                for (const auto& l : kLetters) {
                    const std::string ns = l[lat < 0 ? 1 : 0], ew = l[lon < 0 ? 3 : 2];
                    ExpectPoint(y + ns + " " + x + ew, la, lo);
                    ExpectPoint(ns + y + " " + ew + x, la, lo);
                    ExpectPoint(x + " " + ew + " " + y + " " + ns, la, lo); // longitude first
                }
                ExpectPoint((lat < 0 ? "-" : "") + y + ", " + (lon < 0 ? "-" : "+") + x, la, lo);
            }
            // Degrees and decimal minutes: the tenths of a second as thousandths of a minute.
            const auto dm = [](std::int64_t t) {
                const std::int64_t milli = std::abs(t) * 10 / 6; // exact when t is a multiple of 6
                return std::to_string(milli / 60000) + " " + std::to_string(milli / 1000 % 60) +
                       "." + Padded(milli % 1000, 3);
            };
            const std::int64_t dlat = lat / 6 * 6, dlon = lon / 6 * 6;
            ExpectPoint(std::string(dlat < 0 ? "S" : "N") + dm(dlat) + " " +
                            (dlon < 0 ? "W" : "E") + dm(dlon),
                        dlat * kSec / 10, dlon * kSec / 10);
        }
}

TEST(PointReader, OutOfRangeAndLeftOverTextAreErrorsWithAReason) {
    ExpectError("55 60 37 00", "minutes 60 are 60 or more", 3);
    ExpectError("55°10'60\"N 37°E", "seconds 60 are 60 or more", 7);
    ExpectError("55 10, 37 60.5", "minutes 60.5 are 60 or more", 10);
    ExpectError("91 0", "latitude beyond 90°", 0);
    ExpectError("E10 N91", "latitude beyond 90°", 4);
    ExpectError("10 181", "longitude beyond 180°", 3);
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

namespace {

__extension__ typedef __int128 Wide;

// `v` 1e-20 degree as decimal degrees, with a point or a comma and the zeros at the end trimmed.
std::string Decimal(Wide v, char point, bool plus) {
    const Wide e10 = 10000000000, a = v < 0 ? -v : v;
    std::string t = v < 0 ? "-" : plus ? "+" : "";
    t += std::to_string(static_cast<std::int64_t>(a / e10 / e10)) + point +
         Padded(static_cast<std::int64_t>(a / e10 % e10), 10) +
         Padded(static_cast<std::int64_t>(a % e10), 10);
    while (t.back() == '0')
        t.pop_back();
    return t.back() == point ? t.substr(0, t.size() - 1) : t;
}

// `v` 1e-20 degree in units (36e-9 of them), rounded up or down.
std::int64_t Units(Wide v, bool up) {
    const Wide num = v * 36, den = 1000000000;
    const Wide q = num / den;
    return static_cast<std::int64_t>(q * den != num && (num > 0) == up ? q + (up ? 1 : -1) : q);
}

} // namespace

// Decimal degrees over the globe, every other one in millionths: the reader rounds a latitude
// north and a longitude west, as the sheet of an exact point puts a parallel in the sheet south
// of it and a meridian in the sheet east of it, so that text beside an edge falls on its side.
TEST(PointReader, DecimalDegreesOverTheGlobe) {
    // A decimal point with any separator; a decimal comma with a ";" or a blank.
    const std::pair<char, const char*> kForms[] = {{'.', ", "}, {'.', ","},  {'.', " "},
                                                   {'.', "  "}, {'.', "\t"}, {'.', " ,  "},
                                                   {',', "; "}, {',', ";"},  {',', " "}};
    std::mt19937_64 rng(7);
    const Wide e9 = 1000000000, e14 = e9 * 100000;
    for (int n = 0; n < 100000; ++n) {
        Wide lat = Wide(rng() % 18'000'000'000'000) * e9 + rng() % e9 - 9'000'000'000'000 * e9;
        Wide lon = Wide(rng() % 36'000'000'000'000) * e9 + rng() % e9 - 18'000'000'000'000 * e9;
        if (n % 2) lat = lat / e14 * e14, lon = lon / e14 * e14;
        const auto [point, sep] = kForms[n % 9];
        ExpectPoint(Decimal(lat, point, n % 3 == 1) + sep + Decimal(lon, point, n % 3 == 2),
                    Units(lat, true), Units(lon, false));
    }
}
