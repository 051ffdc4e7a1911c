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
    PublishedSheet Published; // the published sheet named (Joined) or the one holding Key
};

/// Every reading of `text`, the one in the window's own notation first; empty readings and a
/// filled `Error` when it fits none.
struct DesignationResult {
    std::vector<DesignationReading> Readings;
    ReadError Error;
    bool Ok() const { return !Readings.empty(); }
};
DesignationResult ReadDesignation(std::string_view text);

/// A point, or why the text is not one.
struct PointResult {
    bool Ok = false;
    ExactPoint Point;
    ReadError Error;
};
PointResult ReadPoint(std::string_view text);

} // namespace kavu
