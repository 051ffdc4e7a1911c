#include "controls/ctlLSTN/ctlLSTNLogic.h"

#include "engine/tables.h"

#include <limits>

namespace kavu {

namespace {

std::int32_t Magnitude(std::int32_t v) {
    if (v == std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::max();
    return v < 0 ? -v : v;
}

} // namespace

void ctlLSTNLogic::Reset() {
    grid_ = NeighbourGrid{};
    for (std::string& t : text_)
        t.clear();
}

bool ctlLSTNLogic::Calculate(std::string_view Number) {
    Reset();
    const NeighbourGrid grid = ComputeNeighbours(Number, Magnitude(x_), Magnitude(y_));
    if (!grid.Valid) {
        // Old edges around an empty grid would describe a sheet that is not shown.
        north_.clear();
        south_.clear();
        west_.clear();
        east_.clear();
        scale_.clear();
        return false;
    }
    grid_ = grid;
    north_ = grid.NorthEdge;
    south_ = grid.SouthEdge;
    west_ = grid.WestEdge;
    east_ = grid.EastEdge;
    scale_ = std::string(ScaleName(grid.Key.Scale));
    for (int k = 1; k <= 9; ++k) {
        const NeighbourCell& c = grid.Cell(k);
        text_[Index(k)] = c.New + "\r\n" + c.Old;
    }
    return true;
}

} // namespace kavu
