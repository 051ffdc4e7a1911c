// Scan archives: file names read back in every style, and `kavu-sheet files` through the real
// program on real folders (listing, renaming and its undo list, a failure halfway, coverage).
#include "cli/archive_names.h"
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using kavu::SheetKey;
using kavu::cli::ReadFileStem;

std::string Trim(std::string s) {
    return s.substr(s.find_first_not_of(' '));
}

// Every sheet of a scale in both hemispheres, every `stride`-th of the finer scales.
template <typename F> void ForSheets(int scale, int stride, F&& f) {
    const int parts = kavu::PartCount(scale);
    const int quarters = scale >= 5 ? 4 : 1, q25 = scale >= 6 ? 4 : 1, q10 = scale >= 7 ? 4 : 1;
    int n = 0;
    for (const char h : {'N', 'S'})
        for (int row = 1; row <= 21; ++row)
            for (int column = 1; column <= 60; ++column)
                for (int part = parts ? 1 : 0; part <= parts; ++part)
                    for (int a = scale >= 5; a <= (scale >= 5 ? quarters : 0); ++a)
                        for (int b = scale >= 6; b <= (scale >= 6 ? q25 : 0); ++b)
                            for (int c = scale >= 7; c <= (scale >= 7 ? q10 : 0); ++c)
                                if (n++ % stride == 0)
                                    f(SheetKey{scale, h, row, column, part, a, b, c});
}

TEST(ArchiveNames, EveryStyleReadsBackAsItsSheet) {
    // Whole scales up to 1:200,000, a stride through the finer ones (0.3 M sheets in all).
    const int stride[] = {0, 1, 1, 1, 3, 23, 89, 353};
    for (int scale = 1; scale <= 7; ++scale) {
        std::size_t checked = 0;
        ForSheets(scale, stride[scale], [&](const SheetKey& key) {
            for (const std::string& name :
                 {kavu::cli::ArchiveName(key), kavu::cli::LatinName(key),
                  Trim(kavu::FormatSheetOld(key)), Trim(kavu::FormatSheetNew(key))}) {
                const auto read = ReadFileStem(name);
                bool found = false;
                for (const auto& r : read.Readings)
                    found = found || (r.Members.size() == 1 && r.Members[0] == key);
                ASSERT_TRUE(found) << name;
            }
            ++checked;
        });
        EXPECT_GT(checked, 1000u) << scale;
    }
}

TEST(ArchiveNames, OtherWordsJoinsAndIrregularJoins) {
    struct Case {
        const char* stem;
        const char* old;
        const char* archive;
        const char* rest;
        bool joined, irregular;
    };
    for (const Case& c : {
             Case{"n37-004", "N-37-4", "n37-004", "", false, false},
             {"N-37-004 1985 ed2", "N-37-4", "n37-004", "1985 ed2", false, false},
             {"scan_N-37-004-3_1985", "N-37-4-В", "n37-004-3", "scan 1985", false, false},
             {"К-37-XII", "K-37-XII", "k37-xii", "", false, false},
             {"О-37-123-А", "O-37-123-А", "o37-123-1", "", false, false},
             // The series' own groups, written short or in full.
             {"q-39-013_014", "Q-39-13,14", "q39-013_014", "", true, false},
             {"Q39-013_Q39-014", "Q-39-13,14", "q39-013_014", "", true, false},
             {"P-37,38", "P-37,38", "p37_p38", "", true, false},
             // Joins the series did not print: read as their members, flagged.
             {"q-39-013_014_015", "Q-39-13,14,15", "q39-013_014_015", "", true, true},
             {"Q-39-II_III", "Q-39-II,III", "q39-ii_iii", "", true, true},
             {"Q-39-I,II,III,IV 1960", "Q-39-I,II,III,IV", "q39-i_ii_iii_iv", "1960", true, true},
             {"T-37-1-А_Б", "T-37-1-А,Б", "t37-001-1_2", "", true, true},
         }) {
        const auto read = ReadFileStem(c.stem);
        ASSERT_EQ(read.Readings.size(), 1u) << c.stem << ": " << read.Error;
        const auto& r = read.Readings[0];
        EXPECT_EQ(r.Old, c.old) << c.stem;
        EXPECT_EQ(r.Archive, c.archive) << c.stem;
        EXPECT_EQ(read.Rest, c.rest) << c.stem;
        EXPECT_EQ(r.Joined, c.joined) << c.stem;
        EXPECT_EQ(r.Irregular, c.irregular) << c.stem;
        // The archive name reads back as the same members, and the frame spans them all.
        const auto back = ReadFileStem(r.Archive);
        ASSERT_FALSE(back.Readings.empty()) << r.Archive;
        EXPECT_EQ(back.Readings[0].Members, r.Members) << r.Archive;
        for (const SheetKey& m : r.Members) {
            const auto f = kavu::ComputeSignedFrame(m).value();
            EXPECT_TRUE(f.North <= r.Frame.North && f.South >= r.Frame.South &&
                        f.West >= r.Frame.West && f.East <= r.Frame.East)
                << c.stem;
        }
    }
    EXPECT_EQ(ReadFileStem("N-37-4").Readings.size(), 2u); // 1:100,000 or 1:500,000
    for (const char* none : {"readme", "IMG_0042", "", "scan 1985"})
        EXPECT_TRUE(ReadFileStem(none).Readings.empty()) << none;
}

