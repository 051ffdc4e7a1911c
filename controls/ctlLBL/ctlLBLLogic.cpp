#include "controls/ctlLBL/ctlLBLLogic.h"

namespace kavu {

bool ctlLBLLogic::InTestedRect(int x, int y) const {
    return !(x < 0 || x > CaptionWidth() || y < 0 || y > kCaptionHeight);
}

bool ctlLBLLogic::OverCaption(int x, int y) const {
    return x >= kInset && x < kInset + CaptionWidth() && y >= kInset && y < kInset + kCaptionHeight;
}

bool ctlLBLLogic::PointerMove(int x, int y) {
    if (hover_) {
        if (InTestedRect(x, y)) return false;
        return EndHover();
    }
    // The caption reaches 15 twips past the tested rectangle; starting the hover there would
    // end it again on the next move, so the hover starts only where it can last.
    if (OverCaption(x, y) && InTestedRect(x, y)) {
        hover_ = true;
        return true;
    }
    return false;
}

bool ctlLBLLogic::ButtonUp(bool left) {
    if (!left || !pressed_) return false;
    EndHover();
    return true;
}

bool ctlLBLLogic::EndHover() {
    pressed_ = false;
    if (!hover_) return false;
    hover_ = false;
    return true;
}

} // namespace kavu
