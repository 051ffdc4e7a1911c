// The command line of kavu-sheet: its subcommands and options (CLI11), and the run that
// follows from them. Each subcommand is set up by its own function on the app, so that more
// options can be added to it; the options land in one Options value.
#pragma once

#include "cli/coordinates.h"
#include "cli/gis.h"
#include "cli/grid_command.h"
#include "cli/record.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kavu::cli {

struct Options {
    Command Chosen = Command::Point;
    std::string Format = "text";
    bool Strict = false;
    std::vector<std::string> Scales; // as typed; read when the run starts
    std::vector<std::string> Words;  // the positional input, joined by blanks
    std::string From;                // rescale
    std::string Box;                 // cover
    bool Published = false;          // cover
    Datum Coordinates;               // series datum unless an option sets the hooks
    GisOptions Gis;                  // datum, vector files in and out, control points
    GridOptions Grid;                // the grid subcommand
};

/// The app with every subcommand on it.
void SetUpApp(CLI::App& app, Options& options);
CLI::App* AddPointCommand(CLI::App& app, Options& options);
CLI::App* AddFrameCommand(CLI::App& app, Options& options);
CLI::App* AddAroundCommand(CLI::App& app, Options& options);
CLI::App* AddRescaleCommand(CLI::App& app, Options& options);
CLI::App* AddCoverCommand(CLI::App& app, Options& options);
/// --format and --strict, on every subcommand.
void AddOutputOptions(CLI::App& command, Options& options);

/// Runs the chosen subcommand over standard input and output (file descriptors 0 and 1);
/// messages go to standard error. Returns the exit status.
int RunOptions(const Options& options);

/// The whole program: parse, run, exit status (0 all read, 1 some did not, 2 usage).
int RunKavuSheet(int argc, const char* const* argv);

} // namespace kavu::cli
