#include "controls/ctlLBL/ctlLBL.h"
#include "controls/ctlLSTN/ctlLSTN.h"
#include "misc/misc.h"

#include <QApplication>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace kavu {
namespace {

constexpr int Deg(int d, int m = 0) {
    return d * 3600 + m * 60;
}
const QColor kOrange(255, 192, 128);

struct Panel {
    std::unique_ptr<ctlLSTN> panel = std::make_unique<ctlLSTN>();
    QSignalSpy cancels{panel.get(), &ctlLSTN::Cancel};

    void Open() {
        panel->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }
    QPlainTextEdit* Cell(int k) const {
        return panel->findChild<QPlainTextEdit*>(QStringLiteral("Text%1").arg(k));
    }
    QString Label(const char* name) const {
        return panel->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    // The colour most of the cell is painted in, as it appears on screen.
    QColor Painted(int k) const {
        const QImage image = Cell(k)->grab().toImage();
        QMap<QRgb, int> counts;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ++counts[image.pixel(x, y)];
        QRgb best = 0;
        int most = -1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > most) most = it.value(), best = it.key();
        return QColor(best);
    }
    std::set<int> OrangeCells() const {
        std::set<int> cells;
        for (int k = 1; k <= 9; ++k)
            if (Painted(k) == kOrange) cells.insert(k);
        return cells;
    }
};

struct Worked {
    const char* centre;
    const char* cells[10][2]; // new, old; index 0 unused, 5 is the centre itself
};

const Worked kWorked[] = {
    {" 14-37-004-3",
     {{},
      {" 14-37-003-2", " N-37-3-Б"},
      {" 14-37-004-1", " N-37-4-А"},
      {" 14-37-004-2", " N-37-4-Б"},
      {" 14-37-003-4", " N-37-3-Г"},
      {" 14-37-004-3", " N-37-4-В"},
      {" 14-37-004-4", " N-37-4-Г"},
      {" 14-37-015-2", " N-37-15-Б"},
      {" 14-37-016-1", " N-37-16-А"},
      {" 14-37-016-2", " N-37-16-Б"}}},
    {" 14-37-1",
     {{},
      {" 15-36-4", " O-36-Г"},
      {" 15-37-3", " O-37-В"},
      {" 15-37-4", " O-37-Г"},
      {" 14-36-2", " N-36-Б"},
      {" 14-37-1", " N-37-А"},
      {" 14-37-2", " N-37-Б"},
      {" 14-36-4", " N-36-Г"},
      {" 14-37-3", " N-37-В"},
      {" 14-37-4", " N-37-Г"}}},
    {" 14-1",
     {{},
      {" 15-60", " O-60"},
      {" 15-1", " O-1"},
      {" 15-2", " O-2"},
      {" 14-60", " N-60"},
      {" 14-1", " N-1"},
      {" 14-2", " N-2"},
      {" 13-60", " M-60"},
      {" 13-1", " M-1"},
      {" 13-2", " M-2"}}},
};

TEST(ctlLSTN, WorkedGridsShowBothNotationsInEveryCell) {
    Panel p;
    p.panel->setY(Deg(55, 45));
    p.panel->setX(Deg(37, 40));
    for (const Worked& w : kWorked) {
        p.panel->Calculate(QString::fromUtf8(w.centre));
        for (int k = 1; k <= 9; ++k) {
            const QString newText = QString::fromUtf8(w.cells[k][0]);
            const QString oldText = QString::fromUtf8(w.cells[k][1]);
            QPlainTextEdit* cell = p.Cell(k);
            ASSERT_EQ(cell->blockCount(), 2) << w.centre << " cell " << k;
            EXPECT_EQ(cell->document()->firstBlock().text(), newText) << w.centre << " " << k;
            EXPECT_EQ(cell->document()->lastBlock().text(), oldText) << w.centre << " " << k;
        }
    }
    // Edges of N-37-4-В: 55°40'..55°50' N, 37°30'..37°45' E; a point inside marks nothing.
    p.panel->Calculate(QStringLiteral(" 14-37-004-3"));
    EXPECT_EQ(p.Label("lblNord1"), QStringLiteral("N 55° 50'"));
    EXPECT_EQ(p.Label("lblNord2"), QStringLiteral("N 55° 40'"));
    EXPECT_EQ(p.Label("lblEast1"), QStringLiteral("E 37° 30'"));
    EXPECT_EQ(p.Label("lblEast2"), QStringLiteral("E 37° 45'"));
    EXPECT_EQ(p.Label("lblScale"), QStringLiteral("1:50000"));
    p.Open();
    EXPECT_TRUE(p.OrangeCells().empty());
    EXPECT_EQ(p.Painted(5), SystemColor(kWindowBackground));
    EXPECT_EQ(p.Cell(5)->palette().color(QPalette::Text), SystemColor(kWindowText));
}

TEST(ctlLSTN, NorthRowAbsentAt84NorthIsStillMarked) {
    Panel p;
    p.panel->setY(Deg(84));
    p.panel->setX(Deg(39));
    p.panel->Calculate(QStringLiteral(" 21-37"));
    for (int k : {1, 2, 3})
        EXPECT_EQ(p.Cell(k)->toPlainText(), QStringLiteral("\n")) << k;
    EXPECT_EQ(p.Cell(5)->document()->lastBlock().text(), QStringLiteral(" U-37"));
    EXPECT_EQ(p.Label("lblNord1"), QStringLiteral("N 84° 00'"));
    p.Open();
    EXPECT_EQ(p.OrangeCells(), (std::set<int>{2, 5}));
}

TEST(ctlLSTN, ASecondCalculateLeavesNoStaleMark) {
    Panel p;
    p.Open();
    // N 0°00', E 0°00': the corner of "s 1-31" marks the sheet, its north, west and north-west.
    p.panel->setY(0);
    p.panel->setX(0);
    p.panel->Calculate(QStringLiteral("s 1-31"));
    EXPECT_EQ(p.OrangeCells(), (std::set<int>{1, 2, 4, 5}));
    EXPECT_EQ(p.Cell(2)->document()->firstBlock().text(), QStringLiteral(" 1-31"));
    EXPECT_EQ(p.Cell(8)->document()->firstBlock().text(), QStringLiteral("s 2-31"));
    // The south-east corner of N-37-4-В marks the south, east and south-east cells only.
    p.panel->setY(Deg(55, 40));
    p.panel->setX(Deg(37, 45));
    p.panel->Calculate(QStringLiteral(" 14-37-004-3"));
    EXPECT_EQ(p.OrangeCells(), (std::set<int>{5, 6, 8, 9}));
    p.panel->setY(Deg(55, 45));
    p.panel->setX(Deg(37, 40));
    p.panel->Calculate(QStringLiteral(" 14-37-004-3"));
    EXPECT_TRUE(p.OrangeCells().empty());
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(p.Cell(k)->palette().color(QPalette::Base), SystemColor(kWindowBackground));
}

// A point on each of the nine positions of a 1:500,000 sheet (corners, edge middles, centre)
// lights exactly the cells across the edges it lies on.
TEST(ctlLSTN, MarksFollowThePointAroundTheSheet) {
    Panel p;
    p.Open();
    // N-37-А: 54°..56° N, 36°..39° E.
    const int ys[3] = {Deg(56), Deg(55), Deg(54)};
    const int xs[3] = {Deg(36), Deg(37, 30), Deg(39)};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            p.panel->setY(ys[r]);
            p.panel->setX(xs[c]);
            p.panel->Calculate(QStringLiteral(" 14-37-1"));
            std::set<int> expected;
            if (r != 1 || c != 1) expected.insert(5);
            // A neighbour lies across the north/south edge (its row) and/or the west/east
            // edge (its column); the point must be on every edge it lies across.
            for (int k = 1; k <= 9; ++k) {
                const int kr = (k - 1) / 3, kc = (k - 1) % 3;
                if (k != 5 && (kr == 1 || kr == r) && (kc == 1 || kc == c)) expected.insert(k);
            }
            EXPECT_EQ(p.OrangeCells(), expected) << r << "," << c;
        }
    }
}

