// Sweeps over the input space against models of the edge rule. (The line reader is checked
// against a plain split by its fuzz target.)
#include "cli/commands.h"
#include "cli/json_record.h"
#include "cli/scale.h"
#include "engine/published.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <tuple>

using namespace kavu;
using namespace kavu::cli;

namespace {

__extension__ typedef __int128 Wide;
constexpr std::int64_t kU = kUnitsPerSecond, kDeg = 3600 * kU, kHalfTurn = 180 * kDeg;

struct Collect : RecordSink {
    std::vector<SheetRecord> records;
    std::vector<std::string> names; // the views of a record die with the answer
    void Write(const SheetRecord& r) override {
        records.push_back(r);
        names.emplace_back(r.New);
    }
    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}
};

std::string Shown(const std::string& name) {
    return name.substr(name[0] == ' ');
}

// What a cover of `box` must be: sheets of the scale that each meet the box, named after their
// frames, no two alike, north to south and west to east from the box's west edge within a row,
// and together all of the box short of 84 degrees, so that none is missing. Published sheets:
// those of the sheets, each once.
void ExpectCover(const Area& box, int scale, const Collect& got,
                 const Collect* published = nullptr) {
    const auto fromWest = [&](std::int64_t x) {
        return (x - box.West + 4 * kHalfTurn) % (2 * kHalfTurn);
    };
    const std::int64_t width = fromWest(box.East);
    const std::int64_t south = std::max(box.South, -84 * kDeg);
    const std::int64_t north = std::min(box.North, 84 * kDeg);
    Wide area = 0;
    std::set<std::string> groups;
    for (std::size_t i = 0; i < got.records.size(); ++i) {
        const SignedFrame& f = got.records[i].Frame;
        const std::int64_t lat = std::min(f.North * kU, north) - std::max(f.South * kU, south);
        const std::int64_t a = fromWest(f.West * kU), b = a + std::int64_t{f.East - f.West} * kU;
        const std::int64_t lon = std::max<std::int64_t>(0, std::min(b, width) - a) +
                                 std::max<std::int64_t>(0, std::min(b - 2 * kHalfTurn, width));
        EXPECT_TRUE(lat > 0 && lon > 0) << got.names[i];
        area += Wide{lat} * lon;
        const ExactPoint centre{(f.North + f.South) * kU / 2, (f.West + f.East) * kU / 2};
        const SheetKey key = SheetOfExactPoint(centre, scale)->Key;
        EXPECT_EQ(got.names[i], Shown(FormatSheetNew(key)));
        if (published) groups.insert(Shown(PublishedSheetOf(key)->New));
        if (i == 0) continue;
        const SignedFrame& e = got.records[i - 1].Frame;
        EXPECT_TRUE(e.North > f.North ||
                    (e.North == f.North && fromWest(e.East * kU) < fromWest(f.East * kU)));
    }
    EXPECT_TRUE(area == Wide{std::max<std::int64_t>(north - south, 0)} * width);
    EXPECT_EQ(std::set<std::string>(got.names.begin(), got.names.end()).size(), got.names.size());
    if (!published) return;
    EXPECT_EQ(std::set<std::string>(published->names.begin(), published->names.end()), groups);
    EXPECT_EQ(published->names.size(), groups.size());
}

