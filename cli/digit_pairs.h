// "00" to "99" in one table, so that numbers go out two digits at a time without a division
// per digit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kavu::cli {

inline constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The two digits of v (< 100) at p; the byte after them.
inline char* PutDigitPair(char* p, std::uint32_t v) {
    std::memcpy(p, &kDigitPairs[2 * v], 2);
    return p + 2;
}

} // namespace kavu::cli
