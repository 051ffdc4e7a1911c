#include "misc/misc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace kavu {
namespace {

TEST(CloseKey, OnlySpaceEscapeAndEnterCloseAndOnlyTheNamedQtKeysHaveAVirtualKey) {
    for (int code = -1; code <= 0x1FF; ++code)
        EXPECT_EQ(IsCloseKey(code), code == 32 || code == 27 || code == 13) << code;
    const std::map<int, int> named{
        {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},    {Qt::Key_Escape, 27}, {Qt::Key_Space, 32},
        {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34}, {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},  {Qt::Key_Down, 40}};
    // Printable keys, then the function-key block where the named keys live.
    for (int block : {0, 0x01000000})
        for (int key = block; key <= block + 0xFF; ++key)
            EXPECT_EQ(VirtualKey(key), named.count(key) ? named.at(key) : 0) << std::hex << key;
}

TEST(ProgramDirectory, IsTheProgramsFolderWithATrailingSeparator) {
    EXPECT_EQ(ProgramDirectory(), QFileInfo(QCoreApplication::applicationFilePath()).path() + u'/');
}

// Red reaches the screen at once, without the event loop, stays at least 100 ms, then the
// window background is painted again.
TEST(FlashError, PaintsRedAtOnceForAHundredMillisecondsThenTheWindowBackground) {
    QLineEdit box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QApplication::processEvents();
    struct PaintRecorder : QObject {
        QList<QColor> colours;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                colours << static_cast<QWidget*>(watched)->palette().color(QPalette::Base);
            return false;
        }
    } paints;
    box.installEventFilter(&paints);
    FlashMonitor& monitor = FlashMonitor::instance();
    QList<QWidget*> flashed;
    QList<QColor> paintedBeforeSignal;
    QObject::connect(&monitor, &FlashMonitor::flashed, &box, [&](QWidget* w) {
        flashed << w;
        if (w) paintedBeforeSignal = paints.colours;
    });
    const int count = monitor.count();
    QElapsedTimer timer;
    timer.start();
    FlashError(&box);
    EXPECT_GE(timer.elapsed(), 100);
    EXPECT_EQ(paintedBeforeSignal.value(0), QColor(255, 0, 0));
    EXPECT_EQ(paints.colours.last(), SystemColor(kWindowBackground));
    FlashError(nullptr);
    EXPECT_EQ(flashed, (QList<QWidget*>{&box, nullptr}));
    EXPECT_EQ(monitor.count(), count + 2);
}

TEST(SetTopmost, TogglesStaysOnTopWithoutMovingOrResizing) {
    QWidget window;
    window.setGeometry(123, 87, 300, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QRect geometry = window.geometry();
    QWidget* const w = &window;
    QWidget* const child = new QWidget(w); // stands for its window
    for (const auto& [target, flag] :
         {std::pair{w, true}, {w, true}, {child, false}, {w, false}, {w, true}}) {
        SetTopmost(target, flag);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), flag);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(window.geometry(), geometry);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QWidget hidden;
    SetTopmost(&hidden, true);
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.isVisible() || hidden.testAttribute(Qt::WA_Moved));
    SetTopmost(nullptr, true);
}

} // namespace
} // namespace kavu
