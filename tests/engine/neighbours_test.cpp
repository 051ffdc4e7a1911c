#include "engine/neighbours.h"

#include <gtest/gtest.h>

using namespace kavu;

namespace {
SheetKey Key(int scale, char h, int row, int col, int part = 0, int quarter = 0) {
    return SheetKey{scale, h, row, col, part, quarter};
}
void ExpectCells(const NeighbourGrid& g, const char* const (&texts)[10][2]) {
    for (int c = 1; c <= 9; ++c) {
        EXPECT_TRUE(g.Cell(c).Present) << c;
        EXPECT_EQ(g.Cell(c).New, texts[c][0]) << c;
        EXPECT_EQ(g.Cell(c).Old, texts[c][1]) << c;
    }
}
} // namespace

TEST(ParseSheetNew, ReadsWhatFormatWrites) {
    EXPECT_EQ(ParseSheetNew(" 14-37"), Key(1, 'N', 14, 37));
    EXPECT_EQ(ParseSheetNew(" 14-37-1"), Key(2, 'N', 14, 37, 1));
    EXPECT_EQ(ParseSheetNew(" 14-37-02"), Key(3, 'N', 14, 37, 2));
    EXPECT_EQ(ParseSheetNew(" 14-37-004"), Key(4, 'N', 14, 37, 4));
    EXPECT_EQ(ParseSheetNew(" 14-37-004-3"), Key(5, 'N', 14, 37, 4, 3));
    EXPECT_EQ(ParseSheetNew("s 9-34-061-4"), Key(5, 'S', 9, 34, 61, 4));
}

TEST(ParseSheetNew, RejectsEverythingElse) {
    const char* bad[] = {"",
                         " ",
                         "s",
                         "s ",
                         " 14",
                         "14-37",
                         "  14-37",
                         " 14-37 ",
                         "s14-37",
                         "S 14-37",
                         " N-37",
                         " 14-37-А",
                         " 14-37-II",
                         " 22-1",
                         " 0-1",
                         " 014-37",
                         " 14-61",
                         " 14-0",
                         " 14-037",
                         " 14-37-5",
                         " 14-37-0",
                         " 14-37-37",
                         " 14-37-00",
                         " 14-37-145",
                         " 14-37-000",
                         " 14-37-0001",
                         " 14-37-004-5",
                         " 14-37-004-0",
                         " 14-37-004-",
                         " 14-37-04-1",
                         " 14-37-4-1",
                         " 14-37-004-1-1-1-1",
                         " 14-37-004-1-5",
                         " 14-37-004-1-1-",
                         " 14-37-04-1-1",
                         " 14-37-004-11",
                         " 14--37",
                         " -14-37",
                         " 14-37-",
                         " 99999999999-1",
                         " 14-37x",
                         "s 14-37\n"};
    for (const char* t : bad)
        EXPECT_FALSE(ParseSheetNew(t).has_value()) << '"' << t << '"';
    EXPECT_FALSE(ParseSheetNew(std::string_view(" 14-37\0", 7)).has_value());
}

TEST(Neighbours, WorkedExamples) {
    const char* const n37_4v[10][2] = {{},
                                       {" 14-37-003-2", " N-37-3-Б"},
                                       {" 14-37-004-1", " N-37-4-А"},
                                       {" 14-37-004-2", " N-37-4-Б"},
                                       {" 14-37-003-4", " N-37-3-Г"},
                                       {" 14-37-004-3", " N-37-4-В"},
                                       {" 14-37-004-4", " N-37-4-Г"},
                                       {" 14-37-015-2", " N-37-15-Б"},
                                       {" 14-37-016-1", " N-37-16-А"},
                                       {" 14-37-016-2", " N-37-16-Б"}};
    ExpectCells(ComputeNeighbours(" 14-37-004-3", 1, 1), n37_4v);
    const char* const n37_a[10][2] = {{},
                                      {" 15-36-4", " O-36-Г"},
                                      {" 15-37-3", " O-37-В"},
                                      {" 15-37-4", " O-37-Г"},
                                      {" 14-36-2", " N-36-Б"},
                                      {" 14-37-1", " N-37-А"},
                                      {" 14-37-2", " N-37-Б"},
                                      {" 14-36-4", " N-36-Г"},
                                      {" 14-37-3", " N-37-В"},
                                      {" 14-37-4", " N-37-Г"}};
    ExpectCells(ComputeNeighbours(" 14-37-1", 1, 1), n37_a);
    const char* const n1[10][2] = {{},
                                   {" 15-60", " O-60"},
                                   {" 15-1", " O-1"},
                                   {" 15-2", " O-2"},
                                   {" 14-60", " N-60"},
                                   {" 14-1", " N-1"},
                                   {" 14-2", " N-2"},
                                   {" 13-60", " M-60"},
                                   {" 13-1", " M-1"},
                                   {" 13-2", " M-2"}};
    ExpectCells(ComputeNeighbours(" 14-1", 1, 1), n1);
}

TEST(Neighbours, AcrossTheEquatorAndThePoles) {
    const NeighbourGrid a31 = ComputeNeighbours(" 1-31", 1, 1);
    EXPECT_EQ(a31.Cell(7).New, "s 1-30");
    EXPECT_EQ(a31.Cell(8).New, "s 1-31");
    EXPECT_EQ(a31.Cell(9).New, "s 1-32");
    const NeighbourGrid s = ComputeNeighbours("s 1-31-002-2", 1, 1);
    EXPECT_EQ(s.Cell(2).New, " 1-31-134-4");
    EXPECT_EQ(s.Cell(2).Old, " A-31-134-Г");
    EXPECT_EQ(s.Cell(1).New, " 1-31-134-3");

    const NeighbourGrid north = ComputeNeighbours(" 21-5-02", 1, 1);
    for (int c : {1, 2, 3}) {
        EXPECT_FALSE(north.Cell(c).Present);
        EXPECT_EQ(north.Cell(c).New, "");
    }
    EXPECT_TRUE(north.Cell(8).Present);
    const NeighbourGrid south = ComputeNeighbours("s 21-5-33", 1, 1);
    for (int c : {7, 8, 9})
        EXPECT_FALSE(south.Cell(c).Present);
    EXPECT_TRUE(south.Cell(2).Present);
}

