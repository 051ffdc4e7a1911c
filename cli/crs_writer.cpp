// Records in a projected CRS (--crs gk, EPSG:32637, …): a sheet's frame is no longer a box of
// round numbers there, so its four corners and its centre are written, in metres to 1 mm, and a
// point is echoed as northing and easting beside its 1942 degrees. GeoJSON draws each frame as
// the polygon it is in the projection, its parallels curved.
#include "cli/gis.h"
#include "cli/grid_output.h"
#include "cli/writers.h"
#include "geo/frame_outline.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace kavu::cli {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kCorners[5] = {"nw", "ne", "se", "sw", "centre"};
constexpr const char* kUrn = "urn:ogc:def:crs:";

// Every corner of a sheet in the zone of the sheet's centre, as the sheet is drawn.
int SheetZone(const SignedFrame& f, const Datum& datum) {
    return datum.PerZone ? geo::ZoneOfLongitude((f.West + f.East) / 7200.0) : 0;
}

Json MetresJson(double metres) {
    const std::string text = Metres(metres);
    return text.empty() ? Json() : Json::parse(text);
}

Json DegreesJson(double degrees) {
    std::string text;
    AppendDegrees(text, degrees);
    return text.empty() ? Json() : Json::parse(text);
}

std::string Quoted(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// The corners and centre of frames, projected. Neighbouring sheets share corners, and a batch
// names the same sheets again and again: PROJ is asked once a point while it stays in the table.
class CornerCache {
  public:
    explicit CornerCache(const Datum& datum) : datum_(datum) {}

    /// Northing and easting of NW, NE, SE, SW and the centre in `zone` (0: the CRS has none).
    bool Project(const SignedFrame& f, int zone, double (&values)[5][2]) {
        const double n = f.North / 3600.0, s = f.South / 3600.0, w = f.West / 3600.0,
                     e = f.East / 3600.0;
        const double at[5][2] = {{n, w}, {n, e}, {s, e}, {s, w}, {(n + s) / 2, (w + e) / 2}};
        // Corners and centres in half arc-seconds, exact keys of what was projected before.
        const std::int64_t half[5][2] = {{2 * f.North, 2 * f.West},
                                         {2 * f.North, 2 * f.East},
                                         {2 * f.South, 2 * f.East},
                                         {2 * f.South, 2 * f.West},
                                         {f.North + f.South, f.West + f.East}};
        // Gauss–Krüger keeps its own table, shared by all zones.
        if (datum_.FrameToProjected) return datum_.FrameToProjected(f, zone, values);
        for (int i = 0; i < 5; ++i) {
            if (datum_.PerZone) {
                if (!datum_.ToProjected(at[i][0], at[i][1], values[i][0], values[i][1], zone))
                    return false;
                continue;
            }
            const std::uint64_t key = (static_cast<std::uint64_t>(zone) << 50) |
                                      (static_cast<std::uint64_t>(half[i][0] + (1 << 21)) << 25) |
                                      static_cast<std::uint64_t>(half[i][1] + (1 << 23));
            Known& slot = known_[(key * 0x9E3779B97F4A7C15ULL) >> (64 - kKnownBits)];
            if (slot.key == key + 1) { // 0 is an empty slot
                values[i][0] = slot.northing;
                values[i][1] = slot.easting;
                continue;
            }
            if (!datum_.ToProjected(at[i][0], at[i][1], values[i][0], values[i][1], zone))
                return false;
            slot = {key + 1, values[i][0], values[i][1]};
        }
        return true;
    }

  private:
    const Datum& datum_;
    struct Known {
        std::uint64_t key = 0;
        double northing = 0, easting = 0;
    };
    static constexpr int kKnownBits = 16;
    std::vector<Known> known_ =
        std::vector<Known>(datum_.PerZone ? 0 : std::size_t{1} << kKnownBits);
};

// Reports a record that cannot be projected, on standard error through `report`.
class Reporting : public FormatWriter {
  public:
    Reporting(Output& out, const Datum& datum, ErrorReporter report)
        : out_(out), datum_(datum), report_(std::move(report)) {}
    bool Failed() const override { return failed_; }

  protected:
    void Unprojected(const SheetRecord& r, std::string_view what) {
        failed_ = true;
        std::string message = "kavu-sheet: ";
        if (r.Line != 0) message += "line " + std::to_string(r.Line) + ": ";
        // "urn:ogc:def:crs:EPSG::32637" as it was given: "EPSG:32637".
        std::string crs = datum_.PerZone ? std::string("gk") : datum_.CrsName;
        if (crs.rfind(kUrn, 0) == 0) {
            crs.erase(0, std::string_view(kUrn).size());
            if (const auto colons = crs.find("::"); colons != std::string::npos)
                crs.erase(colons, 1);
        }
        message += "PROJ cannot project " + std::string(what) + " of " + std::string(r.Old) +
                   " to " + crs + "\n";
        if (report_) report_(message);
    }

    Output& out_;
    const Datum& datum_;
    ErrorReporter report_;
    bool failed_ = false;
};

// frame: one line a sheet with its corners and centre.
class ProjectedFrameWriter : public Reporting {
  public:
    ProjectedFrameWriter(Format format, Output& out, const Datum& datum, ErrorReporter report)
        : Reporting(out, datum, std::move(report)), format_(format), corners_(datum) {}

    void Begin() override {
        if (format_ != Format::Csv) return;
        std::string header = "line,input,scale,new,old";
        if (datum_.PerZone) header += ",zone";
        for (const char* corner : kCorners)
            header += std::string(",") + corner + "_northing," + corner + "_easting";
        out_.Put(header + "\n");
    }

    void Write(const SheetRecord& r) override {
        const int zone = SheetZone(r.Frame, datum_);
        double values[5][2];
        if (!corners_.Project(r.Frame, zone, values)) {
            Unprojected(r, "the frame");
            WriteEmpty(r.Line, r.Input, "");
            return;
        }
        std::string& text = text_;
        text.clear();
        switch (format_) {
        case Format::Csv: {
            text = (r.Line == 0 ? std::string() : std::to_string(r.Line)) + "," + Quoted(r.Input) +
                   "," + std::string(ScaleName(r.Scale)) + "," + Quoted(r.New) + "," +
                   Quoted(r.Old);
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
            Json record = {{"line", r.Line == 0 ? Json() : Json(r.Line)},
                           {"input", r.Input},
                           {"scale", ScaleName(r.Scale)},
                           {"new", r.New},
                           {"old", r.Old}};
            if (datum_.PerZone) record["zone"] = zone;
            for (int i = 0; i < 5; ++i)
                record[kCorners[i]] = {MetresJson(values[i][0]), MetresJson(values[i][1])};
            text = record.dump() + "\n";
            break;
        }
        default:
            WriteText(r, values);
            return;
        }
        out_.Put(text);
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view) override {
        // A CSV or JSON Lines reader keeps one record a line of input.
        if (format_ == Format::Csv)
            out_.Put(std::to_string(line) + "," + Quoted(input) + "\n");
        else if (format_ == Format::Json)
            out_.Put(Json({{"line", line}, {"input", input}}).dump() + "\n");
    }

  private:
    // Straight into the output buffer: a million lines stream through here.
    void WriteText(const SheetRecord& r, const double (&values)[5][2]) {
        constexpr std::size_t kName = 200; // longer than any designation
        char* const begin = out_.Reserve(2 * kName + 5 * (16 + 2 * kMetresTextSize) + 8);
        char* p = begin;
        const auto put = [&p](std::string_view text) {
            std::memcpy(p, text.data(), text.size());
            p += text.size();
        };
        const std::string_view a = datum_.PerZone ? " X " : " N ";
        const std::string_view b = datum_.PerZone ? " Y " : " E ";
        constexpr std::string_view names[5] = {"  NW", "  NE", "  SE", "  SW", "  centre"};
        put(r.New.substr(0, kName));
        put("  ");
        put(r.Old.substr(0, kName));
        for (int i = 0; i < 5; ++i) {
            put(names[i]);
            put(a);
            p += WriteMetres(p, values[i][0]);
            put(b);
            p += WriteMetres(p, values[i][1]);
        }
        *p++ = '\n';
        out_.Commit(static_cast<std::size_t>(p - begin));
    }

    Format format_;
    CornerCache corners_;
    std::string text_;
};

// The members every projected record shares: the point echoed (point), the cell (around), the
// sheet and its published sheet; `zone` is the point's zone with gk.
Json RecordMembers(const SheetRecord& r, RecordShape shape, const Datum& datum, const double* point,
                   int pointZone) {
    Json record = Json::object();
    if (shape.Input) {
        record["line"] = r.Line == 0 ? Json() : Json(r.Line);
        record["input"] = r.Input;
    }
    if (shape.Point) {
        if (datum.PerZone) record["zone"] = pointZone;
        record["northing"] = MetresJson(point[0]);
        record["easting"] = MetresJson(point[1]);
        record["latitude_1942"] = DegreesJson(LatitudeDegrees(r.Point));
        record["longitude_1942"] = DegreesJson(LongitudeDegrees(r.Point));
    }
    if (shape.Cell) {
        record["cell"] = CellName(r.Cell);
        record["present"] = r.Present;
    }
    record["scale"] = ScaleName(r.Scale);
    if (!r.Present) return record;
    record["new"] = r.New;
    record["old"] = r.Old;
    if (shape.Point) {
        record["latitude_junction"] = r.LatitudeJunction;
        record["longitude_junction"] = r.LongitudeJunction;
    } else {
        record["joined"] = r.Joined;
    }
    record["published"] =
        r.PublishedNew.empty() ? Json() : Json({{"new", r.PublishedNew}, {"old", r.PublishedOld}});
    return record;
}

// point, around, rescale, cover in CSV or JSON Lines: the columns of the geographic run, with
// the point in metres and the frame as its corners and centre.
class ProjectedRecordWriter : public Reporting {
  public:
    ProjectedRecordWriter(Command command, Format format, Output& out, const Datum& datum,
                          ErrorReporter report)
        : Reporting(out, datum, std::move(report)), shape_(ShapeOf(command)), format_(format),
          corners_(datum) {}

    void Begin() override {
        if (format_ != Format::Csv) return;
        std::string header;
        if (shape_.Input) header += "line,input,";
        if (shape_.Point) {
            if (datum_.PerZone) header += "zone,";
            header += "northing,easting,latitude_1942,longitude_1942,";
        }
        if (shape_.Cell) header += "cell,present,";
        header += "scale,new,old,";
        if (shape_.Point) header += "latitude_junction,longitude_junction,";
        if (shape_.Frame) header += "joined,";
        header += "published_new,published_old";
        if (shape_.Frame) {
            if (datum_.PerZone) header += ",zone";
            for (const char* corner : kCorners)
                header += std::string(",") + corner + "_northing," + corner + "_easting";
        }
        columns_ = static_cast<std::size_t>(std::count(header.begin(), header.end(), ',')) + 1;
        out_.Put(header + "\n");
    }

    void Write(const SheetRecord& r) override {
        double point[2] = {0, 0};
        int pointZone = 0;
        if (shape_.Point) {
            const double lat = LatitudeDegrees(r.Point), lon = LongitudeDegrees(r.Point);
            pointZone = datum_.PerZone ? geo::ZoneOfLongitude(lon) : 0;
            if (!datum_.ToProjected(lat, lon, point[0], point[1], pointZone)) {
                Unprojected(r, "the point");
                WriteEmpty(r.Line, r.Input, "");
                return;
            }
        }
        const bool frame = shape_.Frame && r.Present;
        const int zone = frame ? SheetZone(r.Frame, datum_) : 0;
        double values[5][2];
        if (frame && !corners_.Project(r.Frame, zone, values)) {
            Unprojected(r, "the frame");
            WriteEmpty(r.Line, r.Input, "");
            return;
        }
        if (format_ == Format::Json) {
            Json record = RecordMembers(r, shape_, datum_, point, pointZone);
            if (frame) {
                if (datum_.PerZone) record["zone"] = zone;
                for (int i = 0; i < 5; ++i)
                    record[kCorners[i]] = {MetresJson(values[i][0]), MetresJson(values[i][1])};
            }
            out_.Put(record.dump() + "\n");
            return;
        }
        std::string row;
        if (shape_.Input)
            row += (r.Line == 0 ? std::string() : std::to_string(r.Line)) + "," + Quoted(r.Input) +
                   ",";
        if (shape_.Point) {
            if (datum_.PerZone) row.append(std::to_string(pointZone)).append(",");
            AppendMetres(row, point[0]);
            row += ',';
            AppendMetres(row, point[1]);
            row += ',';
            AppendDegrees(row, LatitudeDegrees(r.Point));
            row += ',';
            AppendDegrees(row, LongitudeDegrees(r.Point));
            row += ',';
        }
        if (shape_.Cell) row.append(CellName(r.Cell)).append(r.Present ? ",true," : ",false,");
        row.append(ScaleName(r.Scale)).append(",");
        row += Quoted(r.New) + "," + Quoted(r.Old) + ",";
        if (shape_.Point) {
            row.append(r.LatitudeJunction ? "true," : "false,");
            row.append(r.LongitudeJunction ? "true," : "false,");
        }
        if (shape_.Frame) row.append(!r.Present ? "," : r.Joined ? "true," : "false,");
        row += Quoted(r.PublishedNew) + "," + Quoted(r.PublishedOld);
        if (frame) {
            if (datum_.PerZone) row.append(",").append(std::to_string(zone));
            for (const auto& v : values) {
                row += ',';
                AppendMetres(row, v[0]);
                row += ',';
                AppendMetres(row, v[1]);
            }
        } else if (shape_.Frame) {
            row.append(datum_.PerZone ? 11 : 10, ',');
        }
        out_.Put(row + "\n");
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view) override {
        // Rows and records stay aligned with the lines of input.
        const std::string number = line == 0 ? std::string() : std::to_string(line);
        if (format_ == Format::Json)
            out_.Put(Json({{"line", line == 0 ? Json() : Json(line)}, {"input", input}}).dump() +
                     "\n");
        else if (shape_.Input)
            out_.Put(number + "," + Quoted(input) + std::string(columns_ - 2, ',') + "\n");
    }

  private:
    RecordShape shape_;
    Format format_;
    CornerCache corners_;
    std::size_t columns_ = 0;
};

// One FeatureCollection of frames as polygons in the CRS, named in its "crs" member as GDAL and
// QGIS read it. With gk a file has one zone: that of its first sheet, written with the first
// feature.
class ProjectedGeoJsonWriter : public Reporting {
  public:
    ProjectedGeoJsonWriter(Command command, Output& out, const Datum& datum, ErrorReporter report)
        : Reporting(out, datum, std::move(report)), command_(command), shape_(ShapeOf(command)) {}

    void Begin() override {
        if (!datum_.PerZone) Header(datum_.CrsName);
    }

    void Write(const SheetRecord& r) override {
        if (!r.Present) return;
        if (datum_.PerZone && !started_) {
            zone_ = FileZone(r, command_);
            const std::string crs = geo::ZoneCrs(zone_);
            Header(crs.rfind("EPSG:", 0) == 0 ? kUrn + std::string("EPSG::") + crs.substr(5) : crs);
        }
        std::string geometry = "{\"type\":\"Polygon\",\"coordinates\":[[";
        bool first = true;
        for (const auto& [longitude, latitude] : geo::FrameOutline(r.Frame)) {
            double northing = 0, easting = 0;
            if (!datum_.ToProjected(latitude, longitude, northing, easting, zone_)) {
                Unprojected(r, "the frame");
                return;
            }
            geometry += first ? "[" : ",[";
            first = false;
            AppendMetres(geometry, easting);
            geometry += ',';
            AppendMetres(geometry, northing);
            geometry += ']';
        }
        geometry += "]]}";
        double point[2] = {0, 0};
        if (shape_.Point && !datum_.ToProjected(LatitudeDegrees(r.Point), LongitudeDegrees(r.Point),
                                                point[0], point[1], zone_)) {
            Unprojected(r, "the point");
            return;
        }
        Json properties = RecordMembers(r, shape_, datum_, point, zone_);
        if (datum_.PerZone && !shape_.Point) properties["zone"] = zone_;
        out_.Put(first_ ? "\n" : ",\n");
        first_ = false;
        out_.Put("{\"type\":\"Feature\",\"geometry\":" + geometry +
                 ",\"properties\":" + properties.dump() + "}");
    }

    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}

    void End() override {
        if (!started_) Header("");
        out_.Put("\n]}\n");
    }

  private:
    void Header(const std::string& crs) {
        started_ = true;
        std::string text = "{\"type\":\"FeatureCollection\",";
        if (!crs.empty())
            text +=
                "\"crs\":" + Json({{"type", "name"}, {"properties", {{"name", crs}}}}).dump() + ",";
        out_.Put(text + "\"features\":[");
    }

    Command command_;
    RecordShape shape_;
    int zone_ = 0; // gk: the file's zone
    bool started_ = false;
    bool first_ = true;
};

} // namespace

std::unique_ptr<FormatWriter> MakeProjectedWriter(Format format, Command command, Output& out,
                                                  const Datum& datum, ErrorReporter report) {
    if (format == Format::GeoJson)
        return std::make_unique<ProjectedGeoJsonWriter>(command, out, datum, std::move(report));
    if (command == Command::Frame)
        return std::make_unique<ProjectedFrameWriter>(format, out, datum, std::move(report));
    // Text gives no coordinates but a frame's.
    if (format == Format::Text) return MakeTextWriter(command, out, datum);
    return std::make_unique<ProjectedRecordWriter>(command, format, out, datum, std::move(report));
}

} // namespace kavu::cli
