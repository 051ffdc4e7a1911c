// Published sheets: north of 60 degrees N and south of 60 degrees S the series was printed with
// neighbouring sheets joined side by side on one paper ("P-37,38"). Every sheet belongs to
// exactly one published sheet; south of row 16, and at 1:10,000 everywhere, that is the sheet
// itself.
#pragma once

#include "engine/sheet.h"

#include <array>
#include <optional>
#include <string>

namespace kavu {

struct PublishedSheet {
    int Count = 0;                   // members, 1..4
    std::array<SheetKey, 4> Members; // west to east; [0, Count) are used
    std::string New;                 // " 16-37,38", " 20-37-001-1,2,002-1,2"
    std::string Old;                 // " P-37,38", " T-37-1-А,Б,2-А,Б"
    SignedFrame Frame;               // spans every member; West < East
    bool Joined() const { return Count > 1; }
};

/// The published sheet that holds `key`; nothing for a key IsSheetKey rejects.
std::optional<PublishedSheet> PublishedSheetOf(const SheetKey& key);

} // namespace kavu
