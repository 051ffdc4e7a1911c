#include "engine/published.h"

#include "engine/grid.h"

#include <span>

namespace kavu {
namespace {

// Sheets side by side on one paper, by the 1:1,000,000 row: pairs in 60-76 degrees, fours (the
// 1:200,000 sheets threes) in 76-84 degrees, at every scale but 1:10,000. Counted in cells,
// every group starts at a multiple of its size from 180 degrees W, and the cells of every scale
// round the parallel are a multiple of 2, 3 and 4: no group crosses 180 degrees.
int GroupSize(const SheetKey& k) {
    if (k.Scale == 7 || k.Row < 16) return 1;
    if (k.Row <= 19) return 2;
    return k.Scale == 3 ? 3 : 4;
}

} // namespace

std::optional<PublishedSheet> PublishedSheetOf(const SheetKey& key) {
    if (!IsSheetKey(key)) return std::nullopt;
    PublishedSheet p;
    p.Count = GroupSize(key);
    const detail::Cell c = detail::CellOfKey(key);
    const detail::Cell first{c.X - c.X % p.Count, c.Y};
    for (int i = 0; i < p.Count; ++i)
        p.Members[static_cast<std::size_t>(i)] = detail::KeyOfCell(key.Scale, {first.X + i, c.Y});
    const std::span<const SheetKey> members(p.Members.data(), static_cast<std::size_t>(p.Count));
    p.New = detail::FormatMembers(members, false);
    p.Old = detail::FormatMembers(members, true);
    p.Frame = detail::FrameOfCells(key.Scale, first, p.Count);
    return p;
}

} // namespace kavu
