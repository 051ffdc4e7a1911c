#include "controls/ctlGMS/ctlGMSLogic.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kavu {
namespace {

// Every sequence of up to four flag settings, from the fresh state: the seconds are never
// forced without the minutes, and each setting ends in the state the rule gives.
TEST(ctlGMSLogic, SecondsAreNeverForcedWithoutMinutes) {
    struct Op {
        bool minute;
        bool on;
    };
    const std::vector<Op> ops{{true, false}, {true, true}, {false, false}, {false, true}};
    std::function<void(ctlGMSLogic, int)> walk = [&](ctlGMSLogic logic, int depth) {
        if (depth == 0) return;
        for (const Op& op : ops) {
            ctlGMSLogic next = logic;
            if (op.minute) {
                next.setShowMinute(op.on);
                EXPECT_EQ(next.ShowMinute(), op.on);
                EXPECT_EQ(next.ShowSecond(), op.on && logic.ShowSecond());
            } else {
                next.setShowSecond(op.on);
                EXPECT_EQ(next.ShowMinute(), logic.ShowMinute());
                EXPECT_EQ(next.ShowSecond(), op.on && logic.ShowMinute());
            }
            EXPECT_TRUE(!next.ShowSecond() || next.ShowMinute());
            walk(next, depth - 1);
        }
    };
    ctlGMSLogic fresh;
    EXPECT_FALSE(fresh.ShowMinute());
    EXPECT_FALSE(fresh.ShowSecond());
    walk(fresh, 4);
}

TEST(ctlGMSLogic, TextFollowsTheFlags) {
    ctlGMSLogic logic;
    const std::int32_t round = 36 * 3600;             // 36 degrees
    const std::int32_t minutes = 55 * 3600 + 45 * 60; // 55 degrees 45 minutes
    const std::int32_t seconds = 37 * 3600 + 41 * 60 + 15;
    EXPECT_EQ(logic.Text("E", round), "E 36\u00B0");
    EXPECT_EQ(logic.Text("N", minutes), "N 55\u00B0 45'");
    EXPECT_EQ(logic.Text("E", seconds), "E 37\u00B0 41' 15\"");

    logic.setShowMinute(true); // the window's setting
    EXPECT_EQ(logic.Text("E", round), "E 36\u00B0 00'");
    EXPECT_EQ(logic.Text("N", minutes), "N 55\u00B0 45'");
    EXPECT_EQ(logic.Text("W", seconds), "W 37\u00B0 41' 15\"");
    EXPECT_EQ(logic.Text("S", 0), "S 0\u00B0 00'");
    EXPECT_EQ(logic.Text("W", 180 * 3600), "W 180\u00B0 00'");

    logic.setShowSecond(true);
    EXPECT_EQ(logic.Text("E", round), "E 36\u00B0 00' 00\"");
    logic.setShowMinute(false);
    EXPECT_EQ(logic.Text("E", round), "E 36\u00B0");
}

} // namespace
} // namespace kavu
