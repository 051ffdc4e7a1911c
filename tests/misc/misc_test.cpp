#include "misc/misc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace kavu {
namespace {

TEST(CloseKey, OnlySpaceEscapeAndEnterClose) {
    for (int code = -1; code <= 0x1FF; ++code)
        EXPECT_EQ(IsCloseKey(code), code == 32 || code == 27 || code == 13) << code;
    static_assert(IsCloseKey(vk::Space) && IsCloseKey(vk::Escape) && IsCloseKey(vk::Enter));
}

TEST(CloseKey, VirtualKeysOfTheQtKeys) {
    const std::map<int, int> expected{
        {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},    {Qt::Key_Escape, 27}, {Qt::Key_Space, 32},
        {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34}, {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},  {Qt::Key_Down, 40}};
    // Printable keys, then the function-key block where the named keys live.
    for (int key = 0; key <= 0xFF; ++key)
        EXPECT_EQ(VirtualKey(key), key == Qt::Key_Space ? 32 : 0) << key;
    for (int key = 0x01000000; key <= 0x010000FF; ++key) {
        const auto it = expected.find(key);
        EXPECT_EQ(VirtualKey(key), it == expected.end() ? 0 : it->second) << std::hex << key;
    }
}

TEST(ProgramDirectory, IsTheProgramsFolderWithATrailingSeparator) {
    const QString dir = ProgramDirectory();
    EXPECT_TRUE(dir.endsWith(QLatin1Char('/')));
    EXPECT_FALSE(dir.endsWith(QStringLiteral("//")));
    EXPECT_EQ(dir, QFileInfo(QCoreApplication::applicationFilePath()).path() + QLatin1Char('/'));
    EXPECT_TRUE(QFileInfo(dir + QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                    .isExecutable());
}

TEST(SystemColours, CodesAndColourValues) {
    const QPalette p = QApplication::palette();
    EXPECT_EQ(SystemColor(kWindowBackground), p.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(SystemColor(kButtonFace), p.color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(SystemColor(kGrayText), p.color(QPalette::Disabled, QPalette::Text));
    // A plain value is 0x00BBGGRR.
    EXPECT_EQ(SystemColor(255), QColor(255, 0, 0));
    EXPECT_EQ(SystemColor(0x00FF0000), QColor(0, 0, 255));
    EXPECT_EQ(SystemColor(0x0080FFFF), QColor(255, 255, 128));
}

TEST(SystemColours, EnabledLookIsWindowBackgroundDisabledIsButtonFace) {
    QLineEdit box;
    ApplyEnabledLook(&box, false);
    EXPECT_EQ(box.palette().color(QPalette::Base), SystemColor(kButtonFace));
    ApplyEnabledLook(&box, true);
    EXPECT_EQ(box.palette().color(QPalette::Base), SystemColor(kWindowBackground));
}

// Records the base colour the box has each time it paints.
class PaintRecorder : public QObject {
  public:
    QList<QColor> colours;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            colours << static_cast<QWidget*>(watched)->palette().color(QPalette::Base);
        return false;
    }
};

TEST(FlashError, PaintsRedAtOnceForAHundredMillisecondsThenTheWindowBackground) {
    QLineEdit box;
    box.setObjectName(QStringLiteral("box"));
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QApplication::processEvents();
    PaintRecorder paints;
    box.installEventFilter(&paints);

    FlashMonitor& monitor = FlashMonitor::instance();
    ASSERT_EQ(monitor.durationMs(), 100);
    QSignalSpy flashed(&monitor, &FlashMonitor::flashed);
    QColor seen;
    int paintsBeforeSignal = -1;
    QObject::connect(&monitor, &FlashMonitor::flashed, &box, [&](QWidget* w) {
        seen = w->palette().color(QPalette::Base);
        paintsBeforeSignal = static_cast<int>(paints.colours.size());
    });
    const int count = monitor.count();

    QElapsedTimer timer;
    timer.start();
    FlashError(&box);
    const qint64 elapsed = timer.elapsed();

    EXPECT_EQ(monitor.count(), count + 1);
    ASSERT_EQ(flashed.size(), 1);
    EXPECT_EQ(flashed.at(0).at(0).value<QWidget*>(), &box);
    EXPECT_EQ(seen, QColor(255, 0, 0));
    // Red reached the screen before the wait, without the event loop running.
    ASSERT_GE(paintsBeforeSignal, 1);
    EXPECT_EQ(paints.colours.at(0), QColor(255, 0, 0));
    EXPECT_GE(elapsed, 100); // the red stays at least this long
    EXPECT_EQ(box.palette().color(QPalette::Base), SystemColor(kWindowBackground));
    EXPECT_EQ(paints.colours.last(), SystemColor(kWindowBackground));
}

TEST(FlashError, NoBoxStillSignals) {
    FlashMonitor& monitor = FlashMonitor::instance();
    monitor.setDurationMs(0);
    const int count = monitor.count();
    FlashError(nullptr);
    EXPECT_EQ(monitor.count(), count + 1);
    monitor.setDurationMs(-5);
    EXPECT_EQ(monitor.durationMs(), 0);
    monitor.setDurationMs(100);
}

TEST(SetTopmost, TogglesStaysOnTopWithoutMovingOrResizing) {
    QWidget window;
    window.setObjectName(QStringLiteral("window"));
    window.setGeometry(123, 87, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QRect geometry = window.geometry();

    for (const bool flag : {true, true, false, false, true}) {
        SCOPED_TRACE(flag);
        SetTopmost(&window, flag);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), flag);
        EXPECT_TRUE(window.isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_EQ(window.geometry(), geometry);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // A child widget stands for its window.
    QWidget* child = new QWidget(&window);
    SetTopmost(child, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(child->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window.geometry(), geometry);
    SetTopmost(nullptr, true);
}

TEST(SetTopmost, HiddenWindowStaysHidden) {
    QWidget window;
    SetTopmost(&window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.testAttribute(Qt::WA_Moved));
}

} // namespace
} // namespace kavu
