// Published sheets: north of 60 degrees N and south of 60 degrees S the series was printed with
// neighbouring sheets joined side by side on one paper ("P-37,38"). Every sheet belongs to
// exactly one published sheet; south of row 16, and at 1:10,000 everywhere, that is the sheet
// itself.
//
// By the 1:1,000,000 row: rows 16..19 (60..76 degrees) join pairs, rows 20..21 (76..84 degrees)
// fours, the 1:200,000 sheets threes; every group starts at the first column or part of the
// row (columns 1, 3, 5 … or 1, 5, 9 …; at 1:500,000 and 1:50,000 and 1:25,000 the pairs of the
// parent sheets). A group never crosses 180 degrees; only the four 1:1,000,000 sheets of
// columns 29..32 cross 0 degrees, where the frame runs from a negative West to a positive East.
#pragma once

#include "engine/sheet.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

namespace kavu {

struct PublishedSheet {
    int Count = 0;                   // members, 1..4
    std::array<SheetKey, 4> Members; // west to east; [0, Count) are used
    // The first member in full, then each further one from the first field in which it
    // differs from the one before; a sheet alone is written as FormatSheetNew/Old write it.
    std::string New;   // " 16-37,38", " 20-37-001-1,2,002-1,2"
    std::string Old;   // " P-37,38", " T-37-1-А,Б,2-А,Б"
    SignedFrame Frame; // spans every member; West < East
    bool Joined() const { return Count > 1; }
};

/// The published sheet that holds `key`; nothing for a key IsSheetKey rejects.
std::optional<PublishedSheet> PublishedSheetOf(const SheetKey& key);

/// Room a buffer needs for WritePublishedTexts: the longest text (28 bytes) and the whole-word
/// stores past its end.
inline constexpr std::size_t kPublishedTextRoom = 40;

/// The texts PublishedSheetOf(key) would hold, written into `newOut` and `oldOut`
/// (kPublishedTextRoom bytes each), for the places that write millions of them; returns the
/// member count, 0 for a key IsSheetKey rejects (both sizes then 0).
int WritePublishedTexts(const SheetKey& key, char* newOut, std::size_t& newSize, char* oldOut,
                        std::size_t& oldSize);

} // namespace kavu
