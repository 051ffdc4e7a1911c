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

struct Switch {
    ctlNSEW ctl;
    QLabel* label = ctl.findChild<QLabel*>(QStringLiteral("Label"));
    QScrollBar* bar = ctl.findChild<QScrollBar*>(QStringLiteral("VScroll"));
    QStringList reported;

    Switch() {
        // A handler already sees the new letter on the switch.
        QObject::connect(&ctl, &ctlNSEW::Change, [this](const QString& v) {
            EXPECT_EQ(ctl.Letter(), v);
            reported << v;
        });
        ctl.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&ctl));
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
};

// Every sequence of five clicks on both pairs: the lower arrow shows the second letter, the
// upper one the first, and Change fires exactly when the letter changes, carrying the new one.
// Reset and a new pair report only when they leave the second letter; a bad View is refused; a
// disabled switch looks disabled and ignores clicks.
TEST(ctlNSEW, ArrowClicksFlipTheLetterAndReportEachChange) {
    Switch s;
    EXPECT_EQ(s.ctl.size(), QSize(33, 19)); // 495 x 285 twips
    EXPECT_GT(s.label->width(), s.label->fontMetrics().horizontalAdvance(QStringLiteral("W")));
    for (int view : {0, 1})
        for (int mask = 0; mask < (1 << 5); ++mask) {
            ASSERT_TRUE(s.ctl.setProperty("View", view));
            s.ctl.Reset();
            s.Reported();
            QStringList expected;
            for (int i = 0, last = 0; i < 5; ++i) {
                const int bit = (mask >> i) & 1;
                s.Click(bit);
                const QString now = QStringLiteral("NSEW").mid(2 * view + bit, 1);
                if (bit != last) expected << now;
                last = bit;
                ASSERT_EQ(s.label->text(), now) << view << " " << mask;
            }
            EXPECT_EQ(s.Reported(), expected) << view << " " << mask;
        }
    s.ctl.setView(0);
    s.ctl.Reset();
    s.Click(true);
    s.ctl.setView(1);
    for (int bad : {-1, 2, -2147483647 - 1})
        s.ctl.setView(bad);
    EXPECT_EQ(s.Reported(), (QStringList{"N", "S", "E"}));
    EXPECT_EQ(std::pair(s.ctl.View(), s.ctl.Letter()), std::pair(1, QString("E")));
    ASSERT_TRUE(s.ctl.setProperty("Enabled", false));
    EXPECT_EQ(s.label->palette().color(QPalette::Window), SystemColor(kButtonFace));
    s.Click(true);
    s.ctl.setEnabled(true);
    EXPECT_EQ(s.label->palette().color(QPalette::Window), SystemColor(kWindowBackground));
    s.Click(true);
    EXPECT_EQ(s.Reported(), (QStringList{"W"}));
}

} // namespace
} // namespace kavu
