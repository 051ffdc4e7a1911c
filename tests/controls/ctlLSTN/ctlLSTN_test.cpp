#include "controls/ctlLBL/ctlLBL.h"
#include "controls/ctlLSTN/ctlLSTN.h"
#include "misc/misc.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <set>

namespace kavu {
namespace {

constexpr int Deg(int d, int m = 0) {
    return d * 3600 + m * 60;
}

struct Panel : ctlLSTN {
    QSignalSpy cancels{this, &ctlLSTN::Cancel};

    QString Labels() const {
        QStringList texts;
        for (const char* name : {"lblNord1", "lblNord2", "lblEast1", "lblEast2", "lblScale"})
            texts << findChild<QLabel*>(QString::fromLatin1(name))->text();
        return texts.join('|');
    }
    void Calculate(int y, int x, const char* number) {
        setY(y);
        setX(x);
        ctlLSTN::Calculate(QString::fromUtf8(number));
    }
    // Whether most of the cell is painted in `colour`, as it appears on screen.
    bool PaintedIn(int k, const QColor& colour) const {
        const QImage image = Text(k)->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == colour;
        return 2 * count > image.width() * image.height();
    }
    std::set<int> OrangeCells() const {
        std::set<int> cells;
        for (int k = 1; k <= 9; ++k)
            if (PaintedIn(k, QColor(255, 192, 128))) cells.insert(k);
        return cells;
    }
};

TEST(ctlLSTN, GridShowsNotationsEdgesScaleAndMarks) {
    const char* cells[] = {
        " 14-37-003-2\r\n N-37-3-Б",  " 14-37-004-1\r\n N-37-4-А",  " 14-37-004-2\r\n N-37-4-Б",
        " 14-37-003-4\r\n N-37-3-Г",  " 14-37-004-3\r\n N-37-4-В",  " 14-37-004-4\r\n N-37-4-Г",
        " 14-37-015-2\r\n N-37-15-Б", " 14-37-016-1\r\n N-37-16-А", " 14-37-016-2\r\n N-37-16-Б"};
    Panel p;
    ctlLSTNLogic logic;
    ASSERT_TRUE(logic.Calculate(" 14-37-004-3"));
    p.Calculate(Deg(55, 45), Deg(37, 40), " 14-37-004-3"); // inside the sheet: nothing marked
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(logic.CellText(k), cells[k - 1]) << k;
        EXPECT_EQ(p.Text(k)->toPlainText(), QString::fromUtf8(cells[k - 1]).remove('\r')) << k;
    }
    EXPECT_EQ(p.Labels(), QStringLiteral("N 55° 50'|N 55° 40'|E 37° 30'|E 37° 45'|1:50000"));
    EXPECT_TRUE(p.OrangeCells().empty());
    EXPECT_TRUE(p.PaintedIn(5, SystemColor(kWindowBackground)));
    EXPECT_EQ(p.Text(5)->palette().color(QPalette::Text), SystemColor(kWindowText));
    // Corners, edge middles and centre of N-37-А (54°..56° N, 36°..39° E), one Calculate after
    // another: exactly the cells across the edges the point lies on, nothing left from before.
    const int ys[3] = {Deg(56), Deg(55), Deg(54)}, xs[3] = {Deg(36), Deg(37, 30), Deg(39)};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            p.Calculate(ys[r], xs[c], " 14-37-1");
            std::set<int> expected;
            for (int k = 1; k <= 9; ++k) {
                const int kr = (k - 1) / 3, kc = (k - 1) % 3;
                if ((r != 1 || c != 1) && (kr == 1 || kr == r) && (kc == 1 || kc == c))
                    expected.insert(k);
            }
            EXPECT_EQ(p.OrangeCells(), expected) << r << "," << c;
        }
    }
    // U-37 has no northern neighbours; at 84°N the empty cell above is still marked.
    p.Calculate(Deg(84), Deg(39), " 21-37");
    for (int k : {1, 2, 3})
        EXPECT_EQ(p.Text(k)->toPlainText(), QStringLiteral("\n")) << k;
    EXPECT_TRUE(p.Labels().startsWith(QStringLiteral("N 84° 00'|"))) << p.Labels().toStdString();
    EXPECT_EQ(p.OrangeCells(), (std::set<int>{2, 5}));
}

TEST(ctlLSTN, RejectedTextLeavesAnEmptyGrid) {
    Panel p;
    for (const char* bad : {"", " N-37-4-В", " 14-37-0004", " 22-1", "s 1-31-145"}) {
        p.Calculate(0, 0, "s 1-31");
        p.ctlLSTN::Calculate(QString::fromUtf8(bad));
        for (int k = 1; k <= 9; ++k)
            EXPECT_TRUE(p.Text(k)->toPlainText().isEmpty()) << bad << " " << k;
        EXPECT_EQ(p.Labels(), QStringLiteral("||||")) << bad;
    }
}

TEST(ctlLSTN, KeysTabOrderAndFixedSize) {
    Panel p;
    p.resize(500, 500);
    EXPECT_EQ(p.size(), QSize(217, 184));
    auto* ok = p.findChild<ctlLBL*>(QStringLiteral("ctlOK"));
    p.show();
    p.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
    p.Text(5)->setFocus();
    for (int k : {1, 2, 3, 4, 6, 7, 8, 9}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(p.Text(k)->hasFocus()) << k;
    }
    EXPECT_EQ(p.cancels.count(), 0);
    p.Calculate(0, 0, " 14-37-1");
    int expected = 0;
    for (int k = 1; k <= 9; ++k) {
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(p.Text(k), key);
            EXPECT_EQ(p.cancels.count(), ++expected) << k << " " << key;
        }
        const QString before = p.Text(k)->toPlainText();
        for (Qt::Key key : {Qt::Key_X, Qt::Key_1, Qt::Key_Backspace, Qt::Key_Delete})
            QTest::keyClick(p.Text(k), key);
        EXPECT_EQ(p.cancels.count(), expected);
        EXPECT_EQ(p.Text(k)->toPlainText(), before);
    }
    QTest::mouseMove(ok, QPoint(20, 7));
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(20, 7));
    EXPECT_EQ(p.cancels.count(), ++expected);
}

} // namespace
} // namespace kavu
