#include "cli/app.h"

#include "cli/archive_commands.h"
#include "cli/commands.h"
#include "cli/projection.h"
#include "cli/scale.h"
#include "cli/stream.h"
#include "cli/writers.h"

#include <kavu/version.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unistd.h>

namespace kavu::cli {
namespace {

constexpr const char* kDatumNote =
    "Options and operands may come in any order; each option takes one value (give several "
    "scales as 50k,100k or repeat the option); -- ends the options.\n"
    "Coordinates, read and written, are in the series' own 1942 datum (Krassowsky "
    "ellipsoid, EPSG:4284), not WGS 84, unless --datum wgs84 asks for it.";

constexpr const char* kScaleHelp =
    "Scale: 1:50000, \"1:50 000\", 1:50'000, 50000, 50k, 1M, 500k, 200k, 100k, 25k, 10k";

void WriteError(const std::string& message) {
    std::size_t done = 0;
    while (done < message.size()) {
        const ssize_t n = ::write(2, message.data() + done, message.size() - done);
        if (n <= 0 && errno != EINTR) return;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

void AddScaleOption(CLI::App& command, Options& options, const std::string& help) {
    command.add_option("-s,--scale", options.Scales, help + ". " + kScaleHelp)->type_name("SCALE");
}

CLI::App* AddNameCommand(CLI::App& app, Options& options, Command chosen, const char* name,
                         const char* help) {
    CLI::App* command = app.add_subcommand(name, help);
    command->add_option("NAME", options.Words,
                        "Sheet designation in any common spelling (may be given in several "
                        "words); none: one a line from standard input");
    command->callback([&options, chosen] { options.Chosen = chosen; });
    command->footer(kDatumNote);
    AddOutputOptions(*command, options);
    return command;
}

// Scales of the options, checked for what the subcommand takes.
bool ReadScales(const Options& o, std::vector<int>& scales, std::string& error) {
    scales = ReadScaleList(o.Scales, error);
    if (!error.empty()) return false;
    switch (o.Chosen) {
    case Command::Point:
        if (scales.empty()) scales = {1, 2, 3, 4, 5, 6, 7};
        return true;
    case Command::Frame:
    case Command::Around:
        if (scales.size() > 1) error = "--scale picks one reading of NAME: give one scale";
        return error.empty();
    default:
        if (scales.empty()) error = "--scale is required";
        if (o.Chosen == Command::Rescale && scales.size() > 1)
            error = "rescale takes one --scale, the scale to go to";
        return error.empty();
    }
}

// Each option takes exactly one value (a list is one comma-separated value, or the option
// repeated), so that options and operands may come in any order: a vector option would
// otherwise swallow every word after it.
void TakeOneValueEach(CLI::App& app) {
    for (CLI::Option* option : app.get_options())
        if (!option->get_positional() && option->get_type_size_max() > 0)
            option->allow_extra_args(false);
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; }))
        TakeOneValueEach(*command);
}

} // namespace

void AddOutputOptions(CLI::App& command, Options& options) {
    command
        .add_option("-f,--format", options.Format,
                    "Output: text (for people), csv (with a header), json (JSON Lines) or "
                    "geojson (a FeatureCollection of sheet frames)")
        ->check(CLI::IsMember({"text", "csv", "json", "geojson"}))
        ->default_str("text");
    command.add_flag("--strict", options.Strict, "Stop at the first input line that does not read");
}

CLI::App* AddPointCommand(CLI::App& app, Options& options) {
    CLI::App* command =
        app.add_subcommand("point", "The sheet that holds a point at each scale asked, in both "
                                    "notations, with the junction flags and the published "
                                    "sheet where it differs");
    command->add_option("POINT", options.Words,
                        "Latitude and longitude in any common spelling (one argument or more); "
                        "none: one point a line from standard input");
    AddScaleOption(*command, options,
                   "Scales to answer, repeatable or comma-separated (default: all seven)");
    command->callback([&options] { options.Chosen = Command::Point; });
    command->footer(kDatumNote);
    AddOutputOptions(*command, options);
    return command;
}

