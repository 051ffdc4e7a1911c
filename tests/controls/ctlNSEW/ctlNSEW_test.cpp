// The switch driven as a user drives it: mouse clicks on the arrows of its scroll bar.
#include "controls/ctlNSEW/ctlNSEW.h"

#include "misc/misc.h"

#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>

namespace kavu {
namespace {

class ctlNSEWTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A handler already sees the new letter on the switch.
        QObject::connect(&ctl, &ctlNSEW::Change, [this](const QString& v) {
            EXPECT_EQ(ctl.Letter(), v);
            reported << v;
        });
        ctl.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&ctl));
    }

    // Clicks the centre of an arrow as the style lays it out, after the style's own hit test
    // confirms it is that arrow and that the upper arrow is the one that steps back.
    void Click(bool lower) {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.orientation = Qt::Vertical;
        opt.maximum = 1;
        const auto sc = lower ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarSubLine;
        const QPoint at =
            bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, bar).center();
        ASSERT_EQ(bar->style()->hitTestComplexControl(QStyle::CC_ScrollBar, &opt, at, bar), sc);
        ASSERT_EQ(at.y() > bar->height() / 2, lower);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, at);
    }

    QStringList Reported() { return std::exchange(reported, {}); }

    ctlNSEW ctl;
    QLabel* label = ctl.findChild<QLabel*>(QStringLiteral("Label"));
    QScrollBar* bar = ctl.findChild<QScrollBar*>(QStringLiteral("VScroll"));
    QStringList reported;
};

// Every sequence of five clicks on both pairs: the lower arrow shows the second letter, the
// upper one the first, and Change fires exactly when the letter changes, carrying the new one.
TEST_F(ctlNSEWTest, ArrowClicksFlipTheLetterAndReportEachChange) {
    EXPECT_EQ(ctl.size(), QSize(33, 19)); // 495 x 285 twips
    EXPECT_GT(label->width(), label->fontMetrics().horizontalAdvance(QStringLiteral("W")));
    for (int view : {0, 1})
        for (int mask = 0; mask < (1 << 5); ++mask) {
            ASSERT_TRUE(ctl.setProperty("View", view));
            ctl.Reset();
            Reported();
            QStringList expected;
            for (int i = 0, last = 0; i < 5; ++i) {
                const int bit = (mask >> i) & 1;
                Click(bit);
                const QString now = QStringLiteral("NSEW").mid(2 * view + bit, 1);
                if (bit != last) expected << now;
                last = bit;
                ASSERT_EQ(label->text(), now) << view << " " << mask;
            }
            EXPECT_EQ(Reported(), expected) << view << " " << mask;
        }
}

// Reset and a new pair report only when they leave the second letter; a bad View is refused;
// a disabled switch looks disabled and ignores clicks.
TEST_F(ctlNSEWTest, ResetViewAndDisabled) {
    ctl.Reset();
    Click(true);
    ctl.Reset();
    Click(true);
    ctl.setView(1);
    ctl.setView(0);
    Click(true);
    for (int bad : {-1, 2, 7, -2147483647 - 1})
        ctl.setView(bad);
    EXPECT_EQ(Reported(), (QStringList{"S", "N", "S", "E", "S"}));
    EXPECT_EQ(std::pair(ctl.View(), ctl.Letter()), std::pair(0, QString("S")));
    ctl.Reset();
    ASSERT_TRUE(ctl.setProperty("Enabled", false));
    EXPECT_EQ(label->palette().color(QPalette::Window), SystemColor(kButtonFace));
    Click(true);
    ctl.setEnabled(true);
    EXPECT_EQ(label->palette().color(QPalette::Window), SystemColor(kWindowBackground));
    Click(true);
    EXPECT_EQ(Reported(), (QStringList{"N", "S"}));
}

} // namespace
} // namespace kavu
