// The mouse wheel over the main window steps the input fields: every notch is handed, as +1
// or -1, to all eight fields, and the one that has the focus and the pointer moves.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace kavu {

/// Turns the wheel's vertical angle deltas into steps. A message of one or more whole notches
/// (a multiple of 120) is one step in its direction, so a fast turn of two or three notches
/// moves once. High-resolution wheels and touchpads report fractions: those add up and give one
/// step per 120 in their own direction; turning the other way drops what had built up.
/// While a key or mouse button is held nothing steps.
class WheelNotches {
  public:
    /// Steps for one wheel message: positive away from the user, negative towards.
    int Steps(int angleDeltaY, bool keyOrButtonHeld);

  private:
    int pending_ = 0;
};

/// The application event filter that catches wheel events aimed at the window or its
/// children. Wheel events over a scrolling text (the help) scroll it as usual; every other
/// event passes untouched.
class WheelRouter : public QObject {
    Q_OBJECT
  public:
    WheelRouter(QWidget* window, std::function<void(int)> broadcast, QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::function<void(int)> broadcast_;
    WheelNotches notches_;
};

/// Installs and removes the routing on the application.
void HookWheel(WheelRouter* router);
void UnhookWheel(WheelRouter* router);

} // namespace kavu
