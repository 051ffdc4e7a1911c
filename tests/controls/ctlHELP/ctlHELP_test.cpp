#include "controls/ctlHELP/ctlHELP.h"
#include "controls/ctlHELP/ctlHELPTexts.h"
#include "misc/misc.h"
#include "tests/controls/PanelChecks.h"

#include <QCryptographicHash>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <tuple>

namespace kavu {
namespace {

// Lines 9-10 (author, year, web page) and 13-14 (the tool) are ours to word; with them blanked,
// the text must have the SHA-1 of the fixed text: 74 lines, each ending in CR LF.
TEST(ctlHELPTexts, RussianTextIsExact) {
    QList<QByteArray> ru =
        QByteArray(kHelpTextRussian.data(), qsizetype(kHelpTextRussian.size())).split('\n');
    ASSERT_EQ(ru.size(), 75);
    for (int i : {9, 10, 13, 14}) {
        EXPECT_TRUE(ru[i - 1].size() > 1 && ru[i - 1].indexOf('\r') == ru[i - 1].size() - 1) << i;
        ru[i - 1] = "\r";
    }
    EXPECT_EQ(QCryptographicHash::hash(ru.join('\n'), QCryptographicHash::Sha1).toHex(),
              "db970929c035cb0cc383f2cb9ff98d0f77c18a11");
}

// Show and a language switch bring the topic's first line to the top, its first letter clear of
// the left border ("#0" is the text's first line); topic -1 only switches the language. The close
// keys and OK raise Cancel.
TEST(ctlHELP, ShowAndLanguageBringTheTopicToTheTopWithItsCaptionAndCloseKeysCancel) {
    ctlHELP help;
    auto* text = help.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp"));
    const auto top = [text] {
        const QTextBlock block = text->cursorForPosition(QPoint(0, 0)).block();
        const QRect at = text->cursorRect(QTextCursor(block));
        EXPECT_TRUE(at.top() >= 0 && at.top() <= text->document()->documentMargin() + 2);
        EXPECT_GE(at.left(), 4);
        return block.blockNumber() == 0 ? QStringLiteral("#0") : block.text();
    };
    EXPECT_EQ(text->palette().color(QPalette::Base), SystemColor(kButtonFace));
    help.setLanguage(1);
    help.Show(2); // while hidden: takes effect when shown
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    EXPECT_EQ(top(), QStringLiteral("Ввод координат точки:"));
    // The captions of each topic are checked through the window; language 0 is ignored.
    for (const auto& [language, topic, line] : {std::tuple{2, -1, "Entering coordinates:"},
                                                {1, 1, "Ввод номера листа:"},
                                                {1, 0, "#0"},
                                                {2, 1, "Entering a sheet number:"},
                                                {0, 2, "Entering coordinates:"}}) {
        help.setProperty("Language", language);
        help.Show(topic);
        EXPECT_EQ(top(), QString::fromUtf8(line)) << language << "/" << topic;
    }
    // Closed: a switch only exchanges the text, from its top, and keeps the caption.
    help.Show(2);
    QTest::keyClick(text, Qt::Key_Escape);
    help.setLanguage(1);
    EXPECT_EQ(top(), QStringLiteral("#0"));
    EXPECT_EQ(text->toPlainText(),
              QString::fromUtf8(kHelpTextRussian.data(), qsizetype(kHelpTextRussian.size()))
                  .remove('\r'));
    EXPECT_EQ(help.Caption(), QStringLiteral("Help"));
    test::ExpectClosesLikeAPanel(help, {text});
}

} // namespace
} // namespace kavu
