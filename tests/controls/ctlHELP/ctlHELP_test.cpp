#include "controls/ctlHELP/ctlHELP.h"
#include "controls/ctlHELP/ctlHELPTexts.h"
#include "controls/ctlLBL/ctlLBL.h"
#include "misc/misc.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kavu {
namespace {

// Splits a text whose every line ends with CR LF; fails on a bare CR or LF.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            ADD_FAILURE() << "last line without CR LF";
            break;
        }
        std::string line(text.substr(start, end - start));
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

TEST(ctlHELPTexts, RussianTextHasItsLayout) {
    const auto ru = Lines(kHelpTextRussian);
    ASSERT_EQ(ru.size(), 74u);
    EXPECT_EQ(ru[0], "");
    EXPECT_EQ(ru[1], "Kavu  Версия 1.0.0. бета");
    EXPECT_EQ(ru[5], "или номера листа по  координатам");
    for (int i : {3, 8, 11, 12, 15, 16, 74})
        EXPECT_EQ(ru[i - 1], "") << i;
    for (int i : {9, 10, 13, 14})
        EXPECT_FALSE(ru[i - 1].empty()) << i;
    EXPECT_NE(ru[8].find("2026"), std::string::npos);
    EXPECT_NE(ru[12].find("C++"), std::string::npos);
    EXPECT_NE(ru[13].find("Qt 6"), std::string::npos);
    EXPECT_EQ(ru[16], "Ввод номера листа:");
    EXPECT_EQ(ru[20], "1  Латинские буквы от A до U");
    EXPECT_EQ(ru[21], "   или цифры от 1 до 21 (01 - 21)");
    EXPECT_EQ(ru[23], "2  Цифры от 1 до 60 (01-60)");
    EXPECT_EQ(ru[46], "Ввод координат точки:");
    EXPECT_EQ(ru[49], "градусы широты - от 0 до N84 (S83°59'),");
    EXPECT_EQ(ru[72], "по полю с нужным масштабом.");
}

// The English help follows the Russian one line for line, so every list and blank lines up.
TEST(ctlHELPTexts, EnglishTextKeepsTheAboutLinesAndMirrorsTheHelp) {
    const auto ru = Lines(kHelpTextRussian);
    const auto en = Lines(kHelpTextEnglish);
    ASSERT_EQ(en.size(), 10u + 1u + 58u);
    EXPECT_EQ(en[0], "");
    EXPECT_EQ(en[1], "Kavu  Version 1.0.0. beta");
    for (int i = 3; i <= 7; ++i)
        EXPECT_EQ(en[i - 1], "") << i;
    EXPECT_NE(en[7].find("2026"), std::string::npos);
    EXPECT_FALSE(en[8].empty());
    EXPECT_EQ(en[9], "");
    EXPECT_EQ(en[10], "");
    for (std::size_t i = 0; i < 58; ++i) {
        const std::string& r = ru[16 + i];
        const std::string& e = en[11 + i];
        EXPECT_EQ(r.empty(), e.empty()) << "help line " << i;
        EXPECT_EQ(r.find_first_not_of(' '), e.find_first_not_of(' ')) << "help line " << i;
    }
    EXPECT_EQ(en[11], "Entering a sheet number:");
    EXPECT_EQ(en[41], "Entering coordinates:");
}

TEST(ctlHELPLogic, TopicsFindTheirHeadingInEachLanguage) {
    ctlHELPLogic logic;
    EXPECT_EQ(logic.Caption(), "");
    const struct {
        int language, topic, line;
        const char* caption;
    } cases[] = {{1, 0, 0, "О Программе"}, {1, 1, 16, "Справка"}, {1, 2, 46, "Справка"},
                 {2, 0, 0, "About"},       {2, 1, 11, "Help"},    {2, 2, 41, "Help"},
                 {1, 3, 46, "Справка"} /* keeps 2 */};
    for (const auto& c : cases) {
        ASSERT_TRUE(logic.SetLanguage(c.language));
        ASSERT_TRUE(logic.Show(c.topic));
        EXPECT_EQ(logic.TopLine(), c.line) << c.language << "/" << c.topic;
        EXPECT_EQ(logic.Caption(), c.caption);
        const auto lines = Lines(logic.Text());
        // The offset counts characters (Cyrillic letters are two bytes each).
        std::size_t characters = 0;
        for (int i = 0; i < c.line; ++i)
            characters += QString::fromUtf8(lines[static_cast<std::size_t>(i)]).size() + 2;
        EXPECT_EQ(logic.Position(), static_cast<int>(characters));
    }
    // Topic 3 kept the section: in English it finds the English heading.
    ASSERT_TRUE(logic.SetLanguage(2));
    EXPECT_EQ(logic.TopLine(), 41);
    EXPECT_FALSE(logic.SetLanguage(3));
    EXPECT_FALSE(logic.Show(-1));
    EXPECT_EQ(logic.Language(), 2);
    EXPECT_EQ(logic.OpenTopic(), 3);
}

