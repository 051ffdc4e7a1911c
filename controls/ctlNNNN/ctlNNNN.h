// Sheet-number field: a one-line box for one part of a sheet number. It accepts the forms of
// its part in either case, keeps the form typed, steps with the arrow keys and the wheel, and
// publishes the scale its input implies in BoxScale.
#pragma once

#include <QWidget>

#include <memory>

#include "controls/ctlNNNN/ctlNNNNLogic.h"

class QLineEdit;

namespace kavu {

class InputBoxEvents;

class ctlNNNN : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int View READ View WRITE setView)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

  public:
    /// Size in twips (15 twips = 1 px).
    static constexpr int kWidthTwips = 615;
    static constexpr int kHeightTwips = 285;

    explicit ctlNNNN(QWidget* parent = nullptr);
    ~ctlNNNN() override;

    /// 1 row, 2 column, 3 part of the 1:1,000,000 sheet, 4 quarter; other values are ignored.
    int View() const { return logic_.View(); }
    void setView(int view) { logic_.setView(view); }

    /// Index held, 0 when empty.
    int value() const { return logic_.value(); }

    /// Empties the box and its BoxScale entry; no event.
    void Reset() { logic_.Reset(); }
    /// Puts `text` into the box as if the user had typed it over what it held: it is recognised
    /// (or refused with the error flash) and Change follows, unless the box already shows it.
    void Enter(const QString& text);
    /// One wheel notch (+1 or -1) from the window's wheel routing; it steps only the focused box
    /// under the pointer, and 0 steps nothing.
    void setMouseWheel(int d);

  signals:
    void Change(int Value);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    class Bridge;
    void ShowText(const std::string& text);

    QLineEdit* text_;
    ctlNNNNLogic logic_;
    std::unique_ptr<Bridge> bridge_;
    bool updating_ = false;
    InputBoxEvents* events_ = nullptr; // owned by the text box
};

} // namespace kavu
