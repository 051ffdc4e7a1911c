#include "controls/ctlGMS/ctlGMS.h"

#include "misc/misc.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace kavu {
namespace {

class ctlGMSTest : public ::testing::Test {
  protected:
    std::string Shown(const char* letter, int seconds) {
        ctl.setValue(letter, seconds);
        return ctl.Result().toStdString();
    }

    ctlGMS ctl;
    QLineEdit* box = ctl.findChild<QLineEdit*>(QStringLiteral("Text"));
};

// Every sequence of four flag settings from the fresh state against the rule: the seconds are
// never forced without the minutes, and turning the minutes off drops them.
TEST_F(ctlGMSTest, SecondsAreNeverForcedWithoutMinutes) {
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

TEST_F(ctlGMSTest, ReadOnlyResultAndClear) {
    EXPECT_EQ(ctl.Result(), "");
    ctl.setShowMinute(true);                                           // the window's setting
    EXPECT_EQ(Shown("E", 37 * 3600 + 41 * 60 + 15), "E 37° 41' 15\""); // seconds when not zero
    EXPECT_EQ(Shown("W", 180 * 3600), "W 180° 00'");
    QTest::keyClicks(box, "12");
    for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Home, Qt::Key_Delete})
        QTest::keyClick(box, key);
    EXPECT_EQ(ctl.Result().toStdString(), "W 180° 00'");
    ctl.Clear();
    EXPECT_EQ(ctl.Result(), "");
    EXPECT_EQ(Shown("S", -60), "");
    EXPECT_EQ(box->palette().color(QPalette::Base), SystemColor(kWindowBackground));
    ASSERT_TRUE(ctl.setProperty("Enabled", false));
    EXPECT_EQ(box->palette().color(QPalette::Base), SystemColor(kButtonFace));
}

// The widest angles are wholly in view in the 81-pixel box whatever font the window hands down:
// a box too narrow scrolls to its cursor, hiding the start or the end.
TEST_F(ctlGMSTest, WidestAnglesFitTheBox) {
    ctl.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ctl));
    ctl.setShowMinute(true);
    ctl.setShowSecond(true);
    QFont big = ctl.font();
    big.setPixelSize(22);
    for (const QFont& font : {ctl.font(), big}) {
        ctl.setFont(font);
        for (const char* letter : {"N", "S", "E", "W"})
            for (int seconds : {179 * 3600 + 59 * 60 + 59, 180 * 3600}) {
                ctl.setValue(letter, seconds);
                box->setCursorPosition(box->text().size());
                EXPECT_EQ(box->cursorPositionAt(QPoint(4, 9)), 0) << letter << font.pixelSize();
                box->setCursorPosition(0);
                EXPECT_EQ(box->cursorPositionAt(QPoint(77, 9)), box->text().size()) << seconds;
            }
    }
    EXPECT_EQ(box->geometry(), QRect(0, 0, 81, 19)); // 1215 x 285 twips
}

} // namespace
} // namespace kavu
