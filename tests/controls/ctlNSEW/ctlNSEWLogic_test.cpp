#include "controls/ctlNSEW/ctlNSEWLogic.h"

#include <gtest/gtest.h>

namespace kavu {
namespace {

TEST(ctlNSEWLogic, LetterPairs) {
    EXPECT_EQ(ctlNSEWLogic::Letter(0, 0), "N");
    EXPECT_EQ(ctlNSEWLogic::Letter(0, 1), "S");
    EXPECT_EQ(ctlNSEWLogic::Letter(1, 0), "E");
    EXPECT_EQ(ctlNSEWLogic::Letter(1, 1), "W");
    for (int bad : {-1, 2, 100})
        for (int other : {0, 1}) {
            EXPECT_EQ(ctlNSEWLogic::Letter(bad, other), "");
            EXPECT_EQ(ctlNSEWLogic::Letter(other, bad), "");
        }
}

TEST(ctlNSEWLogic, ViewOutsideThePairsIsRefused) {
    ctlNSEWLogic logic;
    ASSERT_TRUE(logic.setPosition(1));
    ASSERT_TRUE(logic.setView(1));
    for (int bad : {-1, 2, 3, -2147483647 - 1, 2147483647}) {
        EXPECT_FALSE(logic.setView(bad)) << bad;
        EXPECT_EQ(logic.View(), 1);
        EXPECT_EQ(logic.Letter(), "W");
    }
    EXPECT_TRUE(logic.setView(0));
    EXPECT_EQ(logic.Letter(), "S");
}

} // namespace
} // namespace kavu
