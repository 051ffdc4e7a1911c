// The sheet-number boxes driven as the user and the window drive them: real key, text, mouse and
// wheel events on the offscreen platform.
#include "controls/ctlNNNN/ctlNNNN.h"

#include "misc/misc.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace kavu {
namespace {

QList<int> Values(const QSignalSpy& spy) {
    QList<int> out;
    for (const auto& args : spy)
        out.append(args.at(0).toInt());
    return out;
}

class ctlNNNNWidget : public ::testing::Test {
  protected:
    void SetUp() override {
        FlashMonitor::instance().setDurationMs(0);
        window = std::make_unique<QWidget>();
        window->resize(240, 60);
        for (int i = 1; i <= 4; ++i) {
            box[i] = new ctlNNNN(window.get());
            box[i]->setView(i);
            box[i]->move(10 + 45 * (i - 1), 10);
        }
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { window.reset(); }

    static QLineEdit* Text(ctlNNNN* c) { return c->findChild<QLineEdit*>("Text"); }
    static int Flashes() { return FlashMonitor::instance().count(); }
    void Focus(ctlNNNN* c) {
        c->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(Text(c)->hasFocus());
    }
    // Types any character, Cyrillic included, as a keyboard would deliver it.
    static void Type(ctlNNNN* c, const QString& text) {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(Text(c), &press);
        }
    }

