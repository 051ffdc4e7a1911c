// Drives kavu-sheet's standard-input reader with arbitrary bytes cut into arbitrary reads and a
// small line limit, and checks every line against a plain split of the whole input: same text
// (one "\r" before "\n" dropped), same number, the long ones marked and cut, nothing after the
// end.
#include "cli/lines.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t limit = data[0] % 64 + 1, block = data[1] % 16 + 1;
    std::uint32_t cut = data[0] * 131u + data[1];
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t at = 0;
    kavu::cli::LineReader reader(
        [&](char* buffer, std::size_t room) -> long {
            cut = cut * 1103515245u + 12345u;
            const std::size_t n =
                std::min({room, input.size() - at, std::size_t{cut >> 16} % 97 + 1});
            std::memcpy(buffer, input.data() + at, n);
            at += n;
            return static_cast<long>(n);
        },
        limit, block);
    kavu::cli::LineReader::Line line;
    std::size_t start = 0, number = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        std::string_view expected = input.substr(start, end - start);
        const bool tooLong = expected.size() > limit;
        if (tooLong)
            expected = expected.substr(0, kavu::cli::LineReader::kKeptOfLongLine);
        else if (!expected.empty() && expected.back() == '\r')
            expected.remove_suffix(1);
        if (!reader.Next(line) || line.Number != ++number || line.TooLong != tooLong ||
            line.Text != expected)
            std::abort();
        start = end + 1;
    }
    if (reader.Next(line) || reader.Error() != 0) std::abort();
    return 0;
}
