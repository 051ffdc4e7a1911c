// The sheet result field without its widget: which sheet of its scale holds a point, in which
// notation, and whether the point lies on a junction of that scale's sheets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavu {

struct ExactPoint;
struct PointSheet;

/// What the field shows after a calculation.
struct ctlLstShown {
    std::string Text;
    bool RedText = false;    // the point lies on a parallel that bounds sheets of the scale
    bool YellowBack = false; // it lies on a bounding meridian
    friend bool operator==(const ctlLstShown&, const ctlLstShown&) = default;
};

class ctlLstLogic {
  public:
    /// 1 = new notation; any other value = old notation.
    int Standard() const { return standard_; }
    void setStandard(int standard) { standard_ = standard; }
    /// Scale index 1..5 of the sheets shown.
    int Caliber() const { return caliber_; }
    void setCaliber(int caliber) { caliber_ = caliber; }

    /// The sheet of scale Caliber that holds the point (absolute arc-seconds, letters "N"/"S"
    /// and "W"/"E"). Nothing when no sheet holds it: a point off the grid, a negative angle,
    /// or a Caliber outside 1..5.
    std::optional<ctlLstShown> Calculate(std::string_view NS, std::int32_t Latitude,
                                         std::string_view EW, std::int32_t Longitude) const;
    /// The same for a point given finer than a second, as a pasted one is.
    std::optional<ctlLstShown> Calculate(const ExactPoint& point) const;

  private:
    std::optional<ctlLstShown> Show(const std::optional<PointSheet>& sheet) const;

    int standard_ = 1;
    int caliber_ = 1;
};

} // namespace kavu
