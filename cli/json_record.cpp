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
    char* p = Room(key.size() + 3);
    *p++ = '"';
    std::memcpy(p, key.data(), key.size());
    p[key.size()] = '"';
    p[key.size() + 1] = ':';
    size_ += key.size() + 3;
    afterKey_ = true;
    return *this;
}

// True when the serializer would copy `text` unchanged: printable ASCII other than the quote
// and the backslash, and two-byte UTF-8 sequences (the Cyrillic letters of designations).
static bool Plain(std::string_view text) {
    static constexpr auto kAscii = [] {
        std::array<bool, 256> plain{};
        for (int c = 0x20; c < 0x7F; ++c)
            plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
        return plain;
    }();
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        if (kAscii[s[i]]) {
            ++i;
        } else if (s[i] >= 0xC2 && s[i] <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

JsonBuilder& JsonBuilder::String(std::string_view value) {
    Separate();
    if (Plain(value)) { // the common case, and a million times a run
        char* p = Room(value.size() + 2);
        *p = '"';
        std::memcpy(p + 1, value.data(), value.size());
        p[value.size() + 1] = '"';
        size_ += value.size() + 2;
        return *this;
    }
    escaped_.clear();
    holder_.get_ref<std::string&>().assign(value);
    serializer_.dump(holder_, false, false, 0);
    Put(escaped_);
    return *this;
}

JsonBuilder& JsonBuilder::Degrees(double value) {
    if (!std::isfinite(value)) return Null();
    Separate();
    size_ += WriteDegrees(Room(kDegreesTextSize), value);
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
    json.Key("north").Degrees(d.North);
    json.Key("south").Degrees(d.South);
    json.Key("west").Degrees(d.West);
    json.Key("east").Degrees(d.East);
    json.Key("centre").Object();
    json.Key("latitude").Degrees(d.CentreLatitude);
    json.Key("longitude").Degrees(d.CentreLongitude);
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
            json.Array().Degrees(x).Degrees(y).End();
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
    if (shape.Point && datum.IsSeries()) {
        json.Key("latitude").Degrees(LatitudeDegrees(r.Point));
        json.Key("longitude").Degrees(LongitudeDegrees(r.Point));
    } else if (shape.Point) {
        // The point as read, and in the series datum, where its sheet is decided.
        json.Key(ColumnName("latitude", datum)).Degrees(LatitudeDegrees(r.Given));
        json.Key(ColumnName("longitude", datum)).Degrees(LongitudeDegrees(r.Given));
        json.Key("latitude_1942").Degrees(LatitudeDegrees(r.Point));
        json.Key("longitude_1942").Degrees(LongitudeDegrees(r.Point));
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
        if (datum.IsSeries())
            json.Key("frame");
        else
            json.Key(ColumnName("frame", datum));
        AppendFrame(json, ToDegrees(r.Frame, datum));
    }
}

} // namespace kavu::cli
