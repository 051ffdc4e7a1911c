// The answers of the archive subcommands: one row a file or a sheet, the same columns in every
// row, and the frame it covers; written as text, CSV, JSON Lines or GeoJSON here, and as a GIS
// layer by the module (cli/archive_gis.h).
#pragma once

#include "engine/sheet.h"

#include <optional>
#include <string>
#include <vector>

namespace kavu::cli {

class Output;

struct Column {
    enum Kind { Text, Number, Flag };
    std::string Name;
    Kind Type = Text;
};

struct Row {
    std::vector<std::string> Values; // one a column; a Flag is "true" or "false", a Number its
                                     // decimal text, an empty Number is null
    std::optional<SignedFrame> Frame;
    std::string Line; // the row for people (text format)
};

struct Table {
    std::vector<Column> Columns;
    std::vector<Row> Rows;
};

/// Rows written one at a time as they come: "text", "csv", "json" (JSON Lines) or "geojson" (a
/// FeatureCollection of the frames in the 1942 datum, rows without a frame with a null
/// geometry). The columns are written (CSV header) at once, the end (GeoJSON) by End().
class TableWriter {
  public:
    TableWriter(const std::vector<Column>& columns, const std::string& format, Output& out);
    void Write(const Row& row);
    void End();

  private:
    const std::vector<Column>& columns_;
    std::string format_;
    Output& out_;
    std::string line_;
    bool first_ = true;
};

void WriteTable(const Table& table, const std::string& format, Output& out);

/// The frame's edges in degrees, as the other subcommands write them.
void AppendFrameValues(Row& row, const std::optional<SignedFrame>& frame);

} // namespace kavu::cli