TEST(ctlLSTN, RejectedTextLeavesAnEmptyGrid) {
    Panel p;
    p.panel->setY(0);
    p.panel->setX(0);
    p.panel->Calculate(QStringLiteral("s 1-31"));
    for (const char* bad : {"", "abc", "-", " N-37-4-В", " 14-37-0004", " 22-1", " 14-61", "s",
                            " 14-37-004-5", " 14-37-", "s 1-31-145"}) {
        p.panel->Calculate(QString::fromUtf8(bad));
        for (int k = 1; k <= 9; ++k) {
            EXPECT_TRUE(p.Cell(k)->toPlainText().isEmpty()) << bad << " " << k;
            EXPECT_EQ(p.Cell(k)->palette().color(QPalette::Base), SystemColor(kWindowBackground));
        }
        for (const char* label : {"lblScale", "lblNord1", "lblNord2", "lblEast1", "lblEast2"})
            EXPECT_TRUE(p.Label(label).isEmpty()) << bad << " " << label;
    }
}

TEST(ctlLSTN, CloseKeysInAnyCellAndOkRaiseCancel) {
    Panel p;
    p.Open();
    p.panel->Calculate(QStringLiteral(" 14-37-1"));
    int expected = 0;
    for (int k = 1; k <= 9; ++k) {
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(p.Cell(k), key);
            EXPECT_EQ(p.cancels.count(), ++expected) << k << " " << key;
        }
        const QString before = p.Cell(k)->toPlainText();
        for (Qt::Key key : {Qt::Key_X, Qt::Key_1, Qt::Key_Backspace, Qt::Key_Delete})
            QTest::keyClick(p.Cell(k), key);
        EXPECT_EQ(p.cancels.count(), expected);
        EXPECT_EQ(p.Cell(k)->toPlainText(), before);
    }
    auto* ok = p.panel->findChild<ctlLBL*>(QStringLiteral("ctlOK"));
    QTest::mouseMove(ok, QPoint(20, 7));
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(20, 7));
    EXPECT_EQ(p.cancels.count(), ++expected);
}

