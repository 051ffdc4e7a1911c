// Angle display: a read-only box showing a latitude or longitude with its hemisphere letter,
// in degrees, minutes and seconds.
#pragma once

#include "controls/ctlGMS/ctlGMSLogic.h"

#include <QString>
#include <QWidget>

class QLineEdit;

namespace kavu {

class ctlGMS : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ShowMinute READ ShowMinute WRITE setShowMinute)
    Q_PROPERTY(bool ShowSecond READ ShowSecond WRITE setShowSecond)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

  public:
    explicit ctlGMS(QWidget* parent = nullptr);

    /// Empties the box.
    void Clear();
    /// Shows `seconds` (whole arc-seconds) with the letter `NSEW`.
    void setValue(const QString& NSEW, int seconds);
    /// The text now shown; empty after Clear.
    QString Result() const;

    bool ShowMinute() const { return logic_.ShowMinute(); }
    /// Always show the minutes; false also turns ShowSecond off.
    void setShowMinute(bool on);
    bool ShowSecond() const { return logic_.ShowSecond(); }
    /// Always show the seconds; stays false while ShowMinute is false.
    void setShowSecond(bool on);

    /// Every angle the box can show fits it in `font`.
    bool Fits(const QFont& font) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    ctlGMSLogic logic_;
    QLineEdit* text_;
};

} // namespace kavu