TEST(Neighbours, MarksFollowThePoint) {
    // N 0°, E 0° at 1:1,000,000 is the north-west corner of s A-31.
    const NeighbourGrid g = ComputeNeighbours("s 1-31", 0, 0);
    for (int c = 1; c <= 9; ++c)
        EXPECT_EQ(g.Cell(c).Marked, c == 1 || c == 2 || c == 4 || c == 5) << c;
    EXPECT_EQ(g.NorthEdge, "S 0° 00'");
    EXPECT_EQ(g.SouthEdge, "S 4° 00'");
    EXPECT_EQ(g.WestEdge, "E 0° 00'");
    EXPECT_EQ(g.EastEdge, "E 6° 00'");

    const NeighbourGrid inside = ComputeNeighbours(" 14-37", 140000, 190000);
    for (int c = 1; c <= 9; ++c)
        EXPECT_FALSE(inside.Cell(c).Marked) << c;

    // 84°N, 180°W: the north cells are absent but still marked.
    const NeighbourGrid top = ComputeNeighbours(" 21-1", 648000, 302400);
    for (int c : {1, 2, 3}) {
        EXPECT_FALSE(top.Cell(c).Present);
        EXPECT_EQ(top.Cell(c).Marked, c != 3) << c;
    }
    EXPECT_TRUE(top.Cell(4).Marked);
    EXPECT_EQ(top.WestEdge, "W 180° 00'");

    // South-east corner of N-37-4-В (55°40′ N, 37°45′ E).
    const NeighbourGrid se = ComputeNeighbours(" 14-37-004-3", 135900, 200400);
    for (int c = 1; c <= 9; ++c)
        EXPECT_EQ(se.Cell(c).Marked, c == 5 || c == 6 || c == 8 || c == 9) << c;
}

TEST(Neighbours, RejectedTextGivesAnEmptyGrid) {
    for (const char* t : {"", " N-37", "14-37", " 14-37-0001", " 22-1"}) {
        const NeighbourGrid g = ComputeNeighbours(t, 0, 0);
        EXPECT_FALSE(g.Valid);
        for (int c = 1; c <= 9; ++c) {
            EXPECT_FALSE(g.Cell(c).Present);
            EXPECT_FALSE(g.Cell(c).Marked);
        }
        EXPECT_EQ(g.NorthEdge, "");
    }
}

TEST(Neighbours, StepsOfInvalidKeysDoNothing) {
    const SheetKey bad = Key(3, 'N', 14, 37, 40);
    EXPECT_EQ(StepWest(bad), bad);
    EXPECT_EQ(StepEast(bad), bad);
    EXPECT_FALSE(StepNorth(bad));
    EXPECT_FALSE(StepSouth(bad));
}

TEST(Neighbours, LargerScalesAcrossEveryKindOfEdge) {
    // 1:25,000 in the north-west corner of N-37: the 1:50,000, 1:100,000 and 1:1,000,000 edges.
    const char* const n37_1aa[10][2] = {{},
                                        {" 15-36-144-4-4", " O-36-144-Г-г"},
                                        {" 15-37-133-3-3", " O-37-133-В-в"},
                                        {" 15-37-133-3-4", " O-37-133-В-г"},
                                        {" 14-36-012-2-2", " N-36-12-Б-б"},
                                        {" 14-37-001-1-1", " N-37-1-А-а"},
                                        {" 14-37-001-1-2", " N-37-1-А-б"},
                                        {" 14-36-012-2-4", " N-36-12-Б-г"},
                                        {" 14-37-001-1-3", " N-37-1-А-в"},
                                        {" 14-37-001-1-4", " N-37-1-А-г"}};
    ExpectCells(ComputeNeighbours(" 14-37-001-1-1", 1, 1), n37_1aa);
    // 1:10,000 at the equator and 180 degrees.
    const char* const s1_1[10][2] = {{},
                                     {" 1-60-144-4-4-4", " A-60-144-Г-г-4"},
                                     {" 1-1-133-3-3-3", " A-1-133-В-в-3"},
                                     {" 1-1-133-3-3-4", " A-1-133-В-в-4"},
                                     {"s 1-60-012-2-2-2", "s A-60-12-Б-б-2"},
                                     {"s 1-1-001-1-1-1", "s A-1-1-А-а-1"},
                                     {"s 1-1-001-1-1-2", "s A-1-1-А-а-2"},
                                     {"s 1-60-012-2-2-4", "s A-60-12-Б-б-4"},
                                     {"s 1-1-001-1-1-3", "s A-1-1-А-а-3"},
                                     {"s 1-1-001-1-1-4", "s A-1-1-А-а-4"}};
    const NeighbourGrid g = ComputeNeighbours("s 1-1-001-1-1-1", 648000, 0);
    ExpectCells(g, s1_1);
    for (int c = 1; c <= 9; ++c)
        EXPECT_EQ(g.Cell(c).Marked, c == 1 || c == 2 || c == 4 || c == 5) << c;
    EXPECT_EQ(g.SouthEdge, "S 0° 02' 30\"");
}
