#include "engine/sheet.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kavu;

namespace {
SheetKey Key(int scale, char h, int row, int col, int part = 0, int q = 0, int q25 = 0,
             int q10 = 0) {
    return SheetKey{scale, h, row, col, part, q, q25, q10};
}
SheetFrame Frame(int y1, int x1, int y2, int x2, int y0, int x0, char ew) {
    SheetFrame f;
    f.Y1 = y1, f.X1 = x1, f.Y2 = y2, f.X2 = x2, f.Y0 = y0, f.X0 = x0, f.EW = ew;
    return f;
}
} // namespace

TEST(SheetFrame, WorkedExamples) {
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 14, 37)),
              Frame(201600, 129600, 187200, 151200, 194400, 140400, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'N', 14, 37, 4, 3)),
              Frame(201000, 135000, 200400, 135900, 200700, 135450, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'S', 9, 34, 61, 4)),
              Frame(121800, 65700, 122400, 66600, 122100, 66150, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(5, 'N', 11, 18, 117, 3)),
              Frame(147000, 266400, 146400, 265500, 146700, 265950, 'W'));
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 21, 1)),
              Frame(302400, 648000, 288000, 626400, 295200, 637200, 'W'));
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'S', 1, 31)), Frame(0, 0, 14400, 21600, 7200, 10800, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(4, 'N', 14, 37, 144)),
              Frame(188400, 149400, 187200, 151200, 187800, 150300, 'E'));
    // 55°50′–55°45′ N, 37°30′–37°37′30″ E; 55°42′30″–55°40′ N, 37°41′15″–37°45′ E.
    EXPECT_EQ(ComputeSheetFrame(Key(6, 'N', 14, 37, 4, 3, 1)),
              Frame(201000, 135000, 200700, 135450, 200850, 135225, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(7, 'N', 14, 37, 4, 3, 4, 4)),
              Frame(200550, 135675, 200400, 135900, 200475, 135787, 'E'));
    // The centre's half second is dropped to the west in the western hemisphere too.
    EXPECT_EQ(ComputeSheetFrame(Key(7, 'N', 14, 30, 12, 2, 2, 2))->X0, 113); // W 0°01′52.5″
}

TEST(SheetFrame, GridEdges) {
    // Anchors for the sweep, which checks that neighbours share edges but not where they lie.
    const SheetFrame c30 = *ComputeSheetFrame(Key(1, 'N', 5, 30));
    const SheetFrame c31 = *ComputeSheetFrame(Key(1, 'N', 5, 31));
    EXPECT_EQ(std::tie(c30.X2, c30.EW, c31.X1, c31.EW), std::make_tuple(0, 'W', 0, 'E'));
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 5, 60))->X2, 648000);
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 1, 7))->Y2, 0);
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'S', 21, 7))->Y2, 302400);
    // Scales 1..4 ignore the quarter.
    EXPECT_EQ(ComputeSheetFrame(Key(4, 'N', 14, 37, 4, 3)),
              ComputeSheetFrame(Key(4, 'N', 14, 37, 4)));
    EXPECT_EQ(ComputeSheetFrame(Key(1, 'N', 14, 37, 9, 9)), ComputeSheetFrame(Key(1, 'N', 14, 37)));
}

TEST(SheetFrame, KeysOutsideTheSeriesGiveNoFrame) {
    const SheetKey bad[] = {Key(0, 'N', 1, 1),          Key(6, 'N', 1, 1),
                            Key(1, 'N', 22, 1),         Key(1, 'S', 0, 1),
                            Key(1, 'N', 1, 61),         Key(1, 'N', 1, 0),
                            Key(2, 'N', 1, 1, 0),       Key(2, 'N', 1, 1, 5),
                            Key(3, 'N', 1, 1, 37),      Key(4, 'N', 1, 1, 145),
                            Key(5, 'N', 1, 1, 1, 0),    Key(5, 'N', 1, 1, 1, 5),
                            Key(5, 'N', 1, 1, -3, 1),   Key(8, 'N', 1, 1, 1, 1, 1, 1),
                            Key(6, 'N', 1, 1, 1, 1, 0), Key(7, 'N', 1, 1, 1, 1, 1, 5)};
    for (const SheetKey& k : bad)
        EXPECT_FALSE(ComputeSheetFrame(k).has_value());
}