class ArchiveTool : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kavu-archive-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    // Each file holds its own first name, so that a move that lost or swapped one shows.
    void Make(const std::string& name) {
        fs::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name) << name;
    }
    std::map<std::string, std::string> Tree() const {
        std::map<std::string, std::string> tree;
        for (const auto& e : fs::recursive_directory_iterator(dir_)) {
            if (!e.is_regular_file()) continue;
            std::ifstream in(e.path());
            tree[fs::relative(e.path(), dir_).string()] =
                std::string(std::istreambuf_iterator<char>(in), {});
        }
        return tree;
    }
    std::string Dir() const { return dir_.string(); }
    fs::path dir_;
};

TEST_F(ArchiveTool, ListsEveryFileWithItsProblems) {
    for (const char* name : {"n37-004.tif", "n37-004.tfw", "sub/N-37-004 1985.jpg", "N-37-4.tif",
                             "readme.txt", "q-39-013_014_015.tif", "K-37-XII.gif"})
        Make(name);
    // JSON Lines: one record a scan (the world file travels with its scan), every problem named.
    const ToolRun run = RunTool({"files", Dir(), "--recursive", "--format", "json"});
    EXPECT_EQ(run.Status, 1) << run.Err;
    std::map<std::string, nlohmann::json> byName;
    for (const std::string& line : Lines(run.Out)) {
        const auto j = nlohmann::json::parse(line);
        byName[fs::path(j["path"].get<std::string>()).filename().string()] = j;
    }
    ASSERT_EQ(byName.size(), 6u) << run.Out;
    EXPECT_EQ(byName["n37-004.tif"]["problem"], "duplicate");
    EXPECT_EQ(byName["N-37-004 1985.jpg"]["problem"], "duplicate");
    EXPECT_EQ(byName["N-37-004 1985.jpg"]["rest"], "1985");
    EXPECT_EQ(byName["N-37-4.tif"]["problem"], "ambiguous");
    EXPECT_EQ(byName["readme.txt"]["problem"], "no designation");
    EXPECT_EQ(byName["q-39-013_014_015.tif"]["problem"], "irregular");
    EXPECT_EQ(byName["q-39-013_014_015.tif"]["irregular"], true);
    EXPECT_EQ(byName["K-37-XII.gif"]["problem"], "");
    EXPECT_EQ(byName["K-37-XII.gif"]["new"], "11-37-12");
    EXPECT_EQ(byName["K-37-XII.gif"]["west"], 41);
    EXPECT_TRUE(byName["readme.txt"]["north"].is_null());

    // Without --recursive the subfolder is not walked; --scale settles the ambiguous name,
    // which then gives the same sheet as n37-004.tif.
    const ToolRun top = RunTool({"files", Dir(), "--scale", "100k", "-f", "csv"});
    EXPECT_EQ(Lines(top.Out).size(), 6u) << top.Out;
    const ToolRun both =
        RunTool({"files", Dir(), (dir_ / "sub").string(), "-s", "100k", "-f", "csv"});
    EXPECT_EQ(Lines(both.Out).size(), 7u) << both.Out;
    EXPECT_NE(top.Out.find("N-37-4.tif,N-37-4,,1:100000,14-37-004,N-37-4,N-37-004,n37-004,"),
              std::string::npos)
        << top.Out;
    // GeoJSON: a feature a file, the unread one without geometry.
    const auto geo = nlohmann::json::parse(RunTool({"files", Dir(), "-f", "geojson"}).Out);
    ASSERT_EQ(geo["features"].size(), 5u);
    std::size_t withGeometry = 0;
    for (const auto& f : geo["features"])
        withGeometry += !f["geometry"].is_null();
    EXPECT_EQ(withGeometry, 3u); // N-37-4.tif is ambiguous, readme.txt unread

    // Options before, between and after the operands; "--" ends the options.
    const std::string sub = (dir_ / "sub").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"files", "-f", "csv", "--scale", "100k", Dir(), sub},
          {"files", Dir(), "-f", "csv", sub, "--scale", "100k"},
          {"files", "--scale", "100k", "-f", "csv", "--", Dir(), sub}})
        EXPECT_EQ(Lines(RunTool(args).Out), Lines(both.Out)) << args[2];

    // Usage errors exit 2.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"files"},
                                                 {"files", Dir(), "--apply"},
                                                 {"files", Dir(), "--rename", "{name}{ext}"},
                                                 {"files", Dir(), "--coverage", "55,37,56,38"},
                                                 {"files", Dir(), "--scale", "7k"}})
        EXPECT_EQ(RunTool(args).Status, 2) << args.back();
    EXPECT_EQ(RunTool({"files", Dir() + "/none"}).Status, 1);
}

