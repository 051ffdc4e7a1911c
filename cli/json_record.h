// JSON text for the JSON Lines and GeoJSON writers. The layout (keys, commas, nesting) is
// built here as the records are walked; every string value is escaped by nlohmann-json's own
// serializer, which turns bytes that are not UTF-8 into U+FFFD instead of failing.
#pragma once

#include "cli/coordinates.h"
#include "cli/record.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kavu::cli {

class JsonBuilder {
  public:
    JsonBuilder();
    JsonBuilder(const JsonBuilder&) = delete;
    JsonBuilder& operator=(const JsonBuilder&) = delete;

    /// Starts a new text.
    void Clear();
    const std::string& Text() const { return text_; }

    JsonBuilder& Object();
    JsonBuilder& Array();
    JsonBuilder& End();
    /// A member name: the writers' own literals, which need no escaping.
    JsonBuilder& Key(std::string_view key);
    JsonBuilder& String(std::string_view value);
    JsonBuilder& Number(double value); // null when not finite
    JsonBuilder& Integer(std::size_t value);
    JsonBuilder& Bool(bool value);
    JsonBuilder& Null();

  private:
    void Separate();

    std::string text_;
    nlohmann::json holder_;
    nlohmann::detail::serializer<nlohmann::json> serializer_;
    // Per open level: its closing bracket, and whether nothing is written in it yet. The
    // writers nest five levels at most.
    std::array<char, 16> closer_{};
    std::array<bool, 16> empty_{};
    std::size_t depth_ = 0;
    bool afterKey_ = false;
};

/// The members of a record in the documented order; `withFrame` adds the "frame" object.
void AppendRecordMembers(JsonBuilder& json, const SheetRecord& record, RecordShape shape,
                         const Datum& datum, bool withFrame);

/// The "frame" object: signed decimal degrees and D°M′S″ texts.
void AppendFrame(JsonBuilder& json, const FrameDegrees& frame);

/// The GeoJSON geometry of a frame: a closed counter-clockwise Polygon in longitude, latitude
/// order, or a MultiPolygon of two when the frame crosses 180 degrees (RFC 7946, 3.1.9).
void AppendFrameGeometry(JsonBuilder& json, const FrameDegrees& frame);

} // namespace kavu::cli
