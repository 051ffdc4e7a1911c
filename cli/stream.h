// Standard input answered one line at a time. Each complete line is answered as soon as it is
// read, and the output is flushed whenever the next read may wait: a pipe fed by hand sees
// every answer at once, a file is read and written in large blocks.
#pragma once

#include "cli/commands.h"
#include "cli/lines.h"
#include "cli/output.h"
#include "cli/writers.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kavu::cli {

/// Exit status: every input read.
inline constexpr int kAllRead = 0;
/// Exit status: some input did not read (or the output could not be written).
inline constexpr int kSomeUnread = 1;
/// Exit status: the command line is wrong.
inline constexpr int kUsage = 2;

/// The message for an input that gives no answer: "line 3: \"55.7 x\": <reason> (at character
/// 6)", or without the line part for an argument (line 0). The text is shown with control
/// bytes, quotes and bytes that are not UTF-8 escaped, and cut after 80 characters.
std::string DescribeProblem(std::size_t line, std::string_view text, const Problem& problem);

using Reporter = std::function<void(const std::string& message)>;

namespace detail {
/// Nothing but blanks and tabs; a line that starts with anything else is told at once.
inline bool Blank(std::string_view text) {
    if (!text.empty() && text[0] != ' ' && text[0] != '\t') return false;
    return text.find_first_not_of(" \t") == std::string_view::npos;
}
/// Flushes what came before a bad line, so that it is seen before the line's message.
void DescribeUnread(std::size_t line, std::string_view text, const Problem& problem, Output& out,
                    const Reporter& report);
void ReportReadError(const LineReader& lines, const Reporter& report);
} // namespace detail

/// Answers each line of `lines` by `answer(text, line, problem)`, which writes the line's
/// records or says why it cannot; blank lines give an empty record and are no error. A line
/// that does not read is reported through `report` and given an empty record; with `strict`
/// the run stops there. Returns kAllRead or kSomeUnread. A template, so that a stream of
/// millions of lines calls its answer directly.
template <typename Answer>
int AnswerLines(LineReader& lines, const Answer& answer, FormatWriter& writer, Output& out,
                bool strict, const Reporter& report) {
    int status = kAllRead;
    LineReader::Line line;
    Problem problem;
    while (!out.Failed() && lines.Next(line)) {
        if (line.TooLong) {
            problem = {"the line is longer than " + std::to_string(LineReader::kDefaultLimit) +
                           " bytes",
                       Problem::kNowhere};
        } else if (detail::Blank(line.Text)) {
            writer.WriteEmpty(line.Number, line.Text, "blank line");
            continue;
        } else {
            problem.Reason.clear(); // keeps its room: no string is built for a line that reads
            problem.Position = Problem::kNowhere;
            if (answer(line.Text, line.Number, problem)) continue;
        }
        status = kSomeUnread;
        detail::DescribeUnread(line.Number, line.Text, problem, out, report);
        if (strict) break;
        writer.WriteEmpty(line.Number, line.Text, problem.Reason);
    }
    if (lines.Error() != 0) {
        detail::ReportReadError(lines, report);
        status = kSomeUnread;
    }
    return status;
}

/// A line source over a file descriptor that first flushes `out`, so that nothing answered
/// waits in the buffer while the read blocks.
LineReader::Source FlushingSource(int fd, Output& out);

} // namespace kavu::cli
