// Sheet result field: a read-only box showing, for one scale and one notation, the sheet that
// holds a point; red text when the point lies on a parallel that bounds sheets of the scale,
// a light yellow background when it lies on a bounding meridian.
#pragma once

#include "controls/ctlLst/ctlLstLogic.h"

#include <QColor>
#include <QString>
#include <QWidget>

class QLineEdit;

namespace kavu {

/// Background of a field whose point lies on a meridian junction.
inline constexpr QRgb kLightYellow = qRgb(255, 255, 128);

class ctlLst : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Standard READ Standard WRITE setStandard)
    Q_PROPERTY(int Caliber READ Caliber WRITE setCaliber)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

  public:
    explicit ctlLst(QWidget* parent = nullptr);

    /// Shows the sheet of scale Caliber that holds the point (absolute arc-seconds) and colours
    /// the junctions. A point that no sheet holds (off the grid, negative, or a Caliber outside
    /// 1..5) clears the field.
    void Calculate(const QString& NS, int Latitude, const QString& EW, int Longitude);
    /// The same for a point given finer than a second (signed, north and east positive).
    void Calculate(const ExactPoint& point);
    /// Empties the field and restores the plain colours of its enabled state.
    void Clear();
    /// The text now shown; empty after Clear.
    QString Result() const;

    int Standard() const { return logic_.Standard(); }
    /// 1 = new notation, any other value = old notation; takes effect at the next Calculate.
    void setStandard(int standard) { logic_.setStandard(standard); }
    int Caliber() const { return logic_.Caliber(); }
    /// Scale index 1..5; takes effect at the next Calculate.
    void setCaliber(int caliber) { logic_.setCaliber(caliber); }

    /// Pixels the widest designation of either notation takes in `font`.
    static int WidestDesignation(const QFont& font);
    /// Every designation fits the box in `font`.
    bool Fits(const QFont& font) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void Show(const std::optional<ctlLstShown>& shown);
    void fitFont();

    ctlLstLogic logic_;
    QLineEdit* text_;
};

} // namespace kavu
