// The switch driven as a user drives it: mouse clicks on the arrows of its scroll bar.
#include "controls/ctlNSEW/ctlNSEW.h"

#include "misc/misc.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kavu {
namespace {

enum class Arrow { Upper, Lower };

class ctlNSEWTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ctl = std::make_unique<ctlNSEW>();
        ctl->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ctl.get()));
        label = ctl->findChild<QLabel*>(QStringLiteral("Label"));
        bar = ctl->findChild<QScrollBar*>(QStringLiteral("VScroll"));
        ASSERT_NE(label, nullptr);
        ASSERT_NE(bar, nullptr);
        spy = std::make_unique<QSignalSpy>(ctl.get(), &ctlNSEW::Change);
    }

    // The centre of an arrow as the style lays the bar out, checked by the style's own hit test
    // so that a click there is a click on that arrow, and checked to be the upper or lower one.
    QPoint ArrowCentre(Arrow arrow) const {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.subControls = QStyle::SC_All;
        opt.orientation = bar->orientation();
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->sliderPosition();
        opt.sliderValue = bar->value();
        opt.singleStep = bar->singleStep();
        opt.pageStep = bar->pageStep();
        opt.upsideDown = bar->invertedAppearance();
        const QStyle::SubControl sc =
            arrow == Arrow::Upper ? QStyle::SC_ScrollBarSubLine : QStyle::SC_ScrollBarAddLine;
        const QRect r = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, bar);
        EXPECT_FALSE(r.isEmpty());
        EXPECT_EQ(bar->style()->hitTestComplexControl(QStyle::CC_ScrollBar, &opt, r.center(), bar),
                  sc);
        if (arrow == Arrow::Upper)
            EXPECT_LT(r.center().y(), bar->height() / 2);
        else
            EXPECT_GT(r.center().y(), bar->height() / 2);
        return r.center();
    }

    void Click(Arrow arrow) {
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, ArrowCentre(arrow));
    }

    std::vector<QString> Reported() const {
        std::vector<QString> out;
        for (const QList<QVariant>& args : *spy)
            out.push_back(args.at(0).toString());
        return out;
    }

    std::unique_ptr<ctlNSEW> ctl;
    QLabel* label = nullptr;
    QScrollBar* bar = nullptr;
    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(ctlNSEWTest, StartsAtTheFirstLetterOfEachPair) {
    EXPECT_EQ(ctl->View(), 0);
    EXPECT_EQ(ctl->Letter(), "N");
    EXPECT_EQ(label->text(), "N");
    ctlNSEW ew;
    ew.setView(1);
    EXPECT_EQ(ew.Letter(), "E");
}

// Every short click sequence on both pairs: the lower arrow moves to the second letter, the
// upper one back, and Change fires exactly when the letter changes, carrying the new one.
TEST_F(ctlNSEWTest, ArrowClicksFlipTheLetterAndReportEachChange) {
    for (int view : {0, 1}) {
        const QString first = view == 0 ? "N" : "E";
        const QString second = view == 0 ? "S" : "W";
        for (int mask = 0; mask < (1 << 5); ++mask) {
            ctl->setView(view);
            ctl->Reset();
            spy->clear();
            QString shown = first;
            std::vector<QString> expected;
            for (int i = 0; i < 5; ++i) {
                const bool lower = (mask >> i) & 1;
                Click(lower ? Arrow::Lower : Arrow::Upper);
                const QString now = lower ? second : first;
                if (now != shown) expected.push_back(now);
                shown = now;
                ASSERT_EQ(ctl->Letter(), shown) << "view " << view << " mask " << mask;
                ASSERT_EQ(label->text(), shown);
            }
            EXPECT_EQ(Reported(), expected) << "view " << view << " mask " << mask;
        }
    }
}

TEST_F(ctlNSEWTest, HandlersSeeTheLetterAlreadyShown) {
    QString seen;
    QObject::connect(ctl.get(), &ctlNSEW::Change,
                     [&](const QString& v) { seen = v + ctl->Letter(); });
    Click(Arrow::Lower);
    EXPECT_EQ(seen, "SS");
    Click(Arrow::Upper);
    EXPECT_EQ(seen, "NN");
}

