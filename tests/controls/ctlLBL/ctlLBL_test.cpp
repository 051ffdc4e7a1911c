#include "controls/ctlLBL/ctlLBL.h"
#include "misc/misc.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kavu {
namespace {

// The button sits inside a larger window so the pointer can leave it and come back.
struct Fixture {
    QWidget window;
    ctlLBL* button = new ctlLBL(&window);
    QSignalSpy clicks{button, &ctlLBL::Click};

    Fixture() {
        window.resize(200, 100);
        button->move(40, 40);
        button->setCaption(QStringLiteral("OK"));
        button->setBorder(true);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        Move(-20, -20); // the pointer starts off the button, wherever the last test left it
    }
    void Move(int x, int y) { QTest::mouseMove(button, QPoint(x, y)); }
    void Click(Qt::MouseButton b, QPoint release = {20, 7}) {
        QTest::mousePress(button, b, {}, QPoint(20, 7));
        QTest::mouseRelease(button, b, {}, release);
    }
    bool Bold() const { return button->CaptionFont().bold(); }
};

// Every pixel around a 57-pixel button: the hover (bold caption) survives exactly inside the
// rectangle measured from the corner with the caption's size (55 x 14 pixels), not the caption's
// place. Only a left press released on the control clicks, and the click ends the hover. The
// frame and the caption in the text colour of the state; a disabled button neither hovers nor
// clicks; a height fixed by the font.
TEST(ctlLBL, HoverRectangleWhatClicksSizeAndTheLookOfEachState) {
    Fixture f;
    ASSERT_EQ(f.button->width(), 57);
    for (int y = -3; y <= 19; ++y)
        for (int x = -3; x <= 60; ++x) {
            f.Move(30, 30); // off the control: idle
            f.Move(20, 7);
            f.Move(x, y);
            ASSERT_EQ(f.Bold(), x >= 0 && x <= 55 && y >= 0 && y <= 14) << x << "," << y;
        }
    f.Move(30, 30);
    f.Move(0, 1); // from idle, the frame line is not the caption; (0, 0) means the centre to QTest
    EXPECT_FALSE(f.Bold());
    f.Move(20, 7);
    f.Click(Qt::RightButton);
    f.Click(Qt::MiddleButton);
    f.Click(Qt::LeftButton, QPoint(20, 60)); // released off the control
    EXPECT_EQ(std::pair(int(f.clicks.count()), f.Bold()), std::pair(0, false));
    f.Move(20, 7);
    f.Click(Qt::LeftButton);
    EXPECT_EQ(std::pair(int(f.clicks.count()), f.Bold()), std::pair(1, false));
    f.Move(30, 30);
    for (bool enabled : {true, false}) {
        f.button->setEnabled(enabled);
        f.Move(20, 7);
        EXPECT_EQ(f.Bold(), enabled);
        const QColor colour = SystemColor(enabled ? kButtonText : kGrayText);
        const QImage image = f.button->grab().toImage();
        EXPECT_EQ(std::pair(image.pixelColor(0, 0), image.pixelColor(56, 15)),
                  std::pair(colour, colour));
        int darkest = 255; // of the caption: near its colour
        for (int y = 1; y < 15; ++y)
            for (int x = 1; x < 56; ++x)
                darkest = std::min(darkest, image.pixelColor(x, y).lightness());
        EXPECT_LE(std::abs(darkest - colour.lightness()), 40) << enabled;
        f.Click(Qt::LeftButton);
    }
    EXPECT_EQ(f.clicks.count(), 2);
    f.button->setGeometry(10, 10, 120, 40); // 600 twips asked
    EXPECT_EQ(f.button->size(), QSize(120, 16));
    EXPECT_EQ(f.button->CaptionRect(), QRect(1, 1, 118, 14));
}

} // namespace
} // namespace kavu
