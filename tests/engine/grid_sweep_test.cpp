// Every sheet of the series at every scale, in both hemispheres: 1.45 million at 1:50,000.
#include "engine/neighbours.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kavu;

namespace {

// Calls `visit` for every key of the scale; returns how many there were.
long ForEachSheet(int scale, const std::function<void(const SheetKey&)>& visit) {
    long n = 0;
    const int parts = scale == 1 ? 1 : PartCount(scale);
    const int quarters = scale == 5 ? 4 : 1;
    for (char h : {'N', 'S'})
        for (int row = 1; row <= 21; ++row)
            for (int col = 1; col <= 60; ++col)
                for (int p = 1; p <= parts; ++p)
                    for (int q = 1; q <= quarters; ++q) {
                        SheetKey k{scale, h, row, col, scale == 1 ? 0 : p, scale == 5 ? q : 0};
                        visit(k);
                        ++n;
                    }
    return n;
}

std::string_view Ns(const SheetKey& k) {
    return k.Hemisphere == 'S' ? "S" : "N";
}
std::string_view Ew(const SheetFrame& f) {
    return f.EW == 'W' ? "W" : "E";
}

class GridSweep : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(GridSweep, CentreAndNorthWestCornerMapBackToTheSheet) {
    const int scale = GetParam();
    const long count = ForEachSheet(scale, [scale](const SheetKey& k) {
        const auto f = ComputeSheetFrame(k);
        ASSERT_TRUE(f) << FormatSheetNew(k);
        EXPECT_EQ(f->Y1 - f->Y2, k.Hemisphere == 'S' ? -SheetHeight(scale) : SheetHeight(scale));
        EXPECT_EQ(f->EW, k.Column <= 30 ? 'W' : 'E');

        const auto centre = SheetOfPoint(Ns(k), f->Y0, Ew(*f), f->X0, scale);
        ASSERT_TRUE(centre);
        ASSERT_EQ(centre->Key, k) << FormatSheetNew(k);
        EXPECT_FALSE(centre->LatitudeJunction || centre->LongitudeJunction);

        const auto corner = SheetOfPoint(Ns(k), f->Y1, Ew(*f), f->X1, scale);
        ASSERT_TRUE(corner);
        ASSERT_EQ(corner->Key, k) << FormatSheetNew(k);
        EXPECT_TRUE(corner->LatitudeJunction && corner->LongitudeJunction);

        // The south-east corner belongs to the sheet diagonally south-east, where one exists.
        const auto se = SheetOfPoint(Ns(k), f->Y2, Ew(*f), f->X2, scale);
        if (se) {
            const auto south = StepSouth(k);
            ASSERT_TRUE(south);
            ASSERT_EQ(se->Key, StepEast(*south)) << FormatSheetNew(k);
        }
    });
    EXPECT_EQ(count, 2L * 21 * 60 * (scale == 1 ? 1 : PartCount(scale)) * (scale == 5 ? 4 : 1));
}

TEST_P(GridSweep, NewNotationReadsBackAndBothNotationsAreWritten) {
    ForEachSheet(GetParam(), [](const SheetKey& k) {
        const std::string text = FormatSheetNew(k);
        const auto back = ParseSheetNew(text);
        ASSERT_TRUE(back) << text;
        ASSERT_EQ(*back, k) << text;
        ASSERT_FALSE(FormatSheetOld(k).empty());
    });
}

TEST_P(GridSweep, NeighboursShareTheirEdgesAndStepBack) {
    ForEachSheet(GetParam(), [](const SheetKey& k) {
        const SheetFrame f = *ComputeSheetFrame(k);
        const SheetKey w = StepWest(k), e = StepEast(k);
        const SheetFrame fw = *ComputeSheetFrame(w), fe = *ComputeSheetFrame(e);
        ASSERT_EQ(fw.X2, f.X1) << FormatSheetNew(k);
        ASSERT_EQ(fe.X1, f.X2) << FormatSheetNew(k);
        ASSERT_EQ(fw.Y1, f.Y1);
        ASSERT_EQ(fe.Y2, f.Y2);
        ASSERT_EQ(StepEast(w), k);
        ASSERT_EQ(StepWest(e), k);

        const auto n = StepNorth(k);
        ASSERT_EQ(n.has_value(), !(k.Hemisphere == 'N' && k.Row == 21 && f.Y1 == 302400));
        if (n) {
            const SheetFrame fn = *ComputeSheetFrame(*n);
            ASSERT_EQ(fn.Y2, f.Y1) << FormatSheetNew(k);
            ASSERT_EQ(fn.X1, f.X1);
            ASSERT_EQ(StepSouth(*n), k);
        }
        const auto s = StepSouth(k);
        ASSERT_EQ(s.has_value(), !(k.Hemisphere == 'S' && k.Row == 21 && f.Y2 == 302400));
        if (s) {
            ASSERT_EQ(ComputeSheetFrame(*s)->Y1, f.Y2) << FormatSheetNew(k);
            ASSERT_EQ(StepNorth(*s), k);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(AllScales, GridSweep, ::testing::Values(1, 2, 3, 4, 5));
