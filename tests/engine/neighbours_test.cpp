#include "engine/neighbours.h"

#include <gtest/gtest.h>

using namespace kavu;

namespace {
// The nine cells from the north-west, row by row, in one notation; "-" for an absent cell.
std::string Cells(const NeighbourGrid& g, bool old = false) {
    std::string out;
    for (int c = 1; c <= 9; ++c) {
        const NeighbourCell& cell = g.Cell(c);
        out += (c > 1 ? "|" : "") + (cell.Present ? (old ? cell.Old : cell.New) : "-");
    }
    return out;
}
std::string Marks(const NeighbourGrid& g) {
    std::string out;
    for (int c = 1; c <= 9; ++c)
        out += g.Cell(c).Marked ? '*' : '.';
    return out;
}
} // namespace

// Across the edges of every scale's parent, the equator, 180 degrees and the grid's end.
TEST(Neighbours, WorkedExamples) {
    EXPECT_EQ(Cells(ComputeNeighbours(" 14-37-004-3", 1, 1), true),
              " N-37-3-Б| N-37-4-А| N-37-4-Б| N-37-3-Г| N-37-4-В| N-37-4-Г| N-37-15-Б| N-37-16-А|"
              " N-37-16-Б");
    EXPECT_EQ(Cells(ComputeNeighbours("s 21-5-33", 1, 1)),
              "s 21-5-26|s 21-5-27|s 21-5-28|s 21-5-32|s 21-5-33|s 21-5-34|-|-|-");
    EXPECT_EQ(Cells(ComputeNeighbours("s 1-1-001-1-1-1", 1, 1)),
              " 1-60-144-4-4-4| 1-1-133-3-3-3| 1-1-133-3-3-4|s 1-60-012-2-2-2|s 1-1-001-1-1-1|"
              "s 1-1-001-1-1-2|s 1-60-012-2-2-4|s 1-1-001-1-1-3|s 1-1-001-1-1-4");
}

TEST(Neighbours, MarksAndEdgesFollowThePoint) {
    // N 0°, E 0° at 1:1,000,000 is the north-west corner of s A-31.
    const NeighbourGrid g = ComputeNeighbours("s 1-31", 0, 0);
    EXPECT_EQ(Marks(g), "**.**....");
    EXPECT_EQ(g.NorthEdge + "|" + g.SouthEdge + "|" + g.WestEdge + "|" + g.EastEdge,
              "S 0° 00'|S 4° 00'|E 0° 00'|E 6° 00'");
    // 84°N, 180°W: the north cells are absent but still marked.
    const NeighbourGrid top = ComputeNeighbours(" 21-1", 648000, 302400);
    EXPECT_EQ(Marks(top), "**.**....");
    EXPECT_EQ(top.WestEdge, "W 180° 00'");
    // South-east corner of N-37-4-В (55°40′ N, 37°45′ E); of s A-1-1-А-а-1 at 1:10,000.
    EXPECT_EQ(Marks(ComputeNeighbours(" 14-37-004-3", 135900, 200400)), "....**.**");
    const NeighbourGrid s10 = ComputeNeighbours("s 1-1-001-1-1-1", 648000 - 225, 150);
    EXPECT_EQ(Marks(s10), "....**.**");
    EXPECT_EQ(s10.SouthEdge + "|" + s10.EastEdge, "S 0° 02' 30\"|W 179° 56' 15\"");
    for (const char* t : {"", " N-37", "14-37", " 14-37-0001", " 22-1"}) {
        const NeighbourGrid bad = ComputeNeighbours(t, 0, 0);
        EXPECT_FALSE(bad.Valid);
        EXPECT_EQ(Cells(bad) + Marks(bad) + bad.NorthEdge, "-|-|-|-|-|-|-|-|-.........");
    }
}
