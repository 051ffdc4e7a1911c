// Recognition and stepping of the sheet-number field, without a screen.
#include "controls/ctlNNNN/ctlNNNNLogic.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kavu {
namespace {

struct Recorder : ctlNNNNLogic::Host {
    std::vector<std::string> log;
    std::string box;
    void Flash() override { log.push_back("flash"); }
    void Show(const std::string& text) override { box = text; }
    void Changed(int v) override { log.push_back("change " + std::to_string(v)); }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
};

using Log = std::vector<std::string>;

struct Box {
    Recorder rec;
    ctlNNNNLogic core{&rec};
    explicit Box(int view) {
        core.setView(view);
        core.Reset();
    }
    void Type(const std::string& text) {
        core.Edit(text);
        rec.Take();
    }
    // Steps once and tells what the box then shows and holds.
    std::string Step(int d) {
        core.Step(d);
        return rec.box + " " + std::to_string(core.value()) + " " +
               std::to_string(BoxScale[static_cast<std::size_t>(core.View())]);
    }
};

// What each box should accept, written out from the forms of each part rather than from the
// label tables: text -> (value, scale).
std::string Padded(int i, int width) {
    std::string s = std::to_string(i);
    return std::string(width > static_cast<int>(s.size()) ? width - s.size() : 0, '0') + s;
}
std::string Roman(int i) {
    std::string s(static_cast<std::size_t>(i / 10), 'X');
    static const char* units[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
    return s + units[i % 10];
}
const char* const kCyrillic[] = {"", "\u0410", "\u0411", "\u0412", "\u0413"};

std::map<std::string, std::pair<int, int>> Expected(int view) {
    std::map<std::string, std::pair<int, int>> m{{"", {0, 0}}};
    auto add = [&m](const std::string& t, int v, int scale) { m.emplace(t, std::pair{v, scale}); };
    switch (view) {
    case 1:
        add("0", 0, 0);
        for (int i = 1; i <= 21; ++i) {
            add(std::to_string(i), i, 1);
            add(Padded(i, 2), i, 1);
            add(std::string(1, static_cast<char>('A' + i - 1)), i, 1);
        }
        break;
    case 2:
        add("0", 0, 0);
        for (int i = 1; i <= 60; ++i) {
            add(std::to_string(i), i, 1);
            add(Padded(i, 2), i, 1);
        }
        break;
    case 3:
        add("0", 0, 0);
        add("00", 0, 0);
        for (int i = 1; i <= 4; ++i) {
            add(std::to_string(i), i, 2);
            add(kCyrillic[i], i, 2);
        }
        for (int i = 1; i <= 36; ++i) {
            add(Padded(i, 2), i, 3);
            add(Roman(i), i, 3);
        }
        for (int i = 1; i <= 144; ++i)
            add(Padded(i, 3), i, 4);
        break;
    default:
        for (int i = 1; i <= 4; ++i) {
            add(std::to_string(i), i, 5);
            add(kCyrillic[i], i, 5);
        }
        break;
    }
    return m;
}

TEST(ctlNNNNLogic, EveryShortTextIsRecognisedOrUndone) {
    // Typed symbol and its upper case: every digit, the Latin letters that matter (the ends of
    // the rows, the Roman digits, letters past the rows) in both cases, the first Cyrillic
    // letters and one past them in both cases, and a blank.
    std::vector<std::pair<std::string, std::string>> symbols;
    for (char c = '0'; c <= '9'; ++c)
        symbols.emplace_back(std::string(1, c), std::string(1, c));
    for (char c : std::string("ABIUVX"))
        symbols.emplace_back(std::string(1, c), std::string(1, c));
    for (char c : std::string("aiuvx"))
        symbols.emplace_back(std::string(1, c), std::string(1, static_cast<char>(c - 32)));
    for (const char* c : {"\u0410", "\u0413", "\u0414"})
        symbols.emplace_back(c, c);
    symbols.emplace_back("\u0431", "\u0411");
    symbols.emplace_back("\u0433", "\u0413");
    symbols.emplace_back(" ", " ");

    for (int view = 1; view <= 4; ++view) {
        const auto expected = Expected(view);
        std::size_t accepted = 0;
        std::vector<std::pair<std::string, std::string>> texts{{"", ""}};
        for (int len = 1; len <= 4; ++len) {
            std::vector<std::pair<std::string, std::string>> longer;
            for (const auto& [typed, upper] : texts)
                for (const auto& [s, su] : symbols)
                    longer.emplace_back(typed + s, upper + su);
            for (const auto& [typed, upper] : longer) {
                const SheetPart got = ctlNNNNLogic::Recognise(ctlNNNNLogic::UpperCase(typed), view);
                const auto it = expected.find(upper);
                ASSERT_EQ(got.accepted, it != expected.end()) << view << " '" << typed << "'";
                if (!got.accepted) continue;
                ++accepted;
                ASSERT_EQ(got.value, it->second.first) << view << " '" << typed << "'";
                ASSERT_EQ(got.scale, it->second.second) << view << " '" << typed << "'";
            }
            texts = std::move(longer);
        }
        EXPECT_GT(accepted, 0u);
    }
}

TEST(ctlNNNNLogic, UpperCaseTouchesOnlyLatinAndCyrillicLetters) {
    EXPECT_EQ(ctlNNNNLogic::UpperCase("az AZ 09 xii"), "AZ AZ 09 XII");
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\u0430\u0431\u0432\u0433\u043f\u0440\u044f"),
              "\u0410\u0411\u0412\u0413\u041f\u0420\u042f");
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\u0451\u0450\u045f"), "\u0401\u0400\u040f");
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\u0410\u042f"), "\u0410\u042f");
    // Letters outside both alphabets stay, so a dotless i or a long s is no Roman I or row S.
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\u0131\u017f\u00e9"), "\u0131\u017f\u00e9");
    // Broken UTF-8 goes through as it is.
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\xd0"), "\xd0");
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\xd1z"), "\xd1Z");
}

TEST(ctlNNNNLogic, BoxThreeStepsThroughItsThreeScales) {
    std::vector<std::string> order;
    for (int i = 1; i <= 4; ++i)
        order.push_back(std::to_string(i) + " " + std::to_string(i) + " 2");
    for (int i = 1; i <= 36; ++i)
        order.push_back(Padded(i, 2) + " " + std::to_string(i) + " 3");
    for (int i = 1; i <= 144; ++i)
        order.push_back(Padded(i, 3) + " " + std::to_string(i) + " 4");

    Box box(3);
    for (const auto& expected : order) {
        ASSERT_EQ(box.Step(+1), expected);
        ASSERT_EQ(box.rec.Take(), Log({"change " + std::to_string(box.core.value())}));
    }
    EXPECT_EQ(box.Step(+1), "144 144 4");
    EXPECT_EQ(box.rec.Take(), Log({"flash"}));
    for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
        ASSERT_EQ(box.Step(-1), *it);
        ASSERT_EQ(box.rec.Take().size(), 1u);
    }
    EXPECT_EQ(box.Step(-1), " 0 0");
    EXPECT_EQ(box.rec.Take(), Log({"change 0"}));
    EXPECT_EQ(box.Step(-1), " 0 0");
    EXPECT_EQ(box.rec.Take(), Log({"flash"}));
}

