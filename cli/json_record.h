// The JSON object of a record, shared by JSON Lines and the properties of GeoJSON features.
#pragma once

#include "cli/coordinates.h"
#include "cli/record.h"

#include <nlohmann/json.hpp>

namespace kavu::cli {

using Json = nlohmann::ordered_json;

inline Json JsonText(std::string_view text) {
    return Json(std::string(text));
}

/// The record's fields in the documented order; `withFrame` adds the "frame" object.
Json RecordJson(const SheetRecord& record, RecordShape shape, const Datum& datum, bool withFrame);

/// The "frame" object: signed decimal degrees and D°M′S″ texts.
Json FrameJson(const FrameDegrees& frame);

/// The GeoJSON geometry of a frame: a closed counter-clockwise Polygon in longitude, latitude
/// order, or a MultiPolygon of two when the frame crosses 180 degrees (RFC 7946, 3.1.9).
Json FrameGeometry(const FrameDegrees& frame);

/// Serialises without throwing on bytes that are not UTF-8 (they become U+FFFD).
std::string Dump(const Json& json);

} // namespace kavu::cli
