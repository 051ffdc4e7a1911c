// kavu-sheet grid NAME: the kilometre grid of a sheet.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace kavu::cli {

struct GridOptions {
    bool Chosen = false;
    std::vector<std::string> Words; // NAME
    std::string Format = "text";
    double Step = 0;   // metres; 0: as the series prints it
    int Zone = 0;      // 0: the sheet's own
    std::string Scale; // picks the reading of an ambiguous NAME
};

CLI::App* AddGridCommand(CLI::App& app, GridOptions& options);

/// Writes the grid to standard output; the exit status (1 for a name with no grid, 2 for a
/// usage error).
int RunGrid(const GridOptions& options);

} // namespace kavu::cli
