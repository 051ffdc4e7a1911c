// The tool's number and record writers against simple references: decimal degrees and D°M′S″
// texts over sweeps with every rounding edge, the JSON Lines point record against the one the
// RapidJSON Writer builds, and CSV rows against rows built field by field.
#include "cli/json_record.h"
#include "cli/output.h"
#include "cli/writers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace kavu;
using namespace kavu::cli;

namespace {

// Whole nanodegrees, then the fraction's nine digits without their trailing zeros.
std::string ReferenceDegrees(double v) {
    const std::int64_t nano = std::llround(v * 1e9);
    const std::uint64_t a = nano < 0 ? 0 - static_cast<std::uint64_t>(nano) : nano;
    std::string s(nano < 0 ? "-" : "");
    s += std::to_string(a / 1000000000);
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, "%09llu",
                  static_cast<unsigned long long>(a % 1000000000));
    std::string f = fraction;
    while (!f.empty() && f.back() == '0')
        f.pop_back();
    return f.empty() ? s : s + "." + f;
}

// Thousandths of a second, then each group in turn.
std::string ReferenceDms(double degrees, bool latitude) {
    const std::int64_t total = std::llround(std::fabs(degrees) * 3600000.0);
    char text[96];
    std::snprintf(
        text, sizeof text, "%lld\u00B0%02lld\u2032%02lld", static_cast<long long>(total / 3600000),
        static_cast<long long>(total / 60000 % 60), static_cast<long long>(total / 1000 % 60));
    std::string s = text;
    if (const std::int64_t milli = total % 1000; milli != 0) {
        std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(milli));
        std::string m = text;
        while (m.back() == '0')
            m.pop_back();
        s += m;
    }
    s += "\u2033";
    s += degrees < 0 && total != 0 ? (latitude ? 'S' : 'W') : (latitude ? 'N' : 'E');
    return s;
}

// Values at and around every edge the writers have: zero of either sign, the ends of the
// grid, whole and half units of the last place, nine fractional digits of every length.
std::vector<double> EdgeValues() {
    std::vector<double> v{0.0, -0.0,  90,     -90,   180,    -180,
                          84,  1e-10, -1e-10, 5e-10, -5e-10, 359.9999999995};
    for (const double whole : {0.0, 1.0, 9.0, 10.0, 55.0, 99.0, 100.0, 179.0, 999.0, 123456.0})
        for (std::int64_t unit = 1; unit < 1000000000; unit *= 10)
            for (const std::int64_t d : {1, 5, 9}) {
                const double f = static_cast<double>(d * unit) / 1e9;
                for (const double x : {whole + f, whole + f + 0.5e-9, whole + f - 0.5e-9,
                                       whole + 1 - f, whole + f / 3600})
                    v.insert(v.end(), {x, -x});
            }
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> any(-360, 360);
    for (int i = 0; i < 500'000; ++i) {
        const double x = any(rng);
        // Seconds on a thousandth, and halfway between two: the D°M′S″ rounding edges.
        v.insert(v.end(),
                 {x, std::round(x * 3600000) / 3600000, (std::floor(x * 3600000) + 0.5) / 3600000,
                  std::round(x * 1e9) / 1e9 + 0.5e-9});
    }
    return v;
}

} // namespace

TEST(NumberWriters, DegreesAndDmsAsTheReferencesWriteThem) {
    char text[kDmsTextSize];
    for (const double v : EdgeValues()) {
        ASSERT_EQ(std::string(text, WriteDegrees(text, v)), ReferenceDegrees(v)) << v;
        for (const bool latitude : {true, false})
            ASSERT_EQ(std::string(text, WriteDms(text, v, latitude)), ReferenceDms(v, latitude))
                << v;
    }
    // Every whole and half second a frame edge or centre can be on, straight from the seconds.
    char milli[kDmsTextSize];
    for (std::int64_t half = -2 * 648000; half <= 2 * 648000; ++half)
        for (const bool latitude : {true, false})
            ASSERT_EQ(
                std::string(milli, WriteDmsMilli(milli, 500 * half, latitude)),
                std::string(text, WriteDms(text, static_cast<double>(half) / 7200.0, latitude)))
                << half;
    EXPECT_EQ(WriteDegrees(text, std::nan("")), 0u);
    EXPECT_EQ(WriteDegrees(text, INFINITY), 0u);
}

namespace {

// A point record of each kind: plain and escaped inputs, both datums, with and without a
// published sheet and junctions, from a sweep of points.
struct Records {
    std::vector<SheetRecord> list;
    std::vector<std::string> inputs{
        "55.7558 37.6173", "",     "-0 -0",    "\"55\" 37", "a\\b",
        "tab\there",       "\x01", "\xff\xfe", "Ю 55 В 37", "55.1,37.2"};
    Records() {
        std::mt19937_64 rng(11);
        constexpr std::int64_t kDeg = 3600 * kUnitsPerSecond;
        for (int i = 0; i < 20'000; ++i) {
            SheetRecord r;
            r.Line = i % 7 == 0 ? 0 : static_cast<std::size_t>(rng());
            r.Input = inputs[rng() % inputs.size()];
            r.Given = {static_cast<std::int64_t>(rng() % (181 * kDeg)) - 90 * kDeg,
                       static_cast<std::int64_t>(rng() % (361 * kDeg)) - 180 * kDeg};
            r.Point = i % 3 == 0 ? r.Given : ExactPoint{r.Given.Latitude / 7, -r.Given.Longitude};
            r.LatitudeJunction = rng() % 2;
            r.LongitudeJunction = rng() % 2;
            r.Scale = i % 10 == 9 ? 0 : 1 + static_cast<int>(rng() % 7); // 0: a line unread
            r.New = "14-37-004-3";
            r.Old = "N-37-4-\u0412";
            if (rng() % 3 == 0) {
                r.PublishedNew = "20-37-001-1,2,002-1,2";
                r.PublishedOld = "T-37-1-\u0410,\u0411,2-\u0410,\u0411";
            }
            list.push_back(r);
        }
    }
};

constexpr std::string_view kReason = "a \"reason\"";

// What a writer puts out, read back from a file; a record of scale 0 stands for a line that
// did not read.
template <typename Make> std::string Written(Make make, const std::vector<SheetRecord>& records) {
    std::FILE* file = std::tmpfile();
    {
        Output out(fileno(file));
        const auto writer = make(out);
        writer->Begin();
        for (const SheetRecord& r : records)
            if (r.Scale == 0)
                writer->WriteEmpty(r.Line, r.Input, kReason);
            else
                writer->Write(r);
        writer->End();
    }
    std::string text;
    std::rewind(file);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
        text.append(block, n);
    std::fclose(file);
    return text;
}

} // namespace

