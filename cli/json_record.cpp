#include "cli/json_record.h"

namespace kavu::cli {

namespace {

std::string DmsText(double degrees, bool latitude) {
    std::string text;
    AppendDms(text, degrees, latitude);
    return text;
}

Json Published(const SheetRecord& r) {
    if (r.PublishedNew.empty()) return nullptr;
    return Json{{"new", JsonText(r.PublishedNew)}, {"old", JsonText(r.PublishedOld)}};
}

} // namespace

Json FrameJson(const FrameDegrees& d) {
    std::string centre = DmsText(d.CentreLatitude, true);
    centre += ' ';
    AppendDms(centre, d.CentreLongitude, false);
    return Json{{"north", RoundDegrees(d.North)},
                {"south", RoundDegrees(d.South)},
                {"west", RoundDegrees(d.West)},
                {"east", RoundDegrees(d.East)},
                {"centre",
                 {{"latitude", RoundDegrees(d.CentreLatitude)},
                  {"longitude", RoundDegrees(d.CentreLongitude)}}},
                {"dms",
                 {{"north", DmsText(d.North, true)},
                  {"south", DmsText(d.South, true)},
                  {"west", DmsText(d.West, false)},
                  {"east", DmsText(d.East, false)},
                  {"centre", centre}}}};
}

Json RecordJson(const SheetRecord& r, RecordShape shape, const Datum& datum, bool withFrame) {
    Json j = Json::object();
    if (shape.Input) {
        j["line"] = r.Line != 0 ? Json(r.Line) : Json(nullptr);
        j["input"] = JsonText(r.Input);
    }
    if (shape.Point) {
        j["latitude"] = RoundDegrees(LatitudeDegrees(r.Point));
        j["longitude"] = RoundDegrees(LongitudeDegrees(r.Point));
    }
    if (shape.Cell) {
        j["cell"] = JsonText(CellName(r.Cell));
        j["present"] = r.Present;
    }
    j["scale"] = JsonText(ScaleName(r.Scale));
    if (!r.Present) return j;
    j["new"] = JsonText(r.New);
    j["old"] = JsonText(r.Old);
    if (shape.Point) {
        j["latitude_junction"] = r.LatitudeJunction;
        j["longitude_junction"] = r.LongitudeJunction;
    } else {
        j["joined"] = r.Joined;
    }
    j["published"] = Published(r);
    if (withFrame) j["frame"] = FrameJson(ToDegrees(r.Frame, datum));
    return j;
}

std::string Dump(const Json& json) {
    return json.dump(-1, ' ', false, nlohmann::detail::error_handler_t::replace);
}

} // namespace kavu::cli
