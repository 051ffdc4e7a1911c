// The point reader over sweeps of the globe in each format family, its errors, and the sheet
// of a point read from text beside the edges of every scale.
#include "engine/neighbours.h"
#include "engine/readers.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

using namespace kavu;
using kavu::test::Padded;

namespace {

constexpr std::int64_t kSec = kUnitsPerSecond;

// Millionths of a degree as decimal degrees, with a point or a comma, zeros kept or trimmed.
std::string Decimal(std::int64_t micro, char point, bool plus, bool trim) {
    std::string frac = Padded(std::abs(micro) % 1000000, 6);
    while (trim && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    const std::string sign = micro < 0 ? "-" : plus ? "+" : "";
    const std::string whole = sign + std::to_string(std::abs(micro) / 1000000);
    return frac.empty() ? whole : whole + point + frac;
}

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
           (t ? "." + std::to_string(t) : "") + m[2];
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

TEST(PointReader, EveryFormatFamilyOverTheGlobe) {
    // A decimal point with any separator; a decimal comma with a ";" or a blank.
    const std::pair<char, const char*> kForms[] = {{'.', ", "}, {'.', ","},  {'.', " "},
                                                   {'.', "  "}, {'.', "\t"}, {'.', " ,  "},
                                                   {',', "; "}, {',', ";"},  {',', " "}};
    for (std::int64_t lat = -90000000; lat <= 90000000; lat += 1234567)
        for (std::int64_t lon = -180000000; lon <= 180000000; lon += 2345679) {
            const std::int64_t la = lat * 3600000, lo = lon * 3600000; // 1e-6 degree in units
            const bool odd = (lat ^ lon) & 1;
            for (auto [point, sep] : kForms)
                ExpectPoint(Decimal(lat, point, odd, odd) + sep + Decimal(lon, point, !odd, !odd),
                            la, lo);
        }
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

namespace {

__extension__ typedef __int128 Wide;

// Decimal degrees, 20 fractional digits, of a value 1e-20 degree below (`side` -1) or above
// (+1) the angle of `seconds`, or the nearest such decimal on that side when it has none.
std::string Beside(std::int64_t seconds, int side) {
    if (seconds == -180 * 3600 && side < 0) seconds = 180 * 3600; // west of 180 W
    const Wide scale = Wide(10000000000) * 10000000000, num = Wide(seconds) * scale;
    Wide v = num / 3600;
    const bool exact = v * 3600 == num;
    v += (!exact && num < 0 ? -1 : 0) + (side > 0 ? 1 : exact ? -1 : 0);
    const Wide a = v < 0 ? -v : v;
    const std::string frac = std::to_string(static_cast<std::uint64_t>(a % scale / 10)) +
                             std::to_string(static_cast<int>(a % 10));
    return (v < 0 ? "-" : "") + std::to_string(static_cast<std::int64_t>(a / scale)) + "." +
           std::string(20 - frac.size(), '0') + frac;
}

std::optional<SheetKey> SheetOfText(const std::string& text, int scale) {
    const PointResult r = ReadPoint(text);
    EXPECT_TRUE(r.Ok) << text << ": " << r.Error.English;
    const auto s = SheetOfExactPoint(r.Point, scale);
    return s ? std::optional<SheetKey>(s->Key) : std::nullopt;
}

class ExactEdges : public ::testing::TestWithParam<int> {};

} // namespace

// The north and west edges of a sample of sheets at every scale, as decimal degrees 1e-20 degree
// off an edge or, where the edge has no such decimal, the nearest one: the reader rounds each
// towards the side it lies on (tenths of a second beside an edge are checked with the sheet of
// an exact point).
TEST_P(ExactEdges, TextBesideAnEdgeFallsOnItsSide) {
    const int scale = GetParam();
    std::mt19937 rng(scale);
    std::uniform_int_distribution<std::int64_t> lat(-84 * 3600 + 1, 84 * 3600),
        lon(-180 * 3600, 180 * 3600 - 1);
    for (int n = 0; n < 1000; ++n) {
        const SheetKey key = SheetOfExactPoint({lat(rng) * kSec, lon(rng) * kSec}, scale)->Key;
        const SignedFrame f = *ComputeSignedFrame(key);
        const std::string inLat = Beside(f.North - 1, 1), inLon = Beside(f.West + 1, 1);
        EXPECT_EQ(SheetOfText(Beside(f.North, -1) + " " + inLon, scale), key);
        EXPECT_EQ(SheetOfText(Beside(f.North, 1) + " " + inLon, scale), StepNorth(key));
        EXPECT_EQ(SheetOfText(inLat + " " + Beside(f.West, 1), scale), key);
        EXPECT_EQ(SheetOfText(inLat + " " + Beside(f.West, -1), scale), StepWest(key));
    }
}

INSTANTIATE_TEST_SUITE_P(Readers, ExactEdges, ::testing::Range(1, 8));
