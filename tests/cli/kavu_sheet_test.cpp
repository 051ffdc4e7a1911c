// kavu-sheet as a user runs it: the real binary, its real output. Expected designations and
// corners are worked by hand from the series' rules, not copied from a run.
#include "tests/cli/run_tool.h"

#include <kavu/version.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>

namespace {

using nlohmann::json;

// The fields of a text line, one blank between them, and the characters before its second and
// third columns (columns are parted by two blanks or more).
std::pair<std::string, std::vector<std::size_t>> Layout(const std::string& line) {
    std::pair<std::string, std::vector<std::size_t>> out;
    std::size_t chars = 0, blanks = 0;
    for (const char c : line) {
        if (c != ' ' && blanks >= 2 && out.second.size() < 2) out.second.push_back(chars);
        if (c != ' ') out.first += std::string(blanks > 0 && !out.first.empty(), ' ') + c;
        blanks = c == ' ' ? blanks + 1 : 0;
        chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return out;
}

// Runs and compares the text output field by field, line by line; the columns line up.
void ExpectText(const std::vector<std::string>& args, const std::vector<std::string>& expected,
                const std::string& input = "") {
    SCOPED_TRACE(::testing::PrintToString(args));
    const ToolRun run = RunTool(args, input);
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const auto lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), expected.size()) << run.Out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(Layout(lines[i]).first, expected[i]) << lines[i];
        EXPECT_EQ(Layout(lines[i]).second, Layout(lines[0]).second) << lines[i];
    }
}

TEST(KavuSheet, PointAtEveryScaleInBothHemispheresAndOnTheGridsEdges) {
    // Moscow: the worked 1:50,000 sheet and its 1:25,000 NW and 1:10,000 SE quarters.
    ExpectText({"point", "55.7558", "37.6173"},
               {"1:1000000 14-37 N-37", "1:500000 14-37-1 N-37-А", "1:200000 14-37-02 N-37-II",
                "1:100000 14-37-004 N-37-4", "1:50000 14-37-004-3 N-37-4-В",
                "1:25000 14-37-004-3-1 N-37-4-В-а", "1:10000 14-37-004-3-1-4 N-37-4-В-а-4"});
    // North of 60 degrees the published sheet is given where it differs. The equator belongs
    // to the southern row, 0 degrees to the eastern column, 180 degrees E to column 1; each
    // lies on a bounding line at every scale. The long southern name sets the column width.
    ExpectText({"point", "--scale", "1M,10k"},
               {"1:1000000 16-37 P-37 published 16-37,38 P-37,38",
                "1:10000 16-37-075-3-4-4 P-37-75-В-г-4",
                "1:1000000 s 1-31 s A-31 on a parallel on a meridian",
                "1:10000 s 1-31-001-1-1-1 s A-31-1-А-а-1 on a parallel on a meridian"},
               "61.7 37.2\n0 0\n");
    ExpectText({"point", "--scale", "1M"},
               {"1:1000000 1-1 A-1 on a meridian",
                "1:1000000 21-31 U-31 on a parallel published 21-29,30,31,32 U-29,30,31,32"},
               "0.5 180\n84 0.5\n");
}

