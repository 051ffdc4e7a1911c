// Sweeps over the input space: the cover and rescale routines against sheet frames under the
// edge rule, scale spellings, frames across 180 degrees in GeoJSON, and the point -> frame
// round trip of the real binary for 100,000 random points. (The line reader is checked
// against a plain split by its fuzz target.)
#include "cli/commands.h"
#include "cli/json_record.h"
#include "cli/scale.h"
#include "engine/published.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <set>
#include <tuple>

using namespace kavu;
using namespace kavu::cli;

namespace {

constexpr std::int64_t kU = kUnitsPerSecond;
constexpr std::int64_t kHalfTurn = 180 * 3600 * kU;

struct Collect : RecordSink {
    std::vector<SheetRecord> records;
    std::vector<std::string> names; // the views of a record die with the answer
    void Write(const SheetRecord& r) override {
        records.push_back(r);
        names.emplace_back(r.New);
    }
    void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}
};

// Every sheet of scale 1 or 2, by brute force over its fields.
std::vector<SheetKey> AllSheets(int scale) {
    std::vector<SheetKey> keys;
    for (char h : {'N', 'S'})
        for (int row = 1; row <= 21; ++row)
            for (int column = 1; column <= 60; ++column)
                for (int part = scale == 1 ? 0 : 1; part <= (scale == 1 ? 0 : 4); ++part)
                    keys.push_back({scale, h, row, column, part});
    return keys;
}

bool Meets(const SignedFrame& f, const Area& a) {
    const auto spanMeets = [&](std::int64_t west, std::int64_t east) {
        return f.West * kU < east && west < f.East * kU;
    };
    const bool lon = a.West < a.East
                         ? spanMeets(a.West, a.East)
                         : spanMeets(a.West, kHalfTurn) || spanMeets(-kHalfTurn, a.East);
    return f.South * kU < a.North && a.South < f.North * kU && lon;
}

// Boxes with corners on whole degrees (sheet edges at these scales) or anywhere, some across
// 180 degrees, some reaching past 84.
Area RandomBox(std::mt19937_64& rng) {
    std::uniform_int_distribution<std::int64_t> lat(-88 * 3600, 88 * 3600), lon(-648000, 647999);
    const bool snap = rng() % 2;
    const auto pick = [&](std::uniform_int_distribution<std::int64_t>& d) {
        const std::int64_t s = d(rng);
        return (snap ? s / 3600 * 3600 : s) * kU +
               (snap ? 0 : static_cast<std::int64_t>(rng() % kU));
    };
    Area a;
    do {
        a.South = pick(lat);
        // Snapped boxes end on whole degrees too, so every edge of the box can lie on a sheet's.
        const auto span = [&](std::int64_t degrees, std::int64_t least) {
            return snap ? static_cast<std::int64_t>(rng() % degrees + 1) * 3600 * kU
                        : (static_cast<std::int64_t>(rng() % (degrees * 3600)) + least) * kU;
        };
        a.North = a.South + span(12, 3600);
        a.West = pick(lon);
        a.East = a.West + span(30, 1);
        if (a.East > kHalfTurn) a.East -= 2 * kHalfTurn; // across 180
    } while (a.West == a.East);
    return a;
}

TEST(CliSweep, CoverListsExactlyTheSheetsThatMeetTheBox) {
    std::mt19937_64 rng(7);
    for (int scale : {1, 2}) {
        const auto all = AllSheets(scale);
        for (int n = 0; n < 120; ++n) {
            const Area box = RandomBox(rng);
            std::set<std::string> expected, expectedGroups;
            for (const SheetKey& key : all) {
                if (!Meets(*ComputeSignedFrame(key), box)) continue;
                expected.insert(FormatSheetNew(key).substr(FormatSheetNew(key)[0] == ' '));
                if (scale == 1) {
                    const std::string group = PublishedSheetOf(key)->New;
                    expectedGroups.insert(group.substr(group[0] == ' '));
                }
            }
            Collect sheets;
            Cover(box, scale, false, SheetRecord{}, sheets);
            SCOPED_TRACE(testing::Message()
                         << box.South << " " << box.West << " " << box.North << " " << box.East);
            EXPECT_EQ(std::set<std::string>(sheets.names.begin(), sheets.names.end()), expected);
            EXPECT_EQ(sheets.names.size(), expected.size());
            // North to south, and west to east from the box's west edge within a row.
            const auto fromWest = [&](std::int32_t east) {
                return (east * kU - box.West + 2 * kHalfTurn) % (2 * kHalfTurn);
            };
            for (std::size_t i = 1; i < sheets.records.size(); ++i) {
                const SignedFrame& a = sheets.records[i - 1].Frame;
                const SignedFrame& b = sheets.records[i].Frame;
                EXPECT_TRUE(a.North > b.North ||
                            (a.North == b.North && fromWest(a.East) < fromWest(b.East)));
            }
            if (scale != 1) continue;
            Collect groups;
            Cover(box, scale, true, SheetRecord{}, groups);
            EXPECT_EQ(std::set<std::string>(groups.names.begin(), groups.names.end()),
                      expectedGroups);
            EXPECT_EQ(groups.names.size(), expectedGroups.size());
        }
    }
}

