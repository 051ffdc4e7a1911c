#include "cli/json_record.h"

#include <charconv>
#include <cmath>

namespace kavu::cli {

JsonBuilder::JsonBuilder()
    : buffer_(1024, '\0'), holder_(std::string()),
      serializer_(nlohmann::detail::output_adapter<char>(escaped_), ' ',
                  nlohmann::detail::error_handler_t::replace) {}

void JsonBuilder::Clear() {
    size_ = 0;
    depth_ = 0;
    afterKey_ = false;
}

void JsonBuilder::Separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (depth_ > 0) {
        if (!empty_[depth_ - 1]) Put(',');
        empty_[depth_ - 1] = false;
    }
}

JsonBuilder& JsonBuilder::Object() {
    Separate();
    Put('{');
    closer_[depth_] = '}';
    empty_[depth_++] = true;
    return *this;
}

JsonBuilder& JsonBuilder::Array() {
    Separate();
    Put('[');
    closer_[depth_] = ']';
    empty_[depth_++] = true;
    return *this;
}

JsonBuilder& JsonBuilder::End() {
    Put(closer_[--depth_]);
    return *this;
}

JsonBuilder& JsonBuilder::Key(std::string_view key) {
    Separate();
    Put('"');
    Put(key);
    Put("\":");
    afterKey_ = true;
    return *this;
}

// True when the serializer would copy `text` unchanged: printable ASCII other than the quote
// and the backslash, and two-byte UTF-8 sequences (the Cyrillic letters of designations).
static bool Plain(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') continue;
        if (c >= 0xC2 && c <= 0xDF && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

JsonBuilder& JsonBuilder::String(std::string_view value) {
    Separate();
    if (Plain(value)) { // the common case, and a million times a run
        Put('"');
        Put(value);
        Put('"');
        return *this;
    }
    escaped_.clear();
    holder_.get_ref<std::string&>().assign(value);
    serializer_.dump(holder_, false, false, 0);
    Put(escaped_);
    return *this;
}

JsonBuilder& JsonBuilder::Number(double value) {
    if (!std::isfinite(value)) return Null();
    Separate();
    char digits[32];
    Put({digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr -
                                          digits)});
    return *this;
}

JsonBuilder& JsonBuilder::Integer(std::size_t value) {
    Separate();
    char digits[24];
    Put({digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr -
                                          digits)});
    return *this;
}

JsonBuilder& JsonBuilder::Bool(bool value) {
    Separate();
    Put(value ? "true" : "false");
    return *this;
}

JsonBuilder& JsonBuilder::Null() {
    Separate();
    Put("null");
    return *this;
}

namespace {

void Dms(JsonBuilder& json, std::string& scratch, double degrees, bool latitude) {
    scratch.clear();
    AppendDms(scratch, degrees, latitude);
    json.String(scratch);
}

} // namespace

void AppendFrame(JsonBuilder& json, const FrameDegrees& d) {
    std::string scratch;
    json.Object();
    json.Key("north").Number(RoundDegrees(d.North));
    json.Key("south").Number(RoundDegrees(d.South));
    json.Key("west").Number(RoundDegrees(d.West));
    json.Key("east").Number(RoundDegrees(d.East));
    json.Key("centre").Object();
    json.Key("latitude").Number(RoundDegrees(d.CentreLatitude));
    json.Key("longitude").Number(RoundDegrees(d.CentreLongitude));
    json.End();
    json.Key("dms").Object();
    json.Key("north");
    Dms(json, scratch, d.North, true);
    json.Key("south");
    Dms(json, scratch, d.South, true);
    json.Key("west");
    Dms(json, scratch, d.West, false);
    json.Key("east");
    Dms(json, scratch, d.East, false);
    scratch.clear();
    AppendDms(scratch, d.CentreLatitude, true);
    scratch += ' ';
    AppendDms(scratch, d.CentreLongitude, false);
    json.Key("centre").String(scratch);
    json.End();
    json.End();
}

void AppendFrameGeometry(JsonBuilder& json, const FrameDegrees& d) {
    const double south = RoundDegrees(d.South), north = RoundDegrees(d.North);
    const auto ring = [&](double west, double east) {
        west = RoundDegrees(west);
        east = RoundDegrees(east);
        json.Array().Array();
        for (const auto& [x, y] :
             {std::pair{west, south}, std::pair{east, south}, std::pair{east, north},
              std::pair{west, north}, std::pair{west, south}})
            json.Array().Number(x).Number(y).End();
        json.End().End();
    };
    double west = d.West, east = d.East;
    if (east > 180) { // past the antimeridian, as a datum shift may leave a frame
        west -= 360;
        east -= 360;
    }
    json.Object();
    if (west >= -180 && west < east) {
        json.Key("type").String("Polygon").Key("coordinates");
        ring(west, east);
    } else {
        if (west < -180) west += 360;
        json.Key("type").String("MultiPolygon").Key("coordinates").Array();
        ring(west, 180);
        ring(-180, east);
        json.End();
    }
    json.End();
}

void AppendRecordMembers(JsonBuilder& json, const SheetRecord& r, RecordShape shape,
                         const Datum& datum, bool withFrame) {
    if (shape.Input) {
        json.Key("line");
        if (r.Line != 0)
            json.Integer(r.Line);
        else
            json.Null();
        json.Key("input").String(r.Input);
    }
    if (shape.Point) {
        json.Key("latitude").Number(RoundDegrees(LatitudeDegrees(r.Point)));
        json.Key("longitude").Number(RoundDegrees(LongitudeDegrees(r.Point)));
    }
    if (shape.Cell) {
        json.Key("cell").String(CellName(r.Cell));
        json.Key("present").Bool(r.Present);
    }
    json.Key("scale").String(ScaleName(r.Scale));
    if (!r.Present) return;
    json.Key("new").String(r.New);
    json.Key("old").String(r.Old);
    if (shape.Point) {
        json.Key("latitude_junction").Bool(r.LatitudeJunction);
        json.Key("longitude_junction").Bool(r.LongitudeJunction);
    } else {
        json.Key("joined").Bool(r.Joined);
    }
    json.Key("published");
    if (r.PublishedNew.empty())
        json.Null();
    else
        json.Object().Key("new").String(r.PublishedNew).Key("old").String(r.PublishedOld).End();
    if (withFrame) {
        json.Key("frame");
        AppendFrame(json, ToDegrees(r.Frame, datum));
    }
}

} // namespace kavu::cli
