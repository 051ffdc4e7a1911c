// CSV with a header row, quoted as RFC 4180 asks (a field holding a comma, a quote or a line
// break is quoted, quotes doubled); rows end in "\n". A line that did not read gives a row with
// only its line number and text, so rows stay aligned with the input.
#include "cli/writers.h"

#include <array>
#include <charconv>
#include <cstring>
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
        // Room for the texts with every quote doubled, and for the numbers and fixed words.
        Row w(Room(2 * (r.Input.size() + r.New.size() + r.Old.size() + r.PublishedNew.size() +
                        r.PublishedOld.size()) +
                   kFixedRoom));
        if (shape_.Input) PutLine(w, r.Line, r.Input);
        if (shape_.Point) {
            w.Degrees(LatitudeDegrees(r.Given)).Put(',');
            w.Degrees(LongitudeDegrees(r.Given)).Put(',');
            if (!datum_.IsSeries()) {
                w.Degrees(LatitudeDegrees(r.Point)).Put(',');
                w.Degrees(LongitudeDegrees(r.Point)).Put(',');
            }
        }
        if (shape_.Cell) w.Put(CellName(r.Cell)).Put(r.Present ? ",true," : ",false,");
        w.Put(ScaleName(r.Scale)).Put(',');
        w.Field(r.New).Put(',');
        w.Field(r.Old).Put(',');
        if (shape_.Point) {
            w.Put(r.LatitudeJunction ? "true," : "false,");
            w.Put(r.LongitudeJunction ? "true," : "false,");
        }
        if (shape_.Frame) w.Put(!r.Present ? "," : r.Joined ? "true," : "false,");
        w.Field(r.PublishedNew).Put(',');
        w.Field(r.PublishedOld);
        if (shape_.Frame) {
            if (r.Present) {
                const FrameDegrees d = ToDegrees(r.Frame, datum_);
                for (const double v :
                     {d.North, d.South, d.West, d.East, d.CentreLatitude, d.CentreLongitude})
                    w.Put(',').Degrees(v);
                int i = 0;
                for (const double v : {d.North, d.South, d.West, d.East})
                    w.Put(',').Dms(v, i++ < 2);
                w.Put(',').Dms(d.CentreLatitude, true).Put(' ').Dms(d.CentreLongitude, false);
            } else {
                w.Put(",,,,,,,,,,,");
            }
        }
        w.Put('\n');
        Done(w);
    }

    void WriteEmpty(std::size_t line, std::string_view input, std::string_view) override {
        Row w(Room(2 * input.size() + kFixedRoom));
        if (shape_.Input) PutLine(w, line, input);
        // The commas the header has after its line and input columns.
        const std::size_t point = shape_.Point ? (datum_.IsSeries() ? 4 : 6) : 0;
        w.Commas(4 + point + (shape_.Cell ? 2 : 0) + (shape_.Frame ? 12 : 0));
        w.Put('\n');
        Done(w);
    }

  private:
    // More than the line number, the commas, the words, and ten numbers and six D°M′S″ texts
    // of a row take.
    static constexpr std::size_t kFixedRoom = 256 + 10 * kDegreesTextSize + 6 * kDmsTextSize;

    // One row written through a pointer into storage sized for it beforehand: the appends of
    // a string would each check its room.
    class Row {
      public:
        explicit Row(char* storage) : begin_(storage), p_(storage) {}
        Row& Put(char c) {
            *p_++ = c;
            return *this;
        }
        Row& Put(std::string_view text) {
            if (!text.empty())
                std::memcpy(p_, text.data(), text.size()); // an empty view may be null
            p_ += text.size();
            return *this;
        }
        Row& Commas(std::size_t n) {
            std::memset(p_, ',', n);
            p_ += n;
            return *this;
        }
        Row& Degrees(double v) {
            p_ += WriteDegrees(p_, v);
            return *this;
        }
        Row& Dms(double v, bool latitude) {
            p_ += WriteDms(p_, v, latitude);
            return *this;
        }
        /// Quoted only when it holds a comma, a quote or a line break.
        Row& Field(std::string_view text) {
            static constexpr auto kSpecial = [] {
                std::array<bool, 256> special{};
                for (const unsigned char c : {',', '"', '\r', '\n'})
                    special[c] = true;
                return special;
            }();
            bool quote = false;
            for (const char c : text)
                quote |= kSpecial[static_cast<unsigned char>(c)];
            if (!quote) return Put(text);
            *p_++ = '"';
            for (const char c : text) {
                if (c == '"') *p_++ = '"';
                *p_++ = c;
            }
            *p_++ = '"';
            return *this;
        }
        std::string_view Text() const { return {begin_, static_cast<std::size_t>(p_ - begin_)}; }

      private:
        char* begin_;
        char* p_;
    };

    // Storage for a row of at most `room` bytes: the output buffer itself, or for a row too
    // long for it (a long input line) the writer's own.
    char* Room(std::size_t room) {
        direct_ = room <= kDirectRoom;
        if (direct_) return out_.Reserve(room);
        if (row_.size() < room) row_.resize(room);
        return row_.data();
    }
    void Done(const Row& w) {
        if (direct_)
            out_.Commit(w.Text().size());
        else
            out_.Put(w.Text());
    }

    static void PutLine(Row& w, std::size_t line, std::string_view input) {
        if (line != 0) {
            char digits[24];
            w.Put({digits, static_cast<std::size_t>(
                               std::to_chars(digits, digits + sizeof digits, line).ptr - digits)});
        }
        w.Put(',').Field(input).Put(',');
    }

    RecordShape shape_;
    Output& out_;
    const Datum& datum_;
    static constexpr std::size_t kDirectRoom = 1 << 14; // well inside the output buffer
    std::string row_;
    bool direct_ = false;
};

} // namespace

std::unique_ptr<FormatWriter> MakeCsvWriter(Command command, Output& out, const Datum& datum) {
    return std::make_unique<CsvWriter>(command, out, datum);
}

} // namespace kavu::cli
