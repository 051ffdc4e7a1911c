#include "cli/gis.h"

#include "geo/proj_module.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <charconv>
#include <cmath>
#include <dlfcn.h>

namespace kavu::cli {
namespace {

bool EndsWith(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char c = text[text.size() - end.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != end[i]) return false;
    }
    return true;
}

// "W,H": two whole numbers of pixels above 0.
bool ReadSize(const std::string& text, int& width, int& height) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) return false;
    const char* end = text.data() + text.size();
    auto [p, e] = std::from_chars(text.data(), text.data() + comma, width);
    if (e != std::errc() || p != text.data() + comma || width <= 0) return false;
    auto [q, f] = std::from_chars(text.data() + comma + 1, end, height);
    return f == std::errc() && q == end && height > 0;
}

std::unique_ptr<GisModule> LoadModule(std::string& error) {
    std::string reason;
    if (void* handle = geo::OpenModule("kavu-sheet-gis.so", reason)) {
        if (auto* entry = reinterpret_cast<GisModule* (*)()>(::dlsym(handle, "KavuSheetGisModule")))
            return std::unique_ptr<GisModule>(entry());
        reason = "kavu-sheet-gis.so has no entry point";
    }
    error = "GIS files need the module kavu-sheet-gis.so: " + reason;
    return nullptr;
}

constexpr double kUnitsPerDegree = 3600.0 * static_cast<double>(kUnitsPerSecond);

// The one place where the run's datum meets the series': points read are taken to the series
// datum, coordinates written are taken from it, and their columns are named for the datum.
void Hook(std::shared_ptr<const geo::PointConversion> conversion, std::string suffix,
          Datum& datum) {
    datum.ToSeries = [conversion](ExactPoint& p, std::string& reason) {
        double lat = static_cast<double>(p.Latitude) / kUnitsPerDegree;
        double lon = static_cast<double>(p.Longitude) / kUnitsPerDegree;
        if (!conversion->ToSeries(lat, lon)) {
            reason = "PROJ cannot convert the point from WGS 84 to the 1942 datum";
            return false;
        }
        p = {std::llround(lat * kUnitsPerDegree), std::llround(lon * kUnitsPerDegree)};
        return true;
    };
    datum.FromSeries = [conversion](double& latitude, double& longitude) {
        conversion->FromSeries(latitude, longitude);
    };
    datum.Suffix = std::move(suffix);
}

// A geographic CRS as the datum hooks take it.
class CrsConversion : public geo::PointConversion {
  public:
    explicit CrsConversion(std::shared_ptr<const geo::CrsTransform> crs) : crs_(std::move(crs)) {}
    bool ToSeries(double& latitude, double& longitude) const override {
        return crs_->ToSeries(latitude, longitude, latitude, longitude);
    }
    bool FromSeries(double& latitude, double& longitude) const override {
        return crs_->FromSeries(latitude, longitude, latitude, longitude);
    }

  private:
    std::shared_ptr<const geo::CrsTransform> crs_;
};

// "_epsg4258": the CRS in the names of the columns written in it.
std::string Suffix(const std::string& crs) {
    std::string out = "_";
    for (const char c : crs)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out.size() > 24 ? "_crs" : out;
}

} // namespace

void AddGisOptions(CLI::App& app, GisOptions& options) {
    for (const char* name : {"point", "frame", "around", "rescale", "cover"}) {
        CLI::App* command = app.get_subcommand(name);
        command
            ->add_option("--datum", options.Datum,
                         "Datum of the coordinates read and written: 1942 (the series' own, "
                         "EPSG:4284; the default) or wgs84 (EPSG:4326, as GPS receivers and web "
                         "maps give them), converted by PROJ's most accurate offline operation "
                         "for the point's area (in Russia EPSG:5044, Pulkovo 1942 to WGS 84 "
                         "(20), 3 m). Sheet corners are round numbers only in 1942. In wgs84 the "
                         "coordinate columns end in _wgs84, and a point also gives its 1942 "
                         "latitude_1942 and longitude_1942")
            ->check(CLI::IsMember({"1942", "wgs84"}, CLI::ignore_case))
            ->default_str("1942");
        command
            ->add_option("--crs", options.Crs,
                         "CRS of the positions read and written, as PROJ takes it (EPSG:4326, "
                         "EPSG:3857, EPSG:32637, EPSG:28407, a PROJ string), or gk: the "
                         "Gauss-Krüger zone of each sheet or point (X, Y as printed on the "
                         "sheets). Projected positions are in metres, northing first; a frame is "
                         "its corners and centre, and in geojson or --output a polygon in the "
                         "CRS, which a GeoJSON names in its \"crs\" member. With gk a file is "
                         "drawn in one zone, its first sheet's (around: the sheet named). "
                         "--datum wgs84 is --crs EPSG:4326, --datum 1942 is --crs EPSG:4284")
            ->type_name("CRS");
        command
            ->add_option("-o,--output", options.OutputFile,
                         "Write the sheet frames to FILE as polygons through GDAL, in the format "
                         "its extension names (.gpkg, .shp, .geojson, .kml, …); with frame "
                         "--gcp, a QGIS georeferencer .points file")
            ->type_name("FILE");
        command->add_option("--driver", options.Driver,
                            "GDAL vector driver for --output (GPKG, \"ESRI Shapefile\", "
                            "GeoJSON, KML, …) when the extension does not say");
    }
    CLI::App* cover = app.get_subcommand("cover");
    cover->add_option("FILE", options.File,
                      "A vector file GDAL reads (GPX, KML, GeoJSON, shapefile, GeoPackage, …): "
                      "every sheet its points, lines and areas meet, in the file's own CRS "
                      "(a file without one is taken as longitude, latitude in --datum)");
    cover->add_option("--buffer", options.Buffer, "Widen the shapes of FILE by this many metres")
        ->type_name("METRES");
    CLI::App* frame = app.get_subcommand("frame");
    frame->add_flag("--gcp", options.Gcp,
                    "The four corners as ground control points in the sheet's Gauss-Krüger "
                    "zone (with --size, the kilometre-grid crossings too), so that an affine "
                    "fit is exact: -a_srs and -gcp arguments for gdal_translate, one line a "
                    "sheet, or a QGIS .points file with --output");
    frame
        ->add_option("--size", options.Size,
                     "Pixel width and height of the scan cropped to the box of the frame's "
                     "corners, for --gcp (without it the pixel positions are placeholders)")
        ->type_name("W,H");
}