TEST_F(ArchiveTool, RenamesThroughEveryStyleAndBack) {
    const std::vector<std::string> start = {"n37-004-3.tif",
                                            "n37-004-3.tfw",
                                            "n37-004-3.tif.aux.xml",
                                            "q39-013_014.jpg",
                                            "q39-013_014.jgw",
                                            "xa34-013.png",
                                            "q39-013_014_015 ed2.tif",
                                            "k37-xii.gif",
                                            "o37-123-1-2.tif",
                                            "p37_p38.tif",
                                            "r01-xxxv.tif"};
    for (const std::string& name : start)
        Make(name);
    const auto before = Tree();
    // A dry run prints the moves and changes nothing.
    const ToolRun dry = RunTool({"files", Dir(), "--rename", "{scale}/{old} {rest}{ext}"});
    EXPECT_EQ(dry.Status, 0) << dry.Err;
    EXPECT_EQ(Lines(dry.Out).size(), start.size()) << dry.Out;
    EXPECT_NE(dry.Out.find("/50k/N-37-4-В.tfw"), std::string::npos) << dry.Out;
    EXPECT_EQ(Tree(), before);

    int step = 0;
    for (const char* pattern : {"{scale}/{old} {rest}{ext}", "../{latin}_{rest}{ext}",
                                "{new} {rest}{ext}", "{archive} {rest}{ext}"}) {
        const std::string undo = Dir() + "/../undo-" + std::to_string(++step);
        const ToolRun run = RunTool(
            {"files", Dir(), "--recursive", "--rename", pattern, "--apply", "--undo-list", undo});
        EXPECT_EQ(run.Status, 0) << pattern << run.Err;
        std::size_t moved = 0;
        for (const auto& [name, text] : Tree())
            moved += name != text;
        EXPECT_EQ(Tree().size(), before.size()) << pattern;
        if (step < 4) {
            EXPECT_EQ(moved, before.size()) << pattern;
        }
        std::error_code ec;
        fs::remove(undo, ec);
        for (const char* folder : {"50k", "100k", "200k", "25k", "1M"})
            fs::remove(dir_ / folder, ec); // only once empty
    }
    // Back in the archive style where it began, side files beside their scans.
    EXPECT_EQ(Tree(), before);
}

