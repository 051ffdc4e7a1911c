// Every sheet of the series in both hemispheres, 5.8 million at 1:25,000, and every 7th at
// 1:10,000 (a stride prime to 2 and 3, so every value of every field is met).
#include "engine/neighbours.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>

using namespace kavu;

namespace {

using kavu::test::ForEachSheet;

long Stride(int scale) {
    return scale == 7 ? 7 : 1;
}

class GridSweep : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(GridSweep, SheetsFitTheirPointsTextsNeighboursAndParents) {
    const int scale = GetParam();
    ForEachSheet(scale, Stride(scale), [scale](const SheetKey& k) {
        ASSERT_TRUE(ComputeSheetFrame(k)) << FormatSheetNew(k);
        const SheetFrame f = *ComputeSheetFrame(k);
        const std::string_view ns = LetterText(k.Hemisphere), ew = LetterText(f.EW);
        const auto centre = SheetOfPoint(ns, f.Y0, ew, f.X0, scale);
        const auto corner = SheetOfPoint(ns, f.Y1, ew, f.X1, scale);
        ASSERT_TRUE(centre && corner) << FormatSheetNew(k);
        ASSERT_EQ(centre->Key, k) << FormatSheetNew(k);
        ASSERT_FALSE(centre->LatitudeJunction || centre->LongitudeJunction);
        ASSERT_EQ(corner->Key, k) << FormatSheetNew(k);
        ASSERT_TRUE(corner->LatitudeJunction && corner->LongitudeJunction);
        ASSERT_EQ(ParseSheetNew(FormatSheetNew(k)), k) << FormatSheetNew(k);
        const SignedFrame sf = *ComputeSignedFrame(k);
        ASSERT_EQ(std::tuple(sf.North - sf.South, sf.East - sf.West),
                  std::tuple(SheetHeight(scale), SheetWidth(scale)));
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
                int* quarters[] = {&parent.Quarter, &parent.Quarter25, &parent.Quarter10};
                int& q = *quarters[scale - 5];
                index = q - 1;
                q = 0;
                perRow = 2;
            }
            const SignedFrame pf = *ComputeSignedFrame(parent);
            ASSERT_EQ(std::tuple(sf.North, sf.West),
                      std::tuple(pf.North - index / perRow * SheetHeight(scale),
                                 pf.West + index % perRow * SheetWidth(scale)))
                << FormatSheetNew(k);
        }

        const SheetKey w = StepWest(k), e = StepEast(k);
        const SheetFrame fw = *ComputeSheetFrame(w), fe = *ComputeSheetFrame(e);
        ASSERT_EQ(std::tuple(fw.X2, fe.X1, fw.Y1, fe.Y2), std::tuple(f.X1, f.X2, f.Y1, f.Y2))
            << FormatSheetNew(k);
        ASSERT_EQ(std::tuple(StepEast(w), StepWest(e)), std::tuple(k, k));

        const auto n = StepNorth(k);
        ASSERT_EQ(n.has_value(), sf.North != kMaxLatitude);
        if (n) {
            const SheetFrame fn = *ComputeSheetFrame(*n);
            ASSERT_EQ(std::tuple(fn.Y2, fn.X1, StepSouth(*n)), std::tuple(f.Y1, f.X1, k))
                << FormatSheetNew(k);
        }
        const auto s = StepSouth(k);
        ASSERT_EQ(s.has_value(), sf.South != -kMaxLatitude);
        if (s) {
            ASSERT_EQ(std::tuple(ComputeSheetFrame(*s)->Y1, StepNorth(*s)),
                      std::tuple(f.Y2, std::optional(k)))
                << FormatSheetNew(k);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(AllScales, GridSweep, ::testing::Range(1, kSheetScaleCount + 1));
