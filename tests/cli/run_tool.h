// Runs the real kavu-sheet binary, as a user's shell would.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
    int Status = -1; // exit status; -1 when the program did not exit normally (a signal)
    std::string Out, Err;
};

std::vector<std::string> Lines(const std::string& text);    // without their ends
std::vector<std::string> CsvFields(const std::string& row); // RFC 4180 quoting undone

/// Runs kavu-sheet with `input` on standard input and its output going to `path` (e.g.
/// /dev/full; when empty, to a file read back into Out), and waits for it.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& path = "");
