// Sweeps over the input space: the cover and rescale routines against sheet frames under the
// edge rule, scale spellings, the line reader against a plain split, and the point -> frame
// round trip of the real binary for 100,000 random points.
#include "cli/commands.h"
#include "cli/lines.h"
#include "cli/scale.h"
#include "engine/published.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <sstream>

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
        a.North = a.South + static_cast<std::int64_t>(rng() % (12 * 3600)) * kU + 3600 * kU;
        a.West = pick(lon);
        a.East = a.West + static_cast<std::int64_t>(rng() % (30 * 3600) + 1) * kU * (snap ? 1 : 1);
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

TEST(CliSweep, ScaleSpellings) {
    const std::vector<std::string> thousands{"1000", "500", "200", "100", "50", "25", "10"};
    const std::vector<std::string> groups{"", " ", "'", "\u2019", ",", ".", "\u00A0", "\u202F"};
    for (int scale = 1; scale <= 7; ++scale) {
        const std::string& k = thousands[static_cast<std::size_t>(scale - 1)];
        for (const std::string prefix : {"", "1:"})
            for (const std::string& group : groups) {
                std::string full = k;
                if (full.size() > 3) full.insert(1, group); // 1 000 000
                full += group + "000";
                EXPECT_EQ(ReadScale(prefix + full), scale) << prefix + full;
                EXPECT_EQ(ReadScale(prefix + full + "1"), 0) << prefix + full + "1";
            }
        EXPECT_EQ(ReadScale(k + "k"), scale);
        EXPECT_EQ(ReadScale(" 1:" + k + "K "), scale);
    }
    EXPECT_EQ(ReadScale("1M"), 1);
    EXPECT_EQ(ReadScale("1m"), 1);
    for (const char* bad : {"", "k", "1:", "50kk", "50 k0", "1:50 000 x", "2:50000", "-50k",
                            "1:50  000", "50,00", "999999999999999999999"})
        EXPECT_EQ(ReadScale(bad), 0) << bad;
    std::string error;
    EXPECT_EQ(ReadScaleList({"1:50,000,25k", "50k", "1M"}, error), (std::vector<int>{5, 6, 1}));
    EXPECT_TRUE(ReadScaleList({"50k,3k"}, error).empty());
    EXPECT_NE(error.find("\"3k\""), std::string::npos);
}

TEST(CliSweep, LineReaderAgreesWithAPlainSplitWhateverTheBlocks) {
    std::mt19937_64 rng(3);
    const std::string alphabet("ab\n\r\0\xff", 6);
    for (int n = 0; n < 3000; ++n) {
        std::string input;
        for (std::size_t i = rng() % 400; i > 0; --i)
            input += alphabet[rng() % alphabet.size()];
        const std::size_t limit = rng() % 40 + 1, block = rng() % 30 + 1;
        std::size_t at = 0;
        LineReader reader(
            [&](char* buffer, std::size_t size) -> long {
                const std::size_t n = std::min({size, input.size() - at, rng() % 50 + 1});
                std::memcpy(buffer, input.data() + at, n);
                at += n;
                return static_cast<long>(n);
            },
            limit, block);
        std::size_t start = 0, number = 0;
        LineReader::Line line;
        while (start < input.size()) {
            std::size_t end = input.find('\n', start);
            if (end == std::string::npos) end = input.size();
            std::string expected = input.substr(start, end - start);
            const bool tooLong = expected.size() > limit;
            if (!tooLong && !expected.empty() && expected.back() == '\r') expected.pop_back();
            ASSERT_TRUE(reader.Next(line));
            EXPECT_EQ(line.Number, ++number);
            EXPECT_EQ(line.TooLong, tooLong);
            EXPECT_EQ(std::string(line.Text), tooLong ? expected.substr(0, 256) : expected);
            start = end + 1;
        }
        EXPECT_FALSE(reader.Next(line));
    }
}

// Fields of one CSV row as RFC 4180 quotes them.
std::vector<std::string> CsvFields(std::string_view row) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const char c = row[i];
        if (quoted && c == '"' && i + 1 < row.size() && row[i + 1] == '"')
            fields.back() += row[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// 100,000 random points, a quarter of them on sheet edges of the finest scale, through
// `point` at every scale and back through `frame`: each frame holds its point under the edge
// rule (north and west edges in, south and east out; 180 E is 180 W).
TEST(CliSweep, PointToFrameRoundTripHoldsThePoint) {
    std::mt19937_64 rng(2024);
    constexpr int kPoints = 100000;
    std::vector<ExactPoint> points;
    std::string input;
    for (int i = 0; i < kPoints; ++i) {
        std::int64_t lat, lon; // milliseconds of arc
        if (i % 4 == 0) {
            lat = (static_cast<std::int64_t>(rng() % (2 * 84 * 24)) - 84 * 24 + 1) * 150000;
            lon = (static_cast<std::int64_t>(rng() % (360 * 16 + 1)) - 180 * 16) * 225000;
        } else {
            lat = static_cast<std::int64_t>(rng() % (168 * 3600000)) - 84 * 3600000 + 1;
            lon = static_cast<std::int64_t>(rng() % (360 * 3600000 + 1)) - 180 * 3600000;
        }
        points.push_back({lat * 1000000, lon * 1000000});
        const auto dms = [&](std::int64_t v, char pos, char neg) {
            const std::int64_t a = v < 0 ? -v : v;
            std::ostringstream s;
            s << a / 3600000 << "°" << a / 60000 % 60 << "'" << a / 1000 % 60 << "."
              << a % 1000 / 100 << a % 100 / 10 << a % 10 << "\"" << (v < 0 ? neg : pos);
            return s.str();
        };
        input += dms(lat, 'N', 'S') + " " + dms(lon, 'E', 'W') + "\n";
    }
    // Rows after the header, one at a time.
    const auto eachRow = [](const std::string& text, auto&& use) {
        std::size_t start = text.find('\n') + 1;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            use(std::string_view(text).substr(start, end - start));
    };
    const ToolRun sheets = RunTool({"point", "--format", "csv"}, input);
    ASSERT_EQ(sheets.Status, 0) << sheets.Err.substr(0, 1000);
    std::string names;
    eachRow(sheets.Out, [&](std::string_view row) { names += CsvFields(row).at(5) + "\n"; });
    const ToolRun frames = RunTool({"frame", "--format", "csv"}, names);
    ASSERT_EQ(frames.Status, 0) << frames.Err.substr(0, 1000);
    std::size_t n = 0;
    eachRow(frames.Out, [&](std::string_view row) {
        const auto f = CsvFields(row);
        const ExactPoint& p = points.at(n++ / 7);
        const auto edge = [&](std::size_t column) {
            return std::llround(std::stod(f.at(column)) * 3600) * kU;
        };
        const std::int64_t lon = p.Longitude == kHalfTurn ? -kHalfTurn : p.Longitude;
        EXPECT_TRUE(edge(9) < p.Latitude && p.Latitude <= edge(8) && edge(10) <= lon &&
                    lon < edge(11))
            << row << " for " << p.Latitude << " " << p.Longitude;
    });
    EXPECT_EQ(n, 7u * kPoints);
}

} // namespace
