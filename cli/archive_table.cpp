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

nlohmann::ordered_json Properties(const std::vector<Column>& columns, const Row& row) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
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
    row.Values.resize(row.Values.size() + 4);
    for (const int edge : {0, 1, 2, 3}) {
        std::string& text = row.Values[row.Values.size() - 4 + static_cast<std::size_t>(edge)];
        text.clear();
        if (frame) {
            const std::int32_t s = edge == 0   ? frame->North
                                   : edge == 1 ? frame->South
                                   : edge == 2 ? frame->West
                                               : frame->East;
            AppendDegrees(text, RoundDegrees(Degrees(s)));
        }
    }
}

TableWriter::TableWriter(const std::vector<Column>& columns, const std::string& format, Output& out)
    : columns_(columns), format_(format), out_(out) {
    if (format_ == "csv") {
        for (std::size_t i = 0; i < columns_.size(); ++i)
            (line_ += i ? "," : "") += columns_[i].Name;
        out_.Put(line_ += '\n');
    } else if (format_ == "geojson") {
        out_.Put("{\"type\":\"FeatureCollection\",\"features\":[");
    }
}

void TableWriter::Write(const Row& row) {
    if (format_ == "text") {
        out_.Put(row.Line);
        out_.Put('\n');
    } else if (format_ == "csv") {
        line_.clear();
        for (std::size_t i = 0; i < row.Values.size(); ++i) {
            if (i) line_ += ',';
            PutCsvField(line_, row.Values[i]);
        }
        out_.Put(line_ += '\n');
    } else if (format_ == "json") {
        out_.Put(Properties(columns_, row)
                     .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        out_.Put('\n');
    } else {
        nlohmann::ordered_json feature{{"type", "Feature"}, {"geometry", nullptr}};
        if (row.Frame) {
            const double n = Degrees(row.Frame->North), s = Degrees(row.Frame->South);
            const double w = Degrees(row.Frame->West), e = Degrees(row.Frame->East);
            feature["geometry"] = {{"type", "Polygon"},
                                   {"coordinates", {{{w, s}, {e, s}, {e, n}, {w, n}, {w, s}}}}};
        }
        feature["properties"] = Properties(columns_, row);
        out_.Put(first_ ? "\n" : ",\n");
        first_ = false;
        out_.Put(feature.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
}

void TableWriter::End() {
    if (format_ == "geojson") out_.Put("\n]}\n");
}

void WriteTable(const Table& table, const std::string& format, Output& out) {
    TableWriter writer(table.Columns, format, out);
    for (const Row& row : table.Rows)
        writer.Write(row);
    writer.End();
}

} // namespace kavu::cli
