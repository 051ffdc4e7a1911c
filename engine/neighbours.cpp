#include "engine/neighbours.h"

namespace kavu {
namespace {

// Reads a run of decimal digits; `width` is the number of digits read (0 when none).
int ReadDigits(std::string_view text, std::size_t& pos, int& width) {
    int value = 0;
    width = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && width < 4) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++width;
    }
    return value;
}

// A plain number as the new notation writes row and column: no leading zero.
bool ReadPlain(std::string_view text, std::size_t& pos, int lo, int hi, int& out) {
    const std::size_t start = pos;
    int width = 0;
    out = ReadDigits(text, pos, width);
    if (width == 0 || width > 2 || text[start] == '0') return false;
    return out >= lo && out <= hi;
}

bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

void ColumnWest(SheetKey& k) {
    k.Column = k.Column == 1 ? 60 : k.Column - 1;
}
void ColumnEast(SheetKey& k) {
    k.Column = k.Column == 60 ? 1 : k.Column + 1;
}

void SetGlobalRow(SheetKey& k, int g) {
    if (g > 21) {
        k.Hemisphere = 'N';
        k.Row = g - 21;
    } else {
        k.Hemisphere = 'S';
        k.Row = 22 - g;
    }
}

bool RowNorth(SheetKey& k) {
    const int g = GlobalRow(k.Hemisphere, k.Row);
    if (g == 42) return false;
    SetGlobalRow(k, g + 1);
    return true;
}

bool RowSouth(SheetKey& k) {
    const int g = GlobalRow(k.Hemisphere, k.Row);
    if (g == 1) return false;
    SetGlobalRow(k, g - 1);
    return true;
}

// Parts per row of the 1:1,000,000 sheet at scales 2..4.
int PerRow(int scale) {
    return scale == 2 ? 2 : scale == 3 ? 6 : 12;
}

void PartWest(SheetKey& k, int perRow) {
    if ((k.SubSheet - 1) % perRow == 0) {
        k.SubSheet += perRow - 1;
        ColumnWest(k);
    } else {
        --k.SubSheet;
    }
}

void PartEast(SheetKey& k, int perRow) {
    if (k.SubSheet % perRow == 0) {
        k.SubSheet -= perRow - 1;
        ColumnEast(k);
    } else {
        ++k.SubSheet;
    }
}

bool PartNorth(SheetKey& k, int perRow) {
    if (k.SubSheet <= perRow) {
        SheetKey moved = k;
        moved.SubSheet += perRow * (perRow - 1);
        if (!RowNorth(moved)) return false;
        k = moved;
    } else {
        k.SubSheet -= perRow;
    }
    return true;
}

bool PartSouth(SheetKey& k, int perRow) {
    if (k.SubSheet > perRow * (perRow - 1)) {
        SheetKey moved = k;
        moved.SubSheet -= perRow * (perRow - 1);
        if (!RowSouth(moved)) return false;
        k = moved;
    } else {
        k.SubSheet += perRow;
    }
    return true;
}

} // namespace

std::optional<SheetKey> ParseSheetNew(std::string_view text) {
    SheetKey k;
    std::size_t pos = 0;
    if (!text.empty() && text[0] == 's') {
        k.Hemisphere = 'S';
        pos = 1;
    }
    if (!Expect(text, pos, ' ')) return std::nullopt;
    if (!ReadPlain(text, pos, 1, 21, k.Row) || !Expect(text, pos, '-')) return std::nullopt;
    if (!ReadPlain(text, pos, 1, 60, k.Column)) return std::nullopt;
    if (pos == text.size()) {
        k.Scale = 1;
        return k;
    }
    if (!Expect(text, pos, '-')) return std::nullopt;
    int width = 0;
    k.SubSheet = ReadDigits(text, pos, width);
    if (width < 1 || width > 3) return std::nullopt;
    k.Scale = width + 1;
    if (k.SubSheet < 1 || k.SubSheet > PartCount(k.Scale)) return std::nullopt;
    if (pos == text.size()) return k;
    if (width != 3 || !Expect(text, pos, '-')) return std::nullopt;
    k.Quarter = ReadDigits(text, pos, width);
    if (width != 1 || k.Quarter < 1 || k.Quarter > 4 || pos != text.size()) return std::nullopt;
    k.Scale = 5;
    return k;
}

