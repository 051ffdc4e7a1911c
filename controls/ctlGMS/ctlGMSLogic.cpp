#include "controls/ctlGMS/ctlGMSLogic.h"

#include "engine/sheet.h"

namespace kavu {

void ctlGMSLogic::setShowMinute(bool on) {
    showMinute_ = on;
    if (!on) setShowSecond(false);
}

void ctlGMSLogic::setShowSecond(bool on) {
    showSecond_ = on && showMinute_;
}

std::string ctlGMSLogic::Text(std::string_view NSEW, std::int32_t seconds) const {
    return FormatAngle(NSEW, seconds, showMinute_, showSecond_);
}

} // namespace kavu
