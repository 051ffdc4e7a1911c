#include "controls/ctlLSTN/ctlLSTN.h"
#include "engine/neighbours.h"
#include "misc/misc.h"
#include "tests/controls/PanelChecks.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

#include <set>

namespace kavu {
namespace {

constexpr int Deg(int d, int m = 0) {
    return d * 3600 + m * 60;
}

struct Panel : ctlLSTN {
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
    // The cells of which most is painted light orange, as they appear on screen.
    std::set<int> OrangeCells() const {
        std::set<int> cells;
        for (int k = 1; k <= 9; ++k) {
            const QImage image = Text(k)->grab().toImage();
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    count += image.pixelColor(x, y) == QColor(255, 192, 128);
            if (2 * count > image.width() * image.height()) cells.insert(k);
        }
        return cells;
    }
};

// Corners, edge middles and centre of N-37-А (54°..56° N, 36°..39° E), one Calculate after
// another: exactly the cells across the edges the point lies on are orange, nothing left from
// before; each cell shows its sheet new over old; a rejected text empties everything.
TEST(ctlLSTN, GridShowsNotationsEdgesScaleAndMarksAndTabWalksIt) {
    Panel p;
    p.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    const int ys[3] = {Deg(56), Deg(55), Deg(54)}, xs[3] = {Deg(36), Deg(37, 30), Deg(39)};
    for (int r = 0; r < 3; ++r)
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
    EXPECT_EQ(p.Labels(), QStringLiteral("N 56° 00'|N 54° 00'|E 36° 00'|E 39° 00'|1:500000"));
    const NeighbourGrid g = ComputeNeighbours(" 14-37-1", 0, 0);
    for (int k = 1; k <= 9; ++k)
        EXPECT_EQ(p.Text(k)->toPlainText().toStdString(), g.Cell(k).New + "\n" + g.Cell(k).Old);
    EXPECT_EQ(p.Text(5)->palette().color(QPalette::Text), SystemColor(kWindowText));
    // U-37 has no northern neighbours; at 84°N the empty cell above is still marked.
    p.Calculate(Deg(84), Deg(39), " 21-37");
    EXPECT_EQ(p.Text(2)->toPlainText(), QStringLiteral("\n"));
    EXPECT_EQ(p.OrangeCells(), (std::set<int>{2, 5}));
    p.ctlLSTN::Calculate(QStringLiteral(" 14-37-0004")); // which texts are bad is the engine's
    for (int k = 1; k <= 9; ++k)
        EXPECT_TRUE(p.Text(k)->toPlainText().isEmpty()) << k;
    EXPECT_EQ(p.Labels(), QStringLiteral("||||"));
    // Tab walks the cells, the sheet first; the close keys raise Cancel.
    p.Calculate(0, 0, " 14-37-1");
    QList<QPlainTextEdit*> cells;
    for (int k = 1; k <= 9; ++k)
        cells << p.Text(k);
    test::ExpectClosesLikeAPanel(p, cells);
    p.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
    p.Text(5)->setFocus();
    for (int k : {1, 2, 3, 4, 6, 7, 8, 9}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(p.Text(k)->hasFocus()) << k;
    }
}

} // namespace
} // namespace kavu
