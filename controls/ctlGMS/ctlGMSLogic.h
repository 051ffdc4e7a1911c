// The angle display without its widget: the two display flags and the text of an angle.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavu {

class ctlGMSLogic {
  public:
    bool ShowMinute() const { return showMinute_; }
    /// Turning the minutes off turns the seconds off as well.
    void setShowMinute(bool on);

    bool ShowSecond() const { return showSecond_; }
    /// Seconds can only be forced while the minutes are: the flag stays off while ShowMinute is.
    void setShowSecond(bool on);

    /// The text the box shows for an angle: FormatAngle with the two flags. Any letter is copied
    /// as given; a negative angle gives the empty text.
    std::string Text(std::string_view NSEW, std::int32_t seconds) const;

  private:
    bool showMinute_ = false;
    bool showSecond_ = false;
};

} // namespace kavu
