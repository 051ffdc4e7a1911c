#include "engine/neighbours.h"
#include "engine/published.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace kavu;

using kavu::test::Key;

TEST(PublishedSheet, WorkedExamples) {
    struct Case {
        SheetKey key;
        const char* newText;
        const char* oldText;
        int count;
    } cases[] = {
        {Key(1, 'N', 16, 38), " 16-37,38", " P-37,38", 2},
        {Key(2, 'N', 16, 37, 2), " 16-37-1,2", " P-37-А,Б", 2},
        {Key(2, 'N', 20, 38, 3), " 20-37-3,4,38-3,4", " T-37-В,Г,38-В,Г", 4},
        {Key(3, 'N', 20, 37, 11), " 20-37-10,11,12", " T-37-X,XI,XII", 3},
        {Key(4, 'N', 20, 37, 8), " 20-37-005,006,007,008", " T-37-5,6,7,8", 4},
        {Key(5, 'N', 16, 37, 1, 4), " 16-37-001-3,4", " P-37-1-В,Г", 2},
        {Key(5, 'N', 20, 37, 2, 1), " 20-37-001-1,2,002-1,2", " T-37-1-А,Б,2-А,Б", 4},
        {Key(6, 'N', 16, 37, 1, 1, 2), " 16-37-001-1-1,2", " P-37-1-А-а,б", 2},
        {Key(6, 'N', 20, 37, 1, 1, 3), " 20-37-001-1-3,4,2-3,4", " T-37-1-А-в,г,Б-в,г", 4},
        {Key(7, 'N', 20, 37, 1, 2, 3, 1), " 20-37-001-2-3-1", " T-37-1-Б-в-1", 1},
        {Key(6, 'S', 21, 60, 144, 4, 4), "s 21-60-144-3-3,4,4-3,4", "s U-60-144-В-в,г,Г-в,г", 4},
        {Key(1, 'N', 15, 37), " 15-37", " O-37", 1},
    };
    for (const Case& c : cases) {
        const auto p = PublishedSheetOf(c.key);
        ASSERT_TRUE(p) << c.newText;
        EXPECT_EQ(std::tuple(p->New, p->Old, p->Count, p->Joined()),
                  std::tuple(c.newText, c.oldText, c.count, c.count > 1));
    }
    // The only group across 0 degrees; its frame runs from west to east of it.
    const auto t29 = PublishedSheetOf(Key(1, 'S', 20, 31));
    EXPECT_EQ(t29->Old, "s T-29,30,31,32");
    EXPECT_EQ(t29->Frame, (SignedFrame{-76 * 3600, -80 * 3600, -12 * 3600, 12 * 3600}));
}

// Along one row of sheets of every scale, at the north and south edge of every 4-degree belt of
// both hemispheres: the groups follow one another from 180 degrees W to 180 degrees E without
// gap or overlap, each member's own published sheet is its group, and the members' frames
// make the group's.
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
                    ASSERT_EQ(std::count(p->New.begin(), p->New.end(), ','), expected - 1);
                    ASSERT_EQ(p->New.rfind(FormatSheetNew(k), 0), 0u) << p->New;
                    ASSERT_EQ(p->Old.rfind(FormatSheetOld(k), 0), 0u) << p->Old;
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
