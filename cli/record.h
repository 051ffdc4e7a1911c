// What every output format of kavu-sheet writes: one answer about one sheet, and the shape of
// the answers of each subcommand.
#pragma once

#include "engine/sheet.h"

#include <cstddef>
#include <string_view>

namespace kavu::cli {

enum class Command { Point, Frame, Around, Rescale, Cover };

/// One answer. The texts are views into storage the subcommand keeps alive until the writer
/// has written the record.
struct SheetRecord {
    std::size_t Line = 0;   // 1-based line of standard input; 0 for an answer to arguments
    std::string_view Input; // the text answered

    // point: the point as read (the run's datum), the same point in the series datum (where
    // its sheet is decided), and the junction flags of the sheet holding it
    ExactPoint Given;
    ExactPoint Point;
    bool LatitudeJunction = false;
    bool LongitudeJunction = false;

    // around: the cell, 1 NW, 2 N, 3 NE, 4 W, 5 the sheet itself, 6 E, 7 SW, 8 S, 9 SE, and
    // whether the series has a sheet there (none beyond 84 degrees)
    int Cell = 0;
    bool Present = true;

    // the sheet, or the published sheet when Joined
    int Scale = 0;
    std::string_view New, Old; // designations, without the leading blank of a northern one
    bool Joined = false;
    std::string_view PublishedNew, PublishedOld; // the joined sheet holding it; empty if none
    SignedFrame Frame;
};

/// Which groups of fields a subcommand's records carry; the writers lay out their columns
/// from it, so the columns of a subcommand never change from one record to the next.
struct RecordShape {
    bool Input = true; // line and input
    bool Point = false;
    bool Cell = false;
    bool Frame = true;
};

constexpr RecordShape ShapeOf(Command command) {
    switch (command) {
    case Command::Point:
        return {true, true, false, false};
    case Command::Around:
        return {true, false, true, true};
    case Command::Cover:
        return {false, false, false, true};
    default:
        return {};
    }
}

/// Short names of the around cells: "NW", "N", "NE", "W", "C", "E", "SW", "S", "SE".
std::string_view CellName(int cell);

/// Where the records go. A writer that keeps line numbers aligned also writes an empty record
/// for an input line that did not read.
class RecordSink {
  public:
    virtual ~RecordSink() = default;
    virtual void Write(const SheetRecord& record) = 0;
    virtual void WriteEmpty(std::size_t line, std::string_view input, std::string_view reason) = 0;
};

} // namespace kavu::cli