TEST_F(ArchiveTool, NeverOverwritesAndAFailureHalfwayLosesNothing) {
    for (const char* name : {"a/n37-001.tif", "a/n37-002.tif", "a/n37-003-1.tif", "a/n37-003-1.tfw",
                             "a/n37-005.tif", "a/N-37-5.jpg", "a/N-37-6 copy.tif", "a/n37-006.tif"})
        Make(name);
    // A name taken already is never replaced, nor one that another file of the run claims
    // (N-37-6 copy.tif and n37-006.tif).
    Make("a/100k/N-37-2.tif");
    // A plain file where the 1:50,000 folder would go: the move into it fails halfway.
    Make("a/50k");
    const auto before = Tree();
    const std::string undo = (dir_ / "undo.jsonl").string();
    const ToolRun run = RunTool(
        {"files", Dir() + "/a", "--rename", "{scale}/{old}{ext}", "--apply", "--undo-list", undo});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("stopped"), std::string::npos) << run.Err;
    const auto after = Tree();
    // Every file is still there, under its old name or its new one, with its own content.
    EXPECT_EQ(after.size(), before.size() + 1); // + the undo list
    std::size_t moved = 0;
    for (const auto& [name, text] : after)
        if (name != "undo.jsonl") moved += name != text;
    EXPECT_GT(moved, 0u);
    EXPECT_EQ(after.at("a/100k/N-37-2.tif"), "a/100k/N-37-2.tif");
    EXPECT_EQ(after.at("a/100k/N-37-6.tif"), "a/N-37-6 copy.tif");
    EXPECT_EQ(after.at("a/n37-006.tif"), "a/n37-006.tif");
    EXPECT_EQ(after.at("a/n37-005.tif"), "a/n37-005.tif"); // after the failure: not reached
    // The undo list holds each move made; replaying it puts every file back.
    std::size_t entries = 0;
    for (const std::string& line : Lines(after.at("undo.jsonl")))
        entries += nlohmann::json::parse(line).contains("from");
    EXPECT_GE(entries, moved);
    EXPECT_EQ(RunTool({"files", "--undo", undo}).Status, 0);
    auto restored = Tree();
    restored.erase("undo.jsonl");
    EXPECT_EQ(restored, before);

    // An undo list that cannot be written: nothing moves at all.
    const ToolRun full = RunTool({"files", Dir() + "/a", "--scale", "100k", "--rename",
                                  "{archive}{ext}", "--apply", "--undo-list", "/dev/full"});
    EXPECT_EQ(full.Status, 1);
    restored = Tree();
    restored.erase("undo.jsonl");
    EXPECT_EQ(restored, before);
}

TEST_F(ArchiveTool, CoverageOfABox) {
    for (const char* name : {"n37-003.tif", "N-37-16 1975.tif", "n37-001.tif", "n37-004-1.tif"})
        Make(name);
    const ToolRun run = RunTool(
        {"files", Dir(), "--coverage", "55.5,37,56,38", "--scale", "100k", "--format", "csv"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    std::map<std::string, std::string> status; // old name -> status
    for (const std::string& line : Lines(run.Out)) {
        const auto fields = CsvFields(line);
        status[fields.at(4)] = fields.at(0);
    }
    EXPECT_EQ(status["N-37-3"], "present");
    EXPECT_EQ(status["N-37-4"], "present"); // through its 1:50,000 sheet
    EXPECT_EQ(status["N-37-15"], "missing");
    EXPECT_EQ(status["N-37-16"], "present");
    EXPECT_EQ(status["N-37-1"], "outside");
    EXPECT_EQ(status.size(), 6u); // the header, four sheets, one file outside
}

} // namespace
