// frame in a projected CRS (--crs gk, EPSG:32637, …): a sheet's frame is no longer a box of
// round numbers there, so its four corners and its centre are written, in metres to 1 mm.
#include "cli/grid_output.h"
#include "cli/writers.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace kavu::cli {
namespace {

constexpr const char* kCorners[5] = {"nw", "ne", "se", "sw", "centre"};

class ProjectedFrameWriter : public FormatWriter {
  public:
    ProjectedFrameWriter(Format format, Output& out, const Datum& datum)
        : format_(format), out_(out), datum_(datum) {}

    void Begin() override {
        if (format_ != Format::Csv) return;
        std::string header = "line,input,scale,new,old";
        if (datum_.PerZone) header += ",zone";
        for (const char* corner : kCorners)
            header += std::string(",") + corner + "_northing," + corner + "_easting";
        out_.Put(header + "\n");
    }

    void Write(const SheetRecord& r) override {
        const SignedFrame& f = r.Frame;
        const double n = f.North / 3600.0, s = f.South / 3600.0, w = f.West / 3600.0,
                     e = f.East / 3600.0;
        const double at[5][2] = {{n, w}, {n, e}, {s, e}, {s, w}, {(n + s) / 2, (w + e) / 2}};
        // Every corner in the zone of the sheet's centre, as the sheet is drawn.
        const int zone = datum_.PerZone ? geo::ZoneOfLongitude(at[4][1]) : 0;
        // Corners and centres in half arc-seconds, exact keys of what was projected before.
        const std::int64_t half[5][2] = {{2 * f.North, 2 * f.West},
                                         {2 * f.North, 2 * f.East},
                                         {2 * f.South, 2 * f.East},
                                         {2 * f.South, 2 * f.West},
                                         {f.North + f.South, f.West + f.East}};
        double values[5][2];
        for (int i = 0; i < 5; ++i) {
            const std::uint64_t key = (static_cast<std::uint64_t>(zone) << 50) |
                                      (static_cast<std::uint64_t>(half[i][0] + (1 << 21)) << 25) |
                                      static_cast<std::uint64_t>(half[i][1] + (1 << 23));
            if (auto found = known_.find(key); found != known_.end()) {
                values[i][0] = found->second.first;
                values[i][1] = found->second.second;
                continue;
            }
            if (!datum_.ToProjected(at[i][0], at[i][1], values[i][0], values[i][1], zone)) {
                WriteEmpty(r.Line, r.Input, "PROJ cannot project the frame");
                return;
            }
            if (known_.size() > kKnownLimit) known_.clear();
            known_.emplace(key, std::pair(values[i][0], values[i][1]));
        }
        std::string& text = text_;
        text.clear();
        const std::string line = r.Line == 0 ? std::string() : std::to_string(r.Line);
        switch (format_) {
        case Format::Csv: {
            text = line + "," + Quoted(r.Input) + "," + std::string(ScaleName(r.Scale)) + "," +
                   Quoted(r.New) + "," + Quoted(r.Old);
            if (datum_.PerZone) text.append(",").append(std::to_string(zone));
            for (const auto& v : values) {
                text += ',';
                AppendMetres(text, v[0]);
                text += ',';
                AppendMetres(text, v[1]);
            }
            text += '\n';
            break;
        }
        case Format::Json: {
            nlohmann::json record = {
                {"line", r.Line == 0 ? nlohmann::json() : nlohmann::json(r.Line)},
                {"input", r.Input},
                {"scale", ScaleName(r.Scale)},
                {"new", r.New},
                {"old", r.Old}};
            if (datum_.PerZone) record["zone"] = zone;
            for (int i = 0; i < 5; ++i)
                record[kCorners[i]] = {nlohmann::json::parse(Metres(values[i][0])),
                                       nlohmann::json::parse(Metres(values[i][1]))};
            text = record.dump() + "\n";
            break;
        }
        default: {
            const char* a = datum_.PerZone ? "X " : "N ";
            const char* b = datum_.PerZone ? " Y " : " E ";
            text.append(r.New).append("  ").append(r.Old);
            const char* names[5] = {"NW", "NE", "SE", "SW", "centre"};
            for (int i = 0; i < 5; ++i) {
                text.append("  ").append(names[i]).append(" ").append(a);
                AppendMetres(text, values[i][0]);
                text.append(b);
                AppendMetres(text, values[i][1]);
            }
            text += '\n';
        }
        }
        out_.Put(text);
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view) override {
        // A CSV or JSON Lines reader keeps one record a line of input.
        if (format_ == Format::Csv)
            out_.Put(std::to_string(line) + "," + Quoted(input) + "\n");
        else if (format_ == Format::Json)
            out_.Put(nlohmann::json({{"line", line}, {"input", input}}).dump() + "\n");
    }

  private:
    static std::string Quoted(std::string_view text) {
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
        std::string out = "\"";
        for (const char c : text) {
            if (c == '"') out += '"';
            out += c;
        }
        return out + "\"";
    }

    Format format_;
    Output& out_;
    const Datum& datum_;
    std::string text_;
    // Neighbouring sheets share corners, and a batch names the same sheets again and again:
    // PROJ is asked once a point.
    static constexpr std::size_t kKnownLimit = 1 << 22;
    std::unordered_map<std::uint64_t, std::pair<double, double>> known_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeProjectedFrameWriter(Format format, Output& out,
                                                       const Datum& datum) {
    return std::make_unique<ProjectedFrameWriter>(format, out, datum);
}

} // namespace kavu::cli
