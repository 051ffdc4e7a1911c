// GeoJSON: one FeatureCollection, a Feature a line, so that it streams. Lines that did not read
// and absent cells have no geometry and are left out.
#include "cli/json_record.h"
#include "cli/writers.h"

namespace kavu::cli {

Json FrameGeometry(const FrameDegrees& d) {
    const auto ring = [&](double west, double east) {
        const double s = RoundDegrees(d.South), n = RoundDegrees(d.North);
        west = RoundDegrees(west);
        east = RoundDegrees(east);
        return Json::array(
            {Json::array({Json::array({west, s}), Json::array({east, s}), Json::array({east, n}),
                          Json::array({west, n}), Json::array({west, s})})});
    };
    double west = d.West, east = d.East;
    if (east > 180) { // a frame given past the antimeridian, as a datum shift may leave it
        west -= 360;
        east -= 360;
    }
    if (west >= -180 && west < east)
        return Json{{"type", "Polygon"}, {"coordinates", ring(west, east)}};
    if (west < -180) west += 360;
    return Json{{"type", "MultiPolygon"},
                {"coordinates", Json::array({ring(west, 180), ring(-180, east)})}};
}

namespace {

class GeoJsonWriter : public FormatWriter {
  public:
    GeoJsonWriter(Command command, Output& out, const Datum& datum)
        : shape_(ShapeOf(command)), out_(out), datum_(datum) {}

    void Begin() override { out_.Put("{\"type\":\"FeatureCollection\",\"features\":["); }

    void Write(const SheetRecord& r) override {
        if (!r.Present) return;
        Json feature{{"type", "Feature"},
                     {"geometry", FrameGeometry(ToDegrees(r.Frame, datum_))},
                     {"properties", RecordJson(r, shape_, datum_, false)}};
        out_.Put(first_ ? "\n" : ",\n");
        first_ = false;
        out_.Put(Dump(feature));
    }

    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}

    void End() override { out_.Put("\n]}\n"); }

  private:
    RecordShape shape_;
    Output& out_;
    const Datum& datum_;
    bool first_ = true;
};

} // namespace

std::unique_ptr<FormatWriter> MakeGeoJsonWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<GeoJsonWriter>(command, out, datum);
}

} // namespace kavu::cli