TEST(ctlNNNNLogic, SteppingKeepsTheTypedForm) {
    struct Case {
        int view;
        std::string typed;
        int d;
        std::string after;
    };
    const std::vector<Case> cases{
        {1, "01", +1, "2 2 1"},
        {1, "b", +1, "C 3 1"},
        {1, "A", -1, " 0 0"},
        {1, "T", +1, "U 21 1"},
        {1, "u", +1, "U 21 1"}, // flashes
        {1, "21", +1, "21 21 1"},
        {1, "0", +1, "1 1 1"},
        {2, "5", +1, "6 6 1"},
        {2, "05", +1, "6 6 1"},
        {2, "60", +1, "60 60 1"},
        {2, "1", -1, " 0 0"},
        {3, "\u0433", +1, "01 1 3"},
        {3, "\u0411", +1, "\u0412 3 2"},
        {3, "\u0411", -1, "\u0410 1 2"},
        {3, "\u0410", -1, " 0 0"},
        {3, "xii", +1, "XIII 13 3"},
        {3, "XII", -1, "XI 11 3"},
        {3, "XXXVI", +1, "001 1 4"},
        {3, "I", -1, "4 4 2"},
        {3, "12", +1, "13 13 3"},
        {3, "12", -1, "11 11 3"},
        {3, "00", +1, "1 1 2"},
        {3, "001", -1, "36 36 3"},
        {3, "01", -1, "4 4 2"},
        {4, "\u0413", +1, "\u0413 4 5"},
        {4, "\u0410", -1, " 0 0"},
        {4, "\u0430", +1, "\u0411 2 5"},
        {4, "3", +1, "4 4 5"},
    };
    for (const auto& c : cases) {
        Box box(c.view);
        box.Type(c.typed);
        EXPECT_EQ(box.Step(c.d), c.after) << c.view << " " << c.typed << " " << c.d;
    }
}

