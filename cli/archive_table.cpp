#include "cli/archive_table.h"

#include "cli/coordinates.h"
#include "cli/output.h"

#include <nlohmann/json.hpp>

namespace kavu::cli {
namespace {

void PutCsvField(std::string& line, const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) {
        line += value;
        return;
    }
    line += '"';
    for (const char c : value) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

nlohmann::ordered_json Properties(const Table& table, const Row& row) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < table.Columns.size(); ++i) {
        const Column& c = table.Columns[i];
        const std::string& v = row.Values[i];
        if (c.Type == Column::Flag)
            object[c.Name] = v == "true";
        else if (c.Type == Column::Number && v.empty())
            object[c.Name] = nullptr;
        else if (c.Type == Column::Number)
            object[c.Name] = std::stod(v);
        else
            object[c.Name] = v;
    }
    return object;
}

double Degrees(std::int32_t seconds) {
    return seconds / 3600.0;
}

} // namespace

void AppendFrameValues(Row& row, const std::optional<SignedFrame>& frame) {
    for (const int edge : {0, 1, 2, 3}) {
        std::string text;
        if (frame) {
            const std::int32_t s = edge == 0   ? frame->North
                                   : edge == 1 ? frame->South
                                   : edge == 2 ? frame->West
                                               : frame->East;
            AppendDegrees(text, RoundDegrees(Degrees(s)));
        }
        row.Values.push_back(std::move(text));
    }
}

void WriteTable(const Table& table, const std::string& format, Output& out) {
    std::string line;
    if (format == "text") {
        for (const Row& row : table.Rows) {
            line = row.Line;
            line += '\n';
            out.Put(line);
        }
        return;
    }
    if (format == "csv") {
        line.clear();
        for (std::size_t i = 0; i < table.Columns.size(); ++i)
            (line += i ? "," : "") += table.Columns[i].Name;
        out.Put(line += '\n');
        for (const Row& row : table.Rows) {
            line.clear();
            for (std::size_t i = 0; i < row.Values.size(); ++i) {
                if (i) line += ',';
                PutCsvField(line, row.Values[i]);
            }
            out.Put(line += '\n');
        }
        return;
    }
    if (format == "json") {
        for (const Row& row : table.Rows)
            out.Put(Properties(table, row)
                        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                    "\n");
        return;
    }
    out.Put("{\"type\":\"FeatureCollection\",\"features\":[");
    bool first = true;
    for (const Row& row : table.Rows) {
        nlohmann::ordered_json feature{{"type", "Feature"}, {"geometry", nullptr}};
        if (row.Frame) {
            const double n = Degrees(row.Frame->North), s = Degrees(row.Frame->South);
            const double w = Degrees(row.Frame->West), e = Degrees(row.Frame->East);
            feature["geometry"] = {{"type", "Polygon"},
                                   {"coordinates", {{{w, s}, {e, s}, {e, n}, {w, n}, {w, s}}}}};
        }
        feature["properties"] = Properties(table, row);
        out.Put(first ? "\n" : ",\n");
        first = false;
        out.Put(feature.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
    out.Put("\n]}\n");
}

} // namespace kavu::cli