    std::unique_ptr<QWidget> window;
    std::array<ctlNNNN*, 5> box{};
};

TEST_F(ctlNNNNWidget, DesignDefaultsAndSize) {
    ctlNNNN fresh;
    EXPECT_EQ(fresh.property("View").toInt(), 1);
    EXPECT_TRUE(fresh.property("Enabled").toBool());
    EXPECT_EQ(fresh.value(), 0);
    EXPECT_EQ(fresh.size(), QSize(615 / 15, 285 / 15));
    EXPECT_EQ(Text(&fresh)->size(), fresh.size());
    fresh.setProperty("View", 5); // refused
    EXPECT_EQ(fresh.View(), 1);
}

TEST_F(ctlNNNNWidget, TypedFormsAreShownInUpperCase) {
    QSignalSpy change1(box[1], &ctlNNNN::Change);
    QSignalSpy change3(box[3], &ctlNNNN::Change);
    Focus(box[1]);
    QTest::keyClicks(Text(box[1]), "n");
    EXPECT_EQ(Text(box[1])->text(), "N");
    EXPECT_EQ(BoxScale[1], 1);
    Focus(box[3]);
    Type(box[3], QString::fromUtf8("\u0433")); // Cyrillic small ge
    EXPECT_EQ(Text(box[3])->text(), QString::fromUtf8("\u0413"));
    EXPECT_EQ(BoxScale[3], 2);
    QTest::keyClick(Text(box[3]), Qt::Key_Backspace);
    QTest::keyClicks(Text(box[3]), "xii");
    EXPECT_EQ(Text(box[3])->text(), "XII");
    EXPECT_EQ(Text(box[3])->cursorPosition(), 3);
    EXPECT_EQ(BoxScale[3], 3);
    EXPECT_EQ(Values(change1), QList<int>({14}));
    EXPECT_EQ(Values(change3), QList<int>({4, 0, 10, 11, 12}));
}

TEST_F(ctlNNNNWidget, TypedInvalidTextFlashesAndComesBack) {
    QSignalSpy change(box[4], &ctlNNNN::Change);
    Focus(box[4]);
    const int before = Flashes();
    QTest::keyClicks(Text(box[4]), "5");
    EXPECT_EQ(Text(box[4])->text(), "");
    QTest::keyClicks(Text(box[4]), "0");
    EXPECT_EQ(Text(box[4])->text(), "");
    Type(box[4], QString::fromUtf8("\u0432"));
    QTest::keyClicks(Text(box[4]), "1"); // "В1"
    EXPECT_EQ(Text(box[4])->text(), QString::fromUtf8("\u0412"));
    EXPECT_EQ(Flashes(), before + 3);
    EXPECT_EQ(Values(change), QList<int>({0, 0, 3, 3}));
    EXPECT_EQ(BoxScale[4], 5);
    EXPECT_EQ(Text(box[4])->palette().color(QPalette::Base), SystemColor(kWindowBackground));
}

TEST_F(ctlNNNNWidget, ArrowKeysStepAndPageKeysDoNot) {
    QSignalSpy change(box[3], &ctlNNNN::Change);
    Focus(box[3]);
    QTest::keyClicks(Text(box[3]), "4");
    QTest::keyClick(Text(box[3]), Qt::Key_Up);
    EXPECT_EQ(Text(box[3])->text(), "01");
    EXPECT_EQ(BoxScale[3], 3);
    QTest::keyClick(Text(box[3]), Qt::Key_PageUp);
    QTest::keyClick(Text(box[3]), Qt::Key_PageDown);
    QTest::keyClick(Text(box[3]), Qt::Key_Right);
    QTest::keyClick(Text(box[3]), Qt::Key_Down);
    QTest::keyClick(Text(box[3]), Qt::Key_Left);
    EXPECT_EQ(Text(box[3])->text(), "4");
    // The box still handled Left after the step: the caret moved off the end.
    EXPECT_EQ(Text(box[3])->cursorPosition(), 0);
    EXPECT_EQ(Values(change), QList<int>({4, 1, 2, 1, 4}));
}

TEST_F(ctlNNNNWidget, WheelMovesOnlyTheFocusedBoxUnderThePointer) {
    std::array<std::unique_ptr<QSignalSpy>, 5> spy;
    for (int i = 1; i <= 4; ++i)
        spy[i] = std::make_unique<QSignalSpy>(box[i], &ctlNNNN::Change);
    auto broadcast = [&](int d) {
        for (int i = 1; i <= 4; ++i)
            box[i]->setMouseWheel(d);
    };
    auto total = [&] {
        int n = 0;
        for (int i = 1; i <= 4; ++i)
            n += static_cast<int>(spy[i]->size());
        return n;
    };
    Focus(box[2]);
    broadcast(+1); // pointer not over it
    QTest::mouseMove(Text(box[3]), QPoint(5, 5));
    broadcast(+1); // pointer over another box
    EXPECT_EQ(total(), 0);
    QTest::mouseMove(Text(box[2]), QPoint(5, 5));
    broadcast(+1);
    broadcast(+1);
    broadcast(0);
    broadcast(-1);
    EXPECT_EQ(Values(*spy[2]), QList<int>({1, 2, 1}));
    EXPECT_EQ(total(), 3);

    const QPointF pos(5, 5);
    QWheelEvent up(pos, Text(box[2])->mapToGlobal(pos), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Text(box[2]), &up);
    EXPECT_EQ(Values(*spy[2]), QList<int>({1, 2, 1, 2}));
    EXPECT_EQ(total(), 4);
}

TEST_F(ctlNNNNWidget, DrivenAsTheSheetWindowDrivesThem) {
    // The window's cascade: every Change empties and closes the boxes to the right of an empty
    // one, and opens boxes from what BoxScale says.
    std::array<int, 5> parts{};
    auto scale = [&] {
        const int rowAndColumn = BoxScale[1] & BoxScale[2];
        if (rowAndColumn == 0) return 0;
        if (BoxScale[3] == 0) return rowAndColumn;
        return BoxScale[4] != 0 ? BoxScale[4] : BoxScale[3];
    };
    auto update = [&] {
        for (int i = 1; i <= 3; ++i)
            if (parts[static_cast<std::size_t>(i)] == 0) {
                parts[static_cast<std::size_t>(i) + 1] = 0;
                box[static_cast<std::size_t>(i) + 1]->Reset();
                box[static_cast<std::size_t>(i) + 1]->setEnabled(false);
            }
        box[2]->setEnabled(BoxScale[1] != 0);
        box[3]->setEnabled((BoxScale[1] & BoxScale[2]) != 0);
        box[4]->setEnabled(BoxScale[3] == 4);
        if (!box[4]->isEnabled()) {
            parts[4] = 0;
            box[4]->Reset();
        }
    };
    for (std::size_t i = 1; i <= 4; ++i) {
        QObject::connect(box[i], &ctlNNNN::Change, box[i], [&, i](int v) {
            parts[i] = v;
            update();
        });
        box[i]->Reset();
        box[i]->setEnabled(i == 1);
    }
    auto typeInto = [&](int i, const QString& text) {
        Focus(box[static_cast<std::size_t>(i)]);
        Type(box[static_cast<std::size_t>(i)], text);
    };
    typeInto(1, "n");
    EXPECT_TRUE(box[2]->isEnabled());
    EXPECT_FALSE(box[3]->isEnabled());
    typeInto(2, "37");
    EXPECT_EQ(scale(), 1);
    typeInto(3, "001");
    EXPECT_TRUE(box[4]->isEnabled());
    EXPECT_EQ(scale(), 4);
    typeInto(4, QString::fromUtf8("\u0431"));
    EXPECT_EQ(scale(), 5);
    EXPECT_EQ(parts, (std::array<int, 5>{0, 14, 37, 1, 2}));

    // Stepping box 3 below "001" leaves 1:100,000: the quarter goes and its box closes.
    Focus(box[3]);
    QTest::keyClick(Text(box[3]), Qt::Key_Down);
    EXPECT_EQ(Text(box[3])->text(), "36");
    EXPECT_FALSE(box[4]->isEnabled());
    EXPECT_EQ(Text(box[4])->text(), "");
    EXPECT_EQ(scale(), 3);
    EXPECT_EQ(parts, (std::array<int, 5>{0, 14, 37, 36, 0}));

    // Emptying box 1 empties and closes the rest.
    Focus(box[1]);
    QTest::keyClick(Text(box[1]), Qt::Key_Backspace);
    EXPECT_EQ(parts, (std::array<int, 5>{}));
    EXPECT_EQ(BoxScale, (std::array<std::int32_t, 5>{}));
    for (std::size_t i = 2; i <= 4; ++i) {
        EXPECT_FALSE(box[i]->isEnabled());
        EXPECT_EQ(Text(box[i])->text(), "");
    }
}

TEST_F(ctlNNNNWidget, ResetAndEnabledLook) {
    QSignalSpy change(box[3], &ctlNNNN::Change);
    Focus(box[3]);
    QTest::keyClicks(Text(box[3]), "001");
    EXPECT_EQ(BoxScale[3], 4);
    change.clear();
    box[3]->Reset();
    EXPECT_EQ(Text(box[3])->text(), "");
    EXPECT_EQ(BoxScale[3], 0);
    EXPECT_EQ(box[3]->value(), 0);
    EXPECT_TRUE(change.isEmpty());

    box[4]->setProperty("Enabled", false);
    EXPECT_FALSE(Text(box[4])->isEnabled());
    EXPECT_EQ(Text(box[4])->palette().color(QPalette::Base), SystemColor(kButtonFace));
    box[4]->setEnabled(true);
    EXPECT_EQ(Text(box[4])->palette().color(QPalette::Base), SystemColor(kWindowBackground));
}

} // namespace
} // namespace kavu
