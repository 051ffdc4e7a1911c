#include "cli/archive_commands.h"

#include "cli/archive_gis.h"
#include "cli/archive_rename.h"
#include "cli/archive_scan.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/scale.h"
#include "cli/stream.h"

#include <CLI/CLI.hpp>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <unistd.h>

namespace kavu::cli {
namespace {

void Tell(const std::string& message) {
    std::size_t done = 0;
    while (done < message.size()) {
        const ssize_t n = ::write(2, message.data() + done, message.size() - done);
        if (n <= 0 && errno != EINTR) return;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

int Usage(const std::string& message) {
    Tell("kavu-sheet: " + message + "\n");
    return kUsage;
}

std::string Joined(const std::vector<std::string>& parts, const char* between) {
    std::string all;
    for (const std::string& p : parts)
        (all += all.empty() ? "" : between) += p;
    return all;
}

const std::vector<Column> kFileColumns = {{"path"},
                                          {"designation"},
                                          {"rest"},
                                          {"scale"},
                                          {"new"},
                                          {"old"},
                                          {"latin"},
                                          {"archive"},
                                          {"joined", Column::Flag},
                                          {"irregular", Column::Flag},
                                          {"problem"},
                                          {"detail"},
                                          {"north", Column::Number},
                                          {"south", Column::Number},
                                          {"west", Column::Number},
                                          {"east", Column::Number}};

// The row of one file; the row's strings are reused from the file before.
void FileRow(const ScanFile& f, Row& row) {
    const FileSheet* s = f.Sheet;
    row.Values.resize(12);
    std::string* v = row.Values.data();
    v[0] = f.Path;
    v[1] = f.Name.Designation;
    v[2] = f.Name.Rest;
    v[3] = s ? ScaleName(s->Scale) : "";
    v[4] = s ? s->New : "";
    v[5] = s ? s->Old : "";
    v[6] = s ? s->Latin : "";
    v[7] = s ? s->Archive : "";
    v[8] = s && s->Joined ? "true" : "false";
    v[9] = s && s->Irregular ? "true" : "false";
    v[10] = Joined(f.Problems, ",");
    v[11] = Joined(f.Details, "; ");
    row.Frame.reset();
    if (s) row.Frame = s->Frame;
    AppendFrameValues(row, row.Frame);
    row.Line = f.Path;
    if (s) {
        ((row.Line += '\t') += s->Old) += '\t';
        (row.Line += s->New) += '\t';
        row.Line += ScaleName(s->Scale);
    }
    for (std::size_t i = 0; i < f.Problems.size(); ++i)
        (((row.Line += '\t') += f.Problems[i]) += ": ") += f.Details[i];
}

int StatusOf(const Archive& archive) {
    for (const ScanFile& f : archive.Files)
        for (const std::string& p : f.Problems)
            if (p != "irregular") return kSomeUnread;
    return kAllRead;
}

// Sheets of the area that no file gives, those given, and the files outside it.
bool CoverageTable(const ArchiveOptions& o, int scale, const Archive& archive, Table& table,
                   std::unique_ptr<ArchiveGis>& gis, std::string& error, bool& usage) {
    std::vector<SheetKey> sheets;
    Area box;
    std::string boxError;
    if (ReadBox(o.Coverage, Datum{}, box, boxError)) {
        struct Keys : RecordSink {
            int scale;
            std::vector<SheetKey>* out;
            void Write(const SheetRecord& r) override {
                const ExactPoint centre{(static_cast<std::int64_t>(r.Frame.North) + r.Frame.South) *
                                            kUnitsPerSecond / 2,
                                        (static_cast<std::int64_t>(r.Frame.West) + r.Frame.East) *
                                            kUnitsPerSecond / 2};
                if (auto s = SheetOfExactPoint(centre, scale)) out->push_back(s->Key);
            }
            void WriteEmpty(std::size_t, std::string_view, std::string_view) override {}
        } keys;
        keys.scale = scale;
        keys.out = &sheets;
        Cover(box, scale, false, SheetRecord{}, keys);
    } else {
        std::error_code ec;
        if (!std::filesystem::exists(o.Coverage, ec)) {
            error =
                "--coverage: \"" + o.Coverage + "\" is neither a box (" + boxError + ") nor a file";
            usage = true;
            return false;
        }
        if (!gis && !(gis = LoadArchiveGis(error))) return false;
        if (!gis->CoverFile(o.Coverage, scale, sheets, error)) return false;
    }
    std::map<std::string, std::vector<std::string>> given; // sheet (new notation) -> files
    std::set<std::string> inside;
    for (const SheetKey& key : sheets)
        inside.insert(FormatSheetNew(key));
    std::vector<const ScanFile*> outside;
    for (const ScanFile& f : archive.Files) {
        if (!f.Sheet) continue;
        bool in = false;
        for (const SheetKey& key : f.Sheet->Members) {
            std::string name;
            if (key.Scale == scale) {
                name = FormatSheetNew(key);
            } else { // a sheet of another scale counts where its centre lies
                const auto frame = ComputeSignedFrame(key);
                const ExactPoint centre{
                    (static_cast<std::int64_t>(frame->North) + frame->South) * kUnitsPerSecond / 2,
                    (static_cast<std::int64_t>(frame->West) + frame->East) * kUnitsPerSecond / 2};
                if (auto s = SheetOfExactPoint(centre, scale)) name = FormatSheetNew(s->Key);
            }
            if (!inside.count(name)) continue;
            in = true;
            given[name].push_back(f.Path);
        }
        if (!in) outside.push_back(&f);
    }
    table.Columns = {{"status"},
                     {"present", Column::Flag},
                     {"scale"},
                     {"new"},
                     {"old"},
                     {"latin"},
                     {"archive"},
                     {"files"},
                     {"north", Column::Number},
                     {"south", Column::Number},
                     {"west", Column::Number},
                     {"east", Column::Number}};
    for (const SheetKey& key : sheets) {
        const std::string New(FormatSheetNew(key));
        const auto found = given.find(New);
        const bool present = found != given.end();
        const std::string files = present ? Joined(found->second, "; ") : "";
        Row& row = table.Rows.emplace_back();
        row.Frame = ComputeSignedFrame(key);
        const std::string old = FormatSheetOld(key);
        row.Values = {present ? "present" : "missing",
                      present ? "true" : "false",
                      std::string(ScaleName(key.Scale)),
                      New.substr(New.front() == ' '),
                      old.substr(old.front() == ' '),
                      LatinName(key),
                      ArchiveName(key),
                      files};
        AppendFrameValues(row, row.Frame);
        row.Line = row.Values[0] + '\t' + row.Values[4] + '\t' + row.Values[3] +
                   (present ? '\t' + files : "");
    }
    for (const ScanFile* f : outside) {
        Row& row = table.Rows.emplace_back();
        row.Frame = f->Sheet->Frame;
        row.Values = {"outside",         "false",       std::string(ScaleName(f->Sheet->Scale)),
                      f->Sheet->New,     f->Sheet->Old, f->Sheet->Latin,
                      f->Sheet->Archive, f->Path};
        AppendFrameValues(row, row.Frame);
        row.Line = "outside\t" + f->Sheet->Old + '\t' + f->Sheet->New + '\t' + f->Path;
    }
    return true;
}

int RunFiles(const ArchiveOptions& o) {
    int scale = 0;
    if (!o.Scale.empty() && (scale = ReadScale(o.Scale)) == 0)
        return Usage("--scale: \"" + o.Scale + "\" is not a scale of the series");
    if (!o.Undo.empty()) {
        if (!o.Paths.empty() || !o.Template.empty() || o.Apply)
            return Usage("--undo FILE replays an undo list and takes nothing else");
        return UndoRenames(o.Undo, Tell);
    }
    if (o.Paths.empty()) return Usage("files needs a PATH: a file or a folder");
    if (!o.Template.empty() && !o.Coverage.empty())
        return Usage("--rename and --coverage are separate runs; give one");
    if (o.Apply && o.Template.empty()) return Usage("--apply carries out a --rename; give it");
    if (!o.UndoList.empty() && !o.Apply)
        return Usage("--undo-list names the list an --apply run writes; add --apply");
    if (!o.Coverage.empty() && scale == 0) return Usage("--coverage needs --scale");
    if (!o.Driver.empty() && o.OutputFile.empty())
        return Usage("--driver names the format of --output FILE; give FILE too");
    std::string error;
    RenameTemplate pattern;
    if (!o.Template.empty() && !ReadTemplate(o.Template, pattern, error))
        return Usage("--rename: " + error);

    Archive archive;
    if (!ReadArchive(o.Paths, o.Recursive, scale, !o.Coverage.empty(), archive, error)) {
        Tell("kavu-sheet: " + error + "\n");
        return kSomeUnread;
    }
    Output out(1);
    int status = StatusOf(archive);
    if (!o.Template.empty()) {
        status = Rename(archive, pattern, o.Apply, o.UndoList, out, Tell);
    } else {
        std::unique_ptr<ArchiveGis> gis;
        Table table;
        if (o.Coverage.empty() && !o.OutputFile.empty()) {
            table.Columns = kFileColumns;
            for (const ScanFile& f : archive.Files)
                FileRow(f, table.Rows.emplace_back());
        } else if (o.Coverage.empty()) { // streamed: a hundred thousand rows need not wait
            TableWriter writer(kFileColumns, o.Format, out);
            Row row;
            for (const ScanFile& f : archive.Files) {
                FileRow(f, row);
                writer.Write(row);
            }
            writer.End();
        } else {
            bool usage = false;
            if (!CoverageTable(o, scale, archive, table, gis, error, usage)) {
                if (usage) return Usage(error);
                Tell("kavu-sheet: " + error + "\n");
                return kSomeUnread;
            }
            status = kAllRead; // the names' troubles are the listing's to report
        }
        if (!o.OutputFile.empty()) {
            if (!gis && !(gis = LoadArchiveGis(error)))
                Tell("kavu-sheet: " + error + "\n");
            else if (!gis->WriteLayer(o.OutputFile, o.Driver, table, error))
                Tell("kavu-sheet: " + error + "\n");
            else
                error.clear();
            if (!error.empty()) return kSomeUnread;
        } else if (!o.Coverage.empty()) {
            WriteTable(table, o.Format, out);
        }
        if (o.Coverage.empty())
            for (const ScanFile& f : archive.Files)
                for (std::size_t i = 0; i < f.Problems.size(); ++i)
                    if (f.Problems[i] != "irregular" && o.Format != "text")
                        Tell("kavu-sheet: " + f.Path + ": " + f.Problems[i] + ": " + f.Details[i] +
                             "\n");
    }
    out.Flush();
    if (out.Failed() && out.Error() != EPIPE) {
        Tell(std::string("kavu-sheet: cannot write the output: ") + std::strerror(out.Error()) +
             "\n");
        return kSomeUnread;
    }
    return status;
}

// "X1,Y1,…,X4,Y4": eight pixel positions.
bool ReadCorners(const std::string& text, std::array<double, 8>& corners) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (std::size_t i = 0; i < 8; ++i) {
        auto [next, ec] = std::from_chars(p, end, corners[i]);
        if (ec != std::errc() || !std::isfinite(corners[i])) return false;
        p = next;
        if (i < 7 && (p == end || *p++ != ',')) return false;
    }
    return p == end;
}

int RunGeoref(const ArchiveOptions& o) {
    if (o.Paths.size() != 1) return Usage("georef takes one SCAN");
    GeorefJob job;
    job.Scan = o.Paths[0];
    if (!ReadCorners(o.Corners, job.Corners))
        return Usage("--corners must be X1,Y1,X2,Y2,X3,Y3,X4,Y4: the pixel positions of the NW, "
                     "NE, SE and SW frame corners");
    int scale = 0;
    if (!o.Scale.empty() && (scale = ReadScale(o.Scale)) == 0)
        return Usage("--scale: \"" + o.Scale + "\" is not a scale of the series");
    const std::filesystem::path scan(job.Scan);
    FileName name;
    if (!o.Name.empty()) {
        name = ReadFileStem(o.Name);
    } else {
        const std::string file = scan.filename().string();
        const std::size_t dot = file.rfind('.');
        name = ReadFileStem(dot == std::string::npos ? file : file.substr(0, dot));
    }
    const FileSheet* sheet = nullptr;
    int count = 0;
    for (const FileSheet& s : name.Readings)
        if (scale == 0 || s.Scale == scale) sheet = &s, ++count;
    if (name.Readings.empty()) {
        Tell("kavu-sheet: " + job.Scan + ": no sheet designation" +
             (o.Name.empty() ? " in the file name; give --name" : " in --name") + ": " +
             name.Error + "\n");
        return kSomeUnread;
    }
    if (count != 1) {
        Tell("kavu-sheet: " + job.Scan + ": the name is ambiguous or has no sheet of that scale; " +
             "pick one with --scale\n");
        return kSomeUnread;
    }
    job.Sheet = sheet->Members.front();
    job.Frame = sheet->Frame;
    if (o.OutputFile.empty()) {
        std::filesystem::path vrt = scan;
        job.Vrt = vrt.replace_extension(".vrt").string();
        if (job.Vrt == job.Scan) job.Vrt += ".vrt";
    } else {
        job.Vrt = o.OutputFile;
    }
    job.Warp = o.Warp;
    std::error_code ec;
    if (!job.Warp.empty() && std::filesystem::equivalent(job.Warp, job.Scan, ec))
        return Usage("--warp would write over the scan itself; name another file");
    if (o.Points) job.Points = job.Scan + ".points";
    std::string error;
    auto gis = LoadArchiveGis(error);
    std::vector<std::string> done;
    if (!gis || !gis->Georef(job, done, error)) {
        Tell("kavu-sheet: " + error + "\n");
        return kSomeUnread;
    }
    std::string text;
    for (const std::string& file : done)
        text += file + "\n";
    Output out(1);
    out.Put(text);
    out.Flush();
    return kAllRead;
}

} // namespace

void AddArchiveCommands(CLI::App& app, ArchiveOptions& options) {
    CLI::App* files = app.add_subcommand(
        "files", "What the names of scanned sheets say: each file's sheet, its frame and both "
                 "notations, and what is wrong (no designation, ambiguous, the same sheet in two "
                 "files, an irregular join); renames them to one style; lists the sheets of an "
                 "area that no file gives");
    files->add_option("PATH", options.Paths, "Files and folders of scans");
    files->add_flag("-r,--recursive", options.Recursive, "Walk the subfolders too");
    files
        ->add_option("-f,--format", options.Format,
                     "Output: text, csv, json (JSON Lines) or geojson")
        ->check(CLI::IsMember({"text", "csv", "json", "geojson"}))
        ->default_str("text");
    files
        ->add_option("-s,--scale", options.Scale,
                     "Picks the reading of an ambiguous name; with --coverage, the scale "
                     "covered")
        ->type_name("SCALE");
    files
        ->add_option("-o,--output", options.OutputFile,
                     "Write the frames to FILE as a layer QGIS opens, every column an attribute "
                     "(format by extension or --driver)")
        ->type_name("FILE");
    files->add_option("--driver", options.Driver, "GDAL vector driver for --output");
    files
        ->add_option("--rename", options.Template,
                     "Rename every scan (and its side files) to TEMPLATE: {new}, {old}, "
                     "{latin}, {archive}, {scale}, {rest}, {ext}; may hold folders. Only "
                     "prints what it would do unless --apply")
        ->type_name("TEMPLATE");
    files->add_flag("--apply", options.Apply, "Carry out the --rename");
    files
        ->add_option("--undo-list", options.UndoList,
                     "Where --apply writes its undo list (default: "
                     "kavu-sheet-undo-DATE-TIME.jsonl in the current folder)")
        ->type_name("FILE");
    files->add_option("--undo", options.Undo, "Replay an undo list backwards")->type_name("FILE");
    files
        ->add_option("--coverage", options.Coverage,
                     "The sheets of AREA (SOUTH,WEST,NORTH,EAST or a vector file, as cover "
                     "takes them) at --scale: present, missing, and the files outside")
        ->type_name("AREA");
    files->callback([&options] { options.Chosen = "files"; });
    files->footer("Exit status: 0 when every name reads as one sheet in one file, 1 when a name "
                  "has no designation, is ambiguous or names a sheet another file gives, or a "
                  "file cannot be read or written, 2 for a usage error.");

    CLI::App* georef = app.add_subcommand(
        "georef", "Georeference a scan from the pixel positions of its four frame corners: a "
                  "VRT beside it with control points in the sheet's Gauss-Krüger zone, a "
                  "GeoTIFF warped to the zone and cut to the frame, a QGIS georeferencer "
                  ".points file");
    georef->add_option("SCAN", options.Paths, "The scanned sheet (any raster GDAL reads)");
    georef
        ->add_option("--corners", options.Corners,
                     "Pixel positions (column, row) of the NW, NE, SE and SW frame corners, as "
                     "read in any image viewer")
        ->type_name("X1,Y1,X2,Y2,X3,Y3,X4,Y4")
        ->required();
    georef->add_option("--name", options.Name, "The sheet, when the file name does not say");
    georef->add_option("-s,--scale", options.Scale, "Picks the reading of an ambiguous name")
        ->type_name("SCALE");
    georef
        ->add_option("-o,--output", options.OutputFile,
                     "The VRT to write (default: beside the scan, with the extension .vrt)")
        ->type_name("FILE");
    georef
        ->add_option("--warp", options.Warp,
                     "Also write a GeoTIFF warped to the zone's CRS by an affine fit, cut to the "
                     "frame, nodata outside")
        ->type_name("OUT.tif");
    georef->add_flag("--points", options.Points, "Also write SCAN.points for QGIS's georeferencer");
    georef->callback([&options] { options.Chosen = "georef"; });
}

int RunArchive(const ArchiveOptions& options) {
    return options.Chosen == "georef" ? RunGeoref(options) : RunFiles(options);
}

} // namespace kavu::cli