CLI::App* AddFrameCommand(CLI::App& app, Options& options) {
    CLI::App* command = AddNameCommand(app, options, Command::Frame, "frame",
                                       "Corners and centre of a sheet or a published sheet");
    AddScaleOption(*command, options, "Picks the reading of an ambiguous NAME");
    return command;
}

CLI::App* AddAroundCommand(CLI::App& app, Options& options) {
    CLI::App* command = AddNameCommand(
        app, options, Command::Around, "around",
        "The 3 x 3 block of sheets around a sheet; cells beyond 84 degrees are absent");
    AddScaleOption(*command, options, "Picks the reading of an ambiguous NAME");
    return command;
}

CLI::App* AddRescaleCommand(CLI::App& app, Options& options) {
    CLI::App* command = AddNameCommand(
        app, options, Command::Rescale, "rescale",
        "The sheet of a smaller scale that holds a sheet, or every sheet of a larger scale "
        "inside it (north to south, west to east)");
    AddScaleOption(*command, options, "The scale to go to (required)");
    command->add_option("--from", options.From, "Picks the reading of an ambiguous NAME")
        ->type_name("SCALE");
    return command;
}

CLI::App* AddCoverCommand(CLI::App& app, Options& options) {
    CLI::App* command = app.add_subcommand(
        "cover", "Every sheet that meets a box, north to south, west to east. Like a sheet, "
                 "the box holds its north and west edges but not its south and east ones");
    command
        ->add_option("--bbox", options.Box,
                     "SOUTH,WEST,NORTH,EAST; WEST > EAST crosses 180 degrees")
        ->type_name("S,W,N,E");
    AddScaleOption(*command, options, "Scales to cover, repeatable or comma-separated");
    command->add_flag("--published", options.Published,
                      "Published sheets (joined north of 60 degrees) instead of sheets");
    command->callback([&options] { options.Chosen = Command::Cover; });
    command->footer(kDatumNote);
    AddOutputOptions(*command, options);
    return command;
}

void SetUpApp(CLI::App& app, Options& options) {
    app.description("kavu-sheet: sheets of the 1942-system topographic map series, from "
                    "1:1,000,000 to 1:10,000. Coordinates, read and written, are in the series' "
                    "own 1942 datum (Krassowsky ellipsoid, EPSG:4284) unless --datum wgs84 "
                    "asks for WGS 84.");
    app.footer("Options and operands may come in any order; each option takes one value (give "
               "several scales as 50k,100k or repeat the option); -- ends the options. "
               "Exit status: 0 when every input read, 1 when some did not, 2 for a usage "
               "error. See kavu-sheet(1).");
    app.set_version_flag("--version", std::string(KAVU_VERSION));
    app.require_subcommand(1);
    AddPointCommand(app, options);
    AddFrameCommand(app, options);
    AddAroundCommand(app, options);
    AddRescaleCommand(app, options);
    AddCoverCommand(app, options);
    AddGisOptions(app, options.Gis);
    AddGridCommand(app, options.Grid);
    TakeOneValueEach(app);
}