TEST_F(ctlNSEWTest, ResetReportsOnlyALeftSecondLetter) {
    ctl->Reset();
    EXPECT_TRUE(Reported().empty());

    Click(Arrow::Lower);
    spy->clear();
    ctl->Reset();
    EXPECT_EQ(Reported(), std::vector<QString>{"N"});
    EXPECT_EQ(ctl->Letter(), "N");
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ctlNSEWTest, ChangingThePairResetsTheSwitch) {
    Click(Arrow::Lower); // "S"
    spy->clear();
    ctl->setView(1);
    EXPECT_EQ(Reported(), std::vector<QString>{"E"});
    EXPECT_EQ(ctl->Letter(), "E");

    spy->clear();
    ctl->setView(0); // already at the first letter: shown, not reported
    EXPECT_TRUE(Reported().empty());
    EXPECT_EQ(ctl->Letter(), "N");
}

TEST_F(ctlNSEWTest, PairsOutsideTheTableAreRefused) {
    Click(Arrow::Lower);
    spy->clear();
    for (int bad : {-1, 2, 7}) {
        ctl->setView(bad);
        EXPECT_EQ(ctl->View(), 0);
        EXPECT_EQ(ctl->Letter(), "S");
        EXPECT_EQ(bar->value(), 1);
    }
    EXPECT_TRUE(Reported().empty());
}

TEST_F(ctlNSEWTest, DesignPropertiesGoByTheirNames) {
    EXPECT_TRUE(ctl->setProperty("View", 1));
    EXPECT_EQ(ctl->property("View").toInt(), 1);
    EXPECT_EQ(ctl->Letter(), "E");
    EXPECT_TRUE(ctl->setProperty("Enabled", false));
    EXPECT_FALSE(ctl->property("Enabled").toBool());
    EXPECT_FALSE(ctl->isEnabled());
}

TEST_F(ctlNSEWTest, DisabledSwitchLooksDisabledAndIgnoresClicks) {
    const auto background = [&] { return label->palette().color(QPalette::Window); };
    EXPECT_EQ(background(), SystemColor(kWindowBackground));

    ctl->setEnabled(false);
    EXPECT_EQ(background(), SystemColor(kButtonFace));
    EXPECT_FALSE(label->isEnabled());
    EXPECT_FALSE(bar->isEnabled());
    Click(Arrow::Lower);
    EXPECT_EQ(ctl->Letter(), "N");
    EXPECT_TRUE(Reported().empty());

    ctl->setEnabled(true);
    EXPECT_EQ(background(), SystemColor(kWindowBackground));
    Click(Arrow::Lower);
    EXPECT_EQ(ctl->Letter(), "S");
}

TEST_F(ctlNSEWTest, ArrowKeysMoveTheSwitchLikeTheArrows) {
    ctl->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ctl.get()));
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Down);
    EXPECT_EQ(ctl->Letter(), "S");
    QTest::keyClick(bar, Qt::Key_Up);
    EXPECT_EQ(ctl->Letter(), "N");
    EXPECT_EQ(Reported(), (std::vector<QString>{"S", "N"}));
}

TEST_F(ctlNSEWTest, LabelAndBarShareTheControl) {
    EXPECT_EQ(ctl->size(), QSize(33, 19)); // 495 x 285 twips
    for (const QSize size : {QSize(33, 19), QSize(60, 30)}) {
        ctl->resize(size);
        EXPECT_EQ(label->geometry().topLeft(), QPoint(0, 0));
        EXPECT_EQ(label->height(), size.height());
        EXPECT_EQ(bar->height(), size.height());
        EXPECT_EQ(bar->x(), label->width());
        EXPECT_EQ(label->width() + bar->width(), size.width());
        EXPECT_GT(label->width(), label->fontMetrics().horizontalAdvance(QStringLiteral("W")));
    }
}

} // namespace
} // namespace kavu
