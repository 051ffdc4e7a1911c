// The spinner driven as the user and the window drive it: real key, text, mouse and wheel
// events on the offscreen platform.
#include "controls/ctlPos/ctlPos.h"

#include "misc/misc.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace kavu {
namespace {

QList<int> Values(const QSignalSpy& spy) {
    QList<int> out;
    for (const auto& args : spy)
        out.append(args.at(0).toInt());
    return out;
}

class ctlPosWidget : public ::testing::Test {
  protected:
    void SetUp() override {
        FlashMonitor::instance().setDurationMs(0);
        window = std::make_unique<QWidget>();
        window->resize(200, 100);
        degrees = new ctlPos(window.get());
        degrees->move(10, 10);
        degrees->setMaxValue(84);
        degrees->setStride(4);
        minutes = new ctlPos(window.get());
        minutes->move(60, 10);
        minutes->setView(2);
        minutes->setMaxValue(59);
        minutes->setStride(10);
        minutes->setRaiseOverflow(true);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { window.reset(); }

    static QLineEdit* Text(ctlPos* c) { return c->findChild<QLineEdit*>("Text"); }
    static QLabel* Label(ctlPos* c) { return c->findChild<QLabel*>("Label"); }
    static int Flashes() { return FlashMonitor::instance().count(); }
    void Focus(ctlPos* c) {
        c->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(Text(c)->hasFocus());
    }
    static void Wheel(QWidget* target, int delta) {
        const QPointF pos(5, 5);
        QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }

    std::unique_ptr<QWidget> window;
    ctlPos* degrees = nullptr;
    ctlPos* minutes = nullptr;
};

TEST_F(ctlPosWidget, DesignDefaultsMarksAndSize) {
    ctlPos fresh;
    EXPECT_EQ(fresh.property("View").toInt(), 1);
    EXPECT_EQ(fresh.property("MaxValue").toInt(), 180);
    EXPECT_EQ(fresh.property("Stride").toInt(), 1);
    EXPECT_FALSE(fresh.property("RaiseOverflow").toBool());
    EXPECT_TRUE(fresh.property("Enabled").toBool());
    EXPECT_EQ(fresh.value(), -1);
    EXPECT_EQ(fresh.size(), QSize(630 / 15, 285 / 15));
    EXPECT_EQ(Text(&fresh)->height(), fresh.height());
    EXPECT_EQ(Text(&fresh)->width() + Label(&fresh)->width(), fresh.width());

    EXPECT_EQ(Label(&fresh)->text(), QString(QChar(0x00B0)));
    fresh.setProperty("View", 2);
    EXPECT_EQ(Label(&fresh)->text(), "'");
    fresh.setProperty("View", 3);
    EXPECT_EQ(Label(&fresh)->text(), "\"");
    fresh.setProperty("View", 7); // refused: the seconds mark stays
    EXPECT_EQ(fresh.View(), 3);
    EXPECT_EQ(Label(&fresh)->text(), "\"");

    fresh.setProperty("RaiseOverflow", true);
    EXPECT_TRUE(fresh.RaiseOverflow());
    fresh.setProperty("View", 1);
    EXPECT_FALSE(fresh.RaiseOverflow());
}

TEST_F(ctlPosWidget, TypedTextIsValidatedAndRestored) {
    QSignalSpy change(degrees, &ctlPos::Change);
    degrees->setMaxValue(5);
    Focus(degrees);
    const int before = Flashes();
    QTest::keyClicks(Text(degrees), "3");
    QTest::keyClick(Text(degrees), Qt::Key_7); // 37 is above 5
    EXPECT_EQ(Text(degrees)->text(), "3");
    EXPECT_EQ(Text(degrees)->cursorPosition(), 1);
    EXPECT_EQ(Flashes(), before + 1);
    QTest::keyClick(Text(degrees), Qt::Key_Backspace);
    QTest::keyClicks(Text(degrees), "00"); // a leading zero
    EXPECT_EQ(Text(degrees)->text(), "0");
    EXPECT_EQ(Flashes(), before + 2);
    EXPECT_EQ(Values(change), QList<int>({3, 3, -1, 0, 0}));
    EXPECT_EQ(degrees->value(), 0);
    // The restored box has its window background again.
    EXPECT_EQ(Text(degrees)->palette().color(QPalette::Base), SystemColor(kWindowBackground));
}

TEST_F(ctlPosWidget, ArrowAndPageKeysStepWithoutBeingConsumed) {
    QSignalSpy change(degrees, &ctlPos::Change);
    Focus(degrees);
    const int before = Flashes();
    QTest::keyClick(Text(degrees), Qt::Key_Down); // empty: refused
    EXPECT_EQ(Flashes(), before + 1);
    EXPECT_TRUE(change.isEmpty());
    QTest::keyClick(Text(degrees), Qt::Key_Up);
    QTest::keyClick(Text(degrees), Qt::Key_PageUp);
    QTest::keyClick(Text(degrees), Qt::Key_PageUp);
    QTest::keyClick(Text(degrees), Qt::Key_Right);
    QTest::keyClick(Text(degrees), Qt::Key_Right);
    EXPECT_EQ(Text(degrees)->text(), "10");
    // Left steps down and then still moves the caret one place to the left.
    QTest::keyClick(Text(degrees), Qt::Key_Left);
    EXPECT_EQ(Text(degrees)->text(), "9");
    EXPECT_EQ(Text(degrees)->cursorPosition(), 0);
    QTest::keyClick(Text(degrees), Qt::Key_PageDown);
    QTest::keyClick(Text(degrees), Qt::Key_PageDown);
    QTest::keyClick(Text(degrees), Qt::Key_PageDown);
    QTest::keyClick(Text(degrees), Qt::Key_Down);
    EXPECT_EQ(Values(change), QList<int>({0, 4, 8, 9, 10, 9, 5, 1, 0, -1}));
    EXPECT_EQ(Text(degrees)->text(), "");
}

TEST_F(ctlPosWidget, CarryRaisesOverflowBeforeTheMinutesChange) {
    QStringList events;
    QObject::connect(minutes, &ctlPos::Overflow, minutes, [&](int v) {
        events << QString("overflow %1").arg(v);
        degrees->Modify(v);
    });
    QObject::connect(degrees, &ctlPos::Change, degrees, [&](int v) {
        events << QString("degrees %1").arg(v);
        minutes->setMajorValue(v);
    });
    QObject::connect(minutes, &ctlPos::Change, minutes,
                     [&](int v) { events << QString("minutes %1").arg(v); });
    degrees->Modify(0, 10);
    minutes->setMajorValue(10);
    minutes->setMajorMaxValue(84);
    Focus(minutes);
    QTest::keyClicks(Text(minutes), "59");
    QTest::keyClick(Text(minutes), Qt::Key_Up);
    QTest::keyClick(Text(minutes), Qt::Key_PageDown);
    EXPECT_EQ(events, QStringList({"minutes 5", "minutes 59", "overflow 1", "degrees 11",
                                   "minutes 0", "overflow -1", "degrees 10", "minutes 50"}));
}

TEST_F(ctlPosWidget, OwnWritesRaiseNoChange) {
    QSignalSpy change(degrees, &ctlPos::Change);
    degrees->Modify(0, 70);
    EXPECT_EQ(Text(degrees)->text(), "70");
    degrees->setMaxValue(60);
    EXPECT_EQ(Text(degrees)->text(), "60");
    degrees->Reset();
    EXPECT_EQ(Text(degrees)->text(), "");
    EXPECT_TRUE(change.isEmpty());
}

TEST_F(ctlPosWidget, WheelMovesOnlyTheFocusedFieldUnderThePointer) {
    QSignalSpy degreesChange(degrees, &ctlPos::Change);
    QSignalSpy minutesChange(minutes, &ctlPos::Change);
    auto broadcast = [&](int d) {
        degrees->setMouseWheel(d);
        minutes->setMouseWheel(d);
    };
    degrees->Modify(0, 10);
    minutes->Modify(0, 20);

    broadcast(+1); // no focus anywhere in the pair yet, pointer nowhere
    Focus(degrees);
    broadcast(+1); // focused, but the pointer is elsewhere
    QTest::mouseMove(Text(minutes), QPoint(5, 5));
    broadcast(+1); // pointer over the other field
    EXPECT_TRUE(degreesChange.isEmpty());
    EXPECT_TRUE(minutesChange.isEmpty());

    QTest::mouseMove(Text(degrees), QPoint(5, 5));
    broadcast(+1);
    broadcast(0); // no direction: nothing
    broadcast(-1);
    broadcast(-1);
    EXPECT_EQ(Values(degreesChange), QList<int>({11, 10, 9}));
    EXPECT_TRUE(minutesChange.isEmpty());

    // A real wheel event over the focused field: one step per event, however many notches.
    Wheel(Text(degrees), 360);
    Wheel(Text(degrees), -120);
    Wheel(Text(degrees), 60); // half a notch of a fine wheel...
    Wheel(Text(degrees), 60); // ...and the other half
    EXPECT_EQ(Values(degreesChange), QList<int>({11, 10, 9, 10, 9, 10}));
    Wheel(Text(minutes), 120); // not focused
    EXPECT_TRUE(minutesChange.isEmpty());

    QTest::mouseMove(window.get(), QPoint(190, 90)); // pointer leaves the field
    broadcast(+1);
    EXPECT_EQ(degreesChange.size(), 6);
}

// The latitude pair driven as the coordinates window drives it: Overflow steps the degrees,
// every Change updates the minutes' major field and limits, and the hemisphere moves the
// degrees' maximum.
struct LatitudeWindow {
    ctlPos* deg;
    ctlPos* min;
    int parts[3] = {0, -1, -1};
    QString ns = "N";
    LatitudeWindow(ctlPos* d, ctlPos* m) : deg(d), min(m) {
        QObject::connect(deg, &ctlPos::Change, deg, [this](int v) {
            parts[1] = v;
            Update();
        });
        QObject::connect(min, &ctlPos::Change, min, [this](int v) {
            parts[2] = v;
            Update();
        });
        QObject::connect(min, &ctlPos::Overflow, min, [this](int v) { deg->Modify(v); });
        deg->Reset();
        min->Reset();
        min->setEnabled(false);
        deg->setMaxValue(84);
        min->setMaxValue(59);
        min->setMajorMaxValue(84);
    }
    void Update() {
        min->setEnabled(parts[1] >= 0);
        if (parts[1] < 0) {
            min->Reset();
            parts[2] = -1;
        } else if (parts[2] == -1) {
            parts[2] = 0;
        }
        min->setMajorValue(parts[1]);
        min->setMajorMaxValue(deg->MaxValue());
        if (parts[1] == deg->MaxValue() && ns == "N") {
            parts[2] = 0;
            min->setMaxValue(0);
        } else {
            min->setMaxValue(59);
        }
    }
    void Hemisphere(const QString& letter) {
        ns = letter;
        if (ns == "N") {
            deg->setMaxValue(84);
        } else {
            deg->setMaxValue(83);
            if (parts[1] >= 83) {
                parts[1] = 83;
                min->Reset();
                parts[2] = -1;
            }
        }
        min->setMajorMaxValue(deg->MaxValue());
        Update();
    }
    QString Shown() const {
        return Text(deg) + "/" + Text(min) + " = " + QString::number(parts[1]) + "/" +
               QString::number(parts[2]);
    }
    static QString Text(ctlPos* c) { return c->findChild<QLineEdit*>("Text")->text(); }
};

TEST_F(ctlPosWidget, DrivenAsTheCoordinatesWindowDrivesThem) {
    LatitudeWindow w(degrees, minutes);
    Focus(degrees);
    QTest::keyClicks(Text(degrees), "83");
    EXPECT_TRUE(minutes->isEnabled());
    EXPECT_EQ(w.Shown(), "83/ = 83/0"); // empty minutes count as 0
    Focus(minutes);
    QTest::keyClicks(Text(minutes), "59");
    QTest::keyClick(Text(minutes), Qt::Key_Up); // carry into the northern limit
    EXPECT_EQ(w.Shown(), "84/0 = 84/0");
    const int before = Flashes();
    QTest::keyClick(Text(minutes), Qt::Key_Up); // nothing beyond N 84 00
    EXPECT_EQ(Flashes(), before + 1);
    QTest::keyClick(Text(minutes), Qt::Key_Down); // borrow back
    EXPECT_EQ(w.Shown(), "83/59 = 83/59");
    QTest::keyClick(Text(minutes), Qt::Key_PageUp); // a carry of 10 past the limit stops at it
    EXPECT_EQ(w.Shown(), "84/0 = 84/0");
    QTest::keyClicks(Text(minutes), "5"); // "05" is no minutes text, and 5 is above the limit
    EXPECT_EQ(w.Shown(), "84/0 = 84/0");

    w.Hemisphere("S"); // the degrees drop to the southern limit, the minutes empty
    EXPECT_EQ(w.Shown(), "83/ = 83/0");
    Focus(minutes);
    QTest::keyClicks(Text(minutes), "59");
    QTest::keyClick(Text(minutes), Qt::Key_Up); // S 83 59 is the last minute
    EXPECT_EQ(w.Shown(), "83/59 = 83/59");

    Focus(degrees);
    QTest::keyClick(Text(degrees), Qt::Key_End);
    QTest::keyClick(Text(degrees), Qt::Key_Backspace);
    QTest::keyClick(Text(degrees), Qt::Key_Backspace);
    EXPECT_FALSE(minutes->isEnabled());
    EXPECT_EQ(w.Shown(), "/ = -1/-1");
}

TEST_F(ctlPosWidget, EnabledLook) {
    const QColor window = SystemColor(kWindowBackground);
    const QColor face = SystemColor(kButtonFace);
    EXPECT_EQ(Text(minutes)->palette().color(QPalette::Base), window);
    minutes->setProperty("Enabled", false);
    EXPECT_FALSE(Text(minutes)->isEnabled());
    EXPECT_FALSE(Label(minutes)->isEnabled());
    EXPECT_EQ(Text(minutes)->palette().color(QPalette::Base), face);
    // A refused step on a disabled field flashes and keeps the disabled look.
    const int before = Flashes();
    minutes->Modify(-1);
    EXPECT_EQ(Flashes(), before + 1);
    EXPECT_EQ(Text(minutes)->palette().color(QPalette::Base), face);
    minutes->setEnabled(true);
    EXPECT_EQ(Text(minutes)->palette().color(QPalette::Base), window);
}

} // namespace
} // namespace kavu
