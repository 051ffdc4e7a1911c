// Hemisphere switch: a label showing "N"/"S" (View 0) or "E"/"W" (View 1) and a small vertical
// scroll bar whose upper arrow selects the first letter and whose lower arrow the second.
#pragma once

#include "controls/ctlNSEW/ctlNSEWLogic.h"

#include <QString>
#include <QWidget>

class QLabel;
class QScrollBar;

namespace kavu {

class ctlNSEW : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int View READ View WRITE setView)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

  public:
    explicit ctlNSEW(QWidget* parent = nullptr);

    /// Back to the first letter of the pair; raises Change only if the second one was shown.
    void Reset();

    int View() const { return logic_.View(); }
    /// 0 = N/S, 1 = E/W; then Reset. Any other value is refused and changes nothing.
    void setView(int view);

    /// The letter now shown: "N", "S", "E" or "W".
    QString Letter() const;
    /// Selects the first (0) or the second (1) letter as a click on the arrows would, with
    /// Change when the letter changes; other values are ignored.
    void Choose(int position);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    /// The letter now shown, after every change of the position.
    void Change(const QString& Value);

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void onPositionChanged(int position);
    void showLetter();
    // The bar at the right at the style's width, the label filling the rest.
    void layOut();

    ctlNSEWLogic logic_;
    QLabel* label_;
    QScrollBar* scroll_;
};

} // namespace kavu
