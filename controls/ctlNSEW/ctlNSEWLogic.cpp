#include "controls/ctlNSEW/ctlNSEWLogic.h"

#include <array>

namespace kavu {

namespace {
constexpr std::array<std::array<std::string_view, 2>, 2> kLetters{{{"N", "S"}, {"E", "W"}}};
constexpr bool IsBinary(int v) {
    return v == 0 || v == 1;
}
} // namespace

std::string_view ctlNSEWLogic::Letter(int view, int position) {
    if (!IsBinary(view) || !IsBinary(position)) return {};
    return kLetters[static_cast<std::size_t>(view)][static_cast<std::size_t>(position)];
}

bool ctlNSEWLogic::setView(int view) {
    if (!IsBinary(view)) return false;
    view_ = view;
    return true;
}

bool ctlNSEWLogic::setPosition(int position) {
    if (!IsBinary(position) || position == position_) return false;
    position_ = position;
    return true;
}

} // namespace kavu
