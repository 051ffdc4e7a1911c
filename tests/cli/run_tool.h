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

/// Pipes to and from a running kavu-sheet, to see answers arrive while input is still open.
class ToolSession {
  public:
    explicit ToolSession(const std::vector<std::string>& args);
    ~ToolSession() { Finish(); }
    void Send(const std::string& text);
    std::string ReadLine(); // the next line of its output, or "<timeout>" after 20 s
    void CloseOutput();     // as `| head` does
    int Finish();           // closes its input and waits; the exit status as in ToolRun
    std::string Errors;     // what it wrote to standard error, once finished

  private:
    int pid_ = -1, in_ = -1, out_ = -1;
    std::string pending_, errorFile_;
};
