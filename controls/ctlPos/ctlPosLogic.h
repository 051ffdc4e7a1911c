// Validation and stepping of one whole-number part of an angle (degrees, minutes or seconds),
// without any widget. The widget shell hands it every edit of its box, every key step and wheel
// notch, and carries out what the core asks for through a Host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavu {

class ctlPosLogic {
  public:
    /// What the core asks of its shell. Every call is synchronous: Overflow runs before the
    /// field updates itself, and the owner may call back into the core from any of them.
    class Host {
      public:
        virtual ~Host() = default;
        /// The error signal on the box.
        virtual void Flash() {}
        /// Put `text` into the box without it being validated again; `caretToEnd` is false only
        /// for Modify(0, Value).
        virtual void Show(const std::string& text, bool caretToEnd) {
            (void)text;
            (void)caretToEnd;
        }
        /// The field's Change event.
        virtual void Changed(int value) { (void)value; }
        /// The field's Overflow event: +1 carry, -1 borrow.
        virtual void Overflowed(int value) { (void)value; }
    };

    /// The base of a carry and a borrow: the minutes and the seconds count to 60 whatever
    /// `MaxValue` says.
    static constexpr int kCarryBase = 60;

    explicit ctlPosLogic(Host* host = nullptr) : host_(host) {}
    void setHost(Host* host) { host_ = host; }

    /// 1 = degrees, 2 = minutes, 3 = seconds. Other values are refused (the call returns false
    /// and nothing changes). Setting 1 switches `RaiseOverflow` off.
    int View() const { return view_; }
    bool setView(int view);
    /// Largest value the field accepts (the smallest is 0). A negative value is refused. A value
    /// below the one shown replaces it with the new maximum, without a Change.
    int MaxValue() const { return maxValue_; }
    bool setMaxValue(int maxValue);
    /// Step of PageUp/PageDown. 0 and negative strides are refused.
    int Stride() const { return stride_; }
    bool setStride(int stride);
    /// Chains the field to its major field; forced off while `View` is 1.
    bool RaiseOverflow() const { return raiseOverflow_; }
    void setRaiseOverflow(bool on) { raiseOverflow_ = on && view_ >= 2; }

    int MajorValue() const { return majorValue_; }
    void setMajorValue(int v) { majorValue_ = v; }
    int MajorMaxValue() const { return majorMaxValue_; }
    void setMajorMaxValue(int v) { majorMaxValue_ = v; }

    /// The value shown, -1 when the box is empty.
    int value() const { return value_; }
    /// The last text that passed validation (what the box shows outside an edit).
    const std::string& text() const { return text_; }

    /// Empties the field and forgets the major field. No event.
    void Reset();
    /// Delta 0 sets the field to `Value` (no event, any value); otherwise steps it by Delta.
    void Modify(int Delta, int Value = 0);
    /// One wheel notch; 0 does nothing. The shell calls it only for the focused box under the
    /// pointer.
    void Wheel(int direction);
    /// A key press, by its virtual-key number; true if it stepped (the key still goes on to the
    /// box).
    bool Key(int virtualKey);
    /// The box text changed by the user's editing (UTF-8, exactly as typed).
    void Edit(std::string_view boxText);

    /// The value of `text` if the field accepts it as typed (the decimal form of 0..maxValue,
    /// without sign, spaces or leading zeros), -1 for the empty text, -2 when refused.
    static int Validate(std::string_view text, int maxValue);

  private:
    void Step(int delta);
    void Apply(std::int64_t n, bool carried);
    void Flash() {
        if (host_) host_->Flash();
    }

    Host* host_ = nullptr;
    int view_ = 1;
    int maxValue_ = 180;
    int stride_ = 1;
    bool raiseOverflow_ = false;
    int majorValue_ = -1;
    int majorMaxValue_ = -1;
    int value_ = -1;
    std::string text_;
};

} // namespace kavu
