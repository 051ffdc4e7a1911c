// Position spinner: a text box for one whole-number part of an angle with its unit mark to the
// right. Typing is validated, the arrow keys, PageUp/PageDown and the wheel step it, and a
// minutes field can carry into and borrow from the degrees field on its left (Overflow).
#pragma once

#include <QWidget>

#include <memory>

#include "controls/ctlPos/ctlPosLogic.h"

class QLabel;
class QLineEdit;

namespace kavu {

class InputBoxEvents;

class ctlPos : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int View READ View WRITE setView)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
    Q_PROPERTY(int Stride READ Stride WRITE setStride)
    Q_PROPERTY(bool RaiseOverflow READ RaiseOverflow WRITE setRaiseOverflow)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)

  public:
    /// Size in twips (15 twips = 1 px): the box and its mark side by side.
    static constexpr int kWidthTwips = 630;
    static constexpr int kHeightTwips = 285;
    static constexpr int kTextWidthTwips = 495;

    explicit ctlPos(QWidget* parent = nullptr);
    ~ctlPos() override;

    /// 1 = degrees (°), 2 = minutes ('), 3 = seconds ("); other values are ignored. 1 switches
    /// RaiseOverflow off.
    int View() const { return logic_.View(); }
    void setView(int view);
    /// Largest value accepted; a negative value is ignored.
    int MaxValue() const { return logic_.MaxValue(); }
    void setMaxValue(int maxValue) { logic_.setMaxValue(maxValue); }
    /// Step of PageUp/PageDown; values below 1 are ignored.
    int Stride() const { return logic_.Stride(); }
    void setStride(int stride) { logic_.setStride(stride); }
    bool RaiseOverflow() const { return logic_.RaiseOverflow(); }
    void setRaiseOverflow(bool on) { logic_.setRaiseOverflow(on); }

    int MajorValue() const { return logic_.MajorValue(); }
    void setMajorValue(int v) { logic_.setMajorValue(v); }
    int MajorMaxValue() const { return logic_.MajorMaxValue(); }
    void setMajorMaxValue(int v) { logic_.setMajorMaxValue(v); }

    /// Current value, -1 when empty.
    int value() const { return logic_.value(); }

    /// Empties the field and forgets the major field; no event.
    void Reset() { logic_.Reset(); }
    /// Puts `text` into the box as if the user had typed it over what it held: it is validated
    /// (or refused with the error flash) and Change follows, unless the box already shows it.
    void Enter(const QString& text);
    /// Delta 0 sets the field to Value without an event; otherwise steps it by Delta.
    void Modify(int Delta, int Value = 0) { logic_.Modify(Delta, Value); }
    /// One wheel notch (+1 or -1) from the window's wheel routing; it steps only the focused field
    /// under the pointer, and 0 steps nothing.
    void setMouseWheel(int d);

  signals:
    void Change(int Value);
    void Overflow(int Value);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    class Bridge;
    void ShowText(const std::string& text, bool caretToEnd);
    void UpdateMark();

    QLineEdit* text_;
    QLabel* label_;
    ctlPosLogic logic_;
    std::unique_ptr<Bridge> bridge_;
    bool updating_ = false;
    InputBoxEvents* events_ = nullptr; // owned by the text box
};

} // namespace kavu
