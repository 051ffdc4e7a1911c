#include "controls/ctlLBL/ctlLBL.h"
#include "misc/misc.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kavu {
namespace {

// Every pixel around a 57-pixel button: the hover (bold caption) survives exactly inside the
// rectangle measured from the corner with the caption's size (55 x 14 pixels), not the caption's
// place. Only a left press released on the control clicks, and the click ends the hover. The
// frame and the caption in the text colour of the state; a disabled button neither hovers nor
// clicks; a height fixed by the font.
TEST(ctlLBL, HoverRectangleWhatClicksSizeAndTheLookOfEachState) {
    QWidget window; // larger, so the pointer can leave the button and come back
    auto* button = new ctlLBL(&window);
    QSignalSpy clicks(button, &ctlLBL::Click);
    window.resize(200, 100);
    button->move(40, 40);
    button->setCaption(QStringLiteral("OK"));
    button->setBorder(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto move = [button](int x, int y) { QTest::mouseMove(button, QPoint(x, y)); };
    const auto click = [button](Qt::MouseButton b, QPoint release = {20, 7}) {
        QTest::mousePress(button, b, {}, QPoint(20, 7));
        QTest::mouseRelease(button, b, {}, release);
    };
    const auto bold = [button] { return button->CaptionFont().bold(); };
    ASSERT_EQ(button->width(), 57);
    for (int y = -3; y <= 19; ++y)
        for (int x = -3; x <= 60; ++x) {
            move(30, 30); // off the control: idle
            move(20, 7);
            move(x, y);
            ASSERT_EQ(bold(), x >= 0 && x <= 55 && y >= 0 && y <= 14) << x << "," << y;
        }
    move(30, 30);
    move(0, 1); // from idle, the frame line is not the caption; (0, 0) means the centre to QTest
    EXPECT_FALSE(bold());
    move(20, 7);
    click(Qt::RightButton);
    click(Qt::MiddleButton);
    click(Qt::LeftButton, QPoint(20, 60)); // released off the control
    EXPECT_EQ(std::pair(int(clicks.count()), bold()), std::pair(0, false));
    move(20, 7);
    click(Qt::LeftButton);
    EXPECT_EQ(std::pair(int(clicks.count()), bold()), std::pair(1, false));
    move(30, 30);
    for (bool enabled : {true, false}) {
        button->setEnabled(enabled);
        move(20, 7);
        EXPECT_EQ(bold(), enabled);
        const QColor colour = SystemColor(enabled ? kButtonText : kGrayText);
        const QImage image = button->grab().toImage();
        EXPECT_EQ(std::pair(image.pixelColor(0, 0), image.pixelColor(56, 15)),
                  std::pair(colour, colour));
        int darkest = 255; // of the caption: near its colour
        for (int y = 1; y < 15; ++y)
            for (int x = 1; x < 56; ++x)
                darkest = std::min(darkest, image.pixelColor(x, y).lightness());
        EXPECT_LE(std::abs(darkest - colour.lightness()), 40) << enabled;
        click(Qt::LeftButton);
    }
    EXPECT_EQ(clicks.count(), 2);
    button->setGeometry(10, 10, 120, 40); // 600 twips asked
    EXPECT_EQ(button->size(), QSize(120, 16));
    EXPECT_EQ(button->CaptionRect(), QRect(1, 1, 118, 14));
}

} // namespace
} // namespace kavu
