#include "cli/grid_command.h"

#include "cli/grid_output.h"
#include "cli/output.h"
#include "cli/projection.h"
#include "cli/scale.h"
#include "engine/readers.h"

#include <cerrno>
#include <cmath>
#include <unistd.h>

namespace kavu::cli {
namespace {

void Complain(const std::string& message) {
    const std::string text = "kavu-sheet: " + message + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(2, text.data() + done, text.size() - done);
        if (n <= 0 && errno != EINTR) return;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

} // namespace

CLI::App* AddGridCommand(CLI::App& app, GridOptions& options) {
    CLI::App* command = app.add_subcommand(
        "grid", "The kilometre grid of a sheet as the series prints it (1 km at 1:10,000 to "
                "1:50,000, 2 km at 1:100,000): lines of X and Y in the sheet's Gauss-Krüger zone, "
                "clipped to the frame, with their values and two-digit labels");
    command->add_option("NAME", options.Words,
                        "Sheet designation in any common spelling (may be given in several "
                        "words)");
    command->add_option("-s,--scale", options.Scale, "Picks the reading of an ambiguous NAME")
        ->type_name("SCALE");
    command->add_option("--step", options.Step, "Distance between lines in metres")
        ->type_name("METRES");
    command
        ->add_option("--zone", options.Zone,
                     "The grid of a neighbouring zone, as sheets near a zone's edge show it")
        ->type_name("N");
    command
        ->add_option("-f,--format", options.Format,
                     "Output: text, csv (with a header), json (JSON Lines) or geojson (the lines "
                     "in 1942 longitude and latitude)")
        ->check(CLI::IsMember({"text", "csv", "json", "geojson"}))
        ->default_str("text");
    command->callback([&options] { options.Chosen = true; });
    return command;
}

int RunGrid(const GridOptions& options) {
    std::string text;
    for (const std::string& word : options.Words)
        text += (text.empty() ? "" : " ") + word;
    if (text.empty()) {
        Complain("grid needs a sheet NAME");
        return 2;
    }
    if (options.Step != 0 && !(options.Step >= 1 && std::isfinite(options.Step))) {
        Complain("--step must be a distance of 1 metre or more");
        return 2;
    }
    const DesignationResult read = ReadDesignation(text);
    if (!read.Ok()) {
        Complain("\"" + text + "\": " + read.Error.English);
        return 1;
    }
    const int scale = options.Scale.empty() ? 0 : ReadScale(options.Scale);
    if (!options.Scale.empty() && scale == 0) {
        Complain("--scale: \"" + options.Scale + "\" is not a scale of the series");
        return 2;
    }
    const DesignationReading* picked = nullptr;
    int count = 0;
    for (const DesignationReading& reading : read.Readings)
        if (scale == 0 || reading.Key.Scale == scale) {
            picked = picked ? picked : &reading;
            ++count;
        }
    if (count != 1) {
        Complain("\"" + text + "\": " +
                 (count == 0
                      ? "no sheet of " + std::string(ScaleName(scale)) + " has this name"
                      : std::string("the name is ambiguous; pick one reading with --scale")));
        return 1;
    }
    const DesignationReading& reading = *picked;
    if (reading.Joined) {
        Complain("\"" + text + "\": a joined sheet spans several sheets; name one of them");
        return 1;
    }
    const SheetKey& key = reading.Key;
    const double step = options.Step != 0 ? options.Step : geo::PrintedGridStep(key.Scale);
    if (step == 0) {
        Complain("the series prints no kilometre grid at " + std::string(ScaleName(key.Scale)) +
                 ": give --step METRES");
        return 1;
    }
    const int own = geo::ZoneOfSheet(key);
    int zone = own;
    if (options.Zone != 0) {
        const int east = own % 60 + 1, west = (own + 58) % 60 + 1;
        if (options.Zone != own && options.Zone != east && options.Zone != west) {
            Complain("--zone: the sheet lies in zone " + std::to_string(own) +
                     "; only its neighbours " + std::to_string(west) + " and " +
                     std::to_string(east) + " have grids that reach it");
            return 2;
        }
        zone = options.Zone;
    }
    std::string error;
    const geo::GaussKruger* gk = Projection(error);
    if (!gk) {
        Complain(error);
        return 1;
    }
    const auto lines = gk->Grid(key, zone, step);
    std::string name = FormatSheetOld(key);
    if (!name.empty() && name.front() == ' ') name.erase(0, 1);
    Output out(1);
    out.Put(GridOutput(lines, name, zone, options.Format,
                       [gk, zone](const geo::GridPoint& p, double& lat, double& lon) {
                           return gk->Inverse(zone, p, lat, lon);
                       }));
    if (!out.Flush() && out.Failed()) return 1;
    return 0;
}

} // namespace kavu::cli
