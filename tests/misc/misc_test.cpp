#include "misc/misc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

namespace kavu {
namespace {

// Which keys close a panel is checked on the panels.
TEST(VirtualKey, OnlyTheNamedQtKeysHaveOne) {
    const std::map<int, int> named{
        {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},    {Qt::Key_Escape, 27}, {Qt::Key_Space, 32},
        {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34}, {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
        {Qt::Key_Right, 39},  {Qt::Key_Down, 40}};
    // Printable keys, then the function-key block where the named keys live.
    for (int block : {0, 0x01000000})
        for (int key = block; key <= block + 0xFF; ++key)
            EXPECT_EQ(VirtualKey(key), named.count(key) ? named.at(key) : 0) << std::hex << key;
}

// Red reaches the screen at once, without the event loop, stays at least 100 ms, then the
// window background is painted again. The window's tests count the flashes.
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
    QList<QColor> paintedBeforeSignal;
    QObject::connect(&FlashMonitor::instance(), &FlashMonitor::flashed, &box,
                     [&] { paintedBeforeSignal = paints.colours; });
    QElapsedTimer timer;
    timer.start();
    FlashError(&box);
    EXPECT_GE(timer.elapsed(), 100);
    EXPECT_EQ(std::pair(paintedBeforeSignal.value(0), paints.colours.last()),
              std::pair(QColor(255, 0, 0), SystemColor(kWindowBackground)));
}

// Russian words for the usual causes, the system's own for every other errno and in English.
TEST(FailureReason, RussianForTheUsualCausesTheSystemsTextOtherwise) {
    const std::map<int, const char*> russian{{ENOSPC, "на устройстве нет места"},
                                             {EACCES, "нет прав доступа"},
                                             {EPERM, "нет прав доступа"},
                                             {EROFS, "файловая система только для чтения"},
                                             {EISDIR, "на месте файла находится папка"},
                                             {ENOENT, "нет такой папки"},
                                             {ENOTDIR, "на месте папки находится файл"},
                                             {EDQUOT, "превышена дисковая квота"},
                                             {EIO, "ошибка ввода-вывода"}};
    for (int error = 1; error < 134; ++error) {
        const QString system = QString::fromLocal8Bit(std::strerror(error));
        EXPECT_EQ(FailureReason(error, system, 2), system);
        EXPECT_EQ(FailureReason(error, QString(), 2), system); // no text given: the errno's
        EXPECT_EQ(FailureReason(error, system, 1),
                  russian.count(error) ? QString::fromUtf8(russian.at(error)) : system);
    }
}

// For every room from nothing to more than enough: the font chosen fits whenever any does, and
// the next larger one (by size, then by width) does not.
TEST(LargestFittingFont, TheLargestThatFits) {
    QFont base = QApplication::font();
    base.setPixelSize(12);
    const QString text = QStringLiteral("Введите координаты:");
    std::vector<QFont> candidates; // largest first
    for (int px = 12; px >= 9; --px)
        for (int stretch : {100, 87, 75}) {
            QFont f = base;
            f.setPixelSize(px);
            f.setStretch(stretch);
            candidates.push_back(f);
        }
    const auto width = [&](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text); };
    for (int room = 0; room <= width(base) + 1; ++room) {
        const QFont chosen = LargestFittingFont(
            base, [&](const QFont& f) { return width(f) <= room; }, 9);
        const auto first = std::find_if(candidates.begin(), candidates.end(),
                                        [&](const QFont& f) { return width(f) <= room; });
        const QFont& expected = first == candidates.end() ? candidates.back() : *first;
        ASSERT_EQ(std::pair(QFontInfo(chosen).pixelSize(), chosen.stretch() % 100),
                  std::pair(QFontInfo(expected).pixelSize(), expected.stretch() % 100))
            << room;
    }
}

} // namespace
} // namespace kavu
