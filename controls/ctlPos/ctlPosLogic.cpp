#include "controls/ctlPos/ctlPosLogic.h"

#include <algorithm>

namespace kavu {

namespace {
// Virtual-key numbers (as vk:: in misc/misc.h, which this Qt-free core cannot include).
constexpr int kPageUp = 33, kPageDown = 34, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
} // namespace

bool ctlPosLogic::setView(int view) {
    if (view < 1 || view > 3) return false;
    view_ = view;
    if (view_ == 1) setRaiseOverflow(false);
    return true;
}

bool ctlPosLogic::setMaxValue(int maxValue) {
    if (maxValue < 0) return false;
    maxValue_ = maxValue;
    const int shown = text_.empty() ? 0 : value_;
    if (shown > maxValue_) Modify(0, maxValue_);
    return true;
}

bool ctlPosLogic::setStride(int stride) {
    if (stride < 1) return false;
    stride_ = stride;
    return true;
}

void ctlPosLogic::Reset() {
    text_.clear();
    value_ = -1;
    majorValue_ = -1;
    majorMaxValue_ = -1;
    if (host_) host_->Show(text_, true);
}

int ctlPosLogic::Validate(std::string_view text, int maxValue) {
    if (text.empty()) return -1;
    // Only the plain decimal form of 0..maxValue passes: no sign, blank or leading zero.
    if (text.size() > 10 || (text.size() > 1 && text.front() == '0')) return -2;
    std::int64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -2;
        n = n * 10 + (c - '0');
    }
    return n <= maxValue ? static_cast<int>(n) : -2;
}

void ctlPosLogic::Edit(std::string_view boxText) {
    const int v = Validate(boxText, maxValue_);
    if (v == -2) {
        Flash();
        // The accepted text is put back as it is: after Modify(0, Value) it need not pass
        // validation itself, and checking it again could never end.
    } else {
        text_.assign(boxText);
        value_ = v;
    }
    if (host_) {
        host_->Show(text_, true);
        host_->Changed(value_);
    }
}

void ctlPosLogic::Modify(int Delta, int Value) {
    if (Delta != 0) {
        Step(Delta);
        return;
    }
    value_ = Value;
    text_ = std::to_string(Value);
    if (host_) host_->Show(text_, false);
}

void ctlPosLogic::Wheel(int direction) {
    if (direction != 0) Modify(direction);
}

bool ctlPosLogic::Key(int virtualKey) {
    switch (virtualKey) {
    case kUp:
    case kRight:
        Modify(+1);
        return true;
    case kDown:
    case kLeft:
        Modify(-1);
        return true;
    case kPageUp:
        Modify(stride_);
        return true;
    case kPageDown:
        Modify(-stride_);
        return true;
    default:
        return false;
    }
}

void ctlPosLogic::Step(int delta) {
    if (text_.empty()) {
        if (delta < 0) {
            Flash();
            return;
        }
        Apply(0, false); // the first step up from an empty box shows 0, whatever the step
        return;
    }
    // 64-bit, so that no stride or value can overflow the sums below.
    std::int64_t n = value_;
    const std::int64_t d = delta;
    const std::int64_t size = d < 0 ? -d : d;
    const std::int64_t m = maxValue_;
    const std::int64_t j = majorValue_;
    const std::int64_t jm = majorMaxValue_;

    if (!raiseOverflow_) {
        if (d < 0) {
            n = n == 0 ? -1 : (n >= size ? n + d : 0);
        } else {
            if (n == m) {
                Flash();
                return;
            }
            n = n + d <= m ? n + d : m;
        }
        Apply(n, false);
        return;
    }

    if (d < 0) {
        if (n == 0 && j == 0) {
            Flash();
            return;
        }
        if (n >= size) {
            n += d;
        } else if (j <= 0) {
            n = 0;
        } else {
            const std::int64_t under = n + d;
            n = kCarryBase - (under < 0 ? -under : under);
            if (host_) host_->Overflowed(-1);
            Apply(n, true);
            return;
        }
    } else {
        if (n == m && j == jm) {
            Flash();
            return;
        }
        if (n + d <= m) {
            n += d;
        } else if (j >= jm) {
            n = m;
        } else {
            n = n + d - kCarryBase;
            if (host_) host_->Overflowed(+1);
            Apply(n, true);
            return;
        }
    }
    Apply(n, false);
}

void ctlPosLogic::Apply(std::int64_t n, bool carried) {
    // A step never leaves the field outside empty or 0..MaxValue. Only a carry or borrow by more
    // than 60 could; the limit is read after the Overflow handler, which may have moved it.
    // A step from a negative value set by Modify(0, Value) empties the box like any other
    // step below 0.
    if (carried && n < 0) n = 0;
    n = std::clamp<std::int64_t>(n, -1, maxValue_);
    value_ = static_cast<int>(n);
    text_ = n < 0 ? std::string() : std::to_string(n);
    if (host_) {
        host_->Show(text_, true);
        host_->Changed(value_);
    }
}

} // namespace kavu
