// Runs the real kavu-sheet binary, as a user's shell would.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
    int Status = -1; // exit status; -1 when the program did not exit normally (a signal)
    std::string Out, Err;
};

/// The lines of `text`, without their ends.
std::vector<std::string> Lines(const std::string& text);

/// Fields of one CSV row, RFC 4180 quoting undone.
std::vector<std::string> CsvFields(const std::string& row);

/// Runs kavu-sheet with `args`, `input` on standard input; waits for it.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& input = "");

/// Runs it with standard output going to `path` (e.g. /dev/full).
ToolRun RunToolInto(const std::vector<std::string>& args, const std::string& input,
                    const std::string& path);

/// Pipes to and from a running kavu-sheet, to see answers arrive while input is still open.
class ToolSession {
  public:
    explicit ToolSession(const std::vector<std::string>& args);
    ~ToolSession();
    void Send(const std::string& text);
    /// The next line of its output, or "<timeout>" after `seconds`.
    std::string ReadLine(int seconds = 20);
    /// Closes the tool's standard output side early (as `| head` does).
    void CloseOutput();
    /// Closes its input and waits; the exit status as in ToolRun.
    int Finish();
    /// What it wrote to standard error, once finished.
    std::string Errors() const;

  private:
    int pid_ = -1, in_ = -1, out_ = -1;
    std::string pending_, errors_, errorText_;
};
