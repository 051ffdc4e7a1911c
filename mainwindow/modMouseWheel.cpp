#include "mainwindow/modMouseWheel.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>

namespace kavu {

int WheelNotches::Steps(int delta, bool keyOrButtonHeld) {
    if (keyOrButtonHeld || delta == 0) return 0;
    if (delta % 120 == 0) {
        pending_ = 0;
        return delta > 0 ? 1 : -1;
    }
    if ((pending_ > 0 && delta < 0) || (pending_ < 0 && delta > 0)) pending_ = 0;
    pending_ += delta;
    const int steps = pending_ / 120;
    pending_ %= 120;
    return steps;
}

WheelRouter::WheelRouter(QWidget* window, std::function<void(int)> broadcast, QObject* parent)
    : QObject(parent), window_(window), broadcast_(std::move(broadcast)) {}

bool WheelRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType()) return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target->window() != window_) return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    const int delta = wheel->angleDelta().y();
    if (delta == 0) return false; // sideways: not ours
    for (QWidget* w = target; w && w != window_; w = w->parentWidget())
        if (qobject_cast<QAbstractScrollArea*>(w)) return false;

    const bool held = wheel->buttons() != Qt::NoButton || wheel->modifiers() != Qt::NoModifier;
    const int steps = notches_.Steps(delta, held);
    const int direction = steps > 0 ? 1 : -1;
    for (int i = 0; i < std::abs(steps); ++i)
        broadcast_(direction);
    return true;
}

void HookWheel(WheelRouter* router) {
    qApp->installEventFilter(router);
}
void UnhookWheel(WheelRouter* router) {
    qApp->removeEventFilter(router);
}

} // namespace kavu
