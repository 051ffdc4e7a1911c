// What the archive subcommands need from GDAL: a table written as a GIS layer, the sheets that a
// vector file's shapes meet, and a scan georeferenced from its frame corners. Like the datum and
// the GIS files of the other subcommands it lives in a module (kavu-sheet-archive.so) loaded
// only by a run that asks for it.
#pragma once

#include "cli/archive_table.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace kavu::cli {

struct GeorefJob {
    std::string Scan;
    SheetKey Sheet;                  // its first member, which decides the zone
    SignedFrame Frame;               // the sheet's frame in the 1942 datum
    std::array<double, 8> Corners{}; // pixel, line of the NW, NE, SE and SW frame corners
    std::string Vrt;                 // the VRT with the control points; empty: none
    std::string Warp;                // the warped GeoTIFF; empty: none
    std::string Points;              // the QGIS .points file; empty: none
};

class ArchiveGis {
  public:
    virtual ~ArchiveGis() = default;
    /// The rows with a frame as polygons, every column an attribute, in the 1942 datum; the
    /// format from `driver` or the extension. Nothing is left at `path` on failure.
    virtual bool WriteLayer(const std::string& path, const std::string& driver, const Table& table,
                            std::string& error) = 0;
    /// Every sheet of `scale` that the points, lines and areas of a vector file meet.
    virtual bool CoverFile(const std::string& path, int scale, std::vector<SheetKey>& sheets,
                           std::string& error) = 0;
    /// Writes the files the job names; `done` lists them.
    virtual bool Georef(const GeorefJob& job, std::vector<std::string>& done,
                        std::string& error) = 0;
};

/// Loads the module (beside the program, or under libexec/kavu once installed).
std::unique_ptr<ArchiveGis> LoadArchiveGis(std::string& error);

} // namespace kavu::cli

/// The module's one entry point.
extern "C" kavu::cli::ArchiveGis* KavuSheetArchiveModule();
