// The fast paths of the tool's streaming runs against simple references: the plain "lat lon"
// reader against a digit-by-digit one and against the general reader, and the designation
// writers into a buffer against the string writers, over every key of the series and keys
// outside it.
#include "engine/designation_writer.h"
#include "engine/published.h"
#include "engine/readers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

using namespace kavu;

namespace {

constexpr std::int64_t kDegreeUnits = 3600 * kUnitsPerSecond;

// One decimal of the plain form read digit by digit: sign, 1..3 digits, up to 11 fractional.
bool ReferenceNumber(std::string_view s, std::size_t& i, std::int64_t& units) {
    const bool negative = i < s.size() && s[i] == '-';
    i += negative;
    std::int64_t whole = 0, fraction = 0, scale = kDegreeUnits;
    std::size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++digits)
        whole = whole * 10 + (s[i] - '0');
    if (digits == 0 || digits > 3) return false;
    if (i < s.size() && s[i] == '.') {
        std::size_t places = 0;
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, ++places) {
            if (places == 11) return false;
            fraction = fraction * 10 + (s[i] - '0');
            scale /= 10;
        }
        if (places == 0) return false;
    }
    units = whole * kDegreeUnits + fraction * scale;
    if (negative) units = -units;
    return true;
}

bool ReferencePlain(std::string_view s, ExactPoint& point) {
    std::size_t i = 0;
    std::int64_t lat = 0, lon = 0;
    if (!ReferenceNumber(s, i, lat) || i >= s.size() || (s[i] != ' ' && s[i] != ',')) return false;
    if (s[i++] == ',' && i < s.size() && s[i] == ' ') ++i;
    if (!ReferenceNumber(s, i, lon) || i != s.size()) return false;
    if (std::abs(lat) > 90 * kDegreeUnits || std::abs(lon) > 180 * kDegreeUnits) return false;
    point = {lat, lon};
    return true;
}

std::string Digits(std::mt19937_64& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rng() % 10);
    return s;
}

// A number near the plain form: 0..4 whole digits, 0..13 fractional ones, sometimes a sign.
std::string NearNumber(std::mt19937_64& rng) {
    std::string s = rng() % 3 == 0 ? "-" : "";
    s += Digits(rng, static_cast<int>(rng() % 5));
    if (rng() % 4 != 0) {
        s += '.';
        s += Digits(rng, static_cast<int>(rng() % 14));
    }
    return s;
}

} // namespace

// Every length around the eight-byte loads, every digit count at and past the limits, and
// stray bytes (a NUL, a second point, a letter, a plus) anywhere: the fast reader accepts
// exactly what the digit-by-digit one accepts, with the same point, and that point is the
// general reader's.
TEST(PlainPoint, AgreesWithTheDigitByDigitReaderAndTheGeneralOne) {
    std::mt19937_64 rng(19);
    static constexpr std::array<std::string_view, 5> kSeparators{" ", ",", ", ", "  ", ",,"};
    static constexpr std::string_view kStray("\0.-+ ,e9", 8);
    int accepted = 0;
    for (int n = 0; n < 1'000'000; ++n) {
        std::string text = NearNumber(rng) + std::string(kSeparators[rng() % kSeparators.size()]) +
                           NearNumber(rng);
        if (rng() % 8 == 0)
            text.insert(rng() % (text.size() + 1), 1, kStray[rng() % kStray.size()]);
        if (rng() % 16 == 0) text.resize(rng() % (text.size() + 1));
        ExactPoint expected, got;
        const bool ok = ReferencePlain(text, expected);
        ASSERT_EQ(detail::ReadPlainPoint(text, got), ok) << '"' << text << '"';
        if (!ok) continue;
        ++accepted;
        ASSERT_EQ(got, expected) << text;
        // ";" sends the same numbers through the general reader.
        std::string general = text;
        general[general.find_first_of(" ,")] = ';';
        const PointResult r = ReadPoint(general);
        ASSERT_TRUE(r.Ok) << general;
        ASSERT_EQ(r.Point, expected) << general;
    }
    EXPECT_GT(accepted, 50'000);
}

// WriteSheetNew/Old give what FormatSheetNew/Old give, and WritePublishedTexts what
// PublishedSheetOf gives: every key of the series at 1:1,000,000
// to 1:50,000 and every seventh part at the two larger scales, in both hemispheres; then keys
// with each field out of range, partial keys and other hemisphere letters.
TEST(DesignationWriter, SameTextsAsTheStringWriters) {
    char buffer[kSheetTextRoom];
    const auto expectSame = [&buffer](const SheetKey& k) {
        std::size_t n = WriteSheetNew(k, buffer);
        ASSERT_EQ(std::string(buffer, n), FormatSheetNew(k))
            << k.Scale << ' ' << k.Row << ' ' << k.Column << ' ' << k.SubSheet;
        n = WriteSheetOld(k, buffer);
        ASSERT_EQ(std::string(buffer, n), FormatSheetOld(k))
            << k.Scale << ' ' << k.Row << ' ' << k.Column << ' ' << k.SubSheet;
        char other[kSheetTextRoom];
        std::size_t oldSize = 0;
        WriteSheetTexts(k, other, n, buffer, oldSize);
        ASSERT_EQ(std::string(other, n), FormatSheetNew(k));
        ASSERT_EQ(std::string(buffer, oldSize), FormatSheetOld(k));
        // The published sheet's texts, the other writer of millions of lines.
        char joinedNew[kPublishedTextRoom], joinedOld[kPublishedTextRoom];
        std::size_t joinedNewSize = 1, joinedOldSize = 1;
        const int count =
            WritePublishedTexts(k, joinedNew, joinedNewSize, joinedOld, joinedOldSize);
        const std::optional<PublishedSheet> group = PublishedSheetOf(k);
        ASSERT_EQ(count, group ? group->Count : 0) << k.Scale << ' ' << k.Row << ' ' << k.Column;
        ASSERT_EQ(std::string(joinedNew, joinedNewSize), group ? group->New : "");
        ASSERT_EQ(std::string(joinedOld, joinedOldSize), group ? group->Old : "");
    };
    long keys = 0;
    for (int scale = 1; scale <= 7; ++scale) {
        const int parts = PartCount(scale), quarters = scale > 4 ? scale - 4 : 0;
        const int step = scale >= 6 ? 7 : 1;
        for (const char h : {'N', 'S'})
            for (int row = 1; row <= 21; ++row)
                for (int column = 1; column <= 60; ++column)
                    for (int part = scale == 1 ? 0 : 1; part <= parts; part += step)
                        for (int q = 0; q < (1 << (2 * quarters)); ++q) {
                            SheetKey k{scale, h, row, column, part};
                            k.Quarter = quarters > 0 ? 1 + (q & 3) : 0;
                            k.Quarter25 = quarters > 1 ? 1 + (q >> 2 & 3) : 0;
                            k.Quarter10 = quarters > 2 ? 1 + (q >> 4 & 3) : 0;
                            expectSame(k);
                            ++keys;
                        }
    }
    EXPECT_GT(keys, 3'000'000);

    std::mt19937_64 rng(7);
    static constexpr std::array<char, 5> kHemispheres{'N', 'S', 's', 'X', '\0'};
    for (int n = 0; n < 1'000'000; ++n) {
        const auto field = [&rng](int hi) { return static_cast<int>(rng() % (hi + 3)) - 1; };
        SheetKey k{field(7),   kHemispheres[rng() % kHemispheres.size()],
                   field(21),  field(60),
                   field(144), field(4),
                   field(4),   field(4)};
        expectSame(k);
    }
}