// Boxes at every scale, half of them with edges on the lattice of quarter sheets (so every
// edge of the box can lie on a sheet's), half of them reaching past 84 degrees N or S or across
// 180; and the frames of random sheets rescaled to every scale.
TEST(CliSweep, CoverAndRescaleListExactlyTheSheetsThatMeetTheArea) {
    std::mt19937_64 rng(7);
    for (int n = 0; n < 2000; ++n) {
        const int scale = n % 7 + 1;
        const std::int64_t h = SheetHeight(scale) * kU, w = SheetWidth(scale) * kU;
        const bool snap = rng() % 2, edgy = rng() % 2;
        const std::int64_t gy = snap ? h / 4 : 1, gx = snap ? w / 4 : 1;
        const auto pick = [&](std::int64_t from, std::int64_t span, std::int64_t grain) {
            const auto steps = static_cast<std::uint64_t>(span / grain);
            return from + static_cast<std::int64_t>(rng() % steps) * grain;
        };
        const std::int64_t limit = (rng() % 2 ? 84 : -84) * kDeg;
        Area box;
        box.South = edgy ? pick(limit - 3 * h, 2 * h, gy) : pick(-88 * kDeg, 176 * kDeg, gy);
        box.North = pick(box.South + gy, 4 * h, gy);
        box.West = edgy ? pick(kHalfTurn - 3 * w, 2 * w, gx) : pick(-kHalfTurn, 2 * kHalfTurn, gx);
        box.East = pick(box.West + gx, 4 * w, gx);
        if (box.East > kHalfTurn) box.East -= 2 * kHalfTurn;
        SCOPED_TRACE(testing::Message() << "scale " << scale << " box " << box.South << " "
                                        << box.West << " " << box.North << " " << box.East);
        Collect sheets, groups;
        Cover(box, scale, false, SheetRecord{}, sheets);
        Cover(box, scale, true, SheetRecord{}, groups);
        ExpectCover(box, scale, sheets, scale != 7 ? &groups : nullptr);

        const ExactPoint p{pick(-83 * kDeg, 166 * kDeg, kU), pick(-kHalfTurn, 2 * kHalfTurn, kU)};
        const int from = static_cast<int>(rng() % 7) + 1;
        const SheetKey key = SheetOfExactPoint(p, from)->Key;
        const SignedFrame f = *ComputeSignedFrame(key);
        Query query;
        query.Kind = Command::Rescale;
        query.Scales = {scale};
        Collect got;
        Problem problem;
        ASSERT_TRUE(Answer(query, FormatSheetNew(key), 0, got, problem)) << problem.Reason;
        SCOPED_TRACE(FormatSheetNew(key));
        ExpectCover(Area{f.South * kU, f.North * kU, f.West * kU, f.East * kU}, scale, got);
    }
}

// Every scale in every spelling, plain and with 1:, with each group separator; one more digit
// or any stray character and it is no scale.
TEST(CliSweep, ScaleSpellings) {
    const char* thousands[] = {"1000", "500", "200", "100", "50", "25", "10"};
    for (int scale = 1; scale <= 7; ++scale) {
        const std::string k = thousands[scale - 1];
        for (const std::string prefix : {"", "1:"})
            for (const std::string group : {"", " ", "'", "\u2019", ",", ".", "\u00A0", "\u202F"}) {
                std::string full = k;
                if (full.size() > 3) full.insert(1, group); // 1 000 000
                full = prefix + full + group + "000";
                EXPECT_EQ(ReadScale(full), scale) << full;
                EXPECT_EQ(ReadScale(full + "1"), 0) << full + "1";
            }
        EXPECT_EQ(ReadScale(k + "k"), scale);
        EXPECT_EQ(ReadScale(" 1:" + k + "K "), scale);
    }
    EXPECT_EQ(ReadScale("1m"), 1);
    for (const char* bad :
         {"", "k", "1:", "50kk", "50 k0", "2:50000", "-50k", "1:50  000", "999999999999999999999"})
        EXPECT_EQ(ReadScale(bad), 0) << bad;
    std::string error;
    EXPECT_EQ(ReadScaleList({"1:50,000,25k", "50k", "1M"}, error), (std::vector<int>{5, 6, 1}));
    EXPECT_TRUE(ReadScaleList({"50k,3k"}, error).empty());
    EXPECT_NE(error.find("\"3k\""), std::string::npos);
}

