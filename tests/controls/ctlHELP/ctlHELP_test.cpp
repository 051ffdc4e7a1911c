#include "controls/ctlHELP/ctlHELP.h"
#include "controls/ctlHELP/ctlHELPTexts.h"
#include "controls/ctlLBL/ctlLBL.h"
#include "misc/misc.h"

#include <QCryptographicHash>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace kavu {
namespace {

// Lines 9-10 (author, year, web page) and 13-14 (the tool) are ours to word; with them blanked,
// the text must have the SHA-1 of the fixed text: 74 lines, each ending in CR LF.
TEST(ctlHELPTexts, RussianTextIsExact) {
    QList<QByteArray> ru =
        QByteArray(kHelpTextRussian.data(), qsizetype(kHelpTextRussian.size())).split('\n');
    ASSERT_EQ(ru.size(), 75);
    EXPECT_TRUE(ru[8].contains("2026") && ru[12].contains("C++") && ru[13].contains("Qt 6"));
    for (int i : {9, 10, 13, 14}) {
        EXPECT_TRUE(ru[i - 1].size() > 1 && ru[i - 1].indexOf('\r') == ru[i - 1].size() - 1) << i;
        ru[i - 1] = "\r";
    }
    EXPECT_EQ(QCryptographicHash::hash(ru.join('\n'), QCryptographicHash::Sha1).toHex(),
              "db970929c035cb0cc383f2cb9ff98d0f77c18a11");
}

struct Panel {
    ctlHELP help;
    QPlainTextEdit* text = help.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp"));
    QSignalSpy cancels{&help, &ctlHELP::Cancel};

    // The first visible line, or "#0" for the text's first line; it must start right at the top,
    // its first letter clear of the left border.
    QString Top() const {
        const QTextBlock block = text->cursorForPosition(QPoint(0, 0)).block();
        const QRect at = text->cursorRect(QTextCursor(block));
        const qreal margin = text->document()->documentMargin();
        EXPECT_TRUE(at.top() >= 0 && at.top() <= margin + 2) << at.top();
        EXPECT_GE(at.left(), 4);
        return block.blockNumber() == 0 ? QStringLiteral("#0") : block.text();
    }
};

TEST(ctlHELP, ShowAndLanguageBringTheTopicToTheTopWithItsCaption) {
    Panel p;
    EXPECT_EQ(p.help.Caption(), QString());
    p.help.setLanguage(1);
    p.help.Show(2); // while hidden: takes effect when shown
    p.help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.help));
    EXPECT_EQ(p.Top(), QStringLiteral("Ввод координат точки:"));
    // Topic -1 is no topic and ignored: those rows only switch the language of the open topic.
    const struct {
        int language, topic;
        const char *top, *caption;
    } cases[] = {{2, -1, "Entering coordinates:", "Help"},
                 {1, -1, "Ввод координат точки:", "Справка"},
                 {1, 3, "Ввод координат точки:", "Справка"},
                 {1, 1, "Ввод номера листа:", "Справка"},
                 {1, 0, "#0", "О Программе"},
                 {2, 1, "Entering a sheet number:", "Help"},
                 {2, 2, "Entering coordinates:", "Help"},
                 {2, 0, "#0", "About"}};
    for (const auto& c : cases) {
        p.help.setProperty("Language", c.language);
        p.help.Show(c.topic);
        EXPECT_EQ(p.Top(), QString::fromUtf8(c.top)) << c.language << "/" << c.topic;
        EXPECT_EQ(p.help.Caption(), QString::fromUtf8(c.caption));
    }
    // Closed: a switch only exchanges the text, from its top, and keeps the caption.
    p.help.Show(2);
    QTest::keyClick(p.text, Qt::Key_Escape);
    p.help.setLanguage(1);
    EXPECT_EQ(p.Top(), QStringLiteral("#0"));
    EXPECT_EQ(p.text->toPlainText(),
              QString::fromUtf8(kHelpTextRussian.data(), qsizetype(kHelpTextRussian.size()))
                  .remove('\r'));
    EXPECT_EQ(p.help.Caption(), QStringLiteral("Help"));
    p.help.setLanguage(0); // not a language: ignored
    EXPECT_EQ(p.help.Language(), 1);
}

TEST(ctlHELP, CloseKeysAndOkRaiseCancelOnFixedPanel) {
    Panel p;
    p.help.resize(400, 50);
    EXPECT_EQ(p.help.size(), QSize(217, 184));
    EXPECT_EQ(p.text->palette().color(QPalette::Base), SystemColor(kButtonFace));
    EXPECT_EQ(p.help.Language(), 2);
    auto* ok = p.help.findChild<ctlLBL*>(QStringLiteral("ctlOK"));
    p.help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.help));
    const QString before = p.text->toPlainText();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Z, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Tab})
        QTest::keyClick(p.text, key);
    EXPECT_EQ(p.cancels.count(), 0);
    int expected = 0;
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        p.help.Show(1);
        QTest::keyClick(p.text, key);
        EXPECT_EQ(p.cancels.count(), ++expected) << key;
    }
    QTest::mouseMove(ok, QPoint(20, 7));
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(20, 7));
    EXPECT_EQ(p.cancels.count(), ++expected);
    EXPECT_EQ(p.text->toPlainText(), before);
}

} // namespace
} // namespace kavu
