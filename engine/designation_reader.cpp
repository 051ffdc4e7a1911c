// The designation reader. A text is cut into members (joined by "_" or "+"), each member into
// comma items, each item into fields; the row decides the notation, the part field the scale
// (possibly several), and every scale that reads the whole text gives a reading.
#include "engine/readers.h"
#include "engine/text_scan.h"

#include <algorithm>
#include <array>
#include <span>

namespace kavu {
namespace {

using detail::CodePoint;
using detail::DecodeAt;

ReadError Error(std::size_t pos, std::string english, std::string russian) {
    return ReadError{pos, std::move(english), std::move(russian)};
}

// Field levels: 0 row, 1 column, 2 part, 3 quarter of 1:100,000, 4 of 1:50,000, 5 of 1:25,000.
constexpr int kMaxFields = 6;
constexpr int kMaxItems = 4; // no published sheet has more members

// Left uninitialised on purpose: the reader fills every field it reads, and a member holds
// two dozen of them.
struct Token {
    bool digits; // else letters
    bool joined; // no separator before it
    std::size_t pos;
    const char* data; // the token's bytes
    std::size_t size;
    int value; // digits; 9999 for more than four
    int width; // digits
    std::array<char32_t, 8> letter;
    int letters; // may exceed letter.size() for a long word
    std::string_view text() const { return {data, size}; }
};

struct Item {
    std::array<Token, kMaxFields> field;
    int count = 0;
};

// One member text after the southern mark: its comma items.
struct Member {
    bool southern = false;
    std::array<Item, kMaxItems> item;
    int items = 0;
};

bool IsSeparator(char32_t c) {
    return detail::IsBlank(c) || c == '-' || c == '.' || (c >= 0x2010 && c <= 0x2015) ||
           c == 0x2212;
}

bool IsWordLetter(char32_t c) {
    return detail::IsLatinLetter(c) || detail::IsCyrillicLetter(c);
}

std::string Quoted(std::string_view s) {
    return "“" + std::string(s) + "”";
}

bool Tokenise(std::string_view text, std::size_t from, std::size_t to, Member& m, ReadError& err) {
    m.items = 1;
    bool separated = true;
    std::size_t i = from;
    std::size_t dash = std::string_view::npos; // a separator other than a blank, not yet used
    while (i < to) {
        const char b = text[i];
        if (b == '-' || b == ' ' || b == '.') { // the common separators, before decoding
            separated = true;
            if (b != ' ' && dash == std::string_view::npos) dash = i;
            ++i;
            continue;
        }
        const CodePoint c = DecodeAt(text, i);
        if (IsSeparator(c.Value)) {
            separated = true;
            if (!detail::IsBlank(c.Value) && dash == std::string_view::npos) dash = i;
            i += c.Length;
            continue;
        }
        // A dash stands between two fields, not before the first or after the last.
        if (dash != std::string_view::npos && (c.Value == ',' || m.item[m.items - 1].count == 0)) {
            err = Error(dash, "unexpected " + Quoted(detail::CharAt(text, dash)),
                        "непонятный знак " + Quoted(detail::CharAt(text, dash)));
            return false;
        }
        dash = std::string_view::npos;
        if (c.Value == ',') {
            if (m.item[m.items - 1].count == 0) {
                err = Error(i, "a sheet is missing before the comma", "перед запятой нет листа");
                return false;
            }
            if (m.items == kMaxItems) {
                err = Error(i, "a published sheet joins at most four sheets",
                            "в совместном листе не больше четырёх листов");
                return false;
            }
            ++m.items;
            separated = true;
            ++i;
            continue;
        }
        Item& item = m.item[m.items - 1];
        if (item.count == kMaxFields) {
            err = Error(i, "nothing may follow the 1:10,000 quarter",
                        "после четверти листа 1:10 000 ничего быть не может");
            return false;
        }
        Token& t = item.field[static_cast<std::size_t>(item.count)];
        t.digits = false;
        t.value = t.width = t.letters = 0;
        t.pos = i;
        t.joined = !separated && item.count > 0;
        if (c.Value >= '0' && c.Value <= '9') {
            t.digits = true;
            while (i < to && text[i] >= '0' && text[i] <= '9') {
                if (++t.width <= 4) t.value = t.value * 10 + (text[i] - '0');
                ++i;
            }
            if (t.width > 4) t.value = 9999;
        } else if (IsWordLetter(c.Value)) {
            for (CodePoint l = c; IsWordLetter(l.Value);) {
                if (t.letters < static_cast<int>(t.letter.size()))
                    t.letter[static_cast<std::size_t>(t.letters)] = detail::FoldUpper(l.Value);
                ++t.letters;
                i += l.Length;
                if (i >= to) break;
                l = DecodeAt(text, i);
            }
        } else {
            err = Error(i, "unexpected " + Quoted(detail::CharAt(text, i)),
                        "непонятный знак " + Quoted(detail::CharAt(text, i)));
            return false;
        }
        t.data = text.data() + t.pos;
        t.size = i - t.pos;
        // Only the row letter may run straight into the column ("N37", "R01-03").
        const bool rowThenColumn =
            m.items == 1 && item.count == 1 && !item.field[0].digits && t.digits;
        if (t.joined && !rowThenColumn) {
            err = Error(t.pos, "a separator is missing before " + Quoted(t.text()),
                        "перед " + Quoted(t.text()) + " нет разделителя");
            return false;
        }
        ++item.count;
        separated = false;
    }
    if (dash != std::string_view::npos) {
        err = Error(dash, "a field is missing after " + Quoted(detail::CharAt(text, dash)),
                    "после " + Quoted(detail::CharAt(text, dash)) + " нет поля");
        return false;
    }
    if (m.item[m.items - 1].count == 0) {
        err = m.items == 1
                  ? Error(from, "the text is empty", "текст пуст")
                  : Error(to, "a sheet is missing after the comma", "после запятой нет листа");
        return false;
    }
    return true;
}

// Row letters: Latin A..U, and the Cyrillic capitals that look like some of them.
int RowOfLetter(char32_t c) {
    if (c >= 'A' && c <= 'U') return static_cast<int>(c - 'A') + 1;
    switch (c) {
    case U'А':
        return 1;
    case U'В':
        return 2;
    case U'С':
        return 3;
    case U'Е':
        return 5;
    case U'Н':
        return 8;
    case U'К':
        return 11;
    case U'М':
        return 13;
    case U'О':
        return 15;
    case U'Р':
        return 16;
    case U'Т':
        return 20;
    default:
        return 0;
    }
}

bool ReadRow(const Token& t, bool& digitNotation, int& row, ReadError& err) {
    digitNotation = t.digits;
    if (t.digits) {
        row = t.value;
        if (row >= 1 && row <= 21) return true;
        err = Error(t.pos, "row " + std::string(t.text()) + " is outside 1–21",
                    "ряд " + std::string(t.text()) + " не в пределах 1–21");
        return false;
    }
    row = t.letters == 1 ? RowOfLetter(t.letter[0]) : 0;
    if (row != 0) return true;
    err = Error(t.pos, "no row letter " + std::string(t.text()) + " in the series",
                "в разграфке нет ряда " + std::string(t.text()));
    return false;
}

bool ReadColumn(const Token& t, int& column, ReadError& err) {
    if (!t.digits) {
        err = Error(t.pos, "column " + std::string(t.text()) + " is not a number",
                    "колонна " + std::string(t.text()) + " — не число");
        return false;
    }
    column = t.value;
    if (column >= 1 && column <= 60) return true;
    err = Error(t.pos, "column " + std::string(t.text()) + " is outside 1–60",
                "колонна " + std::string(t.text()) + " не в пределах 1–60");
    return false;
}

// Letters А..Г (Cyrillic) or A..D (Latin), either case, as 1..4; 0 for anything else.
int CyrillicQuarter(const Token& t) {
    return t.letters == 1 && t.letter[0] >= U'А' && t.letter[0] <= U'Г'
               ? static_cast<int>(t.letter[0] - U'А') + 1
               : 0;
}
int LatinQuarter(const Token& t) {
    return t.letters == 1 && t.letter[0] >= 'A' && t.letter[0] <= 'D'
               ? static_cast<int>(t.letter[0] - 'A') + 1
               : 0;
}

// A Roman numeral in any case: 1..39 when it is written the usual way, 0 when it is not one.
int RomanValue(const Token& t) {
    if (t.letters < 1 || t.letters > 7) return 0;
    std::string upper;
    for (int i = 0; i < t.letters; ++i) {
        const char32_t c = t.letter[static_cast<std::size_t>(i)];
        if (c != 'I' && c != 'V' && c != 'X') return 0;
        upper.push_back(static_cast<char>(c));
    }
    static constexpr std::array<std::string_view, 3> kBeyond{"XXXVII", "XXXVIII", "XXXIX"};
    for (int v = 1; v <= 36; ++v)
        if (RomanText(v) == upper) return v;
    for (int v = 0; v < 3; ++v)
        if (kBeyond[static_cast<std::size_t>(v)] == upper) return 37 + v;
    return 0;
}

bool AllRomanLetters(const Token& t) {
    for (int i = 0; i < std::min<int>(t.letters, static_cast<int>(t.letter.size())); ++i) {
        const char32_t c = t.letter[static_cast<std::size_t>(i)];
        if (c != 'I' && c != 'V' && c != 'X') return false;
    }
    return t.letters <= static_cast<int>(t.letter.size());
}

// Ways to read the part field: the scale it makes (2, 3 or 4), its number, and how far the
// spelling is from what the window writes (0 its own form, 1 another listed form, 2 a leading
// zero the lists do not give), which orders the readings. A reading of penalty 2 is reached
// only through a padding no notation writes ("04" for the 1:100,000 sheet 4): it is offered
// only when no written form fits.
constexpr int kPadded = 2;
struct PartOption {
    int scale = 0;
    int value = 0;
    int penalty = 0;
};
struct PartOptions {
    std::array<PartOption, 3> option;
    int count = 0;
    void Add(int scale, int value, int penalty) {
        option[static_cast<std::size_t>(count++)] = {scale, value, penalty};
    }
    const PartOption* Find(int scale) const {
        for (int i = 0; i < count; ++i)
            if (option[static_cast<std::size_t>(i)].scale == scale)
                return &option[static_cast<std::size_t>(i)];
        return nullptr;
    }
};

bool PartError(const Token& t, std::string_view range, ReadError& err) {
    err = Error(t.pos, "part " + std::string(t.text()) + " is outside " + std::string(range),
                "часть " + std::string(t.text()) + " не в пределах " + std::string(range));
    return false;
}

bool ClassifyPart(const Token& t, bool digitNotation, PartOptions& out, ReadError& err) {
    out.count = 0;
    if (digitNotation) {
        // The window's widths: 1 digit 1:500,000, 2 digits 1:200,000, 3 digits 1:100,000.
        if (!t.digits) {
            err = Error(t.pos, "part " + std::string(t.text()) + " is not a number",
                        "часть " + std::string(t.text()) + " — не число");
            return false;
        }
        static constexpr std::array<int, 4> kScale{0, 2, 3, 4};
        static constexpr std::array<int, 4> kCount{0, 4, 36, 144};
        static constexpr std::array<std::string_view, 4> kRange{"", "1–4", "01–36", "001–144"};
        if (t.width > 3) {
            err = Error(t.pos, "part " + std::string(t.text()) + " is not of 1, 2 or 3 digits",
                        "часть " + std::string(t.text()) + " не из 1, 2 или 3 цифр");
            return false;
        }
        const auto w = static_cast<std::size_t>(t.width);
        if (t.value < 1 || t.value > kCount[w]) return PartError(t, kRange[w], err);
        out.Add(kScale[w], t.value, 0);
        return true;
    }
    if (t.digits) {
        const int natural = t.value >= 100 ? 3 : t.value >= 10 ? 2 : 1;
        if (t.width <= 3 && t.value >= 1 && t.value <= 144)
            out.Add(4, t.value, t.width == natural ? 0 : t.width == 3 ? 1 : kPadded);
        if (t.width == 1 && t.value >= 1 && t.value <= 4) out.Add(2, t.value, 1);
        if (t.width == 2 && t.value >= 1 && t.value <= 36) out.Add(3, t.value, 1);
        return out.count > 0 || PartError(t, "1–144", err);
    }
    if (const int q = CyrillicQuarter(t)) {
        out.Add(2, q, 0);
        return true;
    }
    if (const int q = LatinQuarter(t)) {
        out.Add(2, q, 1);
        return true;
    }
    if (AllRomanLetters(t)) {
        const int v = RomanValue(t);
        if (v >= 1 && v <= 36) {
            out.Add(3, v, 0);
            return true;
        }
        if (v > 36) return PartError(t, "I–XXXVI", err);
        err = Error(t.pos, "part " + std::string(t.text()) + " is not a Roman numeral",
                    "часть " + std::string(t.text()) + " — не римское число");
        return false;
    }
    if (t.letters == 1) {
        const bool cyrillic = detail::IsCyrillicLetter(t.letter[0]);
        return PartError(t, cyrillic ? "А–Г" : "A–D", err);
    }
    err = Error(t.pos,
                "part " + std::string(t.text()) + " is not a letter, a Roman numeral or a number",
                "часть " + std::string(t.text()) + " — не буква, не римское число и не номер");
    return false;
}

// Quarters: level 3 of 1:100,000 (А..Г), 4 of 1:50,000 (а..г), 5 of 1:25,000 (digits only).
bool ReadQuarter(const Token& t, int level, bool digitNotation, int& value, ReadError& err) {
    std::string_view range = "1–4";
    if (t.digits) {
        value = t.width == 1 ? t.value : 0;
    } else if (digitNotation || level == 5) {
        value = 0;
    } else {
        value = CyrillicQuarter(t);
        if (value == 0) value = LatinQuarter(t);
        const bool latin = t.letters >= 1 && detail::IsLatinLetter(t.letter[0]);
        range = level == 3 ? (latin ? "A–D" : "А–Г") : (latin ? "a–d" : "а–г");
    }
    if (value >= 1 && value <= 4) return true;
    err = Error(t.pos, "quarter " + std::string(t.text()) + " is outside " + std::string(range),
                "четверть " + std::string(t.text()) + " не в пределах " + std::string(range));
    return false;
}

void SetLevel(SheetKey& k, int level, int value) {
    switch (level) {
    case 1:
        k.Column = value;
        break;
    case 2:
        k.SubSheet = value;
        break;
    case 3:
        k.Quarter = value;
        break;
    case 4:
        k.Quarter25 = value;
        break;
    default:
        k.Quarter10 = value;
        break;
    }
}

constexpr std::array<int, kMaxFields + 1> kScaleOfFields{0, 0, 1, 0, 5, 6, 7};

std::string_view ScaleText(int scale, bool russian) {
    if (scale == 2) return russian ? "1:500 000" : "1:500,000";
    return russian ? "1:200 000" : "1:200,000";
}

// The sheets one scale reading of a member names, west to east as written; keys past `count`
// are left unset.
struct Candidate {
    int scale = 0;
    int penalty = 0;
    bool padded = false; // some member's part is padded as no notation writes it
    union {
        std::array<SheetKey, kMaxItems> key;
    };
    int count = 0;
    Candidate() {}
};
// Candidates past `count` are left unset: a reader makes a dozen of these a text, and setting
// every key of every one would cost more than reading it.
struct Candidates {
    union {
        std::array<Candidate, 3> c;
    };
    int count = 0;
    ReadError error;
    Candidates() {}
};

// Keeps the error of the reading that got furthest into the text.
void Keep(ReadError& best, bool& have, const ReadError& e) {
    if (!have || e.Position > best.Position) best = e;
    have = true;
}

bool ReadField(const Token& t, int level, int partScale, bool digitNotation, int& value,
               ReadError& err) {
    if (level == 1) return ReadColumn(t, value, err);
    if (level >= 3) return ReadQuarter(t, level, digitNotation, value, err);
    PartOptions parts;
    if (!ClassifyPart(t, digitNotation, parts, err)) return false;
    if (const PartOption* p = parts.Find(partScale)) {
        value = p->value;
        return true;
    }
    err = Error(t.pos,
                "part " + std::string(t.text()) + " is not of the same scale as the first sheet",
                "часть " + std::string(t.text()) + " другого масштаба, чем первый лист");
    return false;
}

void ReadMember(const Member& m, Candidates& out, bool& digitNotation) {
    out.count = 0;
    const Item& first = m.item[0];
    const int n = first.count;
    int row = 0;
    if (!ReadRow(first.field[0], digitNotation, row, out.error)) return;
    if (n == 1) {
        const Token& r = first.field[0];
        out.error = Error(r.pos + r.text().size(), "the column is missing after the row",
                          "после ряда нет колонны");
        return;
    }
    PartOptions parts;
    if (n == 2) {
        parts.Add(1, 0, 0);
    } else if (!ClassifyPart(first.field[2], digitNotation, parts, out.error)) {
        return;
    }
    if (n > 3 && !parts.Find(4)) {
        const PartOption& p = parts.option[0];
        const Token& t = first.field[2];
        out.error = Error(first.field[3].pos,
                          "nothing may follow part " + std::string(t.text()) + " of a " +
                              std::string(ScaleText(p.scale, false)) + " sheet",
                          "после части " + std::string(t.text()) + " листа " +
                              std::string(ScaleText(p.scale, true)) + " ничего быть не может");
        return;
    }
    bool haveError = false;
    for (int o = 0; o < parts.count; ++o) {
        const PartOption& p = parts.option[static_cast<std::size_t>(o)];
        if (n > 3 && p.scale != 4) continue;
        // Built in place; kept only when every field reads.
        Candidate& c = out.c[static_cast<std::size_t>(out.count)];
        c.scale = n == 3 ? p.scale : kScaleOfFields[static_cast<std::size_t>(n)];
        c.penalty = p.penalty;
        c.padded = p.penalty == kPadded;
        SheetKey k;
        k.Scale = c.scale;
        k.Hemisphere = m.southern ? 'S' : 'N';
        k.Row = row;
        k.SubSheet = p.value;
        bool ok = true;
        ReadError err;
        for (int level = 1; ok && level < n; ++level) {
            if (level == 2) continue;
            int v = 0;
            ok = ReadField(first.field[static_cast<std::size_t>(level)], level, p.scale,
                           digitNotation, v, err);
            SetLevel(k, level, v);
        }
        c.key[0] = k;
        c.count = 1;
        // Each further item replaces the trailing fields of the sheet before it.
        for (int j = 1; ok && j < m.items; ++j) {
            const Item& item = m.item[static_cast<std::size_t>(j)];
            if (item.count >= n) {
                err = Error(item.field[static_cast<std::size_t>(n - 1)].pos,
                            "too many fields after the comma", "после запятой слишком много полей");
                ok = false;
                break;
            }
            for (int f = 0; ok && f < item.count; ++f) {
                const int level = n - item.count + f;
                int v = 0;
                ok = ReadField(item.field[static_cast<std::size_t>(f)], level, p.scale,
                               digitNotation, v, err);
                SetLevel(k, level, v);
            }
            c.key[static_cast<std::size_t>(c.count++)] = k;
        }
        if (ok)
            ++out.count;
        else
            Keep(out.error, haveError, err);
    }
}

std::string Trimmed(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b);
}

// A group of sheets read from the text becomes a reading when it is exactly one published
// sheet (in any order) or a single sheet; the published sheet of a single one is filled only
// when asked.
bool Publish(const SheetKey* key, int count, bool digitNotation, bool withPublished,
             DesignationReading& out, ReadError& err) {
    if (count == 1 && !withPublished) {
        out.Key = key[0];
        return true;
    }
    std::optional<PublishedSheet> p = PublishedSheetOf(key[0]);
    if (!p) { // the reader builds only keys in range; kept total all the same
        err = Error(0, "no such sheet", "такого листа нет");
        return false;
    }
    bool ok = count == 1 || p->Count == count;
    for (int i = 0; ok && i < count; ++i) {
        int found = 0;
        for (int j = 0; j < p->Count; ++j)
            found += p->Members[static_cast<std::size_t>(j)] == key[i];
        for (int j = 0; j < i; ++j)
            found += key[j] == key[i] ? 2 : 0;
        ok = found == 1;
    }
    if (!ok) {
        const std::string first =
            Trimmed(digitNotation ? FormatSheetNew(key[0]) : FormatSheetOld(key[0]));
        const std::string group = Trimmed(digitNotation ? p->New : p->Old);
        if (p->Count == 1)
            err = Error(0,
                        "these sheets are not published together: " + first + " is published alone",
                        "эти листы не издаются вместе: " + first + " издаётся отдельно");
        else
            err = Error(
                0, "these sheets are not published together: " + first + " is part of " + group,
                "эти листы не издаются вместе: " + first + " входит в " + group);
        return false;
    }
    out.Joined = count > 1;
    out.Key = count > 1 ? p->Members[0] : key[0];
    out.Published = std::move(*p);
    return true;
}

// Reads the southern mark, then tokenises. `from`..`to` is the member without outer blanks.
bool ParseMember(std::string_view text, std::size_t from, std::size_t to, Member& m,
                 ReadError& err) {
    // "s 9-34-13", "x14-37", "X N-37"; "s53" is the row letter S, and "X-37" the row letter X,
    // which the series lacks.
    const char32_t next = to - from >= 2 ? DecodeAt(text, from + 1).Value : U'-';
    m.southern =
        (text[from] == 's' && detail::IsBlank(next)) ||
        ((text[from] == 'x' || text[from] == 'X') && (detail::IsBlank(next) || !IsSeparator(next)));
    if (m.southern) ++from;
    while (from < to && detail::IsBlank(DecodeAt(text, from).Value))
        from += DecodeAt(text, from).Length;
    if (m.southern && from == to) {
        err = Error(from, "nothing follows the southern mark",
                    "после знака южного полушария ничего нет");
        return false;
    }
    return Tokenise(text, from, to, m, err);
}

void TrimBlanks(std::string_view text, std::size_t& from, std::size_t& to) {
    while (from < to) {
        const CodePoint c = DecodeAt(text, from);
        if (!detail::IsBlank(c.Value)) break;
        from += c.Length;
    }
    while (to > from) {
        std::size_t b = to - 1;
        while (b > from && (static_cast<unsigned char>(text[b]) & 0xC0) == 0x80)
            --b;
        if (!detail::IsBlank(DecodeAt(text, b).Value)) break;
        to = b;
    }
}

// Orders the candidates by how near their spelling is to the window's own and turns each
// that names a published sheet (or a single sheet) into a reading; the padded ones only when
// no other gives one.
void PublishAll(const Candidates& cs, bool digitNotation, bool withPublished, std::size_t from,
                DesignationResult& r) {
    std::array<int, 3> order{0, 1, 2};
    for (int i = 1; i < cs.count; ++i) // stable: the scales' own order breaks ties
        for (int j = i; j > 0 && cs.c[static_cast<std::size_t>(order[j])].penalty <
                                     cs.c[static_cast<std::size_t>(order[j - 1])].penalty;
             --j)
            std::swap(order[static_cast<std::size_t>(j)], order[static_cast<std::size_t>(j - 1)]);
    bool haveError = false;
    r.Readings.reserve(static_cast<std::size_t>(cs.count));
    for (const bool padded : {false, true}) {
        if (padded && !r.Readings.empty()) break;
        for (int i = 0; i < cs.count; ++i) {
            const Candidate& c = cs.c[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
            if (c.padded != padded) continue;
            ReadError err;
            if (!Publish(c.key.data(), c.count, digitNotation, withPublished,
                         r.Readings.emplace_back(), err)) {
                r.Readings.pop_back();
                err.Position = from;
                Keep(r.Error, haveError, err);
            }
        }
    }
    if (!r.Readings.empty()) r.Error = {};
}

// Members in full joined by "_" or "+": every scale that reads each member is one reading.
void ReadJoinedMembers(std::string_view text, std::size_t from,
                       std::span<const std::pair<std::size_t, std::size_t>> span,
                       bool withPublished, DesignationResult& r) {
    const int members = static_cast<int>(span.size());
    std::array<Candidates, kMaxItems> each;
    bool digitNotation = false;
    for (int i = 0; i < members; ++i) {
        auto [b, e] = span[static_cast<std::size_t>(i)];
        TrimBlanks(text, b, e);
        Member m;
        if (b == e) {
            r.Error = Error(b, "a sheet is missing between the joins",
                            "между знаками соединения нет листа");
            return;
        }
        if (!ParseMember(text, b, e, m, r.Error)) return;
        if (m.items > 1) {
            r.Error = Error(b, "a sheet joined by “_” or “+” must be written in full",
                            "лист, соединённый через “_” или “+”, пишется полностью");
            return;
        }
        bool digits = false;
        Candidates& cs = each[static_cast<std::size_t>(i)];
        ReadMember(m, cs, digits);
        if (cs.count == 0) {
            r.Error = std::move(cs.error);
            return;
        }
        if (i == 0) digitNotation = digits;
    }
    Candidates joined;
    const Candidates& lead = each[0];
    for (int o = 0; o < lead.count; ++o) {
        Candidate& c = joined.c[static_cast<std::size_t>(joined.count)];
        c = Candidate{};
        c.scale = lead.c[static_cast<std::size_t>(o)].scale;
        c.count = members;
        bool all = true;
        for (int i = 0; all && i < members; ++i) {
            all = false;
            const Candidates& cs = each[static_cast<std::size_t>(i)];
            for (int j = 0; j < cs.count; ++j) {
                const Candidate& x = cs.c[static_cast<std::size_t>(j)];
                if (x.scale != c.scale) continue;
                c.key[static_cast<std::size_t>(i)] = x.key[0];
                c.penalty += x.penalty;
                c.padded = c.padded || x.padded;
                all = true;
            }
        }
        if (all) ++joined.count;
    }
    if (joined.count == 0)
        r.Error = Error(from, "the sheets joined here are of different scales",
                        "листы здесь разных масштабов");
    else
        PublishAll(joined, digitNotation, withPublished, from, r);
}

// The common forms, read straight: the window's digit notation (" 14-37-004-3"), the lettered
// one with a Latin row letter and ASCII dashes ("N-37-4-В", "N-37-4-В-а-2"), and archive names
// ("n37-004-3", "o37-123-1"). Anything else, and any text these fields would read at more than
// one scale, is left to the general reader (false); what this accepts, it reads as that does.
bool ReadCommonForm(std::string_view text, SheetKey& key) {
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    while (n > i && text[n - 1] == ' ')
        --n;
    const auto digit = [&](std::size_t j) { return j < n && text[j] >= '0' && text[j] <= '9'; };
    // A field of one or two digits (three for a part), ended by a dash or the end.
    const auto number = [&](int most, int& value, int& width) {
        value = width = 0;
        while (digit(i)) {
            if (++width > most) return false;
            value = value * 10 + (text[i++] - '0');
        }
        return width > 0 && (i == n || text[i] == '-');
    };
    if (i == n) return false;
    const char first = text[i];
    const bool digits = digit(i);
    int row = 0, width = 0;
    if (digits) {
        if (!number(2, row, width) || i == n) return false;
    } else if ((first >= 'A' && first <= 'U') || (first >= 'a' && first <= 'u')) {
        row = (first | 0x20) - 'a' + 1;
        ++i;
    } else {
        return false;
    }
    if (row < 1 || row > 21 || (i < n && text[i] == '-' && !digit(++i))) return false;
    int column = 0;
    if (!number(2, column, width) || column < 1 || column > 60) return false;
    key = SheetKey{1, 'N', row, column};
    if (i == n) return true;
    ++i;
    int part = 0;
    if (!number(3, part, width) || part < 1) return false;
    if (digits) {
        static constexpr std::array<int, 4> kCount{0, 4, 36, 144};
        if (part > kCount[static_cast<std::size_t>(width)]) return false;
        key.Scale = width == 1 ? 2 : width == 2 ? 3 : 4;
    } else {
        // Lettered: a number read only at 1:100,000 (one of 5..9, above 36, or of three
        // digits), or any 1..144 when quarters follow.
        if (part > 144) return false;
        const bool only = width == 3 || part > 36 || (width == 1 && part > 4);
        if (!only && i == n) return false;
        key.Scale = 4;
    }
    key.SubSheet = part;
    if (i == n) return true;
    if (key.Scale != 4) return false;
    for (int level = 3; level <= 5; ++level) {
        if (i == n) return true;
        ++i; // the dash
        int q = 0;
        const unsigned char c = static_cast<unsigned char>(i < n ? text[i] : 0);
        std::size_t length = 1;
        if (c >= '1' && c <= '4') {
            q = c - '0';
        } else if (!digits && level < 5 && ((c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd'))) {
            q = (c | 0x20) - 'a' + 1;
        } else if (!digits && level < 5 && c == 0xD0 && i + 1 < n) {
            // А..Г and а..г
            const auto d = static_cast<unsigned char>(text[i + 1]);
            q = d >= 0x90 && d <= 0x93 ? d - 0x8F : d >= 0xB0 && d <= 0xB3 ? d - 0xAF : 0;
            length = 2;
        }
        i += length;
        if (q == 0 || (i < n && text[i] != '-')) return false;
        key.Scale = level + 2;
        SetLevel(key, level, q);
    }
    return i == n;
}

} // namespace

DesignationResult ReadDesignation(std::string_view text, bool withPublished) {
    DesignationResult r;
    if (SheetKey key; ReadCommonForm(text, key)) {
        DesignationReading& reading = r.Readings.emplace_back();
        reading.Key = key;
        if (withPublished) reading.Published = *PublishedSheetOf(key);
        return r;
    }
    std::size_t from = 0, to = text.size();
    TrimBlanks(text, from, to);
    if (from == to) {
        r.Error = Error(from, "the text is empty", "текст пуст");
        return r;
    }

    // Members in full joined by "_" or "+", as scan archives name their files.
    const std::string_view body = text.substr(from, to - from);
    if (body.find('_') == std::string_view::npos && body.find('+') == std::string_view::npos) {
        Member m;
        Candidates cs;
        bool digitNotation = false;
        if (!ParseMember(text, from, to, m, r.Error)) return r;
        ReadMember(m, cs, digitNotation);
        if (cs.count == 0)
            r.Error = std::move(cs.error);
        else
            PublishAll(cs, digitNotation, withPublished, from, r);
        return r;
    }
    std::array<std::pair<std::size_t, std::size_t>, kMaxItems> span;
    int members = 0;
    for (std::size_t b = from, i = from;; ++i) {
        if (i == to || text[i] == '_' || text[i] == '+') {
            if (members == kMaxItems) {
                r.Error = Error(b, "a published sheet joins at most four sheets",
                                "в совместном листе не больше четырёх листов");
                return r;
            }
            span[static_cast<std::size_t>(members++)] = {b, i};
            if (i == to) break;
            b = i + 1;
        }
    }

    ReadJoinedMembers(text, from, {span.data(), static_cast<std::size_t>(members)}, withPublished,
                      r);
    return r;
}

} // namespace kavu