// A frame that a datum shift leaves across 180 degrees is written as two closed rings, one on
// each side, as RFC 7946 asks; one that stays on one side as a single ring. Rings are
// closed and counter-clockwise.
TEST(CliSweep, GeoJsonSplitsFramesAcross180) {
    for (const auto& [west, east, parts] :
         {std::tuple{179.5, 180.5, 2}, std::tuple{-180.5, -179.5, 2}, std::tuple{179.5, -179.5, 2},
          std::tuple{174.0, 180.0, 1}, std::tuple{-180.0, -174.0, 1}}) {
        JsonBuilder json;
        AppendFrameGeometry(json, FrameDegrees{1, 0, west, east, 0.5, 0});
        const auto geometry = nlohmann::json::parse(json.Text());
        SCOPED_TRACE(std::string(json.Text()));
        const auto& rings =
            parts == 1 ? nlohmann::json::array({geometry["coordinates"]}) : geometry["coordinates"];
        EXPECT_EQ(geometry["type"], parts == 1 ? "Polygon" : "MultiPolygon");
        ASSERT_EQ(rings.size(), static_cast<std::size_t>(parts));
        double width = 0;
        for (const auto& polygon : rings) {
            const auto& ring = polygon[0];
            EXPECT_EQ(ring[0], ring[4]);
            double area = 0; // counter-clockwise
            for (int i = 0; i < 4; ++i)
                area += ring[i][0].get<double>() * ring[i + 1][1].get<double>() -
                        ring[i + 1][0].get<double>() * ring[i][1].get<double>();
            EXPECT_GT(area, 0);
            for (const auto& corner : ring)
                EXPECT_TRUE(corner[0] >= -180.0 && corner[0] <= 180.0);
            width += ring[1][0].get<double>() - ring[0][0].get<double>();
        }
        EXPECT_DOUBLE_EQ(width, parts == 1 ? 6 : 1);
    }
}

// Milliseconds of arc as degrees, minutes and seconds with a hemisphere letter.
std::string Dms(std::int64_t ms, const char* letters) {
    const long long a = ms < 0 ? -ms : ms;
    char text[40];
    std::snprintf(text, sizeof text, "%lld°%lld'%lld.%03lld\"%c", a / 3600000, a / 60000 % 60,
                  a / 1000 % 60, a % 1000, letters[ms < 0]);
    return text;
}

// 100,000 random points, a quarter of them on sheet edges of the finest scale, each through
// `point` at all seven scales (one run) and its sheets back through `frame` (one run): each
// frame holds its point under the edge rule (north and west edges in, south and east out;
// 180 E is 180 W).
TEST(CliSweep, PointToFrameRoundTripHoldsThePoint) {
    std::mt19937_64 rng(2024);
    constexpr std::size_t kPoints = 100000;
    std::vector<ExactPoint> points;
    std::string input;
    for (std::size_t i = 0; i < kPoints; ++i) {
        // Milliseconds of arc; a quarter on multiples of 2'30" and 3'45", the finest edges.
        const auto draw = [&](std::int64_t count, std::int64_t from, std::int64_t step) {
            return (static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(count)) + from) *
                   step;
        };
        const bool edge = i % 4 == 0;
        const std::int64_t lat = edge ? draw(2 * 84 * 24, -84 * 24 + 1, 150000)
                                      : draw(168 * 3600000, -84 * 3600000 + 1, 1);
        const std::int64_t lon = edge ? draw(360 * 16 + 1, -180 * 16, 225000)
                                      : draw(360 * 3600000 + 1, -180 * 3600000, 1);
        points.push_back({lat * 1000000, lon * 1000000});
        input += Dms(lat, "NS") + " " + Dms(lon, "EW") + "\n";
    }
    const ToolRun sheets =
        RunTool({"point", "-f", "csv", "-s", "1:1000000,500k,200k,100k,50k,25k,10k"}, input);
    ASSERT_EQ(sheets.Status, 0) << sheets.Err.substr(0, 1000);
    std::string names;
    for (const std::string& row : Lines(sheets.Out))
        names += CsvFields(row).at(5) + "\n";
    const ToolRun frames = RunTool({"frame", "-f", "csv"}, names.substr(names.find('\n') + 1));
    ASSERT_EQ(frames.Status, 0) << frames.Err.substr(0, 1000);
    const auto rows = Lines(frames.Out);
    ASSERT_EQ(rows.size(), 7 * kPoints + 1);
    for (std::size_t n = 0; n < 7 * kPoints; ++n) {
        const auto f = CsvFields(rows[n + 1]);
        const ExactPoint& p = points[n / 7];
        const auto edge = [&](std::size_t column) {
            return std::llround(std::stod(f.at(column)) * 3600) * kU;
        };
        const std::int64_t lon = p.Longitude == kHalfTurn ? -kHalfTurn : p.Longitude;
        EXPECT_EQ(f.at(2), ScaleName(static_cast<int>(n % 7 + 1)));
        EXPECT_TRUE(edge(9) < p.Latitude && p.Latitude <= edge(8) && edge(10) <= lon &&
                    lon < edge(11))
            << rows[n + 1] << " for " << p.Latitude << " " << p.Longitude;
    }
}

} // namespace

