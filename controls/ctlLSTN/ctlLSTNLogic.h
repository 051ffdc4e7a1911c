// What the neighbour panel shows: nine two-line cells, their marks, the edge labels and the
// scale, for one sheet in the new notation and the point whose results are on screen.
#pragma once

#include "engine/neighbours.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavu {

class ctlLSTNLogic {
  public:
    ctlLSTNLogic() { Reset(); }

    /// The point, absolute arc-seconds: X longitude, Y latitude. A negative value is read as
    /// its absolute value.
    std::int32_t X() const { return x_; }
    void setX(std::int32_t value) { x_ = value; }
    std::int32_t Y() const { return y_; }
    void setY(std::int32_t value) { y_ = value; }

    /// Empties every cell and drops every mark; the labels keep their captions.
    void Reset();
    /// Fills the grid for `Number`. A text that is not a new-notation designation leaves the
    /// grid empty, empties the labels and returns false.
    bool Calculate(std::string_view Number);

    /// Cell k (1..9, 1 north-west, 5 the sheet): new notation, CR LF, old notation; only CR LF
    /// for a neighbour that does not exist; empty after Reset.
    const std::string& CellText(int k) const { return text_[Index(k)]; }
    bool Marked(int k) const { return grid_.Cells[Index(k)].Marked; }
    const NeighbourGrid& Grid() const { return grid_; }

    const std::string& North() const { return north_; }
    const std::string& South() const { return south_; }
    const std::string& West() const { return west_; }
    const std::string& East() const { return east_; }
    const std::string& Scale() const { return scale_; }

  private:
    static std::size_t Index(int k) { return k >= 1 && k <= 9 ? static_cast<std::size_t>(k) : 0; }

    std::int32_t x_ = 0, y_ = 0;
    NeighbourGrid grid_;
    std::array<std::string, 10> text_; // index 0 stays empty
    // Design-time placeholders; Calculate replaces them before the panel is seen.
    std::string north_ = "NE Y1 Y1'", south_ = "NE Y2 Y2'";
    std::string west_ = "EW  X1 X1'", east_ = "EW X2 X2'";
    std::string scale_ = "Scale";
};

} // namespace kavu
