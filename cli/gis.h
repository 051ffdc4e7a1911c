// The parts of kavu-sheet that need PROJ or GDAL: the datum of coordinates read and written,
// the sheets that cover the shapes of a vector file, sheet frames written as a GIS layer, and
// the corners of a sheet as control points for georeferencing a scan.
//
// GDAL lives in a module (kavu-sheet-gis.so) loaded only when a run reads or writes a file:
// it brings a hundred shared libraries, whose loading would cost every other run a tenth of a
// second. The datum alone takes PROJ's module (geo/proj_module.h), without GDAL.
#pragma once

#include "cli/coordinates.h"
#include "cli/record.h"
#include "cli/writers.h"
#include "geo/gauss_kruger.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace kavu::cli {

struct GisOptions {
    std::string Datum = "1942"; // or "wgs84"
    std::string Crs;            // --crs: what PROJ takes, or "gk"; empty: --datum says
    std::string File;           // cover: the vector file whose shapes are covered
    double Buffer = 0;          // cover: metres added round the shapes first
    std::string OutputFile;     // frames written to this file through GDAL
    std::string Driver;         // GDAL driver for OutputFile; empty: by its extension
    bool Gcp = false;           // frame: corners as ground control points
    std::string Size;           // frame --gcp: "W,H" pixels of the scan
    int Width = 0, Height = 0;  // Size, read
};

/// --datum on every subcommand, --output and --driver on every subcommand that answers with
/// sheets, FILE and --buffer on cover, --gcp and --size on frame.
void AddGisOptions(CLI::App& app, GisOptions& options);

/// The one Gauss–Krüger zone of a file written with --crs gk (a GeoJSON or a GIS layer has one
/// CRS): the zone of its first sheet `r`; for around, of the sheet named, in the block's middle.
inline int FileZone(const SheetRecord& r, Command command) {
    double centre = (r.Frame.West + r.Frame.East) / 7200.0;
    if (command == Command::Around)
        centre += (1 - (r.Cell - 1) % 3) * (r.Frame.East - r.Frame.West) / 3600.0;
    return geo::ZoneOfLongitude(centre);
}

/// What the module does; one object a run.
class GisModule {
  public:
    virtual ~GisModule() = default;
    /// Reads a cover FILE whole (`datum` is the run's, hooked already). False with `error`
    /// naming the file and the reason.
    virtual bool Start(const GisOptions& options, Command command, Datum& datum,
                       std::string& error) = 0;
    virtual bool CoversFile() const = 0;
    virtual void CoverFile(int scale, bool published, RecordSink& sink) const = 0;
    /// The writer for --output or --gcp (nothing for neither); `put` writes to standard output.
    virtual std::unique_ptr<FormatWriter> MakeWriter(std::function<void(std::string_view)> put) = 0;
    virtual bool Finish(std::string& error) = 0;
    /// grid --output: the lines as a GIS layer in the zone's CRS. False with `error`.
    virtual bool WriteGrid(const std::string& path, const std::string& driver,
                           const std::string& sheet, int zone,
                           const std::vector<geo::GridLine>& lines, std::string& error) = 0;
};

/// Loads the module and writes the grid through it (exit status 1 on failure).
bool WriteGridFile(const std::string& path, const std::string& driver, const std::string& sheet,
                   int zone, const std::vector<geo::GridLine>& lines, std::string& error);

class GisRun {
  public:
    /// Checks the options of `command` together, hooks the run's datum into `datum` (through
    /// PROJ's module) and, when the run reads or writes a file, loads GDAL's and starts it. False
    /// with `error` and the exit status (2 for a usage error, 1 for a file, datum or module that
    /// fails).
    bool Start(GisOptions options, Command command, Datum& datum, std::string& error, int& status);

    bool CoversFile() const { return module_ && module_->CoversFile(); }
    /// The records of every sheet (or published sheet) of `scale` that the file's shapes meet.
    void CoverFile(int scale, bool published, RecordSink& sink) const {
        module_->CoverFile(scale, published, sink);
    }
    /// The writer that takes the records instead of the --format writer (a GIS layer or
    /// control points); nothing when the records go to standard output as usual.
    std::unique_ptr<FormatWriter> MakeWriter(std::function<void(std::string_view)> put) {
        return module_ ? module_->MakeWriter(std::move(put)) : nullptr;
    }
    /// Writes the --output file once every record is in. False with `error` (exit status 1);
    /// nothing is then left at the file's name.
    bool Finish(std::string& error) { return !module_ || module_->Finish(error); }

  private:
    std::unique_ptr<GisModule> module_; // its code stays loaded to the end of the process
};

} // namespace kavu::cli

/// The module's one entry point: a new module object.
extern "C" kavu::cli::GisModule* KavuSheetGisModule();
