// The point reader. The plain "lat lon" decimal form, which the command-line tool streams by
// the million, has a path of its own; everything else is cut into tokens (numbers, signs,
// degree/minute/second marks, hemisphere letters, separators) and read as two coordinates.
// All arithmetic is in integers of 1e-9 arc-second.
#include "engine/readers.h"
#include "engine/text_scan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kavu {
namespace {

using detail::CodePoint;
using detail::DecodeAt;

constexpr std::int64_t kSecond = kUnitsPerSecond;
constexpr std::int64_t kMinuteUnits = 60 * kSecond;
constexpr std::int64_t kDegreeUnits = 3600 * kSecond;
constexpr std::int64_t kMaxLatUnits = 90 * kDegreeUnits;
constexpr std::int64_t kMaxLonUnits = 180 * kDegreeUnits;

constexpr std::array<std::int64_t, 12> kDegreeFraction{kDegreeUnits,
                                                       kDegreeUnits / 10,
                                                       kDegreeUnits / 100,
                                                       kDegreeUnits / 1000,
                                                       kDegreeUnits / 10000,
                                                       kDegreeUnits / 100000,
                                                       kDegreeUnits / 1000000,
                                                       kDegreeUnits / 10000000,
                                                       kDegreeUnits / 100000000,
                                                       kDegreeUnits / 1000000000,
                                                       kDegreeUnits / 10000000000,
                                                       kDegreeUnits / 100000000000};

ReadError Error(std::size_t pos, std::string english, std::string russian) {
    return ReadError{pos, std::move(english), std::move(russian)};
}

std::string Quoted(std::string_view text, std::size_t pos, std::size_t bytes = 24) {
    return "“" + detail::Excerpt(text, pos, bytes) + "”";
}

// ---- the plain decimal form ------------------------------------------------------------------

// Digits are read eight at a time (SWAR), in loads that stay inside the text: near its end
// the last eight bytes are loaded and shifted, which brings in zeros after the text. A text of
// fewer than eight bytes is copied into a zeroed buffer first.
constexpr std::size_t kLongestPlain = 34; // two of "-123.12345678901" and ", "

struct Plain {
    const char* begin;
    const char* end; // at least eight bytes after begin

