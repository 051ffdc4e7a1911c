// kavu-sheet's subcommands for archives of scanned sheets: `files` (what each file name says,
// what is wrong with the names, renaming to one style, the sheets of an area that are missing)
// and `georef` (a scan georeferenced from the pixel positions of its frame corners).
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kavu::cli {

struct ArchiveOptions {
    std::string Chosen; // "files", "georef"; empty: another subcommand runs
    std::vector<std::string> Paths;
    bool Recursive = false;
    std::string Format = "text";
    std::string Scale;
    std::string OutputFile, Driver;
    std::string Template, UndoList, Undo;
    bool Apply = false;
    std::string Coverage;
    // georef
    std::string Corners, Name, Warp;
    bool Points = false;
};

void AddArchiveCommands(CLI::App& app, ArchiveOptions& options);

/// Runs the chosen subcommand; returns the exit status.
int RunArchive(const ArchiveOptions& options);

} // namespace kavu::cli