TEST(KavuSheet, FrameAroundRescaleAndCover) {
    ExpectText({"frame", "n37-004-3-а"}, {"1:25000 14-37-004-3-1 N-37-4-В-а 55°50′00″N 37°30′00″E "
                                          "– 55°45′00″N 37°37′30″E centre 55°47′30″N 37°33′45″E"});
    ExpectText({"frame", "P-37,38"}, {"1:1000000 16-37,38 P-37,38 64°00′00″N 36°00′00″E – "
                                      "60°00′00″N 48°00′00″E centre 62°00′00″N 42°00′00″E"});
    ExpectText({"frame", "s 1-1"}, {"1:1000000 s 1-1 s A-1 0°00′00″N 180°00′00″W – 4°00′00″S "
                                    "174°00′00″W centre 2°00′00″S 177°00′00″W"});
    // At 84 degrees the northern cells are absent; across 180 degrees the block wraps.
    ExpectText({"around", "U-1"},
               {"NW 1:1000000 absent", "N 1:1000000 absent", "NE 1:1000000 absent",
                "W 1:1000000 21-60 U-60 published 21-57,58,59,60 U-57,58,59,60",
                "C 1:1000000 21-1 U-1 published 21-1,2,3,4 U-1,2,3,4",
                "E 1:1000000 21-2 U-2 published 21-1,2,3,4 U-1,2,3,4",
                "SW 1:1000000 20-60 T-60 published 20-57,58,59,60 T-57,58,59,60",
                "S 1:1000000 20-1 T-1 published 20-1,2,3,4 T-1,2,3,4",
                "SE 1:1000000 20-2 T-2 published 20-1,2,3,4 T-1,2,3,4"});
    ExpectText({"rescale", "N-37-4", "--from", "1:100 000", "-s", "1M"}, {"1:1000000 14-37 N-37"});
    // Which sheets a box meets is swept in sweep_test; here the option parsing and 180 degrees.
    ExpectText({"cover", "--bbox", "0.1,179,0.2,-179", "--scale", "1M"},
               {"1:1000000 1-60 A-60", "1:1000000 1-1 A-1"});
    // From 180 degrees W round to 180 degrees W again: the whole row.
    EXPECT_EQ(Lines(RunTool({"cover", "--bbox", "0,-180,1,-180", "-s", "1M"}).Out).size(), 60u);
}

TEST(KavuSheet, CsvJsonAndGeoJson) {
    EXPECT_EQ(RunTool({"point", "55.7558,", "37.6173", "--scale", "50k", "-f", "csv"}).Out,
              "line,input,latitude,longitude,scale,new,old,latitude_junction,"
              "longitude_junction,published_new,published_old\n"
              ",\"55.7558, 37.6173\",55.7558,37.6173,1:50000,14-37-004-3,N-37-4-В,"
              "false,false,,\n");
    EXPECT_EQ(Lines(RunTool({"frame", "P-37", "-f", "csv"}).Out).at(1),
              ",P-37,1:1000000,16-37,P-37,false,\"16-37,38\",\"P-37,38\",64,60,36,42,"
              "62,39,64°00′00″N,60°00′00″N,36°00′00″E,42°00′00″E,"
              "62°00′00″N 39°00′00″E");

    const auto lines = Lines(RunTool({"frame", "-f", "json"}, "N-37-4-В\nP-37,38\n").Out);
    ASSERT_EQ(lines.size(), 2u);
    const auto first = json::parse(lines[0]), joined = json::parse(lines[1]);
    EXPECT_EQ(first["frame"]["north"], 55.833333333);
    EXPECT_EQ(first["frame"]["dms"]["centre"], "55°45′00″N 37°37′30″E");
    EXPECT_EQ(joined["joined"], true);

    const auto point = json::parse(RunTool({"point", "61.7 37.2", "-s1M", "-fjson"}).Out);
    EXPECT_EQ(point["published"], (json{{"new", "16-37,38"}, {"old", "P-37,38"}}));
    EXPECT_TRUE(point["line"].is_null()) << point; // an argument has no line number

    // Absent cells have no feature (the rings are checked in sweep_test).
    const auto geo = json::parse(RunTool({"around", "U-1", "-f", "geojson"}).Out);
    EXPECT_EQ(geo["type"], "FeatureCollection");
    ASSERT_EQ(geo["features"].size(), 6u);
    EXPECT_EQ(geo["features"][1]["properties"]["cell"], "C");
}

