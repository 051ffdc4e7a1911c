// Sheets of the series: the key that names one, its designation in the two notations, its
// frame (edges and centre), the sheet that holds a point, and the text of an angle.
//
// Angles are absolute arc-seconds in 32-bit integers; the hemisphere travels as a letter.
#pragma once

#include "engine/tables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kavu {

/// Numeric designation of one sheet at one scale.
///   Scale      1..7 (`ScaleIndex`)
///   Hemisphere 'S' is southern, any other letter northern
///   Row        1..21, the 4-degree belt counted from the equator
///   Column     1..60, the 6-degree column counted east from 180 degrees W
///   SubSheet   part of the 1:1,000,000 sheet, numbered row by row from its north-west corner:
///              1..4 at scale 2, 1..36 at scale 3, 1..144 at scales 4..7; 0 at scale 1
///   Quarter    quarter of the 1:100,000 sheet at scales 5..7 (1 NW, 2 NE, 3 SW, 4 SE); else 0
///   Quarter25  quarter of the 1:50,000 sheet at scales 6..7 (1 NW … 4 SE); else 0
///   Quarter10  quarter of the 1:25,000 sheet at scale 7 (1 NW … 4 SE); else 0
struct SheetKey {
    int Scale = 1;
    char Hemisphere = 'N';
    int Row = 1;
    int Column = 1;
    int SubSheet = 0;
    int Quarter = 0;
    int Quarter25 = 0;
    int Quarter10 = 0;
    friend bool operator==(const SheetKey&, const SheetKey&) = default;
};

/// A point given finer than a whole second, as the readers give it: signed latitude (north
/// positive) and longitude (east positive) in units of 1e-9 arc-second, so that every edge of
/// every scale is a whole number of units and decimal input of ordinary precision is exact.
inline constexpr std::int64_t kUnitsPerSecond = 1'000'000'000;
struct ExactPoint {
    std::int64_t Latitude = 0;
    std::int64_t Longitude = 0;
    friend bool operator==(const ExactPoint&, const ExactPoint&) = default;
};

/// A frame in signed arc-seconds (north and east positive). West < East always; a published
/// sheet that spans 0 degrees has a negative West and a positive East.
struct SignedFrame {
    std::int32_t North = 0, South = 0, West = 0, East = 0;
    friend bool operator==(const SignedFrame&, const SignedFrame&) = default;
};

/// True when `key` names a sheet of the series: every field the scale uses lies in its range
/// and the quarters it does not use are 0 (Quarter at scales 2..4, Quarter25 at 2..5,
/// Quarter10 at 2..6). Scale 1 ignores every field after the column.
bool IsSheetKey(const SheetKey& key);

/// Edges and centre of a sheet, absolute arc-seconds. (Y1, X1) is always the north-west corner
/// and (Y2, X2) the south-east one; the latitude letter is the key's hemisphere, the longitude
/// letter is `EW`: 'W' for columns 1..30, 'E' for 31..60. The centre of a 1:10,000 sheet lies
/// half a second off the whole seconds in longitude; X0 is then the whole second west of it.
struct SheetFrame {
    std::int32_t Y0 = 0, X0 = 0; // centre
    std::int32_t Y1 = 0, X1 = 0; // north-west corner
    std::int32_t Y2 = 0, X2 = 0; // south-east corner
    char EW = 'E';
    friend bool operator==(const SheetFrame&, const SheetFrame&) = default;
};

/// New notation, all digits: " 14-37-004-3", "s 9-34-13", " 14-37-004-3-1-2". A northern text
/// begins with a blank, a southern one with "s" and a blank. Scale 1, or SubSheet 0 at any
/// scale, writes the 1:1,000,000 designation; at scale 5 a Quarter of 0 writes the 1:100,000
/// one. Returns the empty text when Scale is outside 1..7, Row outside 1..21, Column outside
/// 1..60, a non-zero SubSheet beyond the scale's part count, at scales 4..5 a quarter outside
/// 0..4, at scales 6..7 a quarter of the scale outside 1..4 (not a sheet: never the text of a
/// smaller one), or a non-zero quarter finer than the scale (it would read back as another
/// sheet, e.g. a Quarter at scale 4 as a 1:50,000 sheet).
std::string FormatSheetNew(const SheetKey& key);

/// Old notation, with letters: " N-37-4-В", "s I-34-XIII", " N-37-4-В-а-2" (the 1:25,000
/// quarter in small Cyrillic letters а..г). Same accepted keys and the same empty result for
/// the others as FormatSheetNew.
std::string FormatSheetOld(const SheetKey& key);

/// Frame of the sheet. Returns nothing when Scale is outside 1..7, Row outside 1..21, Column
/// outside 1..60, SubSheet outside the scale's parts at scales 2..7, or a quarter of the scale
/// outside 1..4. Quarters finer than the scale are ignored, and SubSheet at scale 1.
std::optional<SheetFrame> ComputeSheetFrame(const SheetKey& key);

/// The sheet of `scale` that holds a point, and whether the point lies on a parallel
/// (`LatitudeJunction`) or a meridian (`LongitudeJunction`) that bounds sheets of that scale.
struct PointSheet {
    SheetKey Key;
    bool LatitudeJunction = false;
    bool LongitudeJunction = false;
};

/// `NS` exactly "N" is northern, any other text southern; `EW` exactly "W" is western, any
/// other text eastern. A point on a bounding parallel belongs to the sheet south of it, on a
/// bounding meridian to the sheet east of it; the equator belongs to the southern row 1.
/// Returns nothing for a scale outside 1..7, a negative angle, or a point off the grid:
/// latitude above 84 degrees N or at/above 84 degrees S, longitude above 180 degrees W or
/// at/above 180 degrees E (no sheet exists there).
std::optional<PointSheet> SheetOfPoint(std::string_view NS, std::int32_t Latitude,
                                       std::string_view EW, std::int32_t Longitude, int scale);

/// "N 55° 45'", "E 37° 37' 30\"": the letter, a blank, the degrees, then the minutes when
/// `ShowMinute` is set or they are not 0, then the seconds when `ShowSecond` is set or they are
/// not 0; groups are separated by one blank, two-digit minutes and seconds. The letter is
/// copied unchanged (an empty one still leaves the blank). UTF-8; the degree sign is U+00B0.
/// Returns the empty text for a negative angle.
std::string FormatAngle(std::string_view letter, std::int32_t seconds, bool ShowMinute,
                        bool ShowSecond);

/// Letter of a hemisphere as a one-character text, for FormatAngle and the windows.
constexpr std::string_view LetterText(char letter) {
    switch (letter) {
    case 'N':
        return "N";
    case 'S':
        return "S";
    case 'E':
        return "E";
    case 'W':
        return "W";
    default:
        return "";
    }
}

} // namespace kavu

namespace kavu {

/// The sheet of `scale` (1..7) that holds an exact point, by the same edge rule as
/// SheetOfPoint (a point on a parallel belongs to the sheet south of it, on a meridian to the
/// sheet east of it, the equator to the southern row); longitude +180 degrees is -180 (column
/// 1). For every whole-second point it agrees with SheetOfPoint. Nothing for a scale outside
/// 1..7, latitude above 84 N or at/below 84 S, or longitude outside [-180, +180].
std::optional<PointSheet> SheetOfExactPoint(const ExactPoint& point, int scale);

/// The frame of a sheet in signed arc-seconds; nothing for a key IsSheetKey rejects.
std::optional<SignedFrame> ComputeSignedFrame(const SheetKey& key);

} // namespace kavu
