#include "misc/misc.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kavu {

QColor SystemColor(std::uint32_t code) {
    const QPalette p = QApplication::palette();
    switch (code) {
    case kWindowBackground:
        return p.color(QPalette::Active, QPalette::Base);
    case kWindowText:
        return p.color(QPalette::Active, QPalette::Text);
    case kButtonFace:
        return p.color(QPalette::Active, QPalette::Button);
    case kGrayText:
        return p.color(QPalette::Disabled, QPalette::Text);
    case kButtonText:
        return p.color(QPalette::Active, QPalette::ButtonText);
    default:
        break;
    }
    if (code & 0x80000000u) return p.color(QPalette::Active, QPalette::Window);
    return QColor(static_cast<int>(code & 0xFF), static_cast<int>((code >> 8) & 0xFF),
                  static_cast<int>((code >> 16) & 0xFF));
}

void SetBackground(QWidget* widget, const QColor& colour) {
    if (!widget) return;
    QPalette p = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, colour);
        p.setColor(group, QPalette::Window, colour);
    }
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    if (!widget) return;
    QPalette p = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, colour);
        p.setColor(group, QPalette::WindowText, colour);
        p.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(p);
}

int WidestText(const QFont& font, const QStringList& texts) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& t : texts)
        widest = std::max(widest, metrics.horizontalAdvance(t));
    return widest;
}

QFont LargestFittingFont(const QFont& base, const std::function<bool(const QFont&)>& fits,
                         int smallestPixelSize) {
    if (fits(base)) return base;
    QFont font = base;
    const int largest = std::max(QFontInfo(base).pixelSize(), smallestPixelSize);
    for (int px = largest; px >= smallestPixelSize; --px) {
        if (px != largest) font.setPixelSize(px);
        for (int stretch :
             {int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed)}) {
            font.setStretch(stretch);
            if (fits(font)) return font;
        }
    }
    return font;
}

QFont FitFont(const QFont& base, const std::function<int(const QFont&)>& widest, int room,
              int smallestPixelSize) {
    return LargestFittingFont(
        base, [&](const QFont& f) { return widest(f) <= room; }, smallestPixelSize);
}

int LineEditTextRoom(const QLineEdit* box) {
    constexpr int kLineEditMargin = 2;
    QStyleOptionFrame option;
    option.initFrom(box);
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    return box->width() - 2 * frame - 2 * kLineEditMargin - 1;
}

void ApplyEnabledLook(QWidget* box, bool enabled) {
    SetBackground(box, SystemColor(enabled ? kWindowBackground : kButtonFace));
}

FlashMonitor& FlashMonitor::instance() {
    static FlashMonitor monitor;
    // So that queued connections and QSignalSpy can carry the box of flashed().
    static const int registered = qRegisterMetaType<QWidget*>();
    Q_UNUSED(registered);
    return monitor;
}

void FlashError(QWidget* box) {
    FlashMonitor& monitor = FlashMonitor::instance();
    ++monitor.count_;
    QApplication::beep();
    if (box) {
        SetBackground(box, QColor(kPureRed));
        box->repaint();
    }
    emit monitor.flashed(box);
    QThread::msleep(static_cast<unsigned long>(monitor.durationMs()));
    if (box) {
        SetBackground(box, SystemColor(kWindowBackground));
        box->repaint();
    }
}

int VirtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return vk::Enter;
    case Qt::Key_Escape:
        return vk::Escape;
    case Qt::Key_Space:
        return vk::Space;
    case Qt::Key_PageUp:
        return vk::PageUp;
    case Qt::Key_PageDown:
        return vk::PageDown;
    case Qt::Key_Left:
        return vk::Left;
    case Qt::Key_Up:
        return vk::Up;
    case Qt::Key_Right:
        return vk::Right;
    case Qt::Key_Down:
        return vk::Down;
    default:
        return 0;
    }
}

void SetTopmost(QWidget* window, bool flag) {
    if (!window) return;
    window = window->window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == flag) return;
    // Changing a window flag re-creates the native window and hides it; bring it back where it
    // was, in the state it was, still active if it was.
    const bool visible = window->isVisible();
    const bool active = visible && window->isActiveWindow();
    const QRect geometry = window->geometry();
    const Qt::WindowStates state = window->windowState();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, flag);
    if (!visible) return;
    if (state == Qt::WindowNoState)
        window->setGeometry(geometry);
    else
        window->setWindowState(state);
    window->show();
    if (active) window->activateWindow();
}

QString ProgramDirectory() {
    // Without an application object Qt cannot tell where the program lies; the working
    // directory is the closest answer, and never the file-system root by accident.
    QString dir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    if (dir.isEmpty()) dir = QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

QString FailureReason(int error, const QString& systemText, int language) {
    const QString system = systemText.isEmpty() && error != 0
                               ? QString::fromLocal8Bit(std::strerror(error))
                               : systemText;
    if (language == 2) return system;
    switch (error) {
    case ENOSPC:
        return QStringLiteral("на устройстве нет места");
    case EACCES:
    case EPERM:
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("файловая система только для чтения");
    case EISDIR:
        return QStringLiteral("на месте файла находится папка");
    case ENOENT:
        return QStringLiteral("нет такой папки");
    case ENOTDIR:
        return QStringLiteral("на месте папки находится файл");
    case EDQUOT:
        return QStringLiteral("превышена дисковая квота");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    default:
        return system;
    }
}

} // namespace kavu
