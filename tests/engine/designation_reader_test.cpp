// The designation reader against spellings generated from keys: every separator, case,
// letter-form, padding and southern-mark variant at all seven scales, the joined names of
// published sheets, and corrupted spellings that must fail with the right reason.
#include "engine/neighbours.h"
#include "engine/readers.h"
#include "sheets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

using namespace kavu;
using kavu::test::ForEachSheet;
using kavu::test::Padded;
using kavu::test::SheetCount;

namespace {

// One way of writing a designation; each member picks a variant of its dimension.
struct Style {
    bool digits;    // digit notation
    int mark;       // north: "", " "; south: "s ", "x", "X", "x ", "X "
    int sep;        // kSep
    bool lower;     // every letter small
    bool lookAlike; // the Cyrillic row letter, where one looks the same
    bool rowJoined; // no separator after the row letter
    bool pad;       // column with a leading zero; 1:100,000 number in three digits
    int form;       // parts and quarters: 0 the window's, 1 Latin letters, 2 digits
    bool Own() const { return digits || (!lookAlike && form == 0); }
};

constexpr std::array<const char*, 5> kSep{"-", "–", "—", " ", "."};
constexpr std::array<const char*, 5> kSouth{"s ", "x", "X", "x ", "X "};
constexpr std::string_view kLatinLike = "ABCEHKMOPT";
constexpr std::array<const char*, 10> kCyrillicLike{"А", "В", "С", "Е", "Н",
                                                    "К", "М", "О", "Р", "Т"};
constexpr std::array<const char*, 5> kCyrillic{"", "А", "Б", "В", "Г"};

// Latin and Cyrillic А..Я made small.
std::string Lower(std::string s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto& c = reinterpret_cast<unsigned char&>(s[i]);
        if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        if (c != 0xD0 || i + 1 == s.size()) continue;
        auto& d = reinterpret_cast<unsigned char&>(s[++i]);
        if (d >= 0x90 && d <= 0x9F) d = static_cast<unsigned char>(d + 0x20);
        if (d >= 0xA0 && d <= 0xAF) c = 0xD1, d = static_cast<unsigned char>(d - 0x20);
    }
    return s;
}

// Fields by level: 0 row, 1 column, 2 part, 3..5 quarters of 1:100,000, 1:50,000, 1:25,000.
std::string Field(const SheetKey& k, int level, const Style& s) {
    const std::array<int, 6> v{k.Row, k.Column, k.SubSheet, k.Quarter, k.Quarter25, k.Quarter10};
    const int x = v[static_cast<std::size_t>(level)];
    const bool letters =
        !s.digits && s.form < 2 && (level == 3 || level == 4 || (level == 2 && k.Scale == 2));
    if (level == 0 && !s.digits) {
        const auto like = kLatinLike.find(static_cast<char>('A' + x - 1));
        if (s.lookAlike && like != std::string_view::npos) return kCyrillicLike[like];
        return std::string(RowLetter(x));
    }
    // The window writes the 1:25,000 quarter small; the padded styles try it capital.
    if (letters && s.form == 0 && level == 4 && !s.pad) return Lower(kCyrillic[x]);
    if (letters) return s.form == 1 ? std::string(1, static_cast<char>('A' + x - 1)) : kCyrillic[x];
    if (level == 1) return s.pad ? Padded(x, 2) : std::to_string(x);
    if (level != 2 || k.Scale == 2) return std::to_string(x);
    if (s.digits) return Padded(x, k.Scale == 3 ? 2 : 3);
    if (k.Scale == 3) return s.form == 0 ? std::string(RomanText(x)) : Padded(x, 2);
    return s.pad ? Padded(x, 3) : std::to_string(x);
}

int Fields(int scale) {
    return scale == 1 ? 2 : scale <= 4 ? 3 : scale - 1;
}

// One sheet in full.
std::string Spell(const SheetKey& k, const Style& s) {
    const char* mark = k.Hemisphere == 'S' ? kSouth[static_cast<std::size_t>(s.mark % 5)]
                       : s.mark % 2        ? " "
                                           : "";
    std::string t = mark + Field(k, 0, s);
    for (int level = 1; level < Fields(k.Scale); ++level) {
        t += level == 1 && s.rowJoined && !s.digits ? "" : kSep[s.sep];
        t += Field(k, level, s);
    }
    return s.lower ? Lower(t) : t;
}

