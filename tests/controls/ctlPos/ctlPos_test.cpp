// The spinner shell driven by real key, mouse and wheel events on the offscreen platform.
#include "controls/ctlPos/ctlPos.h"

#include "misc/misc.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace kavu {
namespace {

// Latitude degrees (Stride 4) and minutes side by side in an active window.
class ctlPosWidget : public ::testing::Test {
  protected:
    void SetUp() override {
        FlashMonitor::instance().setDurationMs(0);
        window.resize(200, 100);
        degrees->move(10, 10); // away from where the pointer starts
        degrees->setMaxValue(84);
        degrees->setStride(4);
        minutes->move(60, 10);
        minutes->setView(2);
        QObject::connect(degrees, &ctlPos::Change, [this](int v) { changes << v; });
        QObject::connect(minutes, &ctlPos::Change, [this](int v) { changes << 1000 + v; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        degrees->setFocus();
        QApplication::processEvents();
    }
    static QLineEdit* Text(ctlPos* c) { return c->findChild<QLineEdit*>("Text"); }
    static QLabel* Label(ctlPos* c) { return c->findChild<QLabel*>("Label"); }
    static int Flashes() { return FlashMonitor::instance().count(); }
    static QColor Base(ctlPos* c) { return Text(c)->palette().color(QPalette::Base); }

    QWidget window;
    ctlPos* degrees = new ctlPos(&window);
    ctlPos* minutes = new ctlPos(&window);
    QList<int> changes; // of the minutes plus 1000
};

TEST_F(ctlPosWidget, MarksAndSize) {
    EXPECT_EQ(degrees->size(), QSize(630 / 15, 285 / 15));
    EXPECT_EQ(Text(degrees)->height(), degrees->height());
    EXPECT_EQ(Text(degrees)->width() + Label(degrees)->width(), degrees->width());
    EXPECT_EQ(Label(degrees)->text(), QString(QChar(0x00B0)));
    EXPECT_EQ(Label(minutes)->text(), "'");
    minutes->setProperty("View", 3);
    minutes->setProperty("View", 7); // refused: the seconds mark stays
    EXPECT_EQ(Label(minutes)->text(), "\"");
}

TEST_F(ctlPosWidget, TypedInvalidTextFlashesAndComesBack) {
    const int before = Flashes();
    QTest::keyClicks(Text(degrees), "379"); // 37 is accepted, 379 is not
    EXPECT_EQ(Text(degrees)->text(), "37");
    EXPECT_EQ(Text(degrees)->cursorPosition(), 2);
    EXPECT_EQ(Flashes(), before + 1);
    EXPECT_EQ(changes, QList<int>({3, 37, 37}));
    EXPECT_EQ(Base(degrees), SystemColor(kWindowBackground));
}

TEST_F(ctlPosWidget, StepKeysStepAndStillMoveTheCaret) {
    for (auto key :
         {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left})
        QTest::keyClick(Text(degrees), key);
    EXPECT_EQ(Text(degrees)->text(), "9");
    EXPECT_EQ(Text(degrees)->cursorPosition(), 0); // Left moved the caret after the step
    QTest::keyClick(Text(degrees), Qt::Key_PageDown);
    QTest::keyClick(Text(degrees), Qt::Key_Down);
    EXPECT_EQ(changes, QList<int>({0, 4, 8, 9, 10, 9, 5, 4}));
}

TEST_F(ctlPosWidget, OwnWritesRaiseNoChange) {
    degrees->Modify(0, 70);
    degrees->setMaxValue(60);
    EXPECT_EQ(Text(degrees)->text(), "60");
    degrees->Reset();
    EXPECT_EQ(Text(degrees)->text(), "");
    EXPECT_TRUE(changes.isEmpty());
}

TEST_F(ctlPosWidget, WheelMovesOnlyTheFocusedFieldUnderThePointer) {
    degrees->Modify(0, 10);
    minutes->Modify(0, 20);
    auto broadcast = [&](std::initializer_list<int> notches) {
        for (int d : notches) {
            degrees->setMouseWheel(d);
            minutes->setMouseWheel(d);
        }
    };
    QTest::mouseMove(Text(minutes), QPoint(5, 5));
    broadcast({+1}); // the focused field is not under the pointer
    QTest::mouseMove(Text(degrees), QPoint(5, 5));
    broadcast({+1, 0, -1, -1});
    // Real wheel events: one step per event however many notches, half notches add up.
    const std::pair<QWidget*, int> wheel[] = {{Text(degrees), 360},
                                              {Text(degrees), -120},
                                              {Text(degrees), 60},
                                              {Text(degrees), 60},
                                              {Text(minutes), 120}}; // the last one unfocused
    for (auto [target, delta] : wheel) {
        const QPointF pos(5, 5);
        QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }
    QTest::mouseMove(&window, QPoint(190, 90));
    broadcast({+1}); // the pointer has left the field
    EXPECT_EQ(changes, QList<int>({11, 10, 9, 10, 9, 10}));
}

TEST_F(ctlPosWidget, EnabledLook) {
    EXPECT_EQ(Base(minutes), SystemColor(kWindowBackground));
    minutes->setProperty("Enabled", false);
    EXPECT_FALSE(Text(minutes)->isEnabled() || Label(minutes)->isEnabled());
    const int before = Flashes();
    minutes->Modify(-1); // refused: flashes and keeps the disabled look
    EXPECT_EQ(Flashes(), before + 1);
    EXPECT_EQ(Base(minutes), SystemColor(kButtonFace));
    minutes->setEnabled(true);
    EXPECT_EQ(Base(minutes), SystemColor(kWindowBackground));
}

} // namespace
} // namespace kavu