// Lines that do not read, in every way a file can hold them: each is reported on standard
// error with its number and text, CSV and JSON keep an empty record in its place, text leaves
// it out, and the lines after it are answered as if it were not there.
TEST(KavuSheet, BadLinesAreReportedAndSkipped) {
    const std::string input = std::string("55.7558 37.6173\nnot a \"point\"\n\n84.5 10\n"
                                          "55.7558 37.6173\r\n") +
                              std::string("\0 1\n", 4) + "\xff\xfe\"\n" + std::string(70000, '7') +
                              "\n" + "-33.9 18.4";
    const ToolRun run = RunTool({"point", "-s", "50k", "-f", "json"}, input);
    EXPECT_EQ(run.Status, 1);
    const auto lines = Lines(run.Out);
    ASSERT_EQ(lines.size(), 9u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto record = json::parse(lines[i]);
        EXPECT_EQ(record["line"], i + 1);
        const bool good = i == 0 || i == 4 || i == 8;
        EXPECT_EQ(record.contains("error"), !good) << lines[i];
        EXPECT_EQ(record.value("old", ""), !good ? "" : i == 8 ? "s I-34-61-Г" : "N-37-4-В");
    }
    const auto errors = Lines(run.Err);
    ASSERT_EQ(errors.size(), 5u) << run.Err;
    EXPECT_EQ(errors[0].rfind("kavu-sheet: line 2: \"not a \\\"point\\\"\": ", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1], "kavu-sheet: line 4: \"84.5 10\": the series has no sheets beyond "
                         "84° N and 84° S");
    EXPECT_EQ(errors[2].rfind("kavu-sheet: line 6: \"\\x00 1\": ", 0), 0u) << errors[2];
    EXPECT_EQ(errors[3].rfind("kavu-sheet: line 7: \"\\xFF\\xFE\\\"\": ", 0), 0u) << errors[3];
    EXPECT_EQ(errors[4], "kavu-sheet: line 8: \"" + std::string(80, '7') +
                             "…\": the line is longer than 65536 bytes");

    // The same lines in CSV (an empty record for each bad one), text (left out) and strict mode
    // (the first bad line ends the run).
    for (const auto& [option, out, err] :
         {std::tuple{"-fcsv", 10u, 5u}, {"-ftext", 3u, 5u}, {"--strict", 1u, 1u}}) {
        const ToolRun other = RunTool({"point", "-s", "50k", option}, input);
        EXPECT_EQ(other.Status, 1);
        EXPECT_EQ(Lines(other.Out).size(), out) << other.Out;
        EXPECT_EQ(Lines(other.Err).size(), err) << other.Err;
        if (out == 10) {
            EXPECT_EQ(Lines(other.Out)[2], "2,\"not a \"\"point\"\"\",,,,,,,,,");
        }
    }

    // A name that reads at two scales says which.
    const std::string twoScales = RunTool({"frame"}, "N-37-1\n").Err;
    EXPECT_NE(twoScales.find("1:100000 N-37-1, 1:500000 N-37-А; pick one with --scale"),
              std::string::npos);
}

