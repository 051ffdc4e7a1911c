#include "cli/stream.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace kavu::cli {
namespace {

constexpr std::size_t kShownCharacters = 80;

// Length of the UTF-8 sequence at the start of `s`, or 0 when it is not one.
std::size_t Utf8Length(std::string_view s) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto tail = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return tail(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!tail(1) || !tail(2)) return 0;
        if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) > 0x9F)) return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!tail(1) || !tail(2) || !tail(3)) return 0;
        if ((c == 0xF0 && b(1) < 0x90) || (c == 0xF4 && b(1) > 0x8F)) return 0;
        return 4;
    }
    return 0;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

} // namespace

std::string DescribeProblem(std::size_t line, std::string_view text, const Problem& problem) {
    std::string message = "kavu-sheet: ";
    if (line != 0) message += "line " + std::to_string(line) + ": ";
    message += '"';
    std::size_t characters = 0, position = 0;
    std::size_t i = 0;
    while (i < text.size() && characters < kShownCharacters) {
        if (problem.Position == i) position = characters + 1;
        const std::size_t n = Utf8Length(text.substr(i));
        const auto c = static_cast<unsigned char>(text[i]);
        if (n == 0 || c < 0x20 || c == 0x7F)
            AppendEscaped(message, c);
        else if (c == '"' || c == '\\')
            message.append(1, '\\').append(1, static_cast<char>(c));
        else
            message.append(text.substr(i, n));
        i += n == 0 ? 1 : n;
        ++characters;
    }
    // A problem at the very end (something missing) still gets its place, one past the text.
    if (problem.Position == i && i == text.size()) position = characters + 1;
    if (i < text.size()) message += "\u2026";
    message += "\": ";
    message += problem.Reason;
    if (problem.Position != Problem::kNowhere && position != 0)
        message += " (at character " + std::to_string(position) + ")";
    message += '\n';
    return message;
}

void detail::DescribeUnread(std::size_t line, std::string_view text, const Problem& problem,
                            Output& out, const Reporter& report) {
    out.Flush(); // what came before the bad line is seen before its message
    report(DescribeProblem(line, text, problem));
}

void detail::ReportReadError(const LineReader& lines, const Reporter& report) {
    report(std::string("kavu-sheet: cannot read standard input: ") + std::strerror(lines.Error()) +
           "\n");
}

LineReader::Source FlushingSource(int fd, Output& out) {
    return [fd, &out](char* buffer, std::size_t size) -> long {
        out.Flush();
        return ::read(fd, buffer, size);
    };
}

} // namespace kavu::cli
