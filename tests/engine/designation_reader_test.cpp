// The designation reader against spellings generated from keys: every separator, case,
// letter-form, padding and southern-mark variant at all seven scales, the joined names of
// published sheets, and corrupted spellings that must fail with the right reason.
#include "engine/neighbours.h"
#include "engine/readers.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

using namespace kavu;

namespace {

// How one spelling is written. Each field is an index into the variants of its dimension.
struct Style {
    bool digits = false; // digit notation
    int mark = 0;        // north: "" or " "; south: "s ", "x", "X", "x ", "X "
    int sep = 0;         // "-", en dash, em dash, blank, "."
    bool lower = false;
    bool cyrillicRow = false; // the look-alike, where the row letter has one
    bool rowJoined = false;   // no separator after the row letter
    bool padColumn = false;
    int part = 0;    // 500k: Cyrillic, Latin, digit; 200k: Roman, 2 digits; 100k: plain, 3 digits
    int quarter = 0; // 50k and 25k: Cyrillic, Latin, digit
    bool blanks = false; // surrounding blanks

    // The window's own spelling in its notation.
    bool Own() const { return digits || (!cyrillicRow && part == 0 && quarter == 0); }
};

constexpr std::array<const char*, 5> kSep{"-", "–", "—", " ", "."};
constexpr std::array<const char*, 5> kSouth{"s ", "x", "X", "x ", "X "};
// Cyrillic capitals that look like row letters A B C E H K M O P T.
constexpr std::string_view kLookAlike = "ABCEHKMOPT";
constexpr std::array<const char*, 10> kCyrillicRow{"А", "В", "С", "Е", "Н",
                                                   "К", "М", "О", "Р", "Т"};
constexpr std::array<const char*, 10> kCyrillicRowLower{"а", "в", "с", "е", "н",
                                                        "к", "м", "о", "р", "т"};
constexpr std::array<const char*, 5> kUpperQuarter{"", "А", "Б", "В", "Г"};
constexpr std::array<const char*, 5> kLowerQuarter{"", "а", "б", "в", "г"};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Padded(int v, int width) {
    std::string s = std::to_string(v);
    return std::string(static_cast<std::size_t>(std::max(0, width - int(s.size()))), '0') + s;
}

// Letter `q` (1..4) in the style's form: Cyrillic capital/small, Latin, or the digit.
std::string Quarter(int q, int form, bool small, bool lower) {
    if (form == 2) return std::to_string(q);
    if (form == 1) {
        const std::string s(1, static_cast<char>('A' + q - 1));
        return lower || small ? Lower(s) : s;
    }
    return lower || small ? kLowerQuarter[q] : kUpperQuarter[q];
}

std::string Row(const SheetKey& k, const Style& s) {
    if (s.digits) return std::to_string(k.Row);
    const char letter = static_cast<char>('A' + k.Row - 1);
    const auto look = kLookAlike.find(letter);
    if (s.cyrillicRow && look != std::string_view::npos)
        return s.lower ? kCyrillicRowLower[look] : kCyrillicRow[look];
    return s.lower ? std::string(1, static_cast<char>(letter - 'A' + 'a')) : std::string(1, letter);
}

// The fields after the row, as `Spell` writes them; level 1 column .. 5 quarter of 1:25,000.
std::string Field(const SheetKey& k, int level, const Style& s) {
    switch (level) {
    case 1:
        return s.padColumn ? Padded(k.Column, 2) : std::to_string(k.Column);
    case 2:
        if (s.digits) return Padded(k.SubSheet, k.Scale == 2 ? 1 : k.Scale == 3 ? 2 : 3);
        if (k.Scale == 2) return Quarter(k.SubSheet, s.part, false, s.lower);
        if (k.Scale == 3) {
            const std::string roman(RomanText(k.SubSheet));
            return s.part == 1 ? Padded(k.SubSheet, 2) : s.lower ? Lower(roman) : roman;
        }
        return s.part == 1 ? Padded(k.SubSheet, 3) : std::to_string(k.SubSheet);
    case 3:
        return s.digits ? std::to_string(k.Quarter) : Quarter(k.Quarter, s.quarter, false, s.lower);
    case 4:
        return s.digits ? std::to_string(k.Quarter25)
                        : Quarter(k.Quarter25, s.quarter, true, s.lower);
    default:
        return std::to_string(k.Quarter10);
    }
}

int Fields(int scale) {
    return scale == 1 ? 2 : scale <= 4 ? 3 : scale - 1;
}

std::string Prefix(const SheetKey& k, const Style& s) {
    std::string t = s.blanks ? "  " : "";
    if (k.Hemisphere == 'S') return t + kSouth[static_cast<std::size_t>(s.mark % 5)];
    return t + (s.mark % 2 ? " " : "");
}

// One member in full; `from` > 1 writes only the trailing fields from that level, as the
// later items of a comma list.
std::string Spell(const SheetKey& k, const Style& s, int from = 0) {
    std::string t = from == 0 ? Prefix(k, s) + Row(k, s) : "";
    for (int level = std::max(from, 1); level < Fields(k.Scale); ++level) {
        if (level > from) t += level == 1 && s.rowJoined && !s.digits ? "" : kSep[s.sep];
        t += Field(k, level, s);
    }
    return t + (s.blanks && from == 0 ? " " : "");
}

// Readings a spelling must have: a lettered part of digits reads at every scale whose number
// forms it fits (1..144 at 1:100,000, one digit 1..4 at 1:500,000, two digits 01..36 at
// 1:200,000); anything else has one reading.
int ExpectedReadings(const SheetKey& k, const Style& s) {
    if (s.digits || k.Scale == 1 || k.Scale > 4) return 1;
    const std::string part = Field(k, 2, s);
    if (part[0] < '0' || part[0] > '9') return 1;
    const int v = std::stoi(part);
    return (part.size() <= 3 && v <= 144) + (part.size() == 1 && v <= 4) +
           (part.size() == 2 && v <= 36);
}

// Every style for a key's scale. A small "s" and a blank is the southern mark, so the row S of
// the north is not written that way.
std::vector<Style> Styles(const SheetKey& k) {
    std::vector<Style> all;
    const int parts = k.Scale == 2 ? 3 : k.Scale == 3 || k.Scale >= 4 ? 2 : 1;
    const int quarters = k.Scale == 5 || k.Scale == 6 || k.Scale == 7 ? 3 : 1;
    const int marks = k.Hemisphere == 'S' ? 5 : 2;
    for (int d = 0; d < 2; ++d)
        for (int m = 0; m < marks; ++m)
            for (int sep = 0; sep < 5; ++sep)
                for (int low = 0; low < 2; ++low)
                    for (int cyr = 0; cyr < 2 - d; ++cyr)
                        for (int join = 0; join < 2 - d; ++join)
                            for (int pad = 0; pad < 2; ++pad)
                                for (int p = 0; p < (d ? 1 : parts); ++p)
                                    for (int q = 0; q < (d ? 1 : quarters); ++q) {
                                        if (k.Hemisphere == 'N' && k.Row == 19 && !d && low &&
                                            !join && sep == 3)
                                            continue;
                                        all.push_back({d == 1, m, sep, low == 1, cyr == 1,
                                                       join == 1, pad == 1, p, q,
                                                       (sep + m) % 3 == 0});
                                    }
    return all;
}

SheetKey RandomKey(int scale, std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    SheetKey k;
    k.Scale = scale;
    k.Hemisphere = pick(0, 1) ? 'S' : 'N';
    k.Row = pick(1, 21);
    k.Column = pick(1, 60);
    k.SubSheet = scale == 1 ? 0 : pick(1, scale == 2 ? 4 : scale == 3 ? 36 : 144);
    k.Quarter = scale >= 5 ? pick(1, 4) : 0;
    k.Quarter25 = scale >= 6 ? pick(1, 4) : 0;
    k.Quarter10 = scale == 7 ? pick(1, 4) : 0;
    return k;
}

bool HasReading(const DesignationResult& r, const SheetKey& k) {
    for (const DesignationReading& x : r.Readings)
        if (!x.Joined && x.Key == k) return true;
    return false;
}

class EveryScale : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(EveryScale, EverySpellingOfASampleOfKeysReadsBack) {
    std::mt19937 rng(GetParam());
    for (int n = 0; n < 12; ++n) {
        const SheetKey k = RandomKey(GetParam(), rng);
        for (const Style& s : Styles(k)) {
            const std::string text = Spell(k, s);
            const DesignationResult r = ReadDesignation(text);
            ASSERT_TRUE(HasReading(r, k)) << "“" << text << "”: " << r.Error.English;
            ASSERT_EQ(static_cast<int>(r.Readings.size()), ExpectedReadings(k, s)) << text;
            if (s.Own()) {
                ASSERT_EQ(r.Readings[0].Key, k) << text;
            }
            const PublishedSheet& p = r.Readings[0].Published;
            ASSERT_TRUE(p.Count >= 1 && p.Count <= 4) << text;
        }
    }
}

// Joined names: every published sheet met in a sample reads back from its comma list and from
// its members in full joined by "_" or "+"; swapping its last member for the next sheet east
// of the group is an error that says the sheets are not published together.
TEST_P(EveryScale, PublishedSheetsReadBackAndFalseGroupsAreRejected) {
    std::mt19937 rng(100 + GetParam());
    int joined = 0;
    for (int n = 0; n < 400; ++n) {
        SheetKey k = RandomKey(GetParam(), rng);
        k.Row = 16 + n % 6;
        const auto p = PublishedSheetOf(k);
        ASSERT_TRUE(p);
        const Style s{n % 2 == 0, n % 5, n % 3, n % 3 == 0, false, false, false, 0, 0, false};
        const DesignationResult single = ReadDesignation(Spell(k, s));
        ASSERT_TRUE(HasReading(single, k)) << Spell(k, s) << ": " << single.Error.English;
        if (!p->Joined()) continue;
        ++joined;
        std::string comma = Spell(p->Members[0], s), full = comma;
        for (int i = 1; i < p->Count; ++i) {
            const SheetKey& a = p->Members[static_cast<std::size_t>(i - 1)];
            const SheetKey& b = p->Members[static_cast<std::size_t>(i)];
            int from = 1; // the first field in which b differs from a
            while (from < Fields(b.Scale) - 1 && Field(a, from, s) == Field(b, from, s))
                ++from;
            comma += "," + Spell(b, s, from);
            full += (i % 2 ? "_" : "+") + Spell(b, s);
        }
        for (const std::string& text : {comma, full}) {
            const DesignationResult r = ReadDesignation(text);
            ASSERT_TRUE(r.Ok()) << text << ": " << r.Error.English;
            EXPECT_TRUE(r.Readings[0].Joined) << text;
            EXPECT_EQ(r.Readings[0].Key, p->Members[0]) << text;
            const PublishedSheet& got = r.Readings[0].Published;
            ASSERT_EQ(got.Count, p->Count) << text;
            for (int i = 0; i < p->Count; ++i)
                EXPECT_EQ(got.Members[static_cast<std::size_t>(i)],
                          p->Members[static_cast<std::size_t>(i)])
                    << text;
        }
        // The sheet east of the group's last member is never in the group.
        const SheetKey east = StepEast(p->Members[static_cast<std::size_t>(p->Count - 1)]);
        std::string wrong = Spell(p->Members[0], s);
        for (int i = 1; i < p->Count; ++i)
            wrong +=
                "+" + Spell(i + 1 == p->Count ? east : p->Members[static_cast<std::size_t>(i)], s);
        const DesignationResult r = ReadDesignation(wrong);
        ASSERT_FALSE(r.Ok()) << wrong;
        EXPECT_EQ(r.Error.English.rfind("these sheets are not published together: ", 0), 0u)
            << wrong << ": " << r.Error.English;
    }
    EXPECT_EQ(joined > 0, GetParam() != 7);
}

INSTANTIATE_TEST_SUITE_P(Readers, EveryScale, ::testing::Range(1, 8));

namespace {

// Each reading as "scale:designation", joined names marked with "+".
std::string Describe(const DesignationResult& r) {
    std::string out;
    for (const DesignationReading& x : r.Readings) {
        out += out.empty() ? "" : " ";
        out += std::to_string(x.Key.Scale) + (x.Joined ? "+:" : ":") +
               (x.Joined ? x.Published.Old : FormatSheetOld(x.Key));
    }
    return r.Ok() ? out : "error: " + r.Error.English;
}

} // namespace

TEST(DesignationReader, AmbiguousTextsGiveEveryReadingTheWindowsOwnFirst) {
    EXPECT_EQ(Describe(ReadDesignation("N-37-1")), "4: N-37-1 2: N-37-А");
    EXPECT_EQ(Describe(ReadDesignation("N-37-12")), "4: N-37-12 3: N-37-XII");
    EXPECT_EQ(Describe(ReadDesignation("N-37-012")), "4: N-37-12");
    EXPECT_EQ(Describe(ReadDesignation("14-37-1")), "2: N-37-А");
    EXPECT_EQ(Describe(ReadDesignation("S-53-16")), "4: S-53-16 3: S-53-XVI");
    EXPECT_EQ(Describe(ReadDesignation("s53-016")), "4: S-53-16");
    EXPECT_EQ(Describe(ReadDesignation("s 9-34-13")), "3:s I-34-XIII");
    EXPECT_EQ(Describe(ReadDesignation(" P-37-3,4")), "4+: P-37-3,4 2+: P-37-В,Г");
    EXPECT_EQ(Describe(ReadDesignation("R01-03_R01-04")), "3+: R-1-III,IV 4+: R-1-3,4");
    EXPECT_EQ(Describe(ReadDesignation("T57-25_T57-26_T57-27")), "3+: T-57-XXV,XXVI,XXVII");
    EXPECT_EQ(Describe(ReadDesignation("P-37-1+P-37-2")), "4+: P-37-1,2 2+: P-37-А,Б");
}

// Spellings of a sample of keys with one field replaced by a value out of its range: the
// reason names the field, the value and the range, at the field's byte offset.
TEST(DesignationReader, CorruptedSpellingsFailWithTheirReason) {
    struct Case {
        const char* before; // text up to the corrupted field
        const char* field;  // kind in the reason
        std::vector<std::string> values;
        const char* range;
    };
    std::vector<std::string> columns{"0", "00"}, rows{"0", "22", "99"}, digit1{"0", "5", "9"},
        digit2{"00", "37", "99"}, number{"0", "145", "999"}, roman{"XXXVII", "xxxviii", "XXXIX"},
        quarter{"0", "5", "9"}, cyr{"Д", "Е", "я"}, lat{"E", "f", "Z"};
    for (int c = 61; c < 100; ++c)
        columns.push_back(std::to_string(c));
    const std::vector<Case> cases{
        {" N-", "column", columns, "1–60"},
        {" 14-", "column", columns, "1–60"},
        {" ", "row", rows, "1–21"},
        {" 14-37-", "part", digit1, "1–4"},
        {" 14-37-", "part", digit2, "01–36"},
        {" 14-37-", "part", {"000", "145", "999"}, "001–144"},
        {" N-37-", "part", number, "1–144"},
        {" N-37-", "part", roman, "I–XXXVI"},
        {" N-37-", "part", cyr, "А–Г"},
        {" N-37-", "part", {"e", "F", "Z"}, "A–D"},
        {" N-37-4-", "quarter", quarter, "1–4"},
        {" N-37-4-", "quarter", cyr, "А–Г"},
        {" N-37-4-", "quarter", lat, "A–D"},
        {" N-37-4-В-", "quarter", quarter, "1–4"},
        {" N-37-4-В-", "quarter", {"д", "Е", "я"}, "а–г"},
        {" N-37-4-В-", "quarter", {"e", "F", "z"}, "a–d"},
        {" N-37-4-В-а-", "quarter", {"0", "5", "а", "A"}, "1–4"},
        {" 14-37-004-", "quarter", {"0", "5", "В"}, "1–4"},
        {" 14-37-004-3-1-", "quarter", quarter, "1–4"},
    };
    for (const Case& c : cases)
        for (const std::string& v : c.values)
            for (const char* after : {"", "-1"}) {
                std::string text = c.before + v;
                const bool last = std::string_view(c.field) == "quarter" || after[0] == 0;
                if (!last && std::string_view(c.before) == " ") text += "-37";
                const DesignationResult r = ReadDesignation(text);
                ASSERT_FALSE(r.Ok()) << text;
                EXPECT_EQ(r.Error.English,
                          std::string(c.field) + " " + v + " is outside " + c.range)
                    << text;
                EXPECT_EQ(r.Error.Position, std::string_view(c.before).size()) << text;
            }
    // Letters past U and Cyrillic capitals that look like none of A..U.
    for (const std::string letter : {"V", "w", "Y", "z", "Б", "Г", "Д", "ж", "Я"})
        for (const std::string tail : {"-37", "37-004-3", " 37"}) {
            const std::string text = letter + tail;
            const DesignationResult r = ReadDesignation(text);
            EXPECT_EQ(r.Error.English, "no row letter " + letter + " in the series") << text;
            EXPECT_EQ(r.Error.Russian, "в разграфке нет ряда " + letter) << text;
        }
    EXPECT_EQ(ReadDesignation("X-37").Error.English, "no row letter X in the series");
    EXPECT_EQ(ReadDesignation("N-37-4-В-а-2-1").Error.English,
              "nothing may follow the 1:10,000 quarter");
    EXPECT_EQ(ReadDesignation("N-37-А-1").Error.English,
              "nothing may follow part А of a 1:500,000 sheet");
    EXPECT_EQ(ReadDesignation(" P-37,39").Error.English,
              "these sheets are not published together: P-37 is part of P-37,38");
    EXPECT_EQ(ReadDesignation(" O-37,38").Error.Russian,
              "эти листы не издаются вместе: O-37 издаётся отдельно");
    EXPECT_EQ(ReadDesignation("N37А").Error.English, "a separator is missing before “А”");
    EXPECT_EQ(ReadDesignation("N-37 # 1").Error.Position, 5u);
}
