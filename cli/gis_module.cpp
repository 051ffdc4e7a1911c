// The module of kavu-sheet that links PROJ and GDAL (see cli/gis.h).
#include "cli/gis.h"

#include "engine/published.h"
#include "geo/cover.h"
#include "geo/datum.h"
#include "geo/layers.h"
#include "geo/shapes.h"

#include <optional>
#include <vector>

namespace kavu::cli {
namespace {

std::string_view Shown(std::string_view text) {
    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

// Collects the records for the --output file, or writes control points.
struct Collector : FormatWriter {
    std::function<void(std::string_view)> put; // set: control points to standard output
    bool gcp = false;
    const geo::DatumShift* toWgs84 = nullptr;
    int width = 0, height = 0;
    std::vector<geo::FrameFeature> frames;

    void Write(const SheetRecord& r) override {
        if (!r.Present) return;
        if (gcp && put) {
            auto corners = geo::CornerPoints(r.Frame, toWgs84, width, height);
            put(corners ? geo::GdalTranslateGcps(*corners, width > 0) + "\n" : "\n");
            return;
        }
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

  private:
    GisOptions options_;
    std::unique_ptr<geo::DatumShift> shift_;
    std::optional<geo::Shapes> shapes_;
    Collector* collector_ = nullptr; // owned by the writer MakeWriter returned
};

bool Module::Start(const GisOptions& options, Command command, Datum&, std::string& error) {
    options_ = options;
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
    if (options_.OutputFile.empty()) writer->put = std::move(put);
    writer->toWgs84 = options_.Datum == "wgs84" ? shift_.get() : nullptr;
    writer->width = options_.Width;
    writer->height = options_.Height;
    collector_ = writer.get();
    return writer;
}

bool Module::Finish(std::string& error) {
    if (collector_ == nullptr || options_.OutputFile.empty()) return true;
    const geo::DatumShift* toWgs84 = collector_->toWgs84;
    if (!options_.Gcp)
        return geo::WriteFrames(options_.OutputFile, options_.Driver, collector_->frames, toWgs84,
                                error);
    if (collector_->frames.empty()) return true; // the name did not read: already reported
    if (collector_->frames.size() != 1) {
        error = options_.OutputFile + ": a .points file holds the corners of one sheet; " +
                std::to_string(collector_->frames.size()) + " were named";
        return false;
    }
    auto corners =
        geo::CornerPoints(collector_->frames[0].Frame, toWgs84, options_.Width, options_.Height);
    if (!corners) {
        error = options_.OutputFile + ": PROJ cannot convert the corners to WGS 84";
        return false;
    }
    return geo::WritePointsFile(options_.OutputFile, *corners, toWgs84 ? 4326 : 4284, error);
}

} // namespace
} // namespace kavu::cli

extern "C" kavu::cli::GisModule* KavuSheetGisModule() {
    return new kavu::cli::Module;
}