// A group's name: its first member in full, then each further one from the first field in which
// it differs from the one before.
std::string Joined(const PublishedSheet& p, const Style& s) {
    std::string t = Spell(p.Members[0], s);
    for (std::size_t i = 1; i < static_cast<std::size_t>(p.Count); ++i) {
        int from = 0;
        while (Field(p.Members[i - 1], from, s) == Field(p.Members[i], from, s))
            ++from;
        for (int level = from; level < Fields(p.Members[i].Scale); ++level)
            t += (level == from ? "," : kSep[s.sep]) + Field(p.Members[i], level, s);
    }
    return t;
}

// A lettered part of digits reads at every scale whose number forms it fits: 1..144 at
// 1:100,000, one digit 1..4 at 1:500,000, two digits 01..36 at 1:200,000; "01".."09" only at
// 1:200,000 (no notation pads a 1:100,000 number to two digits).
int ExpectedReadings(const SheetKey& k, const Style& s) {
    if (s.digits || k.Scale == 1 || k.Scale > 4) return 1;
    const std::string part = Field(k, 2, s);
    if (part[0] < '0' || part[0] > '9') return 1;
    const int v = std::stoi(part);
    return (part.size() <= 3 && v <= 144 && !(part.size() == 2 && v < 10)) +
           (part.size() == 1 && v <= 4) + (part.size() == 2 && v <= 36);
}

class EveryScale : public ::testing::TestWithParam<int> {};

} // namespace

// Every style of a sample of keys.
TEST_P(EveryScale, EverySpellingOfASampleOfKeysReadsBack) {
    ForEachSheet(GetParam(), SheetCount(GetParam()) / 8 | 1, [](const SheetKey& k) {
        for (int code = 0; code < 2 * 5 * 5 * 2 * 2 * 2 * 2 * 3; ++code) {
            int c = code;
            auto next = [&c](int n) {
                const int v = c % n;
                c /= n;
                return v;
            };
            const Style s{next(2) == 1, next(5),      next(5),      next(2) == 1,
                          next(2) == 1, next(2) == 1, next(2) == 1, next(3)};
            // A small "s" and a blank is the southern mark, so the north's row S is not
            // written that way.
            if ((s.digits && (s.lookAlike || s.rowJoined || s.form != 0)) ||
                (k.Hemisphere == 'N' && s.mark > 1) ||
                (k.Hemisphere == 'N' && k.Row == 19 && !s.digits && s.lower && !s.rowJoined &&
                 s.sep == 3))
                continue;
            const std::string text = (s.mark + s.sep) % 3 ? Spell(k, s) : "  " + Spell(k, s) + " ";
            const DesignationResult r = ReadDesignation(text);
            ASSERT_TRUE(std::any_of(r.Readings.begin(), r.Readings.end(),
                                    [&k](auto& x) { return !x.Joined && x.Key == k; }))
                << "“" << text << "”: " << r.Error.English;
            ASSERT_EQ(static_cast<int>(r.Readings.size()), ExpectedReadings(k, s)) << text;
            if (s.Own()) {
                ASSERT_EQ(r.Readings[0].Key, k) << text;
            }
        }
    });
}

