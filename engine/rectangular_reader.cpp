// The reader of rectangular (Gauss–Krüger) pairs. It only reads and checks the numbers: the
// projection is the caller's (the engine knows no PROJ).
#include "engine/readers.h"
#include "engine/text_scan.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace kavu {
namespace {

using detail::DecodeAt;

// Northing of 84 degrees on the central meridian, Krassowsky ellipsoid (cs2cs EPSG:4284
// EPSG:28407 of "84 39"); off the axis a point of this X lies further south.
constexpr double kMaxNorthing = 9'331'987.3018;
constexpr double kMinEasting = 166'000, kMaxEasting = 834'000;

ReadError Error(std::size_t pos, std::string english, std::string russian) {
    return ReadError{pos, std::move(english), std::move(russian)};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Blanks a digit group may be split by: space, no-break space, thin and narrow no-break space.
std::size_t GroupBlank(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    const auto c = DecodeAt(text, i);
    return c.Value == ' ' || c.Value == 0xA0 || c.Value == 0x2009 || c.Value == 0x202F ? c.Length
                                                                                       : 0;
}

struct Number {
    std::size_t pos = 0, end = 0;
    double value = 0;
    std::size_t wholeDigits = 0;
};

// [sign] digits [blank ddd]... [. or , digits]; groups only when `grouped`.
bool ReadNumber(std::string_view text, std::size_t& i, bool grouped, Number& n) {
    n = Number{};
    n.pos = i;
    std::string digits;
    if (i < text.size() && text[i] == '-') {
        digits += '-';
        ++i;
    } else if (text.substr(i, 3) == "\u2212") {
        digits += '-';
        i += 3;
    } else if (i < text.size() && text[i] == '+') {
        ++i;
    }
    const std::size_t first = i;
    while (i < text.size() && IsDigit(text[i]))
        digits += text[i++];
    if (i == first) {
        i = n.pos;
        return false;
    }
    n.wholeDigits = i - first;
    while (grouped) {
        const std::size_t blank = GroupBlank(text, i);
        const std::size_t g = i + blank;
        if (blank == 0 || g + 3 > text.size() || !IsDigit(text[g]) || !IsDigit(text[g + 1]) ||
            !IsDigit(text[g + 2]) || (g + 3 < text.size() && IsDigit(text[g + 3])))
            break;
        digits.append(text.substr(g, 3));
        n.wholeDigits += 3;
        i = g + 3;
    }
    if (i + 1 < text.size() && (text[i] == '.' || text[i] == ',') && IsDigit(text[i + 1])) {
        digits += '.';
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            digits += text[i++];
    }
    n.end = i;
    if (n.wholeDigits > 9)
        n.value = HUGE_VAL; // refused below as out of range
    else
        std::from_chars(digits.data(), digits.data() + digits.size(), n.value);
    return true;
}

// 'X' or 'Y' for the letters X x Х х and Y y У у; 0 for anything else.
char Letter(std::string_view text, std::size_t i, std::size_t& length) {
    const auto c = DecodeAt(text, i);
    length = c.Length;
    switch (c.Value) {
    case 'X':
    case 'x':
    case U'Х':
    case U'х':
        return 'X';
    case 'Y':
    case 'y':
    case U'У':
    case U'у':
        return 'Y';
    default:
        return 0;
    }
}

void SkipBlanks(std::string_view text, std::size_t& i) {
    while (i < text.size() && detail::IsBlank(DecodeAt(text, i).Value))
        i += DecodeAt(text, i).Length;
}

std::string Quoted(std::string_view text, std::size_t pos) {
    return "“" + detail::Excerpt(text, pos) + "”";
}

} // namespace

RectangularResult ReadRectangular(std::string_view text) {
    RectangularResult r;
    std::size_t i = 0;
    SkipBlanks(text, i);
    std::size_t letterLength = 0;
    const bool letters = i < text.size() && Letter(text, i, letterLength) != 0;

    Number numbers[2];
    char names[2] = {'X', 'Y'};
    for (int k = 0; k < 2; ++k) {
        SkipBlanks(text, i);
        if (k == 1 && i < text.size() && (text[i] == ',' || text[i] == ';')) {
            ++i;
            SkipBlanks(text, i);
        }
        if (letters) {
            const char name = i < text.size() ? Letter(text, i, letterLength) : 0;
            if (name == 0) {
                r.Rectangular = true;
                r.Error = i >= text.size()
                              ? Error(i, "a second coordinate is missing", "нет второй координаты")
                              : Error(i, "X or Y is expected at " + Quoted(text, i),
                                      "здесь нужна буква X или Y: " + Quoted(text, i));
                return r;
            }
            if (k == 1 && name == names[0]) {
                r.Rectangular = true;
                r.Error = name == 'X' ? Error(i, "two X coordinates", "две координаты X")
                                      : Error(i, "two Y coordinates", "две координаты Y");
                return r;
            }
            names[k] = name;
            i += letterLength;
            SkipBlanks(text, i);
            if (i < text.size() && (text[i] == '=' || text[i] == ':')) ++i;
            SkipBlanks(text, i);
        }
        if (!ReadNumber(text, i, letters, numbers[k])) {
            if (!letters) return r; // not a rectangular pair: the point reader's text
            r.Rectangular = true;
            r.Error = i >= text.size()
                          ? Error(i, "a number is missing at the end", "в конце нет числа")
                          : Error(i, "a number is expected at " + Quoted(text, i),
                                  "здесь нужно число: " + Quoted(text, i));
            return r;
        }
    }
    SkipBlanks(text, i);
    if (!letters && !(std::fabs(numbers[0].value) > 360 || std::fabs(numbers[1].value) > 360))
        return r; // degrees
    r.Rectangular = true;
    if (i < text.size()) {
        r.Error = Error(i, "left over: " + Quoted(text, i), "лишнее: " + Quoted(text, i));
        return r;
    }
    const Number& x = names[0] == 'X' ? numbers[0] : numbers[1];
    const Number& y = names[0] == 'X' ? numbers[1] : numbers[0];
    // Y has the zone and six digits in metres: 7 or 8 digits; in kilometres 4 or 5.
    const double unit = y.wholeDigits <= 5 ? 1000 : 1;
    const double X = x.value * unit, Y = y.value * unit;
    const double zone = std::floor(Y / 1e6);
    if (!(zone >= 1 && zone <= 60)) {
        const std::string z = std::isfinite(zone) && std::fabs(zone) < 1e6
                                  ? std::to_string(static_cast<long long>(zone))
                                  : std::string("beyond 60");
        r.Error = Error(y.pos, "Y gives zone " + z + ", outside 1–60",
                        "Y даёт зону " + (z == "beyond 60" ? std::string("больше 60") : z) +
                            ", вне 1–60");
        return r;
    }
    const double easting = Y - zone * 1e6;
    if (easting < kMinEasting || easting > kMaxEasting) {
        char metres[32];
        std::snprintf(metres, sizeof metres, "%.0f", std::floor(easting));
        r.Error = Error(y.pos,
                        std::string("Y's last six digits ") + metres +
                            " m lie outside 166 000–834 000 m, wider than any zone",
                        std::string("последние шесть цифр Y, ") + metres +
                            " м, вне 166 000–834 000 м: шире любой зоны");
        return r;
    }
    if (!(std::fabs(X) <= kMaxNorthing)) {
        r.Error = Error(x.pos, "X beyond 84°", "X дальше 84°");
        return r;
    }
    r.Ok = true;
    r.Point = {X, Y, static_cast<int>(zone)};
    return r;
}

} // namespace kavu