// Every field of a record, as text: the views die with the answer.
struct Flatten : RecordSink {
    std::vector<std::string> rows;
    void Write(const SheetRecord& r) override {
        const SignedFrame& f = r.Frame;
        rows.push_back(
            std::to_string(r.Line) + '|' + std::string(r.Input) + '|' +
            std::to_string(r.Given.Latitude) + ',' + std::to_string(r.Given.Longitude) + '|' +
            std::to_string(r.Point.Latitude) + ',' + std::to_string(r.Point.Longitude) + '|' +
            std::to_string(r.LatitudeJunction) + std::to_string(r.LongitudeJunction) + '|' +
            std::to_string(r.Cell) + std::to_string(r.Present) + '|' + std::to_string(r.Scale) +
            '|' + std::string(r.New) + '|' + std::string(r.Old) + '|' + std::to_string(r.Joined) +
            '|' + std::string(r.PublishedNew) + '|' + std::string(r.PublishedOld) + '|' +
            std::to_string(f.North) + ',' + std::to_string(f.South) + ',' + std::to_string(f.West) +
            ',' + std::to_string(f.East));
    }
    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}
};

// A stream keeps one record from line to line; whatever the line before it left there, a line
// is answered as with a fresh record: lines of every kind in a random order, joined and single
// sheets, lines that fail half way, every scale, with and without frames.
TEST(CliSweep, AKeptRecordAnswersAsAFreshOne) {
    std::mt19937_64 rng(11);
    const auto uniform = [&rng](double lo, double hi) {
        return lo + (hi - lo) * static_cast<double>(rng() >> 11) / 9007199254740992.0;
    };
    for (const bool frames : {true, false}) {
        Query query;
        query.Kind = Command::Point;
        query.Scales = {1, 2, 3, 4, 5, 6, 7};
        query.PointFrames = frames;
        SheetRecord kept;
        for (int i = 0; i < 60'000; ++i) {
            char text[96];
            const double lat = uniform(-89.5, 89.5), lon = uniform(-180, 180);
            switch (rng() % 5) {
            case 0: // plain
                std::snprintf(text, sizeof text, "%.6f %.6f", lat, lon);
                break;
            case 1: // through the general reader
                std::snprintf(text, sizeof text, " %.4f%c, %.4f%c", std::fabs(lat),
                              lat < 0 ? 'S' : 'N', std::fabs(lon), lon < 0 ? 'W' : 'E');
                break;
            case 2: // read, but beyond the sheets
                std::snprintf(text, sizeof text, "%.3f %.3f", lat < 0 ? -85.5 : 86.25, lon);
                break;
            case 3: // no point
                std::snprintf(text, sizeof text, "%.2f x %.2f", lat, lon);
                break;
            default: // far north, where sheets were printed joined
                std::snprintf(text, sizeof text, "%.6f %.6f", uniform(60, 84) * (lat < 0 ? -1 : 1),
                              lon);
            }
            Flatten fresh, reused;
            Problem a, b;
            const bool answered = Answer(query, text, static_cast<std::size_t>(i), fresh, a);
            ASSERT_EQ(Answer(query, text, static_cast<std::size_t>(i), kept, reused, b), answered)
                << text;
            ASSERT_EQ(reused.rows, fresh.rows) << text;
            ASSERT_EQ(b.Reason, a.Reason) << text;
        }
    }
}
