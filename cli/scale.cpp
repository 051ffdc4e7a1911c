#include "cli/scale.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kavu::cli {
namespace {

constexpr std::array<std::int64_t, 8> kDenominator{0,      1000000, 500000, 200000,
                                                   100000, 50000,   25000,  10000};

// Length of a digit-group separator at the start of `s`, or 0.
std::size_t SeparatorAt(std::string_view s) {
    for (std::string_view sep : {" ", "'", ",", ".", "_", "\u00A0", "\u2009", "\u202F", "\u2019"})
        if (s.substr(0, sep.size()) == sep) return sep.size();
    return 0;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int ReadScale(std::string_view text) {
    text = Trim(text);
    if (text.size() >= 2 && text[0] == '1' && text[1] == ':') text.remove_prefix(2);
    std::int64_t value = 0;
    bool digit = false;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            if (value > 100000000) return 0;
            value = value * 10 + (text[i] - '0');
            digit = true;
            ++i;
        } else if (std::size_t n = SeparatorAt(text.substr(i));
                   n > 0 && digit && i + n < text.size() && IsDigit(text[i + n])) {
            i += n; // a separator stands between digits only
        } else {
            break;
        }
    }
    if (!digit) return 0;
    std::string_view suffix = Trim(text.substr(i));
    if (suffix == "k" || suffix == "K")
        value *= 1000;
    else if (suffix == "M" || suffix == "m")
        value *= 1000000;
    else if (!suffix.empty())
        return 0;
    const auto* found = std::find(kDenominator.begin() + 1, kDenominator.end(), value);
    return found == kDenominator.end() ? 0 : static_cast<int>(found - kDenominator.begin());
}

std::vector<int> ReadScaleList(const std::vector<std::string>& values, std::string& error) {
    std::vector<int> scales;
    for (const std::string& value : values) {
        std::vector<std::string> parts;
        std::string_view rest = value;
        for (;;) {
            const std::size_t comma = rest.find(',');
            std::string_view part = rest.substr(0, comma);
            const bool group = part.size() == 3 && std::all_of(part.begin(), part.end(), IsDigit);
            if (group && !parts.empty() && !parts.back().empty() && IsDigit(parts.back().back()))
                parts.back().append(",").append(part);
            else
                parts.emplace_back(part);
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        for (const std::string& part : parts) {
            const int scale = ReadScale(part);
            if (scale == 0) {
                error = "\"" + part + "\" is not a scale of the series (1:1000000, 1:500000, " +
                        "1:200000, 1:100000, 1:50000, 1:25000 or 1:10000)";
                return {};
            }
            if (std::find(scales.begin(), scales.end(), scale) == scales.end())
                scales.push_back(scale);
        }
    }
    return scales;
}

} // namespace kavu::cli
