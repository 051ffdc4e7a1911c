// The neighbour sheets panel: a sheet and its eight neighbours in a 3 x 3 grid of two-line
// cells (new notation over old), the sheet's edges between the cells, the scale above, and an
// OK button. Cells whose sheet touches the point are light orange.
#pragma once

#include "controls/ctlLSTN/ctlLSTNLogic.h"

#include <QString>
#include <QWidget>

#include <array>

class QLabel;
class QPlainTextEdit;

namespace kavu {

class ctlLBL;

class ctlLSTN : public QWidget {
    Q_OBJECT

  public:
    explicit ctlLSTN(QWidget* parent = nullptr);

    /// Shows the block around the sheet `Number` (new notation, as the result fields write it).
    /// Any other text leaves every cell empty and the labels blank.
    void Calculate(const QString& Number);

    /// The point, absolute arc-seconds: X longitude, Y latitude. Set before Calculate.
    int X() const { return logic_.X(); }
    void setX(int value) { logic_.setX(value); }
    int Y() const { return logic_.Y(); }
    void setY(int value) { logic_.setY(value); }

    /// Cell k, 1..9 from the north-west (objectName "Text<k>").
    QPlainTextEdit* Text(int k) const;

    /// Every designation fits a cell and every edge its label in `font`.
    bool Fits(const QFont& font) const;

  signals:
    void Cancel();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Reset();
    void ShowLabels();

    ctlLSTNLogic logic_;
    std::array<QPlainTextEdit*, 10> text_{}; // 1..9
    QLabel* lblScale_;
    std::array<QLabel*, 3> lblEast_{}; // 1 west edge, 2 east edge
    std::array<QLabel*, 3> lblNord_{}; // 1 north edge, 2 south edge
    ctlLBL* ctlOK_;
};

} // namespace kavu
