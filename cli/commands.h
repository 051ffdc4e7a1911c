// What each subcommand answers for one input (an argument or a line of standard input): the
// records it writes, or the reason the input gives none. Nothing here reads options or
// streams; the readers of the engine read every point and designation.
#pragma once

#include "cli/coordinates.h"
#include "cli/record.h"
#include "engine/readers.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kavu::cli {

/// Why an input gives no answer; `Position` is the byte of the input it concerns, if any.
struct Problem {
    static constexpr std::size_t kNowhere = static_cast<std::size_t>(-1);
    std::string Reason;
    std::size_t Position = kNowhere;
};

struct Query {
    Command Kind = Command::Point;
    std::vector<int> Scales; // point, cover: the scales asked; frame, around: the reading picked
                             // (none: the name must have one); rescale: the target
    int From = 0;            // rescale: the scale of the reading of NAME (0: it must have one)
    bool Published = false;  // cover: published sheets instead of sheets
    bool PointFrames = true; // point: records carry the frame of the sheet
    Datum Coordinates;       // where points enter and frames leave
    /// A rectangular pair (X Y, on the 1942 datum by definition) to the series' degrees; unset:
    /// such pairs are not read. False and `reason` set when it cannot be converted.
    std::function<bool(const RectangularPoint&, ExactPoint&, std::string& reason)> FromGrid;
};

/// Answers `text` for point, frame, around or rescale. Writes every record of the answer to
/// `sink`, or none and fills `problem`.
bool Answer(const Query& query, std::string_view text, std::size_t line, RecordSink& sink,
            Problem& problem);
/// The same in `record`, which a caller answering many lines keeps from one to the next: a
/// fresh record costs about as much as reading a plain point.
bool Answer(const Query& query, std::string_view text, std::size_t line, SheetRecord& record,
            RecordSink& sink, Problem& problem);

/// An area read like a sheet: latitudes in (South, North], longitudes in [West, East) in units
/// of 1e-9 arc-second; West > East runs east across 180 degrees.
struct Area {
    std::int64_t South = 0, North = 0, West = 0, East = 0;
};

/// Reads "SOUTH,WEST,NORTH,EAST" (each corner as the point reader takes it). False and `error`
/// set for a malformed box: not four parts, a corner that does not read, SOUTH not below NORTH,
/// or WEST and EAST the same meridian.
bool ReadBox(std::string_view text, const Datum& datum, Area& area, std::string& error);

/// Every sheet of `scale` that meets `area` (or every published sheet, once each), north to
/// south and west to east within a row. `base` gives the line and input of the records.
void Cover(const Area& area, int scale, bool published, const SheetRecord& base, RecordSink& sink);

} // namespace kavu::cli
