// Hover and click of the label button, measured in twips in the control's own coordinates.
#pragma once

namespace kavu {

/// States: idle, hover (bold caption) and pressed (hover, or a press on the control, with a
/// button down that has not left the tested rectangle). The caption area sits 15 twips in from
/// the left and top, 210 twips high and 30 twips narrower than the control; the test that ends
/// the hover measures from the control's corner against the caption area's size.
class ctlLBLLogic {
  public:
    static constexpr int kHeight = 240; // the outline's height, and so the control's
    static constexpr int kInset = 15;
    static constexpr int kCaptionHeight = 210;
    static constexpr int kStartWidth = 855;

    void Resize(int width) { width_ = width < 0 ? 0 : width; }
    int Width() const { return width_; }
    int CaptionWidth() const { return width_ > 2 * kInset ? width_ - 2 * kInset : 0; }

    bool Hover() const { return hover_; }
    bool Pressed() const { return pressed_; }

    /// The pointer moved to (x, y). Returns true when the hover look changed.
    bool PointerMove(int x, int y);
    /// Any mouse button went down on the control.
    void ButtonDown() { pressed_ = true; }
    /// A mouse button went up on the control. Returns true when this completes a click; the
    /// hover has then ended.
    bool ButtonUp(bool left);
    /// The pointer left the control, or the control stopped taking the mouse. Returns true when
    /// the hover look changed.
    bool EndHover();

  private:
    bool InTestedRect(int x, int y) const;
    bool OverCaption(int x, int y) const;

    int width_ = kStartWidth;
    bool hover_ = false;
    bool pressed_ = false;
};

} // namespace kavu
