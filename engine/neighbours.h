// The 3 x 3 block of sheets around one sheet, as the neighbour panel shows it.
#pragma once

#include "engine/sheet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavu {

/// Reads a designation in the new notation back into its key. Accepts exactly the texts that
/// FormatSheetNew writes for a valid key: an optional "s" mark, one blank, the row 1..21 and
/// the column 1..60 without leading zeros, then optionally the part as one digit 1..4
/// (1:500,000), two digits 01..36 (1:200,000) or three digits 001..144 (1:100,000), the last
/// optionally followed by up to three quarters 1..4 (1:50,000, 1:25,000, 1:10,000), each after
/// a "-". Anything else yields nothing.
std::optional<SheetKey> ParseSheetNew(std::string_view text);

/// The sheet of the same scale across the west or east edge; the 180-degree meridian wraps.
/// Defined for keys that IsSheetKey accepts; any other key comes back unchanged.
SheetKey StepWest(const SheetKey& key);
SheetKey StepEast(const SheetKey& key);
/// The sheet across the north or south edge; nothing beyond 84 degrees, and across the equator
/// the hemisphere changes. Nothing either for a key that IsSheetKey rejects.
std::optional<SheetKey> StepNorth(const SheetKey& key);
std::optional<SheetKey> StepSouth(const SheetKey& key);

/// Cells are numbered row by row from the north-west: 1 NW, 2 N, 3 NE, 4 W, 5 the sheet,
/// 6 E, 7 SW, 8 S, 9 SE.
struct NeighbourCell {
    bool Present = false;
    bool Marked = false; // the point lies on the edge or corner this cell shares with cell 5
    SheetKey Key;
    std::string New; // new notation, empty when absent
    std::string Old; // old notation, empty when absent
};

struct NeighbourGrid {
    bool Valid = false; // false when the text was not a new-notation designation
    SheetKey Key;
    SheetFrame Frame;
    std::array<NeighbourCell, 10> Cells; // 1..9; index 0 is unused
    // Edge labels: north and south with the key's hemisphere, west and east with the frame's EW.
    std::string NorthEdge, SouthEdge, WestEdge, EastEdge;

    const NeighbourCell& Cell(int i) const { return Cells[static_cast<std::size_t>(i)]; }
};

/// The block around the sheet `Number` (new notation) and the marks for the point (`X`
/// longitude, `Y` latitude, absolute arc-seconds). A text ParseSheetNew rejects gives a grid
/// with Valid false, no cell present and no mark.
NeighbourGrid ComputeNeighbours(std::string_view Number, std::int32_t X, std::int32_t Y);

} // namespace kavu