bool GisRun::Start(GisOptions options, Command command, Datum& datum, std::string& error,
                   int& status) {
    status = 2;
    if (!options.Driver.empty() && options.OutputFile.empty()) {
        error = "--driver names the format of --output FILE; give FILE too";
        return false;
    }
    if (!(options.Buffer >= 0) || !std::isfinite(options.Buffer)) {
        error = "--buffer must be a distance of 0 metres or more";
        return false;
    }
    if (options.Buffer > 0 && options.File.empty()) {
        error = "--buffer widens the shapes of a FILE; give FILE";
        return false;
    }
    if (!options.Size.empty() && !options.Gcp) {
        error = "--size gives the pixels of a scan for --gcp; add --gcp";
        return false;
    }
    if (!options.Size.empty() && !ReadSize(options.Size, options.Width, options.Height)) {
        error = "--size must be W,H: two whole numbers of pixels above 0, such as 6000,4500";
        return false;
    }
    if (options.Gcp && !options.OutputFile.empty()) {
        if (!EndsWith(options.OutputFile, ".points")) {
            error = "--gcp writes a QGIS .points file: name --output FILE.points";
            return false;
        }
        if (options.Width == 0) {
            error = "a .points file needs the pixel corners of the scan: add --size W,H";
            return false;
        }
    }
    if (!options.Crs.empty()) {
        std::string upper = options.Crs;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (options.Datum != "1942") {
            error = "--crs and --datum both name the coordinates' system: give one";
            return false;
        }
        if (upper == "EPSG:4326") options.Datum = "wgs84";
        if (upper == "EPSG:4326" || upper == "EPSG:4284") options.Crs.clear();
    }
    status = 1;
    if (!options.Crs.empty()) {
        const geo::ProjModule* proj = geo::LoadProjModule(error);
        std::shared_ptr<const geo::CrsTransform> crs;
        if (proj != nullptr) crs = proj->Crs(options.Crs, error);
        if (!crs) return false;
        if (crs->Projected()) {
            datum.ToProjected = [crs](double lat, double lon, double& n, double& e, int zone) {
                return crs->FromSeries(lat, lon, n, e, zone);
            };
            datum.FromProjected = [crs](double n, double e, double& lat, double& lon) {
                return crs->ToSeries(n, e, lat, lon);
            };
            datum.PerZone = crs->PerZone();
            if (!datum.PerZone) datum.CrsName = crs->Urn().empty() ? crs->Name() : crs->Urn();
            if (datum.PerZone)
                datum.FrameToProjected = [crs](const SignedFrame& f, int zone, double(&out)[5][2]) {
                    return crs->FrameFromSeries(f, zone, out);
                };
        } else {
            Hook(std::make_shared<CrsConversion>(crs), Suffix(options.Crs), datum);
        }
    } else if (options.Datum != "1942") {
        const geo::ProjModule* proj = geo::LoadProjModule(error);
        std::shared_ptr<const geo::PointConversion> shift;
        if (proj != nullptr) shift = proj->Wgs84Shift(error);
        if (!shift) return false;
        Hook(std::move(shift), "_wgs84", datum);
    }
    status = 0;
    // GDAL only for the runs that read or write files.
    const bool needed = !options.File.empty() || !options.OutputFile.empty() || options.Gcp;
    if (!needed) return true;
    status = 1;
    module_ = LoadModule(error);
    if (!module_ || !module_->Start(options, command, datum, error)) return false;
    status = 0;
    return true;
}

bool WriteGridFile(const std::string& path, const std::string& driver, const std::string& sheet,
                   int zone, const std::vector<geo::GridLine>& lines, std::string& error) {
    std::unique_ptr<GisModule> module = LoadModule(error);
    return module && module->WriteGrid(path, driver, sheet, zone, lines, error);
}

} // namespace kavu::cli
