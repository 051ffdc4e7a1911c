// The module of kavu-sheet that links PROJ and GDAL (see cli/gis.h).
#include "cli/gis.h"

#include "engine/published.h"
#include "geo/cover.h"
#include "geo/datum.h"
#include "geo/gauss_kruger.h"
#include "geo/layers.h"
#include "geo/shapes.h"

#include <cpl_conv.h>
#include <cstdio>
#include <fstream>
#include <ogr_spatialref.h>
#include <optional>
#include <vector>

namespace kavu::cli {
namespace {

std::string_view Shown(std::string_view text) {
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

std::string Number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

// The control points of a sheet's scan in its Gauss–Krüger zone: the corners, and with the
// scan's size the kilometre-grid crossings inside the frame. An affine fit of them is exact.
struct ScanPoints {
    int zone = 0;
    std::vector<geo::ScanControlPoint> points;
};
ScanPoints ControlPointsOf(const geo::GaussKruger& gk, const SignedFrame& frame, int scale,
                           int width, int height) {
    ScanPoints out;
    out.zone = geo::ZoneOfLongitude((frame.West + frame.East) / 7200.0);
    const bool sized = width > 0;
    out.points = gk.ControlPointsOfFrame(frame, out.zone, sized ? width : 1, sized ? height : 1,
                                         sized ? geo::PrintedGridStep(scale) : 0);
    return out;
}

// "-a_srs EPSG:28407 -gcp 0 12.5 7406413.288 6209687.479 …" for gdal_translate: pixel, line,
// then easting and northing, as GDAL takes a projected CRS. A zone without an EPSG code has a
// PROJ string, which a shell would split: the GCPs come alone then.
std::string GdalTranslateArguments(const ScanPoints& scan, bool sized) {
    const std::string crs = geo::ZoneCrs(scan.zone);
    std::string out = crs.rfind("EPSG:", 0) == 0 ? "-a_srs " + crs : std::string();
    for (const geo::ScanControlPoint& p : scan.points) {
        out += out.empty() ? "-gcp " : " -gcp ";
        if (sized)
            out.append(Number(p.Pixel)).append(" ").append(Number(p.Line));
        else
            out.append(p.What).append("_PIXEL ").append(p.What).append("_LINE");
        out.append(" ").append(Number(p.At.Y)).append(" ").append(Number(p.At.X));
    }
    return out;
}

// A QGIS georeferencer .points file in the zone's CRS (QGIS counts source rows upwards).
bool WriteZonePoints(const std::string& path, const ScanPoints& scan, std::string& error) {
    OGRSpatialReference srs;
    char* wkt = nullptr;
    const char* options[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
    if (srs.SetFromUserInput(geo::ZoneCrs(scan.zone).c_str()) != OGRERR_NONE ||
        srs.exportToWkt(&wkt, options) != OGRERR_NONE) {
        CPLFree(wkt);
        error = path + ": PROJ has no CRS for zone " + std::to_string(scan.zone);
        return false;
    }
    std::string text = std::string("#CRS: ") + wkt + "\n";
    CPLFree(wkt);
    text += "mapX,mapY,sourceX,sourceY,enable,dX,dY,residual\n";
    for (const geo::ScanControlPoint& p : scan.points)
        text += Number(p.At.Y) + "," + Number(p.At.X) + "," + Number(p.Pixel) + "," +
                Number(p.Line == 0 ? 0.0 : -p.Line) + ",1,0,0,0\n";
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::binary);
        file << text;
        if (!file.flush()) {
            error = path + ": cannot write the file";
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = path + ": cannot write the file";
        return false;
    }
    return true;
}

// Collects the records for the --output file, or writes control points.
struct Collector : FormatWriter {
    std::function<void(std::string_view)> put; // set: control points to standard output
    bool gcp = false;
    const geo::DatumShift* toWgs84 = nullptr;
    std::unique_ptr<geo::GaussKruger> gk; // control points
    int width = 0, height = 0;
    std::vector<geo::FrameFeature> frames;
    std::vector<int> scales;
    Command command = Command::Frame;
    int zone = 0; // with --crs gk, the layer's: see FileZone

    void Write(const SheetRecord& r) override {
        if (!r.Present) return;
        if (frames.empty()) zone = FileZone(r, command);
        if (gcp && put) {
            const ScanPoints scan = ControlPointsOf(*gk, r.Frame, r.Scale, width, height);
            put(scan.points.empty() ? "\n" : GdalTranslateArguments(scan, width > 0) + "\n");
            return;
        }
        scales.push_back(r.Scale);
        geo::FrameFeature f;
        f.Frame = r.Frame;
        f.New = Shown(r.New);
        f.Old = Shown(r.Old);
        f.Scale = ScaleName(r.Scale);
        const bool inGroup = !r.Joined && !r.PublishedNew.empty();
        f.PublishedNew = inGroup ? r.PublishedNew : f.New;
        f.PublishedOld = inGroup ? r.PublishedOld : f.Old;
        frames.push_back(std::move(f));
    }
    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {
        if (gcp && put) put("\n"); // keeps the lines aligned with the input
    }
};

class Module : public GisModule {
  public:
    bool Start(const GisOptions& options, Command command, Datum& datum,
               std::string& error) override;
    bool CoversFile() const override { return shapes_.has_value(); }
    void CoverFile(int scale, bool published, RecordSink& sink) const override;
    std::unique_ptr<FormatWriter> MakeWriter(std::function<void(std::string_view)> put) override;
    bool Finish(std::string& error) override;
    bool WriteGrid(const std::string& path, const std::string& driver, const std::string& sheet,
                   int zone, const std::vector<geo::GridLine>& lines, std::string& error) override {
        return geo::WriteGridLines(path, driver, sheet, zone, lines, error);
    }

  private:
    GisOptions options_;
    Command command_ = Command::Frame;
    Datum datum_; // the run's, hooked: a projected --crs writes the layer in it
    std::unique_ptr<geo::DatumShift> shift_;
    std::optional<geo::Shapes> shapes_;
    Collector* collector_ = nullptr; // owned by the writer MakeWriter returned
};

bool Module::Start(const GisOptions& options, Command command, Datum& datum, std::string& error) {
    options_ = options;
    command_ = command;
    datum_ = datum;
    const bool wgs84 = options.Datum == "wgs84";
    // The run's datum is hooked already; the shapes of a file and the layers written take the
    // shift of their own.
    const bool readsFile = command == Command::Cover && !options.File.empty();
    if (wgs84 || readsFile) {
        shift_ = geo::DatumShift::Create(error);
        if (!shift_) return false;
    }
    if (readsFile) {
        geo::ReadOptions read;
        read.Shift = shift_.get();
        read.NoCrsIsWgs84 = wgs84;
        read.BufferMetres = options.Buffer;
        shapes_ = geo::ReadShapes(options.File, read, error);
        if (!shapes_) return false;
        geo::SheetCover probe(1); // an area round a pole is refused before any output
        if (!geo::AddToCover(*shapes_, probe, error)) {
            error = options.File + ": " + error;
            return false;
        }
    }
    return true;
}

void Module::CoverFile(int scale, bool published, RecordSink& sink) const {
    geo::SheetCover cover(scale);
    std::string error;
    geo::AddToCover(*shapes_, cover, error);
    SheetRecord r;
    r.Scale = scale;
    if (published) {
        for (const PublishedSheet& p : cover.Published()) {
            r.New = Shown(p.New);
            r.Old = Shown(p.Old);
            r.Joined = p.Joined();
            r.Frame = p.Frame;
            sink.Write(r);
        }
        return;
    }
    for (const SheetKey& key : cover.Sheets()) {
        const std::string New = FormatSheetNew(key), Old = FormatSheetOld(key);
        const auto group = PublishedSheetOf(key);
        const bool joined = group && group->Joined();
        r.New = Shown(New);
        r.Old = Shown(Old);
        r.PublishedNew = joined ? Shown(group->New) : std::string_view();
        r.PublishedOld = joined ? Shown(group->Old) : std::string_view();
        r.Frame = ComputeSignedFrame(key).value_or(SignedFrame{});
        sink.Write(r);
    }
}

std::unique_ptr<FormatWriter> Module::MakeWriter(std::function<void(std::string_view)> put) {
    if (options_.OutputFile.empty() && !options_.Gcp) return nullptr;
    auto writer = std::make_unique<Collector>();
    writer->gcp = options_.Gcp;
    writer->command = command_;
    if (options_.OutputFile.empty()) writer->put = std::move(put);
    writer->toWgs84 = options_.Datum == "wgs84" ? shift_.get() : nullptr;
    writer->width = options_.Width;
    writer->height = options_.Height;
    if (options_.Gcp) {
        std::string error;
        writer->gk = geo::GaussKruger::Create(error);
        if (!writer->gk) return nullptr; // PROJ without tmerc: nothing to write with
    }
    collector_ = writer.get();
    return writer;
}

bool Module::Finish(std::string& error) {
    if (collector_ == nullptr || options_.OutputFile.empty()) return true;
    const geo::DatumShift* toWgs84 = collector_->toWgs84;
    if (!options_.Gcp && datum_.ToProjected && !(datum_.PerZone && collector_->frames.empty())) {
        // With gk the layer has one CRS, the zone of its first sheet.
        const int zone = datum_.PerZone ? collector_->zone : 0;
        const geo::VertexTransform project = [this, zone](double latitude, double longitude,
                                                          double& x, double& y) {
            return datum_.ToProjected(latitude, longitude, y, x, zone);
        };
        return geo::WriteFramesIn(options_.OutputFile, options_.Driver, collector_->frames,
                                  zone != 0 ? geo::ZoneCrs(zone) : options_.Crs, project, zone,
                                  error);
    }
    if (!options_.Gcp)
        return geo::WriteFrames(options_.OutputFile, options_.Driver, collector_->frames, toWgs84,
                                error);
    if (collector_->frames.empty()) return true; // the name did not read: already reported
    if (collector_->frames.size() != 1) {
        error = options_.OutputFile + ": a .points file holds the corners of one sheet; " +
                std::to_string(collector_->frames.size()) + " were named";
        return false;
    }
    const ScanPoints scan = ControlPointsOf(*collector_->gk, collector_->frames[0].Frame,
                                            collector_->scales[0], options_.Width, options_.Height);
    if (scan.points.empty()) {
        error = options_.OutputFile + ": PROJ cannot project the corners";
        return false;
    }
    return WriteZonePoints(options_.OutputFile, scan, error);
}

} // namespace
} // namespace kavu::cli

extern "C" kavu::cli::GisModule* KavuSheetGisModule() {
    return new kavu::cli::Module;
}
