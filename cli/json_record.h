// JSON text for the JSON Lines and GeoJSON writers. The layout (keys, commas, nesting) is
// built here as the records are walked; every string value is escaped by nlohmann-json's own
// serializer, which turns bytes that are not UTF-8 into U+FFFD instead of failing.
#pragma once

#include "cli/coordinates.h"
#include "cli/record.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <cstring>
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
    std::string_view Text() const { return {buffer_.data(), size_}; }

    JsonBuilder& Object();
    JsonBuilder& Array();
    JsonBuilder& End();
    /// A member name: the writers' own literals, which need no escaping.
    JsonBuilder& Key(std::string_view key);
    JsonBuilder& String(std::string_view value);
    JsonBuilder& Degrees(double value); // as WriteDegrees; null when not finite
    JsonBuilder& Integer(std::size_t value);
    JsonBuilder& Bool(bool value);
    JsonBuilder& Null();

  private:
    // The comma before a member or element, when one came before it in the same level.
    void Separate() {
        if (afterKey_) {
            afterKey_ = false;
        } else if (depth_ > 0) {
            if (!empty_[depth_ - 1]) Put(',');
            empty_[depth_ - 1] = false;
        }
    }
    // Room for `n` more bytes. The text is written straight into the buffer: appending to a
    // string piece by piece costs more than the whole answer when a million records stream.
    char* Room(std::size_t n) {
        if (buffer_.size() - size_ < n) buffer_.resize(2 * buffer_.size() + n);
        return buffer_.data() + size_;
    }
    void Put(char c) { *Room(1) = c, ++size_; }
    void Put(std::string_view text) {
        std::memcpy(Room(text.size()), text.data(), text.size());
        size_ += text.size();
    }

    std::string buffer_;
    std::size_t size_ = 0;
    std::string escaped_;
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