SheetKey StepWest(const SheetKey& key) {
    if (!IsSheetKey(key)) return key;
    SheetKey k = key;
    if (k.Scale == 1) {
        ColumnWest(k);
    } else if (k.Scale == 5) {
        if (k.Quarter == 1 || k.Quarter == 3) {
            ++k.Quarter;
            PartWest(k, 12);
        } else {
            --k.Quarter;
        }
    } else {
        PartWest(k, PerRow(k.Scale));
    }
    return k;
}

SheetKey StepEast(const SheetKey& key) {
    if (!IsSheetKey(key)) return key;
    SheetKey k = key;
    if (k.Scale == 1) {
        ColumnEast(k);
    } else if (k.Scale == 5) {
        if (k.Quarter == 2 || k.Quarter == 4) {
            --k.Quarter;
            PartEast(k, 12);
        } else {
            ++k.Quarter;
        }
    } else {
        PartEast(k, PerRow(k.Scale));
    }
    return k;
}

std::optional<SheetKey> StepNorth(const SheetKey& key) {
    if (!IsSheetKey(key)) return std::nullopt;
    SheetKey k = key;
    if (k.Scale == 1) {
        if (!RowNorth(k)) return std::nullopt;
    } else if (k.Scale == 5) {
        if (k.Quarter <= 2) {
            k.Quarter += 2;
            if (!PartNorth(k, 12)) return std::nullopt;
        } else {
            k.Quarter -= 2;
        }
    } else if (!PartNorth(k, PerRow(k.Scale))) {
        return std::nullopt;
    }
    return k;
}

std::optional<SheetKey> StepSouth(const SheetKey& key) {
    if (!IsSheetKey(key)) return std::nullopt;
    SheetKey k = key;
    if (k.Scale == 1) {
        if (!RowSouth(k)) return std::nullopt;
    } else if (k.Scale == 5) {
        if (k.Quarter >= 3) {
            k.Quarter -= 2;
            if (!PartSouth(k, 12)) return std::nullopt;
        } else {
            k.Quarter += 2;
        }
    } else if (!PartSouth(k, PerRow(k.Scale))) {
        return std::nullopt;
    }
    return k;
}

NeighbourGrid ComputeNeighbours(std::string_view Number, std::int32_t X, std::int32_t Y) {
    NeighbourGrid g;
    const std::optional<SheetKey> key = ParseSheetNew(Number);
    if (!key) return g;
    const std::optional<SheetFrame> frame = ComputeSheetFrame(*key);
    if (!frame) return g;
    g.Valid = true;
    g.Key = *key;
    g.Frame = *frame;

    auto place = [&g](int cell, const SheetKey& k) {
        NeighbourCell& c = g.Cells[static_cast<std::size_t>(cell)];
        c.Present = true;
        c.Key = k;
        c.New = FormatSheetNew(k);
        c.Old = FormatSheetOld(k);
    };
    place(5, *key);
    place(4, StepWest(*key));
    place(6, StepEast(*key));
    if (const auto n = StepNorth(*key)) {
        place(2, *n);
        place(1, StepWest(*n));
        place(3, StepEast(*n));
    }
    if (const auto s = StepSouth(*key)) {
        place(8, *s);
        place(7, StepWest(*s));
        place(9, StepEast(*s));
    }

    const std::int32_t h = SheetHeight(key->Scale);
    const std::int32_t w = SheetWidth(key->Scale);
    const SheetFrame& f = g.Frame;
    auto mark = [&g](int cell, bool on) { g.Cells[static_cast<std::size_t>(cell)].Marked = on; };
    mark(5, Y % h == 0 || X % w == 0);
    mark(2, Y == f.Y1);
    mark(8, Y == f.Y2);
    mark(4, X == f.X1);
    mark(6, X == f.X2);
    mark(1, Y == f.Y1 && X == f.X1);
    mark(3, Y == f.Y1 && X == f.X2);
    mark(7, Y == f.Y2 && X == f.X1);
    mark(9, Y == f.Y2 && X == f.X2);

    const std::string_view ns = LetterText(key->Hemisphere == 'S' ? 'S' : 'N');
    const std::string_view ew = LetterText(f.EW);
    g.NorthEdge = FormatAngle(ns, f.Y1, true, false);
    g.SouthEdge = FormatAngle(ns, f.Y2, true, false);
    g.WestEdge = FormatAngle(ew, f.X1, true, false);
    g.EastEdge = FormatAngle(ew, f.X2, true, false);
    return g;
}

} // namespace kavu
