// The fields of a designation as texts in slots of eight bytes, so that writing one is a single
// move of a fixed size and an add. The buffer written into needs room for 7 bytes past the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kavu::detail {

struct TextPiece {
    char Text[8]{};
    unsigned char Size = 0;
};

// The texts of 1..N, each with a dash before it when `dash` ("-37", "-004", "-XXXIII").
template <std::size_t N> struct TextPieces {
    std::array<TextPiece, N + 1> P{};
    constexpr TextPieces(std::string_view (*text)(int), bool dash = false) {
        for (int i = 1; i <= static_cast<int>(N); ++i) {
            const std::string_view t = text(i);
            TextPiece& p = P[static_cast<std::size_t>(i)];
            std::size_t n = 0;
            if (dash) p.Text[n++] = '-';
            for (const char c : t)
                p.Text[n++] = c;
            p.Size = static_cast<unsigned char>(n);
        }
    }
    constexpr const TextPiece& operator[](std::size_t i) const { return P[i]; }
};

[[gnu::always_inline]] inline char* PutPiece(char* p, const TextPiece& piece) {
    std::memcpy(p, piece.Text, sizeof piece.Text);
    return p + piece.Size;
}

} // namespace kavu::detail