    char At(const char* p) const { return p < end ? *p : '\0'; }
    std::uint64_t Load8(const char* p) const {
        const auto left = end - p;
        if (left <= 0) return 0;
        std::uint64_t v;
        if (left >= 8) {
            std::memcpy(&v, p, 8);
            return Native(v);
        }
        std::memcpy(&v, end - 8, 8);
        return Native(v) >> (8 * (8 - left));
    }
    static std::uint64_t Native(std::uint64_t v) {
        if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap64(v);
        return v;
    }
};

// Count of digits at the start of the eight bytes. A byte that is no digit sets its top bit;
// a borrow or carry can only spoil the bytes after the first such byte.
int DigitRun(std::uint64_t v) {
    const std::uint64_t t =
        ((v + 0x4646464646464646) | (v - 0x3030303030303030)) & 0x8080808080808080;
    return t == 0 ? 8 : std::countr_zero(t) / 8;
}

// Value of the first n (1..8) digits of the eight bytes.
std::uint64_t DigitsValue(std::uint64_t v, int n) {
    v = (v - 0x3030303030303030) << (8 * (8 - n));
    v = v * 10 + (v >> 8);
    return (((v & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((v >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
}

constexpr std::array<std::int64_t, 4> kPow10{1, 10, 100, 1000};

// "-55.7558": sign, 1..3 digits, up to 11 fractional digits (all exact in units).
// Inlined, so that the position stays in a register between the two numbers.
[[gnu::always_inline]] inline bool FastNumber(const Plain& text, const char*& p,
                                              std::int64_t& units) {
    const bool negative = text.At(p) == '-';
    p += negative;
    std::uint64_t v = text.Load8(p);
    int n = DigitRun(v);
    if (n == 0 || n > 3) return false;
    const auto whole = static_cast<std::int64_t>(DigitsValue(v, n));
    p += n;
    std::int64_t frac = 0;
    std::size_t k = 0;
    if (text.At(p) == '.') {
        ++p;
        v = text.Load8(p);
        n = DigitRun(v);
        if (n == 0) return false;
        frac = static_cast<std::int64_t>(DigitsValue(v, n));
        k = static_cast<std::size_t>(n);
        p += n;
        if (n == 8) {
            v = text.Load8(p);
            n = DigitRun(v);
            if (n > 3) return false;
            if (n > 0) {
                frac = frac * kPow10[static_cast<std::size_t>(n)] +
                       static_cast<std::int64_t>(DigitsValue(v, n));
                k += static_cast<std::size_t>(n);
                p += n;
            }
        }
    }
    units = whole * kDegreeUnits + frac * kDegreeFraction[k];
    if (negative) units = -units;
    return true;
}

bool FastPath(std::string_view text, ExactPoint& point) {
    if (text.size() > kLongestPlain) return false;
    const std::size_t size = text.size();
    const char* data = text.data();
    char shortText[8] = {};
    if (size < 8) {
        std::memcpy(shortText, data, size);
        data = shortText;
    }
    const Plain plain{data, data + std::max<std::size_t>(size, 8)};
    const char* const end = data + size;
    const char* p = data;
    std::int64_t lat = 0, lon = 0;
    if (!FastNumber(plain, p, lat) || p >= end || (*p != ',' && *p != ' ')) return false;
    if (*p++ == ',' && plain.At(p) == ' ') ++p;
    if (!FastNumber(plain, p, lon) || p != end) return false;
    if (lat > kMaxLatUnits || lat < -kMaxLatUnits || lon > kMaxLonUnits || lon < -kMaxLonUnits)
        return false; // the general reader says why
    point = {lat, lon};
    return true;
}

// ---- tokens --------------------------------------------------------------------------------

enum class Kind { Number, Sign, Degree, Minute, Second, Hemisphere, Separator };

struct Token {
    Kind kind = Kind::Number;
    std::size_t pos = 0;
    std::size_t end = 0;
    // Number: whole part (capped) and fractional digits.
    std::int64_t whole = 0;
    std::string_view fraction;
    bool hasFraction = false;
    // Sign and Hemisphere: negative means south or west.
    bool negative = false;
    bool latitude = false; // Hemisphere: N/S rather than E/W
};

constexpr std::size_t kMaxTokens = 24;
struct Tokens {
    std::array<Token, kMaxTokens> t;
    std::size_t n = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

Kind MarkKind(char32_t c) {
    switch (c) {
    case 0xB0:
    case 0xBA:
    case 0x2DA:
        return Kind::Degree;
    case '\'':
    case 0x2032:
    case 0x2019:
    case 0x2018:
    case 0x2B9:
    case 0xB4:
        return Kind::Minute;
    case '"':
    case 0x2033:
    case 0x201D:
    case 0x201C:
    case 0x2BA:
        return Kind::Second;
    default:
        return Kind::Number; // not a mark
    }
}

// Hemisphere letters: N S E W, and the Russian С Ю В З alone or as с.ш. ю.ш. в.д. з.д.
bool ReadHemisphere(std::string_view text, std::size_t& i, Token& t) {
    const CodePoint c = DecodeAt(text, i);
    const char32_t u = detail::FoldUpper(c.Value);
    char32_t second = 0;
    switch (u) {
    case 'N':
        t.latitude = true;
        break;
    case 'S':
        t.latitude = true;
        t.negative = true;
        break;
    case 'E':
        break;
    case 'W':
        t.negative = true;
        break;
    case U'С':
        t.latitude = true;
        second = U'Ш';
        break;
    case U'Ю':
        t.latitude = true;
        t.negative = true;
        second = U'Ш';
        break;
    case U'В':
        second = U'Д';
        break;
    case U'З':
        t.negative = true;
        second = U'Д';
        break;
    default:
        return false;
    }
    i += c.Length;
    if (second == 0) return true;
    // Optional "." and blanks, then the second letter and an optional ".".
    std::size_t j = i;
    if (j < text.size() && text[j] == '.') ++j;
    while (j < text.size() && detail::IsBlank(DecodeAt(text, j).Value))
        j += DecodeAt(text, j).Length;
    if (j < text.size() && detail::FoldUpper(DecodeAt(text, j).Value) == second) {
        i = j + DecodeAt(text, j).Length;
    } else if (i < text.size() && text[i] == '.') {
        ++i;
        return true;
    } else {
        return true;
    }
    if (i < text.size() && text[i] == '.') ++i;
    return true;
}

bool Tokenise(std::string_view text, bool decimalComma, Tokens& out, ReadError& err) {
    out.n = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const CodePoint c = DecodeAt(text, i);
        if (detail::IsBlank(c.Value)) {
            i += c.Length;
            continue;
        }
        if (out.n == kMaxTokens) {
            err = Error(i, "left over: " + Quoted(text, i), "лишнее: " + Quoted(text, i));
            return false;
        }
        Token& t = out.t[out.n];
        t = Token{};
        t.pos = i;
        if (IsDigit(text[i])) {
            t.kind = Kind::Number;
            while (i < text.size() && IsDigit(text[i])) {
                if (t.whole < 1000000) t.whole = t.whole * 10 + (text[i] - '0');
                ++i;
            }
            const bool point =
                i < text.size() && (text[i] == '.' || (decimalComma && text[i] == ','));
            if (point && i + 1 < text.size() && IsDigit(text[i + 1])) {
                const std::size_t f = ++i;
                while (i < text.size() && IsDigit(text[i]))
                    ++i;
                t.fraction = text.substr(f, i - f);
                t.hasFraction = true;
            }
        } else if (c.Value == '+' || c.Value == '-' || c.Value == 0x2212) {
            t.kind = Kind::Sign;
            t.negative = c.Value != '+';
            i += c.Length;
        } else if (c.Value == ',' || c.Value == ';') {
            t.kind = Kind::Separator;
            i += 1;
        } else if (MarkKind(c.Value) != Kind::Number) {
            t.kind = MarkKind(c.Value);
            i += c.Length;
            // Two primes make a second mark.
            if (t.kind == Kind::Minute && i < text.size() &&
                MarkKind(DecodeAt(text, i).Value) == Kind::Minute) {
                t.kind = Kind::Second;
                i += DecodeAt(text, i).Length;
            }
        } else if (ReadHemisphere(text, i, t)) {
            t.kind = Kind::Hemisphere;
        } else {
            err = Error(i, "unexpected “" + detail::CharAt(text, i) + "”",
                        "непонятный знак “" + detail::CharAt(text, i) + "”");
            return false;
        }
        t.end = i;
        ++out.n;
    }
    return true;
}

// ---- coordinates ---------------------------------------------------------------------------

struct Coordinate {
    std::size_t pos = 0;
    bool hasHemisphere = false;
    bool latitude = false;
    bool negative = false;
    std::uint64_t units = 0; // absolute, rounded down
    bool inexact = false;    // true value lies above `units`
};

// Adds a decimal fraction of a degree (part 0), minute (1) or second (2) to the coordinate,
// exactly however many digits it has. One of these is m * 10^e units: the first e digits are
// whole units, m times the rest is the carry of a digit-by-digit product.
void AddFraction(Coordinate& c, std::string_view fraction, std::size_t part) {
    static constexpr std::array<unsigned, 3> kFactor{36, 6, 1};
    static constexpr std::array<std::size_t, 3> kExponent{11, 10, 9};
    const unsigned m = kFactor[part];
    const std::size_t e = kExponent[part];
    std::uint64_t whole = 0;
    for (std::size_t k = 0; k < e; ++k)
        whole = whole * 10 + (k < fraction.size() ? static_cast<unsigned>(fraction[k] - '0') : 0);
    unsigned carry = 0;
    for (std::size_t k = fraction.size(); k > e; --k) {
        const unsigned v = static_cast<unsigned>(fraction[k - 1] - '0') * m + carry;
        if (v % 10 != 0) c.inexact = true;
        carry = v / 10;
    }
    c.units += whole * m + carry;
}

struct Parser {
    std::string_view text;
    const Tokens& tk;
    ReadError error;

    bool Fail(std::size_t pos, std::string en, std::string ru) {
        error = Error(pos, std::move(en), std::move(ru));
        return false;
    }
    std::size_t PosOf(std::size_t i) const { return i < tk.n ? tk.t[i].pos : text.size(); }
    bool Is(std::size_t i, std::size_t end, Kind k) const { return i < end && tk.t[i].kind == k; }

    // [hemisphere] [sign] degrees [°] [minutes [′] [seconds [″]]] [hemisphere], at most
    // `limit` numbers; a fraction ends the coordinate.
    bool Read(std::size_t& i, std::size_t end, int limit, Coordinate& c) {
        c = Coordinate{};
        c.pos = PosOf(i);
        if (i >= end) return Fail(c.pos, "a second coordinate is missing", "нет второй координаты");
        bool prefix = false;
        if (Is(i, end, Kind::Hemisphere)) {
            c.hasHemisphere = prefix = true;
            c.latitude = tk.t[i].latitude;
            c.negative = tk.t[i].negative;
            ++i;
        }
        bool sign = false;
        if (Is(i, end, Kind::Sign)) {
            if (prefix)
                return Fail(tk.t[i].pos, "a sign and a hemisphere letter together",
                            "знак и буква полушария вместе");
            sign = true;
            c.negative = tk.t[i].negative;
            ++i;
        }
        static constexpr std::array<std::int64_t, 3> kUnit{kDegreeUnits, kMinuteUnits, kSecond};
        static constexpr std::array<Kind, 3> kMark{Kind::Degree, Kind::Minute, Kind::Second};
        int parts = 0;
        while (parts < limit && Is(i, end, Kind::Number)) {
            const Token& num = tk.t[i];
            const auto part = static_cast<std::size_t>(parts);
            if (i + 1 < end) {
                const Kind next = tk.t[i + 1].kind;
                const bool mark =
                    next == Kind::Degree || next == Kind::Minute || next == Kind::Second;
                if (mark && next != kMark[part]) {
                    if (parts > 0 && next == Kind::Degree) break; // the next coordinate
                    const std::string what =
                        "“" + std::string(text.substr(num.pos, tk.t[i + 1].end - num.pos)) + "”";
                    return Fail(tk.t[i + 1].pos, "a mark out of place: " + what,
                                "знак не на месте: " + what);
                }
                if (mark) ++i;
            }
            if (parts > 0 && num.whole >= 60) {
                const std::string v(text.substr(num.pos, num.end - num.pos));
                if (parts == 1)
                    return Fail(num.pos, "minutes " + v + " are 60 or more",
                                "минут " + v + " — 60 или больше");
                return Fail(num.pos, "seconds " + v + " are 60 or more",
                            "секунд " + v + " — 60 или больше");
            }
            c.units +=
                static_cast<std::uint64_t>(num.whole) * static_cast<std::uint64_t>(kUnit[part]);
            ++i;
            ++parts;
            if (num.hasFraction) {
                AddFraction(c, num.fraction, part);
                break;
            }
        }
        if (parts == 0) {
            if (i >= end)
                return Fail(PosOf(i), "a number is missing at the end", "в конце нет числа");
            return Fail(PosOf(i), "a number is expected at " + Quoted(text, PosOf(i)),
                        "здесь нужно число: " + Quoted(text, PosOf(i)));
        }
        if (!prefix && Is(i, end, Kind::Hemisphere)) {
            if (sign)
                return Fail(tk.t[i].pos, "a sign and a hemisphere letter together",
                            "знак и буква полушария вместе");
            c.hasHemisphere = true;
            c.latitude = tk.t[i].latitude;
            c.negative = tk.t[i].negative;
            ++i;
        }
        return true;
    }
};

// Signed units, rounded so that the sheet decision stays exact: latitude up, longitude down.
std::int64_t Signed(const Coordinate& c, bool latitude) {
    const auto a = static_cast<std::int64_t>(c.units);
    const bool up = latitude != c.negative; // round the absolute value up
    const std::int64_t abs = a + (c.inexact && up ? 1 : 0);
    return c.negative ? -abs : abs;
}

bool InRange(const Coordinate& c, std::int64_t max) {
    return c.units < static_cast<std::uint64_t>(max) ||
           (c.units == static_cast<std::uint64_t>(max) && !c.inexact);
}

PointResult ReadTokens(std::string_view text, bool decimalComma) {
    PointResult r;
    Tokens tk;
    if (!Tokenise(text, decimalComma, tk, r.Error)) return r;
    if (tk.n == 0) {
        r.Error = Error(0, "the text is empty", "текст пуст");
        return r;
    }
    Parser p{text, tk, {}};
    std::size_t separator = tk.n, numbers = 0;
    bool plain = true; // numbers and signs only: split them evenly
    for (std::size_t i = 0; i < tk.n; ++i) {
        const Kind k = tk.t[i].kind;
        if (k == Kind::Separator && separator == tk.n) separator = i;
        numbers += k == Kind::Number;
        plain = plain && (k == Kind::Number || k == Kind::Sign);
    }
    Coordinate c1, c2;
    std::size_t i = 0;
    if (separator < tk.n) {
        if (!p.Read(i, separator, 3, c1)) return {false, {}, p.error};
        if (i != separator) {
            r.Error = Error(tk.t[i].pos, "left over: " + Quoted(text, tk.t[i].pos),
                            "лишнее: " + Quoted(text, tk.t[i].pos));
            return r;
        }
        ++i;
        if (!p.Read(i, tk.n, 3, c2)) return {false, {}, p.error};
    } else {
        int limit = 3;
        if (plain) {
            if (numbers % 2 != 0 && numbers > 1) {
                r.Error = Error(0, "an odd count of numbers: latitude and longitude do not split",
                                "нечётное число чисел: широту и долготу не разделить");
                return r;
            }
            limit = numbers >= 6 ? 3 : static_cast<int>(numbers / 2 > 0 ? numbers / 2 : 1);
        }
        if (!p.Read(i, tk.n, limit, c1)) return {false, {}, p.error};
        if (!p.Read(i, tk.n, limit, c2)) return {false, {}, p.error};
    }
    if (i < tk.n) {
        r.Error = Error(tk.t[i].pos, "left over: " + Quoted(text, tk.t[i].pos),
                        "лишнее: " + Quoted(text, tk.t[i].pos));
        return r;
    }
    // Latitude first unless the letters say otherwise.
    if (c1.hasHemisphere && c2.hasHemisphere && c1.latitude == c2.latitude) {
        r.Error = c1.latitude ? Error(c2.pos, "two latitudes", "две широты")
                              : Error(c2.pos, "two longitudes", "две долготы");
        return r;
    }
    const bool swap = c1.hasHemisphere ? !c1.latitude : c2.hasHemisphere && c2.latitude;
    const Coordinate& lat = swap ? c2 : c1;
    const Coordinate& lon = swap ? c1 : c2;
    if (!InRange(lat, kMaxLatUnits)) {
        r.Error = Error(lat.pos, "latitude beyond 90°", "широта больше 90°");
        return r;
    }
    if (!InRange(lon, kMaxLonUnits)) {
        r.Error = Error(lon.pos, "longitude beyond 180°", "долгота больше 180°");
        return r;
    }
    r.Ok = true;
    r.Point = {Signed(lat, true), Signed(lon, false)};
    return r;
}

} // namespace

bool detail::ReadPlainPoint(std::string_view text, ExactPoint& point) {
    return FastPath(text, point);
}

PointResult ReadPoint(std::string_view text) {
    std::size_t lead = 0;
    while (lead < text.size() && (text[lead] == ' ' || text[lead] == '\t'))
        ++lead;
    text.remove_prefix(lead);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    PointResult r;
    if (FastPath(text, r.Point)) {
        r.Ok = true;
        return r;
    }
    // A comma is a decimal comma next to a ";", or when no decimal point is used and every
    // comma sits between digits ("55,7558 37,6173"); the other reading is tried if that fails.
    bool semicolon = false, digitPoint = false, comma = false, commasBetweenDigits = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool between =
            i > 0 && i + 1 < text.size() && IsDigit(text[i - 1]) && IsDigit(text[i + 1]);
        semicolon = semicolon || c == ';';
        digitPoint = digitPoint || (c == '.' && between);
        if (c == ',') {
            comma = true;
            commasBetweenDigits = commasBetweenDigits && between;
        }
    }
    const bool preferDecimal = semicolon || (!digitPoint && comma && commasBetweenDigits);
    r = ReadTokens(text, preferDecimal);
    if (!r.Ok && comma && !semicolon) {
        PointResult other = ReadTokens(text, !preferDecimal);
        if (other.Ok) return other;
    }
    r.Error.Position += lead;
    return r;
}

} // namespace kavu
