#include "cli/writers.h"

#include <array>

namespace kavu::cli {

std::string_view CellName(int cell) {
    static constexpr std::array<std::string_view, 10> kNames{"",  "NW", "N",  "NE", "W",
                                                             "C", "E",  "SW", "S",  "SE"};
    return cell >= 1 && cell <= 9 ? kNames[static_cast<std::size_t>(cell)] : std::string_view();
}

bool ReadFormat(std::string_view text, Format& format) {
    if (text == "text")
        format = Format::Text;
    else if (text == "csv")
        format = Format::Csv;
    else if (text == "json")
        format = Format::Json;
    else if (text == "geojson")
        format = Format::GeoJson;
    else
        return false;
    return true;
}

std::unique_ptr<FormatWriter> MakeWriter(Format format, Command command, Output& out,
                                         const Datum& datum) {
    switch (format) {
    case Format::Csv:
        return MakeCsvWriter(command, out, datum);
    case Format::Json:
        return MakeJsonWriter(command, out, datum);
    case Format::GeoJson:
        return MakeGeoJsonWriter(command, out, datum);
    default:
        return MakeTextWriter(command, out, datum);
    }
}

} // namespace kavu::cli
