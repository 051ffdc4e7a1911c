// CSV with a header row, quoted as RFC 4180 asks (a field holding a comma, a quote or a line
// break is quoted, quotes doubled); rows end in "\n". A line that did not read gives a row with
// only its line number and text, so rows stay aligned with the input.
#include "cli/writers.h"

#include <string>

namespace kavu::cli {
namespace {

class CsvWriter : public FormatWriter {
  public:
    CsvWriter(Command command, Output& out, const Datum& datum)
        : shape_(ShapeOf(command)), out_(out), datum_(datum) {}

    void Begin() override {
        std::string header;
        const auto names = [&](std::initializer_list<std::string_view> list) {
            for (const std::string_view name : list)
                header.append(name).append(datum_.Suffix).append(",");
        };
        if (shape_.Input) header += "line,input,";
        if (shape_.Point) names({"latitude", "longitude"});
        // The series datum decides the sheet: a run in another gives the point there too.
        if (shape_.Point && !datum_.IsSeries()) header += "latitude_1942,longitude_1942,";
        if (shape_.Cell) header += "cell,present,";
        header += "scale,new,old,";
        if (shape_.Point) header += "latitude_junction,longitude_junction,";
        if (shape_.Frame) header += "joined,";
        header += "published_new,published_old,";
        if (shape_.Frame)
            names({"north", "south", "west", "east", "centre_latitude", "centre_longitude",
                   "north_dms", "south_dms", "west_dms", "east_dms", "centre_dms"});
        header.back() = '\n';
        out_.Put(header);
    }

    void Write(const SheetRecord& r) override {
        row_.clear();
        if (shape_.Input) PutLine(r.Line, r.Input);
        if (shape_.Point) {
            AppendDegrees(row_, LatitudeDegrees(r.Given));
            row_ += ',';
            AppendDegrees(row_, LongitudeDegrees(r.Given));
            row_ += ',';
            if (!datum_.IsSeries()) {
                AppendDegrees(row_, LatitudeDegrees(r.Point));
                row_ += ',';
                AppendDegrees(row_, LongitudeDegrees(r.Point));
                row_ += ',';
            }
        }
        if (shape_.Cell) {
            row_.append(CellName(r.Cell)).append(r.Present ? ",true," : ",false,");
        }
        row_.append(ScaleName(r.Scale)).append(",");
        Field(r.New);
        row_ += ',';
        Field(r.Old);
        row_ += ',';
        if (shape_.Point) {
            row_.append(r.LatitudeJunction ? "true," : "false,");
            row_.append(r.LongitudeJunction ? "true," : "false,");
        }
        if (shape_.Frame) row_.append(!r.Present ? "," : r.Joined ? "true," : "false,");
        Field(r.PublishedNew);
        row_ += ',';
        Field(r.PublishedOld);
        if (shape_.Frame) {
            if (r.Present) {
                const FrameDegrees d = ToDegrees(r.Frame, datum_);
                for (const double v :
                     {d.North, d.South, d.West, d.East, d.CentreLatitude, d.CentreLongitude}) {
                    row_ += ',';
                    AppendDegrees(row_, v);
                }
                int i = 0;
                for (const double v : {d.North, d.South, d.West, d.East}) {
                    row_ += ',';
                    AppendDms(row_, v, i++ < 2);
                }
                row_ += ',';
                AppendDms(row_, d.CentreLatitude, true);
                row_ += ' ';
                AppendDms(row_, d.CentreLongitude, false);
            } else {
                row_.append(11, ',');
            }
        }
        row_ += '\n';
        out_.Put(row_);
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view) override {
        row_.clear();
        if (shape_.Input) PutLine(line, input);
        // The commas the header has after its line and input columns.
        const std::size_t point = shape_.Point ? (datum_.IsSeries() ? 4 : 6) : 0;
        row_.append(4 + point + (shape_.Cell ? 2 : 0) + (shape_.Frame ? 12 : 0), ',');
        row_ += '\n';
        out_.Put(row_);
    }

  private:
    void PutLine(std::size_t line, std::string_view input) {
        if (line != 0) row_.append(std::to_string(line));
        row_ += ',';
        Field(input);
        row_ += ',';
    }

    void Field(std::string_view text) {
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            row_.append(text);
            return;
        }
        row_ += '"';
        for (const char c : text) {
            if (c == '"') row_ += '"';
            row_ += c;
        }
        row_ += '"';
    }

    RecordShape shape_;
    Output& out_;
    const Datum& datum_;
    std::string row_;
};

} // namespace

std::unique_ptr<FormatWriter> MakeCsvWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<CsvWriter>(command, out, datum);
}

} // namespace kavu::cli
