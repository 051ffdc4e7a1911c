#include "engine/sheet.h"

#include <gtest/gtest.h>

using namespace kavu;

namespace {
SheetKey Key(int scale, char h, int row, int col, int part = 0, int q = 0, int q25 = 0,
             int q10 = 0) {
    return SheetKey{scale, h, row, col, part, q, q25, q10};
}
} // namespace

TEST(Designation, WorkedExamples) {
    struct Case {
        SheetKey key;
        const char* newText;
        const char* oldText;
    } cases[] = {
        {Key(1, 'N', 14, 37), " 14-37", " N-37"},
        {Key(2, 'N', 14, 37, 1), " 14-37-1", " N-37-А"},
        {Key(3, 'N', 14, 37, 2), " 14-37-02", " N-37-II"},
        {Key(4, 'N', 14, 37, 4), " 14-37-004", " N-37-4"},
        {Key(5, 'N', 14, 37, 4, 3), " 14-37-004-3", " N-37-4-В"},
        {Key(1, 'S', 9, 34), "s 9-34", "s I-34"},
        {Key(3, 'S', 9, 34, 13), "s 9-34-13", "s I-34-XIII"},
        {Key(4, 'S', 9, 34, 61), "s 9-34-061", "s I-34-61"},
        {Key(5, 'S', 9, 34, 61, 4), "s 9-34-061-4", "s I-34-61-Г"},
        {Key(4, 'N', 11, 18, 117), " 11-18-117", " K-18-117"},
        {Key(5, 'N', 21, 60, 144, 4), " 21-60-144-4", " U-60-144-Г"},
        {Key(6, 'N', 14, 37, 4, 3, 1), " 14-37-004-3-1", " N-37-4-В-а"},
        {Key(7, 'N', 14, 37, 4, 3, 1, 2), " 14-37-004-3-1-2", " N-37-4-В-а-2"},
        {Key(6, 'S', 9, 34, 61, 4, 4), "s 9-34-061-4-4", "s I-34-61-Г-г"},
        {Key(7, 'S', 21, 60, 144, 2, 3, 4), "s 21-60-144-2-3-4", "s U-60-144-Б-в-4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatSheetNew(c.key), c.newText);
        EXPECT_EQ(FormatSheetOld(c.key), c.oldText);
    }
}

TEST(Designation, FieldsTheScaleDoesNotUseAreIgnored) {
    EXPECT_EQ(FormatSheetNew(Key(1, 'N', 14, 37, 5, 3)), " 14-37");
    EXPECT_EQ(FormatSheetOld(Key(1, 'N', 14, 37, 500, 9)), " N-37");
    for (int s = 2; s <= 5; ++s)
        EXPECT_EQ(FormatSheetNew(Key(s, 'N', 14, 37, 0)), " 14-37");
    EXPECT_EQ(FormatSheetNew(Key(5, 'N', 14, 37, 4, 0)), " 14-37-004");
    EXPECT_EQ(FormatSheetNew(Key(7, 'N', 14, 37, 4, 3, 0)), " 14-37-004-3");
    EXPECT_EQ(FormatSheetOld(Key(7, 'N', 14, 37, 4, 3, 2, 0)), " N-37-4-В-б");
    EXPECT_EQ(FormatSheetOld(Key(3, 'N', 14, 37, 2, 0)), " N-37-II");
    // Only exactly 'S' is southern.
    EXPECT_EQ(FormatSheetNew(Key(1, 's', 14, 37)), " 14-37");
}

TEST(Designation, KeysOutsideTheSeriesGiveNoText) {
    const SheetKey bad[] = {
        Key(0, 'N', 14, 37),
        Key(8, 'N', 14, 37),
        Key(1, 'N', 0, 37),
        Key(1, 'N', 22, 37),
        Key(1, 'N', 14, 0),
        Key(1, 'N', 14, 61),
        Key(2, 'N', 14, 37, 5),
        Key(3, 'N', 14, 37, 37),
        Key(4, 'N', 14, 37, 145),
        Key(5, 'N', 14, 37, 4, 5),
        Key(5, 'N', 14, 37, 4, -1),
        Key(4, 'N', 14, 37, 4, 1),
        Key(2, 'N', 14, 37, -1),
        Key(1, 'S', -5, 2147483647),
        // A quarter finer than the scale, after a quarter of 0, or outside 0..4.
        Key(5, 'N', 1, 1, 1, 1, 1),
        Key(6, 'N', 1, 1, 1, 1, 1, 1),
        Key(7, 'N', 1, 1, 1, 0, 1),
        Key(7, 'N', 1, 1, 1, 1, 0, 1),
        Key(6, 'N', 1, 1, 1, 1, 5),
        Key(7, 'N', 1, 1, 1, 1, 1, -1),
    };
    for (const SheetKey& k : bad) {
        EXPECT_EQ(FormatSheetNew(k), "") << k.Scale << ' ' << k.Row << ' ' << k.SubSheet;
        EXPECT_EQ(FormatSheetOld(k), "");
        EXPECT_FALSE(IsSheetKey(k));
    }
}
