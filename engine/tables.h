// Constant tables of the sheet nomenclature: sheet sizes per scale, scale labels and the label
// sets in which the parts of a designation are written. All accessors are 1-based, as the
// series numbers its rows, columns and parts; an index outside a table yields an empty text
// (or 0 for the sizes) instead of reading past it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kavu {

/// Scales, by `ScaleIndex`: 1 = 1:1,000,000, 2 = 1:500,000, 3 = 1:200,000, 4 = 1:100,000,
/// 5 = 1:50,000, 6 = 1:25,000, 7 = 1:10,000. The window shows the first `kScaleCount`; the
/// engine knows all `kSheetScaleCount`.
inline constexpr int kScaleCount = 5;
inline constexpr int kSheetScaleCount = 7;

/// Angles are whole arc-seconds.
inline constexpr std::int32_t kDegree = 3600;
inline constexpr std::int32_t kMinute = 60;
/// The grid reaches 84 degrees in each hemisphere and 180 degrees either way.
inline constexpr std::int32_t kMaxLatitude = 84 * kDegree;
inline constexpr std::int32_t kMaxLongitude = 180 * kDegree;

namespace detail {

inline constexpr std::array<std::int32_t, 8> kHeight{0, 14400, 7200, 2400, 1200, 600, 300, 150};
inline constexpr std::array<std::int32_t, 8> kWidth{0, 21600, 10800, 3600, 1800, 900, 450, 225};
inline constexpr std::array<std::string_view, 8> kScaleName{
    "", "1:1000000", "1:500000", "1:200000", "1:100000", "1:50000", "1:25000", "1:10000"};
inline constexpr std::string_view kRowLetters = "ABCDEFGHIJKLMNOPQRSTU";
inline constexpr std::array<std::string_view, 5> kQuarterLetter{"", "\u0410", "\u0411", "\u0412",
                                                                "\u0413"};
inline constexpr std::array<std::string_view, 5> kSmallQuarterLetter{"", "\u0430", "\u0431",
                                                                     "\u0432", "\u0433"};
inline constexpr std::array<std::string_view, 37> kRoman{
    "",    "I",    "II",    "III",    "IV",    "V",    "VI",   "VII",   "VIII",   "IX",
    "X",   "XI",   "XII",   "XIII",   "XIV",   "XV",   "XVI",  "XVII",  "XVIII",  "XIX",
    "XX",  "XXI",  "XXII",  "XXIII",  "XXIV",  "XXV",  "XXVI", "XXVII", "XXVIII", "XXIX",
    "XXX", "XXXI", "XXXII", "XXXIII", "XXXIV", "XXXV", "XXXVI"};

// Decimal texts 1..N, padded with zeros to `Width` digits (0 = no padding).
template <int N, int Width> struct NumberTable {
    char text[N + 1][4]{};
    unsigned char length[N + 1]{};
    constexpr NumberTable() {
        for (int i = 1; i <= N; ++i) {
            char digits[4]{};
            int n = 0;
            for (int v = i; v > 0; v /= 10)
                digits[n++] = static_cast<char>('0' + v % 10);
            while (n < Width)
                digits[n++] = '0';
            for (int k = 0; k < n; ++k)
                text[i][k] = digits[n - 1 - k];
            length[i] = static_cast<unsigned char>(n);
        }
    }
    constexpr std::string_view operator[](int i) const {
        return i >= 1 && i <= N ? std::string_view(text[i], length[i]) : std::string_view();
    }
};

inline constexpr NumberTable<144, 0> kNumber{};
inline constexpr NumberTable<60, 2> kNumber2{};
inline constexpr NumberTable<144, 3> kNumber3{};

} // namespace detail

/// Height of a sheet in arc-seconds for scale 1..7; 0 for any other scale.
constexpr std::int32_t SheetHeight(int scale) {
    return scale >= 1 && scale <= kSheetScaleCount ? detail::kHeight[scale] : 0;
}
/// Width of a sheet in arc-seconds for scale 1..7; 0 for any other scale.
constexpr std::int32_t SheetWidth(int scale) {
    return scale >= 1 && scale <= kSheetScaleCount ? detail::kWidth[scale] : 0;
}
/// "1:1000000" … "1:10000" for scale 1..7; empty for any other scale.
constexpr std::string_view ScaleName(int scale) {
    return scale >= 1 && scale <= kSheetScaleCount ? detail::kScaleName[scale] : std::string_view();
}
/// Latin capitals "A" (1) … "U" (21); empty outside 1..21.
constexpr std::string_view RowLetter(int i) {
    return i >= 1 && i <= 21 ? detail::kRowLetters.substr(i - 1, 1) : std::string_view();
}
/// Cyrillic capitals "А", "Б", "В", "Г" (1..4, UTF-8, two bytes each); empty outside 1..4.
constexpr std::string_view QuarterLetter(int i) {
    return i >= 1 && i <= 4 ? detail::kQuarterLetter[i] : std::string_view();
}
/// Cyrillic small letters "а", "б", "в", "г" (1..4), the 1:25,000 quarters; empty outside 1..4.
constexpr std::string_view SmallQuarterLetter(int i) {
    return i >= 1 && i <= 4 ? detail::kSmallQuarterLetter[i] : std::string_view();
}
/// "1" … "144" without leading zeros; empty outside 1..144.
constexpr std::string_view NumberText(int i) {
    return detail::kNumber[i];
}
/// "01" … "60"; empty outside 1..60.
constexpr std::string_view Number2Text(int i) {
    return detail::kNumber2[i];
}
/// "001" … "144"; empty outside 1..144.
constexpr std::string_view Number3Text(int i) {
    return detail::kNumber3[i];
}
/// Roman numerals "I" … "XXXVI" in Latin capitals; empty outside 1..36.
constexpr std::string_view RomanText(int i) {
    return i >= 1 && i <= 36 ? detail::kRoman[i] : std::string_view();
}

/// Index 1..21 of the row letter equal to `text` (exact, case-sensitive), or 0.
constexpr int FindRowLetter(std::string_view text) {
    for (int i = 21; i >= 1; --i)
        if (RowLetter(i) == text) return i;
    return 0;
}
/// Index 1..4 of the Cyrillic quarter letter equal to `text` (UTF-8, exact), or 0.
constexpr int FindQuarterLetter(std::string_view text) {
    for (int i = 4; i >= 1; --i)
        if (QuarterLetter(i) == text) return i;
    return 0;
}
/// Index 1..36 of the Roman numeral equal to `text` (exact, upper case only), or 0.
constexpr int FindRomanText(std::string_view text) {
    for (int i = 36; i >= 1; --i)
        if (RomanText(i) == text) return i;
    return 0;
}

/// Number of parts (`SubSheet`) of a 1:1,000,000 sheet at a scale: 4, 36, 144 for scales 2, 3,
/// 4..7; 0 else.
constexpr int PartCount(int scale) {
    switch (scale) {
    case 2:
        return 4;
    case 3:
        return 36;
    case 4:
    case 5:
    case 6:
    case 7:
        return 144;
    default:
        return 0;
    }
}

} // namespace kavu
