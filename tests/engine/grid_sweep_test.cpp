// Every sheet of the series in both hemispheres, 5.8 million at 1:25,000, and a sample at
// 1:10,000.
#include "engine/neighbours.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kavu;

namespace {

using kavu::test::ForEachSheet;
using kavu::test::SheetCount;

// Every sheet up to 1:25,000, at 1:10,000 every 7th. The second sweep, three times the work,
// takes every 5th at 1:25,000 too.
long Stride(int scale, long sparser = 1) {
    return scale == 7 ? 7 * sparser : scale == 6 ? sparser : 1;
}

std::string_view Ns(const SheetKey& k) {
    return k.Hemisphere == 'S' ? "S" : "N";
}
std::string_view Ew(const SheetFrame& f) {
    return f.EW == 'W' ? "W" : "E";
}

class GridSweep : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(GridSweep, CentreCornerAndDigitTextGiveBackTheSheet) {
    const int scale = GetParam();
    const long count = ForEachSheet(scale, Stride(scale), [scale](const SheetKey& k) {
        const auto f = ComputeSheetFrame(k);
        ASSERT_TRUE(f) << FormatSheetNew(k);
        const auto centre = SheetOfPoint(Ns(k), f->Y0, Ew(*f), f->X0, scale);
        ASSERT_TRUE(centre);
        ASSERT_EQ(centre->Key, k) << FormatSheetNew(k);
        ASSERT_FALSE(centre->LatitudeJunction || centre->LongitudeJunction);

        const auto corner = SheetOfPoint(Ns(k), f->Y1, Ew(*f), f->X1, scale);
        ASSERT_TRUE(corner);
        ASSERT_EQ(corner->Key, k) << FormatSheetNew(k);
        ASSERT_TRUE(corner->LatitudeJunction && corner->LongitudeJunction);

        const std::string text = FormatSheetNew(k);
        ASSERT_EQ(ParseSheetNew(text), k) << text;
    });
    EXPECT_EQ(count, (SheetCount(scale) + Stride(scale) - 1) / Stride(scale));
}

TEST_P(GridSweep, SheetsFitTheirNeighboursAndParents) {
    const int scale = GetParam();
    ForEachSheet(scale, Stride(scale, 5), [scale](const SheetKey& k) {
        const SheetFrame f = *ComputeSheetFrame(k);
        const SignedFrame sf = *ComputeSignedFrame(k);
        ASSERT_EQ(sf.North - sf.South, SheetHeight(scale));
        ASSERT_EQ(sf.East - sf.West, SheetWidth(scale));
        ASSERT_EQ(std::abs(sf.North), f.Y1);
        ASSERT_EQ(std::abs(sf.South), f.Y2);
        ASSERT_EQ(std::abs(sf.West), f.X1);
        ASSERT_EQ(std::abs(sf.East), f.X2);
        ASSERT_EQ(f.EW, k.Column <= 30 ? 'W' : 'E');
        // The exact centre, half a second off the whole seconds at 1:10,000.
        const ExactPoint mid{(sf.North + sf.South) * kUnitsPerSecond / 2,
                             (sf.West + sf.East) * kUnitsPerSecond / 2};
        ASSERT_EQ(SheetOfExactPoint(mid, scale)->Key, k) << FormatSheetNew(k);

        // In the sheet one scale up (the 1:1,000,000 one for scales 2..4) where its last
        // number says: parts row by row from the north-west, quarters 1 NW … 4 SE.
        if (scale >= 2) {
            SheetKey parent = SheetKey{1, k.Hemisphere, k.Row, k.Column};
            int index = k.SubSheet - 1;
            int perRow = scale == 2 ? 2 : scale == 3 ? 6 : 12;
            if (scale >= 5) {
                parent = k;
                parent.Scale = scale - 1;
                int& q = scale == 5   ? parent.Quarter
                         : scale == 6 ? parent.Quarter25
                                      : parent.Quarter10;
                index = q - 1;
                q = 0;
                perRow = 2;
            }
            const SignedFrame pf = *ComputeSignedFrame(parent);
            ASSERT_EQ(sf.North, pf.North - index / perRow * SheetHeight(scale))
                << FormatSheetNew(k);
            ASSERT_EQ(sf.West, pf.West + index % perRow * SheetWidth(scale)) << FormatSheetNew(k);
        }

        const SheetKey w = StepWest(k), e = StepEast(k);
        const SheetFrame fw = *ComputeSheetFrame(w), fe = *ComputeSheetFrame(e);
        ASSERT_EQ(fw.X2, f.X1) << FormatSheetNew(k);
        ASSERT_EQ(fe.X1, f.X2) << FormatSheetNew(k);
        ASSERT_EQ(fw.Y1, f.Y1);
        ASSERT_EQ(fe.Y2, f.Y2);
        ASSERT_EQ(StepEast(w), k);
        ASSERT_EQ(StepWest(e), k);

        const auto n = StepNorth(k);
        ASSERT_EQ(n.has_value(), sf.North != kMaxLatitude);
        if (n) {
            const SheetFrame fn = *ComputeSheetFrame(*n);
            ASSERT_EQ(fn.Y2, f.Y1) << FormatSheetNew(k);
            ASSERT_EQ(fn.X1, f.X1);
            ASSERT_EQ(StepSouth(*n), k);
        }
        const auto s = StepSouth(k);
        ASSERT_EQ(s.has_value(), sf.South != -kMaxLatitude);
        if (s) {
            ASSERT_EQ(ComputeSheetFrame(*s)->Y1, f.Y2) << FormatSheetNew(k);
            ASSERT_EQ(StepNorth(*s), k);
        }

        // The south-east corner belongs to the sheet diagonally south-east, where one exists.
        const auto se = SheetOfPoint(Ns(k), f.Y2, Ew(f), f.X2, scale);
        ASSERT_EQ(se.has_value(), s.has_value() && !(k.Column == 60 && f.X2 == kMaxLongitude));
        if (se) {
            ASSERT_EQ(se->Key, StepEast(*s)) << FormatSheetNew(k);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(AllScales, GridSweep, ::testing::Range(1, kSheetScaleCount + 1));