TEST(CliSweep, RescaleGivesTheHolderOrTilesTheFrame) {
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<std::int64_t> lat(-83 * 3600, 83 * 3600), lon(-648000, 647999);
    for (int n = 0; n < 300; ++n) {
        const int from = static_cast<int>(rng() % 7) + 1, to = static_cast<int>(rng() % 7) + 1;
        const ExactPoint p{lat(rng) * kU, lon(rng) * kU};
        const SheetKey key = SheetOfExactPoint(p, from)->Key;
        const SignedFrame f = *ComputeSignedFrame(key);
        Query query;
        query.Kind = Command::Rescale;
        query.Scales = {to};
        Collect got;
        Problem problem;
        ASSERT_TRUE(Answer(query, FormatSheetNew(key), 0, got, problem)) << problem.Reason;
        SCOPED_TRACE(FormatSheetNew(key) + " to scale " + std::to_string(to));
        std::int64_t area = 0;
        for (const SheetRecord& r : got.records) {
            const SignedFrame& g = r.Frame;
            EXPECT_EQ(r.Scale, to);
            if (to <= from) {
                EXPECT_TRUE(g.North >= f.North && g.South <= f.South && g.West <= f.West &&
                            g.East >= f.East);
            } else {
                EXPECT_TRUE(g.North <= f.North && g.South >= f.South && g.West >= f.West &&
                            g.East <= f.East);
                area += std::int64_t{g.North - g.South} * (g.East - g.West);
            }
        }
        if (to <= from) {
            EXPECT_EQ(got.records.size(), 1u);
        } else {
            EXPECT_EQ(area, std::int64_t{f.North - f.South} * (f.East - f.West));
            EXPECT_EQ(got.records.size(),
                      std::set<std::string>(got.names.begin(), got.names.end()).size());
        }
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
// `point` at one of the seven scales (one run a scale) and its sheet back through `frame` (one
// run): each frame holds its point under the edge rule (north and west edges in, south and east
// out; 180 E is 180 W).
TEST(CliSweep, PointToFrameRoundTripHoldsThePoint) {
    std::mt19937_64 rng(2024);
    constexpr std::size_t kPoints = 100000;
    std::vector<ExactPoint> points;
    std::array<std::string, 8> inputs; // by scale
    for (std::size_t i = 0; i < kPoints; ++i) {
        std::int64_t lat, lon; // milliseconds of arc
        if (i % 4 == 0) {
            lat = (static_cast<std::int64_t>(rng() % (2 * 84 * 24)) - 84 * 24 + 1) * 150000;
            lon = (static_cast<std::int64_t>(rng() % (360 * 16 + 1)) - 180 * 16) * 225000;
        } else {
            lat = static_cast<std::int64_t>(rng() % (168 * 3600000)) - 84 * 3600000 + 1;
            lon = static_cast<std::int64_t>(rng() % (360 * 3600000 + 1)) - 180 * 3600000;
        }
        points.push_back({lat * 1000000, lon * 1000000});
        inputs[i % 7 + 1] += Dms(lat, "NS") + " " + Dms(lon, "EW") + "\n";
    }
    std::vector<std::string> names(kPoints);
    for (int scale = 1; scale <= 7; ++scale) {
        const ToolRun sheets =
            RunTool({"point", "--format", "csv", "--scale", std::string(ScaleName(scale))},
                    inputs[static_cast<std::size_t>(scale)]);
        ASSERT_EQ(sheets.Status, 0) << sheets.Err.substr(0, 1000);
        const auto rows = Lines(sheets.Out);
        for (std::size_t row = 1, i = static_cast<std::size_t>(scale - 1); row < rows.size();
             ++row, i += 7)
            names.at(i) = CsvFields(rows[row]).at(5) + "\n";
    }
    std::string all;
    for (const std::string& name : names)
        all += name;
    const ToolRun frames = RunTool({"frame", "--format", "csv"}, all);
    ASSERT_EQ(frames.Status, 0) << frames.Err.substr(0, 1000);
    const auto rows = Lines(frames.Out);
    ASSERT_EQ(rows.size(), kPoints + 1);
    for (std::size_t n = 0; n < kPoints; ++n) {
        const auto f = CsvFields(rows[n + 1]);
        const ExactPoint& p = points[n];
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
