// The texts: tables, angles, designations in both notations and the strict digit reader.
#include "engine/neighbours.h"
#include "engine/published.h"
#include "sheets.h"

#include <gtest/gtest.h>

using namespace kavu;
using kavu::test::Key;
using kavu::test::Padded;

// The lookups read back what the tables write and find nothing past them; the tables give an
// empty text for any index outside their range.
TEST(Tables, LookupsRoundTripAndStopAtTheirEnds) {
    for (int i = 1; i <= 36; ++i) {
        EXPECT_EQ(FindRomanText(RomanText(i)), i);
        EXPECT_EQ(FindRowLetter(RowLetter(i)), i <= 21 ? i : 0);
        EXPECT_EQ(FindQuarterLetter(QuarterLetter(i)), i <= 4 ? i : 0);
    }
    for (int d = 1; d <= 10; ++d) // the Roman numerals by their construction
        EXPECT_EQ(std::string(RomanText(20 + d)), "XX" + std::string(RomanText(d)));
    for (auto table : {RowLetter, QuarterLetter, SmallQuarterLetter, NumberText, Number2Text,
                       Number3Text, RomanText})
        EXPECT_EQ(std::string(table(-1000)) + std::string(table(0)), "");
    for (std::string_view past :
         {RowLetter(22), QuarterLetter(5), SmallQuarterLetter(5), NumberText(145), Number2Text(61),
          Number3Text(145), RomanText(37), ScaleName(0)})
        EXPECT_EQ(past, "");
    EXPECT_EQ(SheetHeight(8), 0);
}

// Minutes and seconds are shown when asked for or not zero.
TEST(FormatAngle, EverySecondOfThreeDegreesInEveryForm) {
    EXPECT_EQ(FormatAngle("W", 648000, false, false), "W 180°");
    EXPECT_EQ(FormatAngle("N", -1, true, true), "");
    for (int v = 0; v < 3600 * 3; ++v)
        for (int form = 0; form < 4; ++form) {
            const int m = v / 60 % 60, s = v % 60;
            const std::string t = "E " + std::to_string(v / 3600) + "°" +
                                  (form & 1 || m ? std::string(" ") + Padded(m, 2) + "'" : "") +
                                  (form & 2 || s ? std::string(" ") + Padded(s, 2) + "\"" : "");
            ASSERT_EQ(FormatAngle("E", v, form & 1, form & 2), t);
        }
}

TEST(Designation, KeysOutsideTheSeriesAndFieldsTheScaleDoesNotUse) {
    const SheetKey bad[] = {
        Key(0, 'N', 14, 37), Key(8, 'N', 14, 37), Key(1, 'N', 0, 37), Key(1, 'N', 22, 37),
        Key(1, 'N', 14, 0), Key(1, 'N', 14, 61), Key(2, 'N', 14, 37, 5), Key(3, 'N', 14, 37, 37),
        Key(4, 'N', 14, 37, 145), Key(5, 'N', 14, 37, 4, 5), Key(5, 'N', 14, 37, 4, -1),
        Key(2, 'N', 14, 37, -1), Key(1, 'S', -5, 2147483647), Key(7, 'N', 1, 1, 1, 1, 1, 5),
        // A quarter finer than the scale, or after a quarter of 0: it would read back as
        // another sheet.
        Key(4, 'N', 14, 37, 4, 1), Key(5, 'N', 1, 1, 1, 1, 1), Key(6, 'N', 1, 1, 1, 1, 1, 1),
        Key(7, 'N', 1, 1, 1, 0, 1), Key(7, 'N', 1, 1, 1, 1, 0, 1),
        // A 1:25,000 or 1:10,000 key with a quarter of 0 is no sheet, not a smaller one.
        Key(6, 'N', 14, 37, 4, 3), Key(6, 'N', 14, 37, 4), Key(7, 'N', 14, 37, 4, 3, 2),
        Key(7, 'N', 14, 37, 4, 3), Key(7, 'N', 1, 1, 1)};
    for (const SheetKey& k : bad) {
        EXPECT_EQ(FormatSheetNew(k) + FormatSheetOld(k), "") << k.Scale << ' ' << k.SubSheet;
        EXPECT_FALSE(IsSheetKey(k) || ComputeSignedFrame(k) || PublishedSheetOf(k) ||
                     StepNorth(k) || StepSouth(k) || StepWest(k) != k);
    }
    // The frame asks only for the fields of its scale (the window's keys carry the others).
    EXPECT_EQ(ComputeSheetFrame(Key(4, 'N', 14, 37, 4, 3)),
              ComputeSheetFrame(Key(4, 'N', 14, 37, 4)));
    for (const SheetKey& k : {Key(2, 'N', 1, 1, 0), Key(5, 'N', 1, 1, 1, 0),
                              Key(6, 'N', 1, 1, 1, 1, 0), Key(8, 'N', 1, 1, 1, 1, 1, 1)})
        EXPECT_FALSE(ComputeSheetFrame(k));
    // Fields the scale does not use are not written, a part or quarter of 0 ends the text, and
    // only 'S' is southern; the reader's sweep checks the rest against its own spellings.
    const std::pair<SheetKey, const char*> cases[] = {
        {Key(1, 'N', 14, 37, 500, 9), " 14-37 N-37"},
        {Key(4, 'N', 14, 37, 0), " 14-37 N-37"},
        {Key(5, 'N', 14, 37, 4, 0), " 14-37-004 N-37-4"},
        {Key(1, 's', 14, 37), " 14-37 N-37"}};
    for (const auto& [key, text] : cases)
        EXPECT_EQ(FormatSheetNew(key) + FormatSheetOld(key), text);
}

TEST(ParseSheetNew, RejectsAllButWhatFormatWrites) {
    // clang-format off
    const char* bad[] = {
        "", " ", "s", "s ", " 14", "14-37", "  14-37", " 14-37 ", "s14-37", "S 14-37", " N-37",
        " 14-37-А", " 14-37-II", " 22-1", " 0-1", " 014-37", " 14-61", " 14-0", " 14-037",
        " 14-37-5", " 14-37-0", " 14-37-37", " 14-37-00", " 14-37-145", " 14-37-000",
        " 14-37-0001", " 14-37-004-5", " 14-37-004-0", " 14-37-004-", " 14-37-04-1", " 14-37-4-1",
        " 14-37-004-1-1-1-1", " 14-37-004-1-5", " 14-37-004-1-1-", " 14-37-04-1-1",
        " 14-37-004-11", " 14--37", " -14-37", " 14-37-", " 99999999999-1", " 14-37x", " 14-07",
        "s 14-37\n", " 07-37"};
    // clang-format on
    for (const char* t : bad)
        EXPECT_FALSE(ParseSheetNew(t)) << '"' << t << '"';
    EXPECT_FALSE(ParseSheetNew(std::string_view(" 14-37\0", 7)));
}