TEST(SheetOfPoint, WorkedExamples) {
    const int lat = 55 * 3600 + 45 * 60, lon = 37 * 3600 + 37 * 60;
    auto r = SheetOfPoint("N", lat, "E", lon, 1);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->Key, Key(1, 'N', 14, 37));
    EXPECT_FALSE(r->LatitudeJunction || r->LongitudeJunction);
    EXPECT_EQ(SheetOfPoint("N", lat, "E", lon, 5)->Key, Key(5, 'N', 14, 37, 4, 3));

    r = SheetOfPoint("S", 33 * 3600 + 55 * 60, "E", 18 * 3600 + 25 * 60, 3);
    EXPECT_EQ(r->Key, Key(3, 'S', 9, 34, 13));

    r = SheetOfPoint("N", 40 * 3600 + 42 * 60, "W", 74 * 3600, 3);
    EXPECT_EQ(r->Key, Key(3, 'N', 11, 18, 29));
    EXPECT_FALSE(r->LatitudeJunction);
    EXPECT_TRUE(r->LongitudeJunction);
    r = SheetOfPoint("N", 40 * 3600 + 42 * 60, "W", 74 * 3600, 2);
    EXPECT_EQ(r->Key, Key(2, 'N', 11, 18, 4));
    EXPECT_FALSE(r->LatitudeJunction || r->LongitudeJunction);

    r = SheetOfPoint("N", 0, "E", 0, 1);
    EXPECT_EQ(r->Key, Key(1, 'S', 1, 31));
    EXPECT_TRUE(r->LatitudeJunction && r->LongitudeJunction);
    r = SheetOfPoint("N", 302400, "W", 648000, 1);
    EXPECT_EQ(r->Key, Key(1, 'N', 21, 1));
    EXPECT_TRUE(r->LatitudeJunction && r->LongitudeJunction);
}

TEST(SheetOfPoint, EdgesBelongToTheSheetSouthAndEast) {
    auto row = [](const char* ns, int deg, int min = 0) {
        return SheetOfPoint(ns, deg * 3600 + min * 60, "E", 3600, 1)->Key;
    };
    EXPECT_EQ(row("N", 56).Row, 14);
    EXPECT_TRUE(SheetOfPoint("N", 56 * 3600, "E", 3600, 1)->LatitudeJunction);
    EXPECT_EQ(row("S", 4).Row, 2);
    EXPECT_EQ(row("S", 3, 59).Row, 1);
    auto col = [](const char* ew, int deg) {
        return SheetOfPoint("N", 3600, ew, deg * 3600, 1)->Key.Column;
    };
    EXPECT_EQ(col("W", 6), 30);
    EXPECT_EQ(col("E", 6), 32);
    EXPECT_EQ(col("W", 0), 31);
    EXPECT_EQ(col("E", 0), 31);
    for (int s = 1; s <= 5; ++s) {
        const auto r = SheetOfPoint("N", 0, "E", 1, s);
        EXPECT_EQ(r->Key.Hemisphere, 'S');
        EXPECT_TRUE(r->LatitudeJunction);
    }
    const auto two1 = SheetOfPoint("N", 7200, "E", 1, 1);
    EXPECT_FALSE(two1->LatitudeJunction);
    const auto two2 = SheetOfPoint("N", 7200, "E", 1, 2);
    EXPECT_TRUE(two2->LatitudeJunction);
    EXPECT_GE(two2->Key.SubSheet, 3);
}

TEST(SheetOfPoint, PointsOffTheGridAreRejected) {
    EXPECT_FALSE(SheetOfPoint("N", -1, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", -1, 1));
    EXPECT_FALSE(SheetOfPoint("N", 302401, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("S", 302400, "E", 0, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "W", 648001, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 648000, 1));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 0, 0));
    EXPECT_FALSE(SheetOfPoint("N", 0, "E", 0, 8));
    EXPECT_FALSE(SheetOfPoint("N", 2147483647, "W", 2147483647, 5));
    // The last points inside.
    EXPECT_EQ(SheetOfPoint("S", 302399, "E", 647999, 5)->Key, Key(5, 'S', 21, 60, 144, 4));
    EXPECT_EQ(SheetOfPoint("N", 302400, "W", 648000, 5)->Key, Key(5, 'N', 21, 1, 1, 1));
}
