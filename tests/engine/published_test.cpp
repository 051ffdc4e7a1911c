#include "engine/neighbours.h"
#include "engine/published.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kavu;

// Along one row of sheets of every scale, at the north and south edge of every 4-degree belt of
// both hemispheres: the groups follow one another from 180 degrees W to 180 degrees E without
// gap or overlap, each member's own published sheet is its group, and the members' frames
// make the group's (the reader's sweep spells the groups' names).
TEST(PublishedSheet, GroupsTileEveryRowOfSheets) {
    for (int scale = 1; scale <= kSheetScaleCount; ++scale)
        for (int belt = 0; belt < 42; ++belt)
            for (int edge : {0, 1}) {
                const int north = kMaxLatitude - belt * 4 * kDegree; // signed
                const int lat = edge == 0 ? north : north - 4 * kDegree + 1;
                SheetKey k =
                    SheetOfPoint(lat > 0 ? "N" : "S", std::abs(lat), "W", kMaxLongitude, scale)
                        ->Key;
                const int expected = scale == 7 || k.Row < 16 ? 1
                                     : k.Row <= 19            ? 2
                                     : scale == 3             ? 3
                                                              : 4;
                std::int32_t reached = -kMaxLongitude;
                while (reached < kMaxLongitude) {
                    const auto p = PublishedSheetOf(k);
                    ASSERT_TRUE(p);
                    ASSERT_EQ(std::tuple(p->Count, p->Members[0], p->Frame.West),
                              std::tuple(expected, k, reached))
                        << p->New;
                    for (int m = 0; m < p->Count; ++m) {
                        const SheetKey& member = p->Members[static_cast<std::size_t>(m)];
                        const SignedFrame f = *ComputeSignedFrame(member);
                        ASSERT_EQ(std::tuple(member, f.West, f.North, f.South),
                                  std::tuple(k, reached, p->Frame.North, p->Frame.South))
                            << p->New;
                        const auto again = PublishedSheetOf(member);
                        ASSERT_EQ(std::tie(again->New, again->Old, again->Members),
                                  std::tie(p->New, p->Old, p->Members));
                        reached = f.East;
                        k = StepEast(k);
                    }
                    ASSERT_EQ(p->Frame.East, reached) << p->New;
                }
                ASSERT_EQ(reached, kMaxLongitude);
            }
}
