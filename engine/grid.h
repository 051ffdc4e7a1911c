// The sheets of one scale as cells of a single grid over the whole series, so that finding,
// stepping and joining sheets is integer arithmetic on two numbers instead of a walk through
// the nested parts of a designation. Internal to the engine.
#pragma once

#include "engine/sheet.h"

#include <span>
#include <string>
#include <type_traits>

namespace kavu::detail {

/// Cells of a scale along each side of a 1:1,000,000 sheet: 12 at 1:100,000, twice as many at
/// each larger scale, since each is the quarters of the one before.
constexpr int CellsPerSide(int scale) {
    constexpr int kSide[] = {0, 1, 2, 6, 12, 24, 48, 96};
    return scale >= 1 && scale <= kSheetScaleCount ? kSide[scale] : 0;
}

/// X counts east from 180 degrees W, Y counts south from 84 degrees N, both from 0; one unit
/// is one sheet of the scale.
struct Cell {
    int X = 0;
    int Y = 0;
};

/// Cells of a scale round the whole parallel, and from 84 N to 84 S.
constexpr int CellColumns(int scale) {
    return 60 * CellsPerSide(scale);
}
constexpr int CellRows(int scale) {
    return 42 * CellsPerSide(scale);
}

/// The cell of a key. Uses only the fields its scale has; the caller checks their ranges.
constexpr Cell CellOfKey(const SheetKey& k) {
    const int n = CellsPerSide(k.Scale);
    int ly = 0, lx = 0; // within the 1:1,000,000 sheet, from its north-west corner
    if (k.Scale >= 2 && k.Scale <= 4) {
        ly = (k.SubSheet - 1) / n;
        lx = (k.SubSheet - 1) % n;
    } else if (k.Scale >= 5) {
        int shift = k.Scale - 4;
        ly = (k.SubSheet - 1) / 12 << shift;
        lx = (k.SubSheet - 1) % 12 << shift;
        for (int q : {k.Quarter, k.Quarter25, k.Quarter10}) {
            if (--shift < 0) break;
            ly += (q - 1) / 2 << shift;
            lx += (q - 1) % 2 << shift;
        }
    }
    const int band = k.Hemisphere == 'S' ? k.Row + 20 : 21 - k.Row; // from the north
    return {(k.Column - 1) * n + lx, band * n + ly};
}

/// The key of a cell of `Scale`; the cell must lie on the grid. The scale is a template
/// argument so that every division is by a constant.
template <int Scale> constexpr SheetKey KeyOfCellAt(Cell c) {
    constexpr int n = CellsPerSide(Scale);
    const int band = c.Y / n, ly = c.Y % n;
    const int column = c.X / n, lx = c.X % n;
    SheetKey k;
    k.Scale = Scale;
    k.Hemisphere = band >= 21 ? 'S' : 'N';
    k.Row = band >= 21 ? band - 20 : 21 - band;
    k.Column = column + 1;
    if constexpr (Scale >= 2 && Scale <= 4) {
        k.SubSheet = ly * n + lx + 1;
    } else if constexpr (Scale >= 5) {
        int shift = Scale - 4;
        k.SubSheet = (ly >> shift) * 12 + (lx >> shift) + 1;
        for (int* q : {&k.Quarter, &k.Quarter25, &k.Quarter10}) {
            if (--shift < 0) break;
            *q = (ly >> shift & 1) * 2 + (lx >> shift & 1) + 1;
        }
    }
    return k;
}

/// Calls `f` with the scale (1..7) as a `std::integral_constant`, so that the work it does
/// for the scale divides by constants; any other scale is taken as 7.
template <class F> constexpr auto WithScale(int scale, F f) {
    switch (scale) {
    case 1:
        return f(std::integral_constant<int, 1>{});
    case 2:
        return f(std::integral_constant<int, 2>{});
    case 3:
        return f(std::integral_constant<int, 3>{});
    case 4:
        return f(std::integral_constant<int, 4>{});
    case 5:
        return f(std::integral_constant<int, 5>{});
    case 6:
        return f(std::integral_constant<int, 6>{});
    default:
        return f(std::integral_constant<int, 7>{});
    }
}

/// The signed frame of `count` cells of `scale` side by side from `first` eastwards.
constexpr SignedFrame FrameOfCells(int scale, Cell first, int count = 1) {
    SignedFrame f;
    f.North = kMaxLatitude - first.Y * SheetHeight(scale);
    f.South = f.North - SheetHeight(scale);
    f.West = first.X * SheetWidth(scale) - kMaxLongitude;
    f.East = f.West + count * SheetWidth(scale);
    return f;
}

/// The key of a cell of `scale` (1..7); the cell must lie on the grid.
constexpr SheetKey KeyOfCell(int scale, Cell c) {
    return WithScale(scale, [c](auto s) { return KeyOfCellAt<decltype(s)::value>(c); });
}

} // namespace kavu::detail
