// Small UTF-8 helpers shared by the readers. Internal to the engine.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kavu::detail {

/// One code point of `text` at byte `pos`: its value and byte length. A malformed or truncated
/// sequence reads as U+FFFD of length 1, so that a scan always moves forward.
struct CodePoint {
    char32_t Value = 0;
    std::size_t Length = 1;
};

inline CodePoint DecodeMultiByte(std::string_view text, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    auto cont = [&](std::size_t i) {
        return pos + i < text.size() && (static_cast<unsigned char>(text[pos + i]) & 0xC0) == 0x80;
    };
    auto bits = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(text[pos + i]) & 0x3F);
    };
    if (b0 >= 0xC2 && b0 < 0xE0 && cont(1)) return {(char32_t(b0 & 0x1F) << 6) | bits(1), 2};
    if (b0 >= 0xE0 && b0 < 0xF0 && cont(1) && cont(2)) {
        const char32_t v = (char32_t(b0 & 0x0F) << 12) | (bits(1) << 6) | bits(2);
        if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) return {v, 3};
    }
    if (b0 >= 0xF0 && b0 < 0xF5 && cont(1) && cont(2) && cont(3)) {
        const char32_t v = (char32_t(b0 & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
        if (v >= 0x10000 && v <= 0x10FFFF) return {v, 4};
    }
    return {0xFFFD, 1};
}

inline CodePoint DecodeAt(std::string_view text, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    return b0 < 0x80 ? CodePoint{b0, 1} : DecodeMultiByte(text, pos);
}

inline void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

constexpr bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == 0xA0 || c == '\r' || c == '\n';
}

/// Latin and Cyrillic letters folded to upper case; any other code point unchanged.
constexpr char32_t FoldUpper(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

constexpr bool IsLatinLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool IsCyrillicLetter(char32_t c) {
    return c >= 0x400 && c <= 0x45F;
}

/// The code point at `pos` as UTF-8, for an error message; U+FFFD for a malformed byte.
inline std::string CharAt(std::string_view text, std::size_t pos) {
    std::string out;
    AppendUtf8(out, DecodeAt(text, pos).Value);
    return out;
}

/// A fragment of the text for an error message, cut at a whole code point.
inline std::string Excerpt(std::string_view text, std::size_t pos, std::size_t maxBytes = 24) {
    std::string out;
    std::size_t i = pos;
    while (i < text.size() && i - pos < maxBytes) {
        const CodePoint c = DecodeAt(text, i);
        AppendUtf8(out, c.Value); // a malformed byte shows as U+FFFD
        i += c.Length;
    }
    if (i < text.size()) out += "…";
    return out;
}

} // namespace kavu::detail
