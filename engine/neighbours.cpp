#include "engine/neighbours.h"

#include "engine/grid.h"

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

// Defined for keys IsSheetKey accepts: the cell `dy` rows south and `dx` columns east, the
// columns wrapping at 180 degrees; nothing past 84 degrees.
std::optional<SheetKey> Step(const SheetKey& key, int dx, int dy) {
    if (!IsSheetKey(key)) return std::nullopt;
    detail::Cell c = detail::CellOfKey(key);
    const int columns = detail::CellColumns(key.Scale);
    c.X = (c.X + dx + columns) % columns;
    c.Y += dy;
    if (c.Y < 0 || c.Y >= detail::CellRows(key.Scale)) return std::nullopt;
    return detail::KeyOfCell(key.Scale, c);
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
    // Then up to three quarters, one digit each: 1:50,000, 1:25,000, 1:10,000.
    if (width != 3) return std::nullopt;
    for (int* q : {&k.Quarter, &k.Quarter25, &k.Quarter10}) {
        if (pos == text.size()) break;
        if (!Expect(text, pos, '-')) return std::nullopt;
        *q = ReadDigits(text, pos, width);
        if (width != 1 || *q < 1 || *q > 4) return std::nullopt;
        ++k.Scale;
    }
    if (pos != text.size()) return std::nullopt;
    return k;
}

SheetKey StepWest(const SheetKey& key) {
    return Step(key, -1, 0).value_or(key);
}
SheetKey StepEast(const SheetKey& key) {
    return Step(key, 1, 0).value_or(key);
}
std::optional<SheetKey> StepNorth(const SheetKey& key) {
    return Step(key, 0, -1);
}
std::optional<SheetKey> StepSouth(const SheetKey& key) {
    return Step(key, 0, 1);
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
