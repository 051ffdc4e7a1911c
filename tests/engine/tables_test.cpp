#include "engine/tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace kavu;

TEST(Tables, SizesAndScaleNames) {
    const int heights[] = {14400, 7200, 2400, 1200, 600};
    const int widths[] = {21600, 10800, 3600, 1800, 900};
    const char* names[] = {"1:1000000", "1:500000", "1:200000", "1:100000", "1:50000"};
    for (int s = 1; s <= 5; ++s) {
        EXPECT_EQ(SheetHeight(s), heights[s - 1]);
        EXPECT_EQ(SheetWidth(s), widths[s - 1]);
        EXPECT_EQ(ScaleName(s), names[s - 1]);
    }
    // Each finer scale tiles the 1:1,000,000 sheet exactly.
    for (int s = 2; s <= 5; ++s) {
        EXPECT_EQ(14400 % SheetHeight(s), 0);
        EXPECT_EQ(21600 % SheetWidth(s), 0);
    }
    EXPECT_EQ(SheetHeight(0), 0);
    EXPECT_EQ(SheetWidth(6), 0);
    EXPECT_EQ(ScaleName(-1), "");
}

TEST(Tables, LabelTexts) {
    for (int i = 1; i <= 21; ++i)
        EXPECT_EQ(RowLetter(i), std::string(1, char(64 + i)));
    EXPECT_EQ(QuarterLetter(1), "\xD0\x90"); // А, two bytes in UTF-8
    EXPECT_EQ(QuarterLetter(4), "Г");
    for (int i = 1; i <= 144; ++i) {
        EXPECT_EQ(NumberText(i), std::to_string(i));
        std::string three = std::to_string(i);
        three.insert(0, 3 - three.size(), '0');
        EXPECT_EQ(Number3Text(i), three);
    }
    for (int i = 1; i <= 60; ++i) {
        std::string two = std::to_string(i);
        if (two.size() < 2) two.insert(0, 1, '0');
        EXPECT_EQ(Number2Text(i), two);
    }
    EXPECT_EQ(Number2Text(7), "07");
    EXPECT_EQ(Number3Text(7), "007");
    EXPECT_EQ(NumberText(144), "144");
    EXPECT_EQ(RomanText(19), "XIX");
    EXPECT_EQ(RomanText(24), "XXIV");
    EXPECT_EQ(RomanText(36), "XXXVI");
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

TEST(Tables, OutOfRangeIndexesGiveEmptyTexts) {
    for (int i : {-1000, -1, 0}) {
        EXPECT_EQ(RowLetter(i), "");
        EXPECT_EQ(QuarterLetter(i), "");
        EXPECT_EQ(NumberText(i), "");
        EXPECT_EQ(Number2Text(i), "");
        EXPECT_EQ(Number3Text(i), "");
        EXPECT_EQ(RomanText(i), "");
    }
    EXPECT_EQ(RowLetter(22), "");
    EXPECT_EQ(QuarterLetter(5), "");
    EXPECT_EQ(NumberText(145), "");
    EXPECT_EQ(Number2Text(61), "");
    EXPECT_EQ(Number3Text(145), "");
    EXPECT_EQ(RomanText(37), "");
}

TEST(Tables, ReverseLookups) {
    for (int i = 1; i <= 21; ++i)
        EXPECT_EQ(FindRowLetter(RowLetter(i)), i);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(FindQuarterLetter(QuarterLetter(i)), i);
    for (int i = 1; i <= 36; ++i)
        EXPECT_EQ(FindRomanText(RomanText(i)), i);
    EXPECT_EQ(FindRowLetter("U"), 21);
    EXPECT_EQ(FindRowLetter("V"), 0);
    EXPECT_EQ(FindRowLetter(""), 0);
    EXPECT_EQ(FindRowLetter("a"), 0);
    EXPECT_EQ(FindRowLetter("AB"), 0);
    EXPECT_EQ(FindQuarterLetter("A"), 0);    // Latin, not Cyrillic
    EXPECT_EQ(FindQuarterLetter("а"), 0);    // lower case
    EXPECT_EQ(FindQuarterLetter("\xD0"), 0); // half a letter
    EXPECT_EQ(FindRomanText("XIV"), 14);
    EXPECT_EQ(FindRomanText("XXXVII"), 0);
    EXPECT_EQ(FindRomanText("iv"), 0);
    EXPECT_EQ(FindRomanText(""), 0);
}