TEST(JsonLines, PointRecordsAsTheWriterBuildsThem) {
    const Records records;
    Datum series;
    Datum wgs84;
    wgs84.Suffix = "_wgs84";
    for (const Datum* datum : {&series, &wgs84}) {
        const std::string written = Written(
            [&](Output& out) { return MakeJsonWriter(Command::Point, out, *datum); }, records.list);
        std::string expected;
        JsonBuilder json;
        for (const SheetRecord& r : records.list) {
            json.Clear();
            json.Object();
            if (r.Scale == 0) {
                json.Key("line");
                if (r.Line != 0)
                    json.Integer(r.Line);
                else
                    json.Null();
                json.Key("input").String(r.Input).Key("error").String(kReason);
            } else {
                AppendRecordMembers(json, r, ShapeOf(Command::Point), *datum, false);
            }
            json.End();
            expected.append(json.Text()).append("\n");
        }
        EXPECT_EQ(written, expected);
    }
}

namespace {

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string s = "\"";
    for (const char c : text)
        s += c == '"' ? std::string("\"\"") : std::string(1, c);
    return s + "\"";
}

std::string CsvRow(const SheetRecord& r, Command command, const Datum& datum) {
    const RecordShape shape = ShapeOf(command);
    std::vector<std::string> f;
    if (shape.Input) f.insert(f.end(), {r.Line ? std::to_string(r.Line) : "", CsvField(r.Input)});
    if (shape.Point) {
        f.insert(f.end(), {ReferenceDegrees(LatitudeDegrees(r.Given)),
                           ReferenceDegrees(LongitudeDegrees(r.Given))});
        if (!datum.IsSeries())
            f.insert(f.end(), {ReferenceDegrees(LatitudeDegrees(r.Point)),
                               ReferenceDegrees(LongitudeDegrees(r.Point))});
    }
    if (shape.Cell)
        f.insert(f.end(), {std::string(CellName(r.Cell)), r.Present ? "true" : "false"});
    f.insert(f.end(), {std::string(ScaleName(r.Scale)), CsvField(r.New), CsvField(r.Old)});
    if (shape.Point)
        f.insert(f.end(),
                 {r.LatitudeJunction ? "true" : "false", r.LongitudeJunction ? "true" : "false"});
    if (shape.Frame) f.push_back(!r.Present ? "" : r.Joined ? "true" : "false");
    f.insert(f.end(), {CsvField(r.PublishedNew), CsvField(r.PublishedOld)});
    if (shape.Frame) {
        const FrameDegrees d = ToDegrees(r.Frame, datum);
        for (const double v :
             {d.North, d.South, d.West, d.East, d.CentreLatitude, d.CentreLongitude})
            f.push_back(r.Present ? ReferenceDegrees(v) : "");
        int i = 0;
        for (const double v : {d.North, d.South, d.West, d.East})
            f.push_back(r.Present ? ReferenceDms(v, i++ < 2) : "");
        f.push_back(r.Present ? ReferenceDms(d.CentreLatitude, true) + " " +
                                    ReferenceDms(d.CentreLongitude, false)
                              : "");
    }
    if (r.Scale == 0) // the line and input, and every other column empty
        f = [&] {
            std::vector<std::string> empty(f.size());
            if (shape.Input) {
                empty[0] = f[0];
                empty[1] = f[1];
            }
            return empty;
        }();
    std::string row;
    for (const std::string& s : f)
        row += s + ",";
    row.back() = '\n';
    return row;
}

} // namespace

TEST(Csv, RowsAsBuiltFieldByField) {
    Records records;
    std::mt19937_64 rng(3);
    for (SheetRecord& r : records.list) {
        r.Cell = 1 + static_cast<int>(rng() % 9);
        r.Present = rng() % 5 != 0;
        r.Joined = rng() % 2;
        const auto s = static_cast<std::int32_t>(rng() % (168 * 3600)) - 84 * 3600;
        const auto w = static_cast<std::int32_t>(rng() % (359 * 3600)) - 180 * 3600;
        r.Frame = {s + 150, s, w, w + 225};
    }
    Datum series;
    Datum wgs84;
    wgs84.Suffix = "_wgs84";
    for (const Command command :
         {Command::Point, Command::Frame, Command::Around, Command::Cover}) {
        for (const Datum* d : {&series, &wgs84}) {
            const Datum& datum = *d;
            std::string written = Written(
                [&](Output& out) { return MakeCsvWriter(command, out, datum); }, records.list);
            written.erase(0, written.find('\n') + 1); // the header
            std::string expected;
            for (const SheetRecord& r : records.list)
                expected += CsvRow(r, command, datum);
            ASSERT_EQ(written, expected) << static_cast<int>(command) << ' ' << datum.Suffix;
        }
    }
}