// Joined names: every published sheet met in a sample of the northern and southern rows 16-21 reads
// back from its comma lists in both notations and from its members in full joined by "_" or "+";
// swapping its last member for the next sheet east of the group is an error that says the sheets
// are not published together.
TEST_P(EveryScale, PublishedSheetsReadBackAndFalseGroupsAreRejected) {
    int n = 0, joined = 0;
    ForEachSheet(GetParam(), SheetCount(GetParam()) / 1399 | 1, [&](const SheetKey& k) {
        // The window's own spellings are what the formatters write, alone and joined.
        const int own = k.Hemisphere == 'S' ? 0 : 1;
        const Style digits{true, own, 0, false, false, false, false, 0};
        const Style letters{false, own, 0, false, false, false, false, 0};
        const auto p = PublishedSheetOf(k);
        ASSERT_TRUE(p);
        ASSERT_EQ(std::tuple(FormatSheetNew(k), FormatSheetOld(k), p->New, p->Old),
                  std::tuple(Spell(k, digits), Spell(k, letters), Joined(*p, digits),
                             Joined(*p, letters)));
        if (k.Row < 16) return;
        ++n;
        const Style s{n % 2 == 0, n % 5, n % 3, n % 3 == 0, false, false, false, 0};
        if (!p->Joined()) return;
        ++joined;
        std::string full = Spell(p->Members[0], s);
        for (int i = 1; i < p->Count; ++i)
            full += (i % 2 ? "_" : "+") + Spell(p->Members[static_cast<std::size_t>(i)], s);
        for (const std::string& text : {p->New, p->Old, Lower(p->Old), full}) {
            const DesignationResult r = ReadDesignation(text);
            ASSERT_TRUE(r.Ok()) << text << ": " << r.Error.English;
            const DesignationReading& x = r.Readings[0];
            EXPECT_EQ(std::tuple(x.Joined, x.Key, x.Published.Count, x.Published.Members),
                      std::tuple(true, p->Members[0], p->Count, p->Members))
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
    });
    EXPECT_EQ(joined > 0, GetParam() != 7);
}

// The short path for the common forms reads exactly as the general reader does: each text,
// and each with one byte replaced or cut short, is also read with a trailing tab, which only
// the general reader takes.
TEST_P(EveryScale, CommonFormsReadAsTheGeneralReaderDoes) {
    const auto same = [](const std::string& text) {
        const DesignationResult a = ReadDesignation(text, true);
        const DesignationResult b = ReadDesignation(text + "\t", true);
        ASSERT_EQ(a.Readings.size(), b.Readings.size()) << text;
        for (std::size_t i = 0; i < a.Readings.size(); ++i) {
            const DesignationReading &x = a.Readings[i], &y = b.Readings[i];
            ASSERT_EQ(std::tuple(x.Key, x.Joined, x.Published.Members, x.Published.New),
                      std::tuple(y.Key, y.Joined, y.Published.Members, y.Published.New))
                << text;
        }
        ASSERT_EQ(a.Error.English, b.Error.English) << text;
        // An empty text's error stands where the text ends.
        if (a.Error.English != "the text is empty") {
            ASSERT_EQ(a.Error.Position, b.Error.Position) << text;
        }
    };
    const Style forms[] = {{true, 1, 0, false, false, false, false, 0},
                           {false, 0, 0, false, false, false, false, 0},
                           {false, 0, 0, true, false, true, true, 2},
                           {false, 1, 0, false, false, true, false, 1}};
    ForEachSheet(GetParam(), SheetCount(GetParam()) / 397 | 1, [&](const SheetKey& k) {
        for (const Style& s : forms) {
            const std::string text = Spell(k, s);
            same(text);
            for (std::size_t i = 0; i < text.size(); ++i) {
                same(text.substr(0, i));
                for (const char* c : {"0", "5", "9", "-", "x", "Б", "г", " ", ","}) {
                    std::string changed = text;
                    same(changed.replace(i, 1, c));
                }
            }
        }
    });
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
    EXPECT_EQ(Describe(ReadDesignation("S-53-16")), "4: S-53-16 3: S-53-XVI");
    EXPECT_EQ(Describe(ReadDesignation("s53-016")), "4: S-53-16");
    EXPECT_EQ(Describe(ReadDesignation(" P-37-3,4")), "4+: P-37-3,4 2+: P-37-В,Г");
    // Two digits below 10 are the 1:200,000 form; the 1:100,000 reading needs a padding no
    // notation writes, so the name is not ambiguous. One digit, or 10 and above, still is.
    EXPECT_EQ(Describe(ReadDesignation("R01-03_R01-04")), "3+: R-1-III,IV");
    EXPECT_EQ(Describe(ReadDesignation("S-60-06")), "3: S-60-VI");
    EXPECT_EQ(Describe(ReadDesignation("N-37-04")), "3: N-37-IV");
    EXPECT_EQ(Describe(ReadDesignation("f 31 07")), "3: F-31-VII");
    EXPECT_EQ(Describe(ReadDesignation("N-37-4")), "4: N-37-4 2: N-37-Г");
    EXPECT_EQ(Describe(ReadDesignation("N-37-12")), "4: N-37-12 3: N-37-XII");
    EXPECT_EQ(Describe(ReadDesignation("T57-25_T57-26_T57-27")), "3+: T-57-XXV,XXVI,XXVII");
    EXPECT_EQ(Describe(ReadDesignation("P-37-1+P-37-2")), "4+: P-37-1,2 2+: P-37-А,Б");
    // The sweep meets few rows; every Cyrillic look-alike reads as its Latin row letter.
    for (std::size_t i = 0; i < kLatinLike.size(); ++i)
        EXPECT_EQ(Describe(ReadDesignation(kCyrillicLike[i] + std::string("-37"))),
                  "1: " + std::string(1, kLatinLike[i]) + "-37");
}

// Designations with one field replaced by values out of its range, alone and followed by a
// further field: the reason names the field, the value and the range, at the field's offset.
TEST(DesignationReader, CorruptedFieldsFailWithTheirReason) {
    struct Case {
        std::string before, field, values, range, after;
    };
    const std::vector<Case> cases{
        {" N-", "column", "0 00 61 99", "1–60", "-1"},
        {" 14-", "column", "0 00 61 99", "1–60", "-1"},
        {" ", "row", "0 22 99", "1–21", "-37"},
        {" 14-37-", "part", "0 5 9", "1–4", "-1"},
        {" 14-37-", "part", "00 37 99", "01–36", "-1"},
        {" 14-37-", "part", "000 145 999", "001–144", "-1"},
        {" N-37-", "part", "0 145 999", "1–144", "-1"},
        {" N-37-", "part", "XXXVII xxxviii XXXIX", "I–XXXVI", "-1"},
        {" N-37-", "part", "Д Е я", "А–Г", "-1"},
        {" N-37-", "part", "e F Z", "A–D", "-1"},
        {" N-37-4-", "quarter", "0 5 9", "1–4", "-1"},
        {" N-37-4-", "quarter", "Д Е я", "А–Г", "-1"},
        {" N-37-4-", "quarter", "E f Z", "A–D", "-1"},
        {" N-37-4-В-", "quarter", "0 5 9", "1–4", "-1"},
        {" N-37-4-В-", "quarter", "д Е я", "а–г", "-1"},
        {" N-37-4-В-", "quarter", "e F z", "a–d", "-1"},
        {" N-37-4-В-а-", "quarter", "0 5 а A", "1–4", ""},
        {" 14-37-004-", "quarter", "0 5 В", "1–4", "-1"},
        {" 14-37-004-3-1-", "quarter", "0 5 9", "1–4", ""},
    };
    for (const Case& c : cases)
        for (std::size_t b = 0, e = 0; b < c.values.size(); b = e + 1) {
            e = std::min(c.values.find(' ', b), c.values.size());
            const std::string v = c.values.substr(b, e - b);
            for (const std::string& text : {c.before + v, c.before + v + c.after}) {
                const DesignationResult r = ReadDesignation(text);
                ASSERT_FALSE(r.Ok()) << text;
                EXPECT_EQ(r.Error.English, c.field + " " + v + " is outside " + c.range) << text;
                EXPECT_EQ(r.Error.Position, c.before.size()) << text;
            }
        }
    // Letters past U and Cyrillic capitals that look like none of A..U.
    for (const std::string letter : {"V", "w", "Y", "z", "Б", "Г", "Д", "ж", "Я"})
        for (const std::string tail : {"-37", "37-004-3", " 37"}) {
            const std::string text = letter + tail;
            const DesignationResult r = ReadDesignation(text);
            EXPECT_EQ(r.Error.English, "no row letter " + letter + " in the series") << text;
            EXPECT_EQ(r.Error.Russian, "в разграфке нет ряда " + letter) << text;
        }
    for (auto [text, reason] : std::initializer_list<std::pair<const char*, const char*>>{
             {"X-37", "no row letter X in the series"},
             {"N-37-4-В-а-2-1", "nothing may follow the 1:10,000 quarter"},
             {"N-37-А-1", "nothing may follow part А of a 1:500,000 sheet"},
             {" P-37,39", "these sheets are not published together: P-37 is part of P-37,38"},
             {"N37А", "a separator is missing before “А”"},
             {"N-37-", "a field is missing after “-”"},
             {"P-37,-38", "unexpected “-”"}})
        EXPECT_EQ(ReadDesignation(text).Error.English, reason) << text;
    EXPECT_EQ(ReadDesignation(" O-37,38").Error.Russian,
              "эти листы не издаются вместе: O-37 издаётся отдельно");
    EXPECT_EQ(ReadDesignation("N-37 # 1").Error.Position, 5u);
}
