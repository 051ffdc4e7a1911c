// The hemisphere switch without its widget: a letter pair chosen by View and a position in it.
#pragma once

#include <string_view>

namespace kavu {

class ctlNSEWLogic {
  public:
    /// The letter at (view, position): view 0 is "N"/"S", view 1 is "E"/"W"; position 0 is the
    /// first letter of the pair. Empty for any other view or position.
    static std::string_view Letter(int view, int position);

    int View() const { return view_; }
    /// Accepts 0 and 1 only; any other value leaves the view as it was and returns false.
    bool setView(int view);

    int Position() const { return position_; }
    /// Accepts 0 and 1 only. Returns true when the position actually changed.
    bool setPosition(int position);

    /// The letter now shown.
    std::string_view Letter() const { return Letter(view_, position_); }

  private:
    int view_ = 0;
    int position_ = 0;
};

} // namespace kavu
