// Readers for what users type or paste: a sheet designation in any common spelling, and a
// point in any common coordinate format. Both are total: any byte string gives either
// readings or an error that says what is wrong and where.
#pragma once

#include "engine/published.h"
#include "engine/sheet.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kavu {

/// Why a text did not read. `Position` is the byte offset of the offending part of the text.
struct ReadError {
    std::size_t Position = 0;
    std::string English; // "column 61 is outside 1–60", "no row letter V in the series"
    std::string Russian; // the same reason in Russian
};

/// One way to understand a designation: a single sheet, or a published (joined) sheet.
struct DesignationReading {
    SheetKey Key;             // the sheet; for a joined name, its first (westernmost) member
    bool Joined = false;      // the text named a published sheet of two or more members
    PublishedSheet Published; // the published sheet named (Joined), or the one holding Key when
                              // asked for (withPublished); else empty (Count 0)
};

/// Every reading of `text`, the one in the window's own notation first; empty readings and a
/// filled `Error` when it fits none.
///
/// The row decides the notation: a number the digit notation (parts by width: 1 digit
/// 1:500,000, 2 digits 1:200,000, 3 digits 1:100,000), a letter (Latin A..U or a Cyrillic
/// look-alike) the lettered one (parts by kind; a number 1..4 also reads as 1:500,000 and two
/// digits 01..36 as 1:200,000). "s" and a blank, or "x"/"X" before a blank, digit or letter,
/// mark the south. Latin A..D are the first four letters (B is 2, not the look-alike of В).
/// Several readings are ordered by how near each spelling is to what the window writes, ties
/// by scale as 1:100,000, 1:500,000, 1:200,000. A joined name reads only as a published sheet.
struct DesignationResult {
    std::vector<DesignationReading> Readings;
    ReadError Error;
    bool Ok() const { return !Readings.empty(); }
};
/// The common forms (the window's digit notation, "N-37-4-В", archive names "n37-004-3") are
/// read on a short path; building the published sheet of a single sheet is left to the caller
/// (PublishedSheetOf) unless `withPublished` asks for it.
DesignationResult ReadDesignation(std::string_view text, bool withPublished = false);

/// A point, or why the text is not one. Latitude comes first unless hemisphere letters say
/// otherwise. A comma is a decimal comma when the text has a ";" or when it has no decimal
/// point and every comma stands between digits ("55,7558 37,6173"); failing that reading, the
/// other is tried. Plain numbers without marks or letters split evenly (2, 4 or 6 of them).
/// Fractions of any length are exact; past the unit, latitude rounds north and longitude west
/// (in signed values), so the sheet of the point stays right at every edge. Longitude may be
/// +180 (the same meridian as -180).
struct PointResult {
    bool Ok = false;
    ExactPoint Point;
    ReadError Error;
};
PointResult ReadPoint(std::string_view text);

namespace detail {
/// The plain form alone, which ReadPoint tries first on the trimmed text: two decimals of 1..3
/// whole digits and at most 11 fractional ones, an optional "-", split by " ", "," or ", "
/// ("-33.9,18.4"). False for any other text, and for a point beyond 90 or 180 degrees.
bool ReadPlainPoint(std::string_view text, ExactPoint& point);
} // namespace detail

/// Rectangular (Gauss–Krüger) coordinates as written on the sheets, in metres: X north of the
/// equator (negative in the south), Y the zone number followed by six digits of metres.
struct RectangularPoint {
    double X = 0;
    double Y = 0;
    int Zone = 0; // read from Y's leading digits, 1..60
};

/// A rectangular pair: "X=6182348 Y=7413188", "x 6182348, y 7413188", "6182348 7413188";
/// with the letters (either case, Latin X Y or Cyrillic Х У, in either order, "=" or ":"
/// optional) digit groups may be split by blanks ("X=6 182 348 Y=7 413 188"). Without letters
/// X comes first. Kilometres with a decimal part ("X=6182.348 Y=7413.188") are told from
/// metres by Y, which has 7 or 8 digits in metres and 4 or 5 in kilometres. `Rectangular` says
/// whether the text is written as such a pair at all (letters, or two plain numbers one of which
/// is over 360, which no degree value is); when it is not, the text is for ReadPoint. Errors: a
/// zone outside 1..60, Y's last six digits outside 166,000..834,000 m (wider than any zone),
/// X beyond 84 degrees.
struct RectangularResult {
    bool Rectangular = false;
    bool Ok = false;
    RectangularPoint Point;
    ReadError Error;
};
RectangularResult ReadRectangular(std::string_view text);

} // namespace kavu