TEST(ctlLSTN, TabVisitsTheSheetFirstThenTheNeighbours) {
    Panel p;
    p.Open();
    p.panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p.panel.get()));
    p.Cell(5)->setFocus();
    ASSERT_TRUE(p.Cell(5)->hasFocus());
    for (int k : {1, 2, 3, 4, 6, 7, 8, 9}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(p.Cell(k)->hasFocus()) << k;
    }
    EXPECT_EQ(p.cancels.count(), 0);
}

TEST(ctlLSTN, LayoutInPixels) {
    Panel p;
    p.panel->resize(500, 500);
    EXPECT_EQ(p.panel->size(), QSize(217, 184));
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(p.Cell(k)->geometry(), QRect(72 * ((k - 1) % 3), 32 + 48 * ((k - 1) / 3), 73, 33))
            << k;
    auto geometry = [&](const char* name) {
        return p.panel->findChild<QWidget*>(QString::fromLatin1(name))->geometry();
    };
    EXPECT_EQ(geometry("lblScale"), QRect(72, 0, 73, 17));
    EXPECT_EQ(geometry("lblEast1"), QRect(72, 18, 65, 13));
    EXPECT_EQ(geometry("lblEast2"), QRect(144, 18, 65, 13));
    EXPECT_EQ(geometry("lblNord1"), QRect(0, 66, 65, 13));
    EXPECT_EQ(geometry("lblNord2"), QRect(0, 114, 65, 13));
    EXPECT_EQ(geometry("ctlOK"), QRect(88, 168, 41, 16));
    EXPECT_EQ(p.Label("lblScale"), QStringLiteral("Scale"));
}

} // namespace
} // namespace kavu
