// The help and neighbour panels close alike: Space, Escape and Enter in any read-only box, or the
// OK button, raise Cancel; other keys change nothing; the panel keeps its 217 x 184 size.
#pragma once

#include "controls/ctlLBL/ctlLBL.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace kavu::test {

template <class Panel> void ExpectClosesLikeAPanel(Panel& panel, QList<QPlainTextEdit*> boxes) {
    QSignalSpy cancels(&panel, &Panel::Cancel);
    panel.resize(500, 50);
    EXPECT_EQ(panel.size(), QSize(217, 184));
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    int expected = 0;
    for (QPlainTextEdit* box : boxes) {
        const QString before = box->toPlainText();
        for (Qt::Key key : {Qt::Key_X, Qt::Key_1, Qt::Key_Backspace, Qt::Key_Delete})
            QTest::keyClick(box, key);
        EXPECT_EQ(std::pair(int(cancels.count()), box->toPlainText()), std::pair(expected, before));
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(box, key);
            EXPECT_EQ(cancels.count(), ++expected) << key;
        }
    }
    auto* ok = panel.template findChild<ctlLBL*>(QStringLiteral("ctlOK"));
    QTest::mouseMove(ok, QPoint(20, 7));
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(20, 7));
    EXPECT_EQ(cancels.count(), ++expected);
}

} // namespace kavu::test
