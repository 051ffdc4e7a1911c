// A flat, text-only push button: the caption turns bold under the pointer, a left click raises
// Click, an optional one-pixel outline frames it. It never takes the keyboard focus.
#pragma once

#include "controls/ctlLBL/ctlLBLLogic.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace kavu {

class ctlLBL : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Border READ Border WRITE setBorder)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

  public:
    explicit ctlLBL(QWidget* parent = nullptr);

    /// 0 left, 1 right, 2 centre (the default); other values are ignored.
    int Alignment() const { return alignment_; }
    void setAlignment(int value);
    QString Caption() const { return caption_; }
    void setCaption(const QString& value);
    bool Border() const { return border_; }
    void setBorder(bool value);

    /// True while the caption is bold (the pointer is over it).
    bool Hover() const { return logic_.Hover(); }
    /// The outline's colour for the current enabled state: button text, or grey text.
    QColor OutlineColour() const;
    /// Where the caption is drawn, in pixels.
    QRect CaptionRect() const;
    /// The caption's font: the control's own, bold while hovered.
    QFont CaptionFont() const;
    /// The caption fits its area in `font`, bold as well, so the hover never clips it.
    bool Fits(const QFont& font) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  signals:
    void Click();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    ctlLBLLogic logic_;
    int alignment_ = 2;
    QString caption_ = QStringLiteral("Caption");
    bool border_ = false;
};

} // namespace kavu
