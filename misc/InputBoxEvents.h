// The events a stepping input box reacts to besides typing: the step keys, the wheel, and
// whether the pointer is over the box (the wheel moves only the focused box under the pointer).
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace kavu {

class InputBoxEvents : public QObject {
    Q_OBJECT
  public:
    /// Watches `box`. `onKey` gets the virtual-key number of every key press (0 for keys that
    /// mean nothing here) and the box still handles the key afterwards; `onWheel` gets +1 or -1
    /// for a wheel event that reaches the box itself, however many notches it carries.
    InputBoxEvents(QWidget* box, std::function<void(int)> onKey, std::function<void(int)> onWheel);

    /// The pointer is inside the box's rectangle, edges included.
    bool PointerOver() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* box_;
    std::function<void(int)> onKey_;
    std::function<void(int)> onWheel_;
    bool pointerOver_ = false;
    int wheelRemainder_ = 0;
};

} // namespace kavu
