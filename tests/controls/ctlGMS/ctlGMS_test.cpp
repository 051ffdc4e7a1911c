#include "controls/ctlGMS/ctlGMS.h"

#include "misc/misc.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace kavu {
namespace {

// Every sequence of four flag settings from the fresh state against the rule: the seconds are
// never forced without the minutes, and turning the minutes off drops them.
TEST(ctlGMS, SecondsAreNeverForcedWithoutMinutes) {
    const char* kText[] = {"N 1°", "N 1° 00'", "N 1° 00' 00\""};
    for (int sequence = 0; sequence < (1 << 8); ++sequence) {
        ctlGMS g;
        bool minute = false, second = false;
        for (int i = 0; i < 8; i += 2) {
            const bool isMinute = (sequence >> i) & 2, on = (sequence >> i) & 1;
            ASSERT_TRUE(g.setProperty(isMinute ? "ShowMinute" : "ShowSecond", on));
            minute = isMinute ? on : minute;
            second = (isMinute ? second : on) && minute;
            g.setValue("N", 3600);
            ASSERT_EQ(std::tuple(g.ShowMinute(), g.ShowSecond(), g.Result().toStdString()),
                      std::tuple(minute, second, kText[minute + second]))
                << sequence << " " << i;
        }
    }
}

TEST(ctlGMS, ReadOnlyResultClearAndLook) {
    ctlGMS ctl;
    QLineEdit* box = ctl.findChild<QLineEdit*>(QStringLiteral("Text"));
    ctl.setShowMinute(true);
    ctl.setValue("W", 180 * 3600);
    QTest::keyClicks(box, "12");
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete})
        QTest::keyClick(box, key);
    EXPECT_EQ(ctl.Result().toStdString(), "W 180° 00'");
    ctl.Clear();
    EXPECT_EQ(ctl.Result(), "");
    ctl.setValue("S", -60);
    EXPECT_EQ(ctl.Result(), "");
    EXPECT_EQ(box->palette().color(QPalette::Base), SystemColor(kWindowBackground));
    ASSERT_TRUE(ctl.setProperty("Enabled", false));
    EXPECT_EQ(box->palette().color(QPalette::Base), SystemColor(kButtonFace));
}

} // namespace
} // namespace kavu
