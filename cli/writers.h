// The output formats of kavu-sheet. Each writer lays out the records of one subcommand with
// the columns of its shape, and appends to the one output buffer.
#pragma once

#include "cli/coordinates.h"
#include "cli/output.h"
#include "cli/record.h"

#include <functional>
#include <memory>
#include <string>
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
    /// Some record could not be written (its reason went to standard error).
    virtual bool Failed() const { return false; }
};

/// Takes a whole message for standard error.
using ErrorReporter = std::function<void(const std::string& message)>;

std::unique_ptr<FormatWriter> MakeTextWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeCsvWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeJsonWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeGeoJsonWriter(Command command, Output& out, const Datum& datum);
std::unique_ptr<FormatWriter> MakeWriter(Format format, Command command, Output& out,
                                         const Datum& datum);
/// Any subcommand in a projected CRS: a point in metres, a frame as its four corners and centre
/// in metres (text, CSV, JSON Lines) or its polygon in the CRS (GeoJSON). A record PROJ cannot
/// project is reported through `report`.
std::unique_ptr<FormatWriter> MakeProjectedWriter(Format format, Command command, Output& out,
                                                  const Datum& datum, ErrorReporter report);

} // namespace kavu::cli
