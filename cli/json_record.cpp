#include "cli/json_record.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstring>

namespace kavu::cli {

JsonBuilder::JsonBuilder() : writer_(text_) {}

void JsonBuilder::Clear() {
    text_.Clear();
    writer_.Reset(text_);
    depth_ = 0;
}

JsonBuilder& JsonBuilder::Object() {
    writer_.StartObject();
    object_[depth_++] = true;
    return *this;
}

JsonBuilder& JsonBuilder::Array() {
    writer_.StartArray();
    object_[depth_++] = false;
    return *this;
}

JsonBuilder& JsonBuilder::End() {
    if (object_[--depth_])
        writer_.EndObject();
    else
        writer_.EndArray();
    return *this;
}

JsonBuilder& JsonBuilder::Key(std::string_view key) {
    writer_.Quoted(key);
    return *this;
}

bool PlainJsonText(std::string_view text) {
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
    if (PlainJsonText(value)) { // the common case, and a million times a run
        writer_.Quoted(value);
        return *this;
    }
    // Control characters, and bytes that are not UTF-8 (as U+FFFD): nlohmann-json's escaping.
    const std::string escaped = nlohmann::json(std::string(value))
                                    .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    writer_.Raw(escaped, rapidjson::kStringType);
    return *this;
}

JsonBuilder& JsonBuilder::Degrees(double value) {
    char text[kDegreesTextSize];
    const std::size_t n = WriteDegrees(text, value);
    if (n == 0) return Null();
    writer_.Raw({text, n}, rapidjson::kNumberType);
    return *this;
}

JsonBuilder& JsonBuilder::Integer(std::size_t value) {
    writer_.Uint64(value);
    return *this;
}

JsonBuilder& JsonBuilder::Bool(bool value) {
    writer_.Bool(value);
    return *this;
}

JsonBuilder& JsonBuilder::Null() {
    writer_.Null();
    return *this;
}

namespace {

void Dms(JsonBuilder& json, std::string& scratch, double degrees, bool latitude) {
    scratch.clear();
    AppendDms(scratch, degrees, latitude);
    json.Own(scratch);
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
    json.Key("centre").Own(scratch);
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
        json.Key("type").Own("Polygon").Key("coordinates");
        ring(west, east);
    } else {
        if (west < -180) west += 360;
        json.Key("type").Own("MultiPolygon").Key("coordinates").Array();
        ring(west, 180);
        ring(-180, east);
        json.End();
    }
    json.End();
}

namespace {

class Cursor {
  public:
    explicit Cursor(char* p) : p_(p) {}
    Cursor& Put(std::string_view text) {
        if (!text.empty()) std::memcpy(p_, text.data(), text.size()); // an empty view may be null
        p_ += text.size();
        return *this;
    }
    Cursor& Quoted(std::string_view text) {
        *p_++ = '"';
        Put(text);
        *p_++ = '"';
        return *this;
    }
    Cursor& Degrees(double v) {
        const std::size_t n = WriteDegrees(p_, v);
        if (n == 0) return Put("null");
        p_ += n;
        return *this;
    }
    Cursor& Bool(bool v) { return Put(v ? "true" : "false"); }
    char* End() const { return p_; }

  private:
    char* p_;
};

constexpr std::size_t kPointRecordFixed = 512; // keys, punctuation, numbers

} // namespace

std::size_t PointRecordRoom(const SheetRecord& r, const Datum& datum) {
    return kPointRecordFixed + 4 * datum.Suffix.size() + r.Input.size() + r.New.size() +
           r.Old.size() + r.PublishedNew.size() + r.PublishedOld.size();
}

std::size_t WritePointRecord(char* out, const SheetRecord& r, const Datum& datum) {
    if (!PlainJsonText(r.Input)) return 0;
    Cursor c(out);
    c.Put("{\"line\":");
    if (r.Line != 0) {
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, r.Line).ptr;
        c.Put({digits, static_cast<std::size_t>(end - digits)});
    } else {
        c.Put("null");
    }
    c.Put(",\"input\":").Quoted(r.Input);
    if (datum.IsSeries()) {
        c.Put(",\"latitude\":").Degrees(LatitudeDegrees(r.Point));
        c.Put(",\"longitude\":").Degrees(LongitudeDegrees(r.Point));
    } else {
        c.Put(",\"latitude").Put(datum.Suffix).Put("\":").Degrees(LatitudeDegrees(r.Given));
        c.Put(",\"longitude").Put(datum.Suffix).Put("\":").Degrees(LongitudeDegrees(r.Given));
        c.Put(",\"latitude_1942\":").Degrees(LatitudeDegrees(r.Point));
        c.Put(",\"longitude_1942\":").Degrees(LongitudeDegrees(r.Point));
    }
    c.Put(",\"scale\":").Quoted(ScaleName(r.Scale));
    if (r.Present) {
        c.Put(",\"new\":").Quoted(r.New).Put(",\"old\":").Quoted(r.Old);
        c.Put(",\"latitude_junction\":").Bool(r.LatitudeJunction);
        c.Put(",\"longitude_junction\":").Bool(r.LongitudeJunction);
        c.Put(",\"published\":");
        if (r.PublishedNew.empty())
            c.Put("null");
        else
            c.Put("{\"new\":")
                .Quoted(r.PublishedNew)
                .Put(",\"old\":")
                .Quoted(r.PublishedOld)
                .Put("}");
    }
    c.Put("}");
    return static_cast<std::size_t>(c.End() - out);
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
        json.Key("cell").Own(CellName(r.Cell));
        json.Key("present").Bool(r.Present);
    }
    json.Key("scale").Own(ScaleName(r.Scale));
    if (!r.Present) return;
    json.Key("new").Own(r.New);
    json.Key("old").Own(r.Old);
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
        json.Object().Key("new").Own(r.PublishedNew).Key("old").Own(r.PublishedOld).End();
    if (withFrame) {
        if (datum.IsSeries())
            json.Key("frame");
        else
            json.Key(ColumnName("frame", datum));
        AppendFrame(json, ToDegrees(r.Frame, datum));
    }
}

} // namespace kavu::cli
