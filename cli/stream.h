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

/// Answers each line of `lines`; blank lines give an empty record and are no error. A line
/// that does not read is reported through `report` and given an empty record; with `strict`
/// the run stops there. Returns kAllRead or kSomeUnread.
using Answerer = std::function<bool(std::string_view text, std::size_t line, Problem& problem)>;
using Reporter = std::function<void(const std::string& message)>;
int AnswerLines(LineReader& lines, const Answerer& answer, FormatWriter& writer, Output& out,
                bool strict, const Reporter& report);

/// A line source over a file descriptor that first flushes `out`, so that nothing answered
/// waits in the buffer while the read blocks.
LineReader::Source FlushingSource(int fd, Output& out);

} // namespace kavu::cli