TEST(KavuSheet, ExitStatusAndMessagesForArguments) {
    const ToolRun far = RunTool({"point", "-84", "0"});
    EXPECT_EQ(far.Status, 1);
    EXPECT_EQ(far.Err, "kavu-sheet: \"-84 0\": the series has no sheets beyond 84° N and 84° S\n");
    EXPECT_EQ(RunTool({"around", "P-37,38"}).Status, 1);
    // The place of the fault, in characters; one past the end when something is missing.
    EXPECT_EQ(RunTool({"frame", "N-37-1ж"}).Err,
              "kavu-sheet: \"N-37-1ж\": a separator is missing before “ж” (at character 7)\n");
    EXPECT_EQ(RunTool({"point", "55 30 N"}).Err,
              "kavu-sheet: \"55 30 N\": a second coordinate is missing (at character 8)\n");

    for (const auto& usage : std::initializer_list<std::vector<std::string>>{
             {},
             {"nosuch"},
             {"point", "--scale", "3k", "1", "1"},
             {"point", "--format", "xml", "1", "1"},
             {"frame", "N-37", "--scale", "1M,50k"},
             {"rescale", "N-37"},
             {"rescale", "N-37", "-s", "1M", "--from", "2k"},
             {"cover", "--scale", "1M"},
             {"cover", "--bbox", "56,37,55,38", "-s1M"},
             {"cover", "--bbox", "1,2,3,4"},
             {"cover", "--bbox", "55,37,56,abc", "-s1M"},
             {"cover", "--bbox", "55,37,91,38", "-s1M"}}) {
        const ToolRun run = RunTool(usage);
        EXPECT_TRUE(run.Status == 2 && run.Err != "" && run.Out == "")
            << ::testing::PrintToString(usage) << run.Status << run.Err;
    }
    const ToolRun help = RunTool({"point", "--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("1942"), std::string::npos);
    EXPECT_EQ(RunTool({"--version"}).Out, KAVU_VERSION "\n");
}

// Each option takes one value, so options may come before, between and after the operands
// (and in the --name=value form): every placement answers as the options last do.
TEST(KavuSheet, OptionsAndOperandsInAnyOrder) {
    struct Case {
        std::vector<std::string> Command, Operands;
        std::vector<std::vector<std::string>> Options;
    };
    const std::vector<Case> cases{
        {{"point"}, {"55.7558", "37.6173"}, {{"--scale", "50k,100k"}, {"-f", "csv"}}},
        {{"point"}, {"55.7558", "37.6173"}, {{"--scale=50k"}, {"--datum", "1942"}}},
        {{"frame"}, {"N-37", "1"}, {{"--scale", "100k"}, {"--format=json"}}},
        {{"around"}, {"N-37-4"}, {{"-s", "100k"}, {"-f", "csv"}}},
        {{"rescale"}, {"N-37", "4"}, {{"--from", "100k"}, {"-s", "1M"}}},
        {{"cover"}, {}, {{"--bbox", "55,37,56,38"}, {"--scale", "500k"}}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> last = c.Command;
        last.insert(last.end(), c.Operands.begin(), c.Operands.end());
        for (const auto& option : c.Options)
            last.insert(last.end(), option.begin(), option.end());
        const ToolRun reference = RunTool(last);
        ASSERT_EQ(reference.Status, 0) << ::testing::PrintToString(last) << reference.Err;
        ASSERT_NE(reference.Out, "");
        const std::size_t n = c.Operands.size() + 1;
        for (std::size_t first = 0; first < n; ++first) {
            for (std::size_t second = 0; second < n; ++second) {
                std::vector<std::string> args = c.Command;
                for (std::size_t i = 0; i < n; ++i) {
                    if (i == first)
                        args.insert(args.end(), c.Options[0].begin(), c.Options[0].end());
                    if (i == second)
                        args.insert(args.end(), c.Options[1].begin(), c.Options[1].end());
                    if (i < c.Operands.size()) args.push_back(c.Operands[i]);
                }
                const ToolRun run = RunTool(args);
                EXPECT_EQ(run.Out, reference.Out) << ::testing::PrintToString(args) << run.Err;
                EXPECT_EQ(run.Status, 0);
            }
        }
    }
    // A repeated option adds to the list; "--" ends the options, and a negative first number
    // reads as a coordinate with or without it.
    const std::string south = RunTool({"point", "-33.9", "18.4", "-s", "50k,100k"}).Out;
    EXPECT_NE(south.find("s I-34-61-Г"), std::string::npos) << south;
    for (const auto& args : std::initializer_list<std::vector<std::string>>{
             {"point", "-s", "50k", "-s", "100k", "-33.9", "18.4"},
             {"point", "--scale", "50k", "--scale=100k", "--", "-33.9", "18.4"},
             {"point", "-s50k,100k", "--", "-33.9", "18.4"}})
        EXPECT_EQ(RunTool(args).Out, south) << ::testing::PrintToString(args);
}

// What a shell pipeline round the tool ($KAVU) writes on its standard output.
std::string Shell(const std::string& script) {
    FILE* pipe = popen(("KAVU=" KAVU_SHEET "; " + script).c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

// An answer comes out before the tool waits for the next line (here, the next line is only sent
// once the answer has been read), and a reader that goes away or a full disk ends the run
// without a crash.
TEST(KavuSheet, StreamsAndStopsOnClosedOutput) {
    EXPECT_EQ(Layout(Shell("d=$(mktemp -d); mkfifo $d/f; { echo 55.7558 37.6173; cat $d/f; } | "
                           "timeout 20 $KAVU point -s 1M | { head -n1; echo > $d/f; }; rm -r $d"))
                  .first,
              "1:1000000 14-37 N-37\n");
    const std::string oneLineRead = "{ yes 55.7558 37.6173 | head -n 400000 | { $KAVU point 2>&3; "
                                    "echo exit $? >&3; } | head -n1 > /dev/null; } 3>&1";
    EXPECT_EQ(Shell(oneLineRead), "exit 0\n");
    const ToolRun full =
        RunTool({"cover", "--bbox", "50,30,60,40", "--scale", "50k"}, "", "/dev/full");
    EXPECT_EQ(full.Status, 1);
    EXPECT_EQ(full.Err, "kavu-sheet: cannot write the output: No space left on device\n");
}

} // namespace