int RunOptions(const Options& o) {
    Query query;
    query.Kind = o.Chosen;
    std::string error;
    // The datum, and a cover FILE read whole, before anything is written.
    Datum datum = o.Coordinates;
    GisRun gis;
    if (int failed = 0; !gis.Start(o.Gis, o.Chosen, datum, error, failed)) {
        WriteError("kavu-sheet: " + error + "\n");
        return failed;
    }
    query.Coordinates = datum;
    query.FromGrid = [](const RectangularPoint& p, ExactPoint& point, std::string& reason) {
        const geo::GaussKruger* gk = Projection(reason);
        double latitude = 0, longitude = 0;
        if (!gk) return false;
        if (!gk->Inverse(p.Zone, {p.X, p.Y}, latitude, longitude)) {
            reason = "PROJ cannot convert this X and Y";
            return false;
        }
        constexpr double kUnitsPerDegree = 3600.0 * kUnitsPerSecond;
        point = {std::llround(latitude * kUnitsPerDegree),
                 std::llround(longitude * kUnitsPerDegree)};
        return true;
    };
    Format format = Format::Text;
    ReadFormat(o.Format, format);
    if (!ReadScales(o, query.Scales, error)) {
        WriteError("kavu-sheet: " + error + "\n");
        return kUsage;
    }
    if (!o.From.empty() && (query.From = ReadScale(o.From)) == 0) {
        WriteError("kavu-sheet: --from: \"" + o.From + "\" is not a scale of the series\n");
        return kUsage;
    }
    query.Published = o.Published;
    // The formats that draw them: GeoJSON and a GIS layer.
    query.PointFrames = format == Format::GeoJson || !o.Gis.OutputFile.empty();
    Area area;
    if (o.Chosen == Command::Cover && !gis.CoversFile()) {
        if (o.Box.empty())
            error = "cover needs --bbox SOUTH,WEST,NORTH,EAST or a FILE";
        else if (ReadBox(o.Box, datum, area, error))
            error.clear();
        if (!error.empty()) {
            WriteError("kavu-sheet: --bbox: " + error + "\n");
            return kUsage;
        }
    }

    if (gis.CoversFile() && !o.Box.empty()) {
        WriteError("kavu-sheet: cover takes --bbox or a FILE, not both\n");
        return kUsage;
    }

    Output out(1);
    auto writer = gis.MakeWriter([&out](std::string_view text) { out.Put(text); });
    if (!writer && query.Coordinates.ToProjected)
        writer = MakeProjectedWriter(format, o.Chosen, out, query.Coordinates, WriteError);
    if (!writer) writer = MakeWriter(format, o.Chosen, out, query.Coordinates);
    writer->Begin();
    int status = kAllRead;
    if (gis.CoversFile()) {
        for (const int scale : query.Scales)
            gis.CoverFile(scale, query.Published, *writer);
    } else if (o.Chosen == Command::Cover) {
        for (const int scale : query.Scales)
            Cover(area, scale, query.Published, SheetRecord{}, *writer);
    } else if (!o.Words.empty()) {
        std::string text;
        for (const std::string& word : o.Words)
            text += (text.empty() ? "" : " ") + word;
        Problem problem;
        if (!Answer(query, text, 0, *writer, problem)) {
            WriteError(DescribeProblem(0, text, problem));
            status = kSomeUnread;
        }
    } else {
        LineReader lines(FlushingSource(0, out));
        SheetRecord record;
        status = AnswerLines(
            lines,
            [&](std::string_view text, std::size_t line, Problem& problem) {
                return Answer(query, text, line, record, *writer, problem);
            },
            *writer, out, o.Strict, WriteError);
    }
    writer->End();
    if (writer->Failed()) status = kSomeUnread;
    if (!gis.Finish(error)) {
        out.Flush();
        WriteError("kavu-sheet: " + error + "\n");
        return kSomeUnread;
    }
    out.Flush();
    if (out.Failed() && out.Error() != EPIPE) {
        WriteError(std::string("kavu-sheet: cannot write the output: ") +
                   std::strerror(out.Error()) + "\n");
        return kSomeUnread;
    }
    return status;
}

int RunKavuSheet(int argc, const char* const* argv) {
    CLI::App app;
    Options options;
    SetUpApp(app, options);
    ArchiveOptions archive;
    AddArchiveCommands(app, archive);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsage;
    }
    if (!archive.Chosen.empty()) return RunArchive(archive);
    if (options.Grid.Chosen) return RunGrid(options.Grid);
    return RunOptions(options);
}

} // namespace kavu::cli
