#include "misc/InputBoxEvents.h"

#include "misc/misc.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace kavu {

namespace {
// One notch of a classic wheel; finer wheels add up to it.
constexpr int kNotch = 120;
} // namespace

InputBoxEvents::InputBoxEvents(QWidget* box, std::function<void(int)> onKey,
                               std::function<void(int)> onWheel)
    : QObject(box), box_(box), onKey_(std::move(onKey)), onWheel_(std::move(onWheel)) {
    box_->setMouseTracking(true);
    box_->installEventFilter(this);
}

bool InputBoxEvents::PointerOver() const {
    // Both: the toolkit's own record of the pointer, which a pointer leaving through another
    // window can miss, and the rectangle test of the last move.
    return pointerOver_ && box_->underMouse();
}

bool InputBoxEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_) return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        // The box still handles the key (caret movement) after the step.
        onKey_(VirtualKey(static_cast<QKeyEvent*>(event)->key()));
        return false;
    case QEvent::Enter:
        pointerOver_ = true;
        break;
    case QEvent::Leave:
        pointerOver_ = false;
        break;
    case QEvent::MouseMove: {
        const QPointF p = static_cast<QMouseEvent*>(event)->position();
        pointerOver_ =
            p.x() >= 0 && p.y() >= 0 && p.x() <= box_->width() && p.y() <= box_->height();
        break;
    }
    case QEvent::Wheel: {
        // The window routes the wheel itself; this serves a box used on its own. Several
        // notches in one event still make one step.
        wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (wheelRemainder_ >= kNotch || wheelRemainder_ <= -kNotch) {
            const int direction = wheelRemainder_ > 0 ? 1 : -1;
            wheelRemainder_ = 0;
            onWheel_(direction);
        }
        return true;
    }
    default:
        break;
    }
    return false;
}

} // namespace kavu
