// JSON text for the JSON Lines and GeoJSON writers, through RapidJSON's streaming Writer
// (keys, commas, nesting). A string that is not plain printable text is escaped by
// nlohmann-json's dump, which turns bytes that are not UTF-8 into U+FFFD instead of failing;
// numbers are written short from whole nanodegrees (WriteDegrees).
#pragma once

#include "cli/coordinates.h"
#include "cli/record.h"

#include <rapidjson/writer.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace kavu::cli {

/// The stream the Writer puts one text into; it also takes whole runs of bytes.
class JsonText {
  public:
    typedef char Ch;
    [[gnu::always_inline]] void Put(char c) {
        if (size_ == data_.size()) Grow(1);
        data_[size_++] = c;
    }
    void Append(std::string_view text) {
        if (data_.size() - size_ < text.size()) Grow(text.size());
        std::memcpy(data_.data() + size_, text.data(), text.size());
        size_ += text.size();
    }
    /// The text between quotes, in one step.
    void AppendQuoted(std::string_view text) {
        if (data_.size() - size_ < text.size() + 2) Grow(text.size() + 2);
        char* p = data_.data() + size_;
        *p = '"';
        std::memcpy(p + 1, text.data(), text.size());
        p[text.size() + 1] = '"';
        size_ += text.size() + 2;
    }
    void Flush() {}
    void Clear() { size_ = 0; }
    std::string_view View() const { return {data_.data(), size_}; }

  private:
    void Grow(std::size_t n) { data_.resize(2 * data_.size() + n); }
    std::string data_ = std::string(1024, '\0');
    std::size_t size_ = 0;
};

/// RapidJSON's Writer (which keeps the commas and the nesting), extended as its own
/// PrettyWriter is: a text already in JSON form is copied whole. The Writer's own escaping
/// looks at each byte, which would cost more than the rest of a record.
class JsonWriter : public rapidjson::Writer<JsonText> {
  public:
    explicit JsonWriter(JsonText& text) : Writer(text) {}
    /// A number, or a string escaped elsewhere, as RawValue writes it.
    void Raw(std::string_view json, rapidjson::Type type) {
        Prefix(type);
        os_->Append(json);
        EndValue(true);
    }
    /// A key or string that needs no escaping, quoted.
    void Quoted(std::string_view text) {
        Prefix(rapidjson::kStringType);
        os_->AppendQuoted(text);
        EndValue(true);
    }
};

/// True when the text needs no escaping: printable ASCII other than the quote and the
/// backslash, and two-byte UTF-8 sequences (the Cyrillic letters of designations).
bool PlainJsonText(std::string_view text);

class JsonBuilder {
  public:
    JsonBuilder();
    JsonBuilder(const JsonBuilder&) = delete;
    JsonBuilder& operator=(const JsonBuilder&) = delete;

    /// Starts a new text.
    void Clear();
    std::string_view Text() const { return text_.View(); }

    JsonBuilder& Object();
    JsonBuilder& Array();
    JsonBuilder& End();
    /// A member name: the writers' own literals, which need no escaping.
    JsonBuilder& Key(std::string_view key);
    /// Any text (what users typed: escaped as needed).
    JsonBuilder& String(std::string_view value);
    /// The tool's own texts (designations, scales, D°M′S″ texts): valid UTF-8 without quotes,
    /// backslashes or control characters, so written as they are.
    JsonBuilder& Own(std::string_view value) {
        writer_.Quoted(value);
        return *this;
    }
    JsonBuilder& Degrees(double value); // as WriteDegrees; null when not finite
    JsonBuilder& Integer(std::size_t value);
    JsonBuilder& Bool(bool value);
    JsonBuilder& Null();

  private:
    JsonText text_;
    JsonWriter writer_;
    // Per open level: whether it is an object. The writers nest five levels at most.
    std::array<bool, 16> object_{};
    std::size_t depth_ = 0;
};

/// The members of a record in the documented order; `withFrame` adds the "frame" object.
void AppendRecordMembers(JsonBuilder& json, const SheetRecord& record, RecordShape shape,
                         const Datum& datum, bool withFrame);

/// A record of `point` (its shape, without a frame) as one JSON object, written straight into
/// `out`: the bytes the Writer gives for the object of AppendRecordMembers, at a fraction of
/// the cost. `out` needs PointRecordRoom bytes. Returns the length, or 0 when the input needs
/// escaping (rare: then the Writer is used).
std::size_t PointRecordRoom(const SheetRecord& record, const Datum& datum);
std::size_t WritePointRecord(char* out, const SheetRecord& record, const Datum& datum);

/// The "frame" object: signed decimal degrees and D°M′S″ texts.
void AppendFrame(JsonBuilder& json, const FrameDegrees& frame);

/// The GeoJSON geometry of a frame: a closed counter-clockwise Polygon in longitude, latitude
/// order, or a MultiPolygon of two when the frame crosses 180 degrees (RFC 7946, 3.1.9).
void AppendFrameGeometry(JsonBuilder& json, const FrameDegrees& frame);

} // namespace kavu::cli
