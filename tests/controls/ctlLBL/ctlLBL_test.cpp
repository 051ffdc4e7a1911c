#include "controls/ctlLBL/ctlLBL.h"
#include "misc/misc.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace kavu {
namespace {

// The button sits inside a larger window so the pointer can leave it and come back.
struct Fixture {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    ctlLBL* button = new ctlLBL(window.get());
    QSignalSpy clicks{button, &ctlLBL::Click};

    Fixture() {
        window->resize(200, 100);
        button->move(40, 40);
        button->setCaption(QStringLiteral("OK"));
        button->setBorder(true);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        Move(-20, -20); // the pointer starts off the button, wherever the last test left it
    }
    void Move(int x, int y) { QTest::mouseMove(button, QPoint(x, y)); }
    void Press(Qt::MouseButton b, int x = 20, int y = 7) {
        QTest::mousePress(button, b, {}, QPoint(x, y));
    }
    void Release(Qt::MouseButton b, int x = 20, int y = 7) {
        QTest::mouseRelease(button, b, {}, QPoint(x, y));
    }
};

TEST(ctlLBL, LeftClickRaisesClickOnceAndDropsTheBoldUntilTheNextMove) {
    Fixture f;
    f.Move(20, 7);
    EXPECT_TRUE(f.button->Hover());
    f.Press(Qt::LeftButton);
    f.Release(Qt::LeftButton);
    EXPECT_EQ(f.clicks.count(), 1);
    EXPECT_FALSE(f.button->Hover());
    f.Move(21, 7);
    EXPECT_TRUE(f.button->Hover());
    EXPECT_EQ(f.clicks.count(), 1);
}

TEST(ctlLBL, LeavingWhilePressedCancelsTheClickEvenAfterComingBack) {
    Fixture f;
    f.Move(20, 7);
    f.Press(Qt::LeftButton);
    f.Move(20, 40); // below the control, the press still routes moves here
    EXPECT_FALSE(f.button->Hover());
    f.Move(20, 7);
    EXPECT_TRUE(f.button->Hover());
    f.Release(Qt::LeftButton);
    EXPECT_EQ(f.clicks.count(), 0);
    // Released off the control: no click either.
    f.Press(Qt::LeftButton);
    f.Release(Qt::LeftButton, 20, 60);
    EXPECT_EQ(f.clicks.count(), 0);
}

TEST(ctlLBL, RightButtonNeverClicksAndKeepsTheHover) {
    Fixture f;
    f.Move(20, 7);
    f.Press(Qt::RightButton);
    f.Release(Qt::RightButton);
    EXPECT_EQ(f.clicks.count(), 0);
    EXPECT_TRUE(f.button->Hover());
    f.Press(Qt::MiddleButton);
    f.Release(Qt::MiddleButton);
    EXPECT_EQ(f.clicks.count(), 0);
    EXPECT_TRUE(f.button->Hover());
}

// Every pixel around a 57-pixel button: the hover survives exactly inside the rectangle
// measured from the corner with the caption's size (55 x 14 pixels), not the caption's place.
TEST(ctlLBL, HoverEndsExactlyOutsideTheTestedRectangle) {
    Fixture f;
    ASSERT_EQ(f.button->width(), 57);
    for (int y = -3; y <= 19; ++y) {
        for (int x = -3; x <= 60; ++x) {
            f.Move(30, 30); // off the control: idle
            f.Move(20, 7);
            ASSERT_TRUE(f.button->Hover());
            f.Move(x, y);
            const bool inside = x >= 0 && x <= 55 && y >= 0 && y <= 14;
            ASSERT_EQ(f.button->Hover(), inside) << x << "," << y;
        }
    }
    // From idle, a move over the control's frame line does not start the hover.
    f.Move(30, 30);
    f.Move(0, 1); // (0, 0) would mean the centre to QTest
    EXPECT_FALSE(f.button->Hover());
}

TEST(ctlLBL, HeightIsAlwaysTheOutlineHeight) {
    Fixture f;
    f.button->setGeometry(10, 10, 120, 40); // 600 twips asked
    EXPECT_EQ(f.button->height(), 16);      // 240 twips
    EXPECT_EQ(f.button->width(), 120);
    EXPECT_EQ(f.button->CaptionRect(), QRect(1, 1, 118, 14));
    f.button->resize(30, 3);
    EXPECT_EQ(f.button->height(), 16);
}

TEST(ctlLBL, OutlineAndCaptionShowTheEnabledState) {
    Fixture f;
    QImage on = f.button->grab().toImage();
    EXPECT_EQ(on.pixelColor(0, 0), SystemColor(kButtonText));
    EXPECT_EQ(on.pixelColor(56, 15), SystemColor(kButtonText));
    f.button->setEnabled(false);
    QImage off = f.button->grab().toImage();
    EXPECT_EQ(off.pixelColor(0, 0), SystemColor(kGrayText));
    // The caption's darkest pixel: near button text when enabled, near grey text when not.
    auto darkest = [](const QImage& image) {
        int least = 255;
        for (int y = 1; y < 15; ++y)
            for (int x = 1; x < 56; ++x)
                least = std::min(least, image.pixelColor(x, y).lightness());
        return least;
    };
    EXPECT_LE(std::abs(darkest(on) - SystemColor(kButtonText).lightness()), 40);
    EXPECT_LE(std::abs(darkest(off) - SystemColor(kGrayText).lightness()), 40);
    f.button->setBorder(false);
    EXPECT_NE(f.button->grab().toImage().pixelColor(0, 0), SystemColor(kGrayText));
}

TEST(ctlLBL, DisabledButtonIgnoresTheMouseAndNeverTakesFocus) {
    Fixture f;
    f.Move(20, 7);
    f.button->setEnabled(false);
    EXPECT_FALSE(f.button->Hover());
    f.Press(Qt::LeftButton);
    f.Release(Qt::LeftButton);
    EXPECT_EQ(f.clicks.count(), 0);
    EXPECT_EQ(f.button->focusPolicy(), Qt::NoFocus);
    f.button->setEnabled(true);
    f.Move(21, 7);
    ASSERT_TRUE(f.button->Hover());
    f.button->hide();
    f.button->show();
    EXPECT_FALSE(f.button->Hover());
}

// The main window's scale captions, right-aligned at their widths: bold under the pointer,
// they still fit the caption area.
TEST(ctlLBL, BoldScaleCaptionsFitTheirButtons) {
    Fixture f;
    const struct {
        const char* caption;
        int width;
    } scales[] = {
        {"1:1000000", 63}, {"1:500000", 57}, {"1:200000", 57}, {"1:100000", 57}, {"1:50000", 57}};
    for (const auto& s : scales) {
        f.button->setCaption(QString::fromLatin1(s.caption));
        f.button->setAlignment(1);
        f.button->resize(s.width, 16);
        f.Move(-20, -20);
        f.Move(20, 7);
        ASSERT_TRUE(f.button->Hover());
        const QFont font = f.button->CaptionFont();
        EXPECT_TRUE(font.bold());
        EXPECT_GE(font.pixelSize(), 9) << s.caption;
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(f.button->Caption()),
                  f.button->CaptionRect().width())
            << s.caption;
    }
}

TEST(ctlLBL, DesignPropertiesByName) {
    ctlLBL b;
    EXPECT_EQ(b.property("Alignment").toInt(), 2);
    EXPECT_EQ(b.property("Caption").toString(), QStringLiteral("Caption"));
    EXPECT_FALSE(b.property("Border").toBool());
    EXPECT_TRUE(b.property("Enabled").toBool());
    EXPECT_EQ(b.width(), 57); // 855 twips
    b.setProperty("Alignment", 1);
    b.setProperty("Alignment", 7); // not an alignment: ignored
    EXPECT_EQ(b.Alignment(), 1);
    b.setProperty("Enabled", false);
    EXPECT_FALSE(b.isEnabled());
}

} // namespace
} // namespace kavu
