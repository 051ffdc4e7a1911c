// The output formats of kavu-sheet. Each writer lays out the records of one subcommand with
// the columns of its shape, and appends to the one output buffer.
#pragma once

#include "cli/coordinates.h"
#include "cli/output.h"
#include "cli/record.h"

#include <memory>
#include <string_view>

namespace kavu::cli {

enum class Format { Text, Csv, Json, GeoJson };

/// "text", "csv", "json", "geojson"; nothing else.
bool ReadFormat(std::string_view text, Format& format);

class FormatWriter : public RecordSink {
  public:
    /// Before the first record (a header) and after the last (a closing bracket).
    virtual void Begin() {}
    virtual void End() {}
};

std::unique_ptr<FormatWriter> MakeTextWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeCsvWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeJsonWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeGeoJsonWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeWriter(Format format, Command command, Output& out,
                                         const Datum& datum);
/// frame in a projected CRS: the four corners and the centre in metres (text, CSV, JSON Lines).
std::unique_ptr<FormatWriter> MakeProjectedFrameWriter(Format format, Output& out,
                                                       const Datum& datum);

} // namespace kavu::cli
