// GeoJSON: one FeatureCollection, a Feature a line, so that it streams. Lines that did not read
// and absent cells have no geometry and are left out.
#include "cli/json_record.h"
#include "cli/writers.h"

namespace kavu::cli {
namespace {

class GeoJsonWriter : public FormatWriter {
  public:
    GeoJsonWriter(Command command, Output& out, const Datum& datum)
        : shape_(ShapeOf(command)), out_(out), datum_(datum) {}

    void Begin() override { out_.Put("{\"type\":\"FeatureCollection\",\"features\":["); }

    void Write(const SheetRecord& r) override {
        if (!r.Present) return;
        json_.Clear();
        json_.Object().Key("type").Own("Feature").Key("geometry");
        AppendFrameGeometry(json_, ToDegrees(r.Frame, datum_));
        json_.Key("properties").Object();
        AppendRecordMembers(json_, r, shape_, datum_, false);
        json_.End().End();
        out_.Put(first_ ? "\n" : ",\n");
        first_ = false;
        out_.Put(json_.Text());
    }

    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}

    void End() override { out_.Put("\n]}\n"); }

  private:
    RecordShape shape_;
    Output& out_;
    const Datum& datum_;
    JsonBuilder json_;
    bool first_ = true;
};

} // namespace

std::unique_ptr<FormatWriter> MakeGeoJsonWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<GeoJsonWriter>(command, out, datum);
}

} // namespace kavu::cli