struct Panel {
    std::unique_ptr<ctlHELP> help = std::make_unique<ctlHELP>();
    QPlainTextEdit* text = help->findChild<QPlainTextEdit*>(QStringLiteral("txtHelp"));
    ctlLBL* ok = help->findChild<ctlLBL*>(QStringLiteral("ctlOK"));
    QSignalSpy cancels{help.get(), &ctlHELP::Cancel};

    void Open() {
        help->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(help.get()));
    }
    // The line at the top of the view, and that it starts right at the top (not half hidden).
    QString TopLine() const {
        const QTextCursor at = text->cursorForPosition(QPoint(0, 0));
        const QTextCursor start(at.block());
        EXPECT_LE(text->cursorRect(start).top(), 4);
        EXPECT_GE(text->cursorRect(start).top(), 0);
        return at.block().text();
    }
};

TEST(ctlHELP, ShowBringsTheHeadingToTheTopInBothLanguages) {
    Panel p;
    ASSERT_TRUE(p.text && p.ok);
    p.Open();
    EXPECT_EQ(p.help->Caption(), QString());
    p.help->setLanguage(1);
    p.help->Show(2);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Ввод координат точки:"));
    EXPECT_EQ(p.help->Caption(), QStringLiteral("Справка"));
    p.help->Show(3);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Ввод координат точки:"));
    p.help->Show(1);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Ввод номера листа:"));
    p.help->Show(0);
    EXPECT_EQ(p.text->cursorForPosition(QPoint(0, 0)).block().blockNumber(), 0);
    EXPECT_EQ(p.help->Caption(), QStringLiteral("О Программе"));

    p.help->setLanguage(2);
    p.help->Show(1);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Entering a sheet number:"));
    EXPECT_EQ(p.help->Caption(), QStringLiteral("Help"));
    p.help->Show(2);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Entering coordinates:"));
}

TEST(ctlHELP, LanguageSwitchFollowsTheOpenTopic) {
    Panel p;
    p.Open();
    p.help->setLanguage(1);
    p.help->Show(2);
    p.help->setLanguage(2);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Entering coordinates:"));
    EXPECT_EQ(p.help->Caption(), QStringLiteral("Help"));
    p.help->setProperty("Language", 1);
    EXPECT_EQ(p.TopLine(), QStringLiteral("Ввод координат точки:"));
    EXPECT_EQ(p.help->Caption(), QStringLiteral("Справка"));
    // Closed: a switch only exchanges the text, from its top, and keeps the caption.
    QTest::keyClick(p.text, Qt::Key_Escape);
    p.help->setLanguage(2);
    EXPECT_EQ(p.text->cursorForPosition(QPoint(0, 0)).block().blockNumber(), 0);
    EXPECT_EQ(p.text->toPlainText(),
              QString::fromUtf8(kHelpTextEnglish.data(), kHelpTextEnglish.size())
                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(p.help->Caption(), QStringLiteral("Справка"));
    p.help->setLanguage(0); // not a language: ignored
    EXPECT_EQ(p.help->Language(), 2);
}

TEST(ctlHELP, ShowWhileHiddenTakesEffectWhenShown) {
    Panel p;
    p.help->setLanguage(1);
    p.help->Show(2);
    p.Open();
    EXPECT_EQ(p.TopLine(), QStringLiteral("Ввод координат точки:"));
}

TEST(ctlHELP, CloseKeysAndOkRaiseCancelOtherKeysChangeNothing) {
    Panel p;
    p.Open();
    const QString before = p.text->toPlainText();
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Z, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Tab})
        QTest::keyClick(p.text, key);
    EXPECT_EQ(p.cancels.count(), 0);
    EXPECT_EQ(p.text->toPlainText(), before);
    int expected = 0;
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        p.help->Show(1);
        QTest::keyClick(p.text, key);
        EXPECT_EQ(p.cancels.count(), ++expected) << key;
    }
    QTest::mouseMove(p.ok, QPoint(20, 7));
    QTest::mouseClick(p.ok, Qt::LeftButton, {}, QPoint(20, 7));
    EXPECT_EQ(p.cancels.count(), ++expected);
    EXPECT_EQ(p.text->toPlainText(), before);
}

TEST(ctlHELP, SizeIsFixedByItsParts) {
    Panel p;
    p.help->resize(400, 50);
    EXPECT_EQ(p.help->size(), QSize(217, 184));
    EXPECT_EQ(p.text->geometry(), QRect(0, 0, 217, 161));
    EXPECT_EQ(p.ok->geometry(), QRect(88, 168, 41, 16));
    EXPECT_EQ(p.help->Language(), 2);
    EXPECT_EQ(p.text->palette().color(QPalette::Base), SystemColor(kButtonFace));
}

} // namespace
} // namespace kavu