TEST(ctlNNNNLogic, RefusedStepsAndEditsFlash) {
    // A step beyond the ends: a flash, nothing else.
    Box box(4);
    EXPECT_EQ(box.Step(-1), " 0 0");
    EXPECT_EQ(box.rec.Take(), Log({"flash"}));
    box.Type("4");
    EXPECT_EQ(box.Step(+1), "4 4 5");
    EXPECT_EQ(box.rec.Take(), Log({"flash"}));
    // "0" is no quarter: undone, Change with the restored value.
    box.core.Edit("0");
    EXPECT_EQ(box.rec.Take(), Log({"flash", "change 4"}));
    EXPECT_EQ(box.rec.box, "4");
    // A Latin A in a box of Cyrillic letters.
    box.core.Edit("A");
    EXPECT_EQ(box.rec.Take(), Log({"flash", "change 4"}));

    Box row(1);
    for (const char* bad : {"22", "021", "00", "V", "1 "}) {
        row.Type("u");
        row.core.Edit(bad);
        EXPECT_EQ(row.rec.Take(), Log({"flash", "change 21"})) << bad;
        EXPECT_EQ(row.rec.box, "U");
    }
    Box column(2);
    column.core.Edit("61");
    EXPECT_EQ(column.rec.Take(), Log({"flash", "change 0"}));
    column.core.Edit("0");
    EXPECT_EQ(column.rec.Take(), Log({"change 0"}));
    EXPECT_EQ(column.rec.box, "0");
}

TEST(ctlNNNNLogic, KeysWheelResetAndView) {
    Box box(2);
    box.Type("10");
    for (auto [key, value] : std::vector<std::pair<int, int>>{
             {38, 11}, {39, 12}, {40, 11}, {37, 10}, {33, 10}, {34, 10}, {13, 10}}) {
        EXPECT_EQ(box.core.Key(key), key >= 37) << key;
        EXPECT_EQ(box.core.value(), value) << key;
    }
    box.core.Wheel(0);
    EXPECT_EQ(box.core.value(), 10);
    box.core.Wheel(+3); // one step, whatever the size
    EXPECT_EQ(box.core.value(), 11);
    box.rec.Take();

    box.core.Reset();
    EXPECT_EQ(box.rec.box, "");
    EXPECT_EQ(box.core.value(), 0);
    EXPECT_EQ(BoxScale[2], 0);
    EXPECT_TRUE(box.rec.Take().empty());

    // Each box writes only its own entry.
    Box b1(1), b3(3), b4(4);
    b1.Type("N");
    b3.Type("xii");
    b4.Type("\u0432");
    EXPECT_EQ(BoxScale[1], 1);
    EXPECT_EQ(BoxScale[2], 0);
    EXPECT_EQ(BoxScale[3], 3);
    EXPECT_EQ(BoxScale[4], 5);

    EXPECT_FALSE(b1.core.setView(0));
    EXPECT_FALSE(b1.core.setView(5));
    EXPECT_EQ(b1.core.View(), 1);
    // A box whose View changes under a text it cannot hold empties on the next refused edit
    // instead of looking for a valid text for ever.
    b1.core.setView(4);
    b1.core.Edit("X");
    EXPECT_EQ(b1.rec.Take(), Log({"flash", "change 0"}));
    EXPECT_EQ(b1.rec.box, "");
}

} // namespace
} // namespace kavu
