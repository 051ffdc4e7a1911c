#include "controls/ctlGMS/ctlGMS.h"

#include "misc/misc.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace kavu {
namespace {

class ctlGMSTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ctl = std::make_unique<ctlGMS>();
        ctl->resize(81, 19); // 1215 x 285 twips, as the window places it
        ctl->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ctl.get()));
        box = ctl->findChild<QLineEdit*>(QStringLiteral("Text"));
        ASSERT_NE(box, nullptr);
    }

    // True when the whole of the box's text is in view: a box too narrow for its text scrolls
    // to its cursor, hiding the start when the cursor is at the end and the end when it is at
    // the start.
    bool WholeTextVisible() const {
        const int middle = box->height() / 2;
        box->setCursorPosition(box->text().size());
        const bool startShown = box->cursorPositionAt(QPoint(4, middle)) == 0;
        box->setCursorPosition(0);
        const bool endShown =
            box->cursorPositionAt(QPoint(box->width() - 4, middle)) == box->text().size();
        return startShown && endShown;
    }

    std::unique_ptr<ctlGMS> ctl;
    QLineEdit* box = nullptr;
};

TEST_F(ctlGMSTest, ShowsAnglesAndClears) {
    EXPECT_EQ(ctl->Result(), "");
    ctl->setShowMinute(true);
    ctl->setValue("N", 55 * 3600 + 45 * 60);
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("N 55° 45'"));
    EXPECT_EQ(box->text(), ctl->Result());
    ctl->setValue("E", 36 * 3600);
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("E 36° 00'"));
    ctl->setValue("E", 37 * 3600 + 41 * 60 + 15); // a 1:50,000 centre has seconds
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("E 37° 41' 15\""));
    ctl->Clear();
    EXPECT_EQ(ctl->Result(), "");
    EXPECT_EQ(box->text(), "");
    ctl->setValue("S", -60);
    EXPECT_EQ(ctl->Result(), "");
}

TEST_F(ctlGMSTest, ForcingRuleThroughTheDesignProperties) {
    EXPECT_FALSE(ctl->property("ShowMinute").toBool());
    EXPECT_FALSE(ctl->property("ShowSecond").toBool());

    ASSERT_TRUE(ctl->setProperty("ShowSecond", true));
    EXPECT_FALSE(ctl->ShowSecond()); // not without the minutes
    ctl->setValue("N", 3600);
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("N 1°"));

    ASSERT_TRUE(ctl->setProperty("ShowMinute", true));
    ASSERT_TRUE(ctl->setProperty("ShowSecond", true));
    EXPECT_TRUE(ctl->ShowSecond());
    ctl->setValue("N", 3600);
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("N 1° 00' 00\""));

    ASSERT_TRUE(ctl->setProperty("ShowMinute", false));
    EXPECT_FALSE(ctl->property("ShowSecond").toBool());
    ctl->setValue("N", 3600);
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("N 1°"));

    ASSERT_TRUE(ctl->setProperty("ShowMinute", true)); // the seconds stay off
    EXPECT_FALSE(ctl->ShowSecond());
}

TEST_F(ctlGMSTest, TheUserCannotEditTheBox) {
    ctl->setShowMinute(true);
    ctl->setValue("W", 180 * 3600);
    ctl->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ctl.get()));
    box->setFocus();
    QTest::keyClicks(box, "12");
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(ctl->Result(), QString::fromUtf8("W 180° 00'"));
}

TEST_F(ctlGMSTest, EnabledLook) {
    const auto background = [&] { return box->palette().color(QPalette::Base); };
    EXPECT_EQ(background(), SystemColor(kWindowBackground));
    ASSERT_TRUE(ctl->setProperty("Enabled", false));
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(background(), SystemColor(kButtonFace));
    ctl->setEnabled(true);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(background(), SystemColor(kWindowBackground));
}

// The widest angles fit the window's 81-pixel box whatever font the window hands down.
TEST_F(ctlGMSTest, WidestAnglesFitTheBox) {
    ctl->setShowMinute(true);
    ctl->setShowSecond(true);
    QFont big = ctl->font();
    big.setPixelSize(22);
    for (const QFont& font : {ctl->font(), big}) {
        ctl->setFont(font);
        for (const char* letter : {"N", "S", "E", "W"}) {
            ctl->setValue(letter, 179 * 3600 + 59 * 60 + 59);
            EXPECT_TRUE(WholeTextVisible()) << letter << " " << font.pixelSize();
            ctl->setValue(letter, 180 * 3600);
            EXPECT_TRUE(WholeTextVisible()) << letter << " " << font.pixelSize();
        }
    }
    EXPECT_EQ(box->geometry(), ctl->rect());
}

} // namespace
} // namespace kavu
