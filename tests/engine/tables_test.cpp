#include "engine/tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace kavu;

TEST(Tables, SizesAndScaleNames) {
    const int heights[] = {14400, 7200, 2400, 1200, 600, 300, 150};
    const int widths[] = {21600, 10800, 3600, 1800, 900, 450, 225};
    const char* names[] = {"1:1000000", "1:500000", "1:200000", "1:100000",
                           "1:50000",   "1:25000",  "1:10000"};
    for (int s = 1; s <= 7; ++s) {
        EXPECT_EQ(SheetHeight(s), heights[s - 1]);
        EXPECT_EQ(SheetWidth(s), widths[s - 1]);
        EXPECT_EQ(ScaleName(s), names[s - 1]);
    }
    EXPECT_EQ(SheetHeight(0), 0);
    EXPECT_EQ(SheetWidth(8), 0);
    EXPECT_EQ(ScaleName(-1), "");
}

TEST(Tables, EveryEntryAndNothingBeyond) {
    auto padded = [](int i, std::size_t width) {
        std::string t = std::to_string(i);
        return std::string(width > t.size() ? width - t.size() : 0, '0') + t;
    };
    for (int i = 1; i <= 144; ++i) {
        EXPECT_EQ(NumberText(i), std::to_string(i));
        EXPECT_EQ(Number3Text(i), padded(i, 3));
        if (i <= 60) {
            EXPECT_EQ(Number2Text(i), padded(i, 2));
        }
        if (i <= 21) {
            EXPECT_EQ(RowLetter(i), std::string(1, char(64 + i)));
        }
    }
    EXPECT_EQ(QuarterLetter(1), "\xD0\x90"); // Cyrillic А, two bytes
    EXPECT_EQ(QuarterLetter(4), "Г");
    EXPECT_EQ(SmallQuarterLetter(1), "\xD0\xB0"); // Cyrillic а
    EXPECT_EQ(SmallQuarterLetter(4), "г");
    EXPECT_EQ(RomanText(19), "XIX");
    EXPECT_EQ(RomanText(24), "XXIV");
    for (int i : {-1000, 0}) {
        for (auto table : {RowLetter, QuarterLetter, SmallQuarterLetter, NumberText, Number2Text,
                           Number3Text, RomanText})
            EXPECT_EQ(table(i), "");
    }
    EXPECT_EQ(RowLetter(22), "");
    EXPECT_EQ(QuarterLetter(5), "");
    EXPECT_EQ(SmallQuarterLetter(5), "");
    EXPECT_EQ(NumberText(145), "");
    EXPECT_EQ(Number2Text(61), "");
    EXPECT_EQ(Number3Text(145), "");
    EXPECT_EQ(RomanText(37), "");
}

TEST(Tables, RomanNumeralsFollowTheirConstruction) {
    for (int d = 1; d <= 10; ++d) {
        EXPECT_EQ(std::string(RomanText(10 + d)), "X" + std::string(RomanText(d)));
        EXPECT_EQ(std::string(RomanText(20 + d)), "XX" + std::string(RomanText(d)));
    }
    for (int e = 1; e <= 6; ++e)
        EXPECT_EQ(std::string(RomanText(30 + e)), "XXX" + std::string(RomanText(e)));
    std::set<std::string_view> seen;
    for (int i = 1; i <= 36; ++i)
        EXPECT_TRUE(seen.insert(RomanText(i)).second) << i;
}

TEST(Tables, ReverseLookups) {
    for (int i = 1; i <= 36; ++i) {
        EXPECT_EQ(FindRomanText(RomanText(i)), i);
        if (i <= 21) {
            EXPECT_EQ(FindRowLetter(RowLetter(i)), i);
        }
        if (i <= 4) {
            EXPECT_EQ(FindQuarterLetter(QuarterLetter(i)), i);
        }
    }
    for (const char* none : {"V", "", "a", "AB"})
        EXPECT_EQ(FindRowLetter(none), 0) << none;
    for (const char* none : {"A", "а", "\xD0", ""})
        EXPECT_EQ(FindQuarterLetter(none), 0) << none;
    for (const char* none : {"XXXVII", "iv", "IIII", ""})
        EXPECT_EQ(FindRomanText(none), 0) << none;
}
