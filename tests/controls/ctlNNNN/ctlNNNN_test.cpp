// The sheet-number box's recognition and stepping core; the window's tests drive the widget.
#include "controls/ctlNNNN/ctlNNNN.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kavu {
namespace {

struct Box : ctlNNNNLogic::Host {
    ctlNNNNLogic core{this};
    std::string log, box;
    explicit Box(int view) {
        core.setView(view);
        core.Reset();
    }
    void Flash() override { log += "flash;"; }
    void Show(const std::string& text) override { box = text; }
    void Changed(int v) override { log += "change " + std::to_string(v) + ";"; }
    // What the box shows, holds and publishes, then what it raised: "XII 12 3 change 12;".
    std::string State() {
        return box + " " + std::to_string(core.value()) + " " +
               std::to_string(BoxScale[static_cast<std::size_t>(core.View())]) + " " +
               std::exchange(log, {});
    }
};

std::string Padded(int i, std::size_t width) {
    const std::string s = std::to_string(i);
    return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

// What each box accepts, written out from the forms of each part rather than from the label
// tables: text -> (value, scale).
std::map<std::string, std::pair<int, int>> Expected(int view) {
    std::map<std::string, std::pair<int, int>> m{{"", {0, 0}}};
    const auto add = [&m](const std::string& t, int v, int s) { m.emplace(t, std::pair{v, s}); };
    const char* const units[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
    const char* const cyrillic[] = {"", "\u0410", "\u0411", "\u0412", "\u0413"};
    if (view != 4) add("0", 0, 0);
    if (view == 3) add("00", 0, 0);
    for (int i = 1; i <= 144; ++i) {
        if ((view == 1 && i <= 21) || (view == 2 && i <= 60)) {
            add(std::to_string(i), i, 1);
            add(Padded(i, 2), i, 1);
        }
        if (view == 1 && i <= 21) add(std::string(1, static_cast<char>('A' + i - 1)), i, 1);
        if (view >= 3 && i <= 4) {
            add(std::to_string(i), i, view == 3 ? 2 : 5);
            add(cyrillic[i], i, view == 3 ? 2 : 5);
        }
        if (view == 3 && i <= 36) {
            add(Padded(i, 2), i, 3);
            add(std::string(static_cast<std::size_t>(i / 10), 'X') + units[i % 10], i, 3);
        }
        if (view == 3) add(Padded(i, 3), i, 4);
    }
    return m;
}

// Every text of up to 4 symbols typed into an empty box: the digits, the Latin letters that
// matter (ends of the rows, Roman digits, a letter past the rows) in both cases, Cyrillic
// letters in and past the quarters in both cases, and a blank.
TEST(ctlNNNNLogic, EveryShortTextIsRecognisedOrUndone) {
    // Typed symbols and their upper case; a Cyrillic letter is two bytes.
    std::vector<std::pair<std::string, std::string>> symbols;
    for (const char* c :
         {"\u0410\u0410", "\u0413\u0413", "\u0414\u0414", "\u0431\u0411", "\u0433\u0413"})
        symbols.emplace_back(std::string(c, 2), std::string(c + 2, 2));
    for (char c : std::string("0123456789ABIUVXaiuvx "))
        symbols.emplace_back(std::string(1, c), std::string(1, static_cast<char>(std::toupper(c))));
    for (int view = 1; view <= 4; ++view) {
        const auto expected = Expected(view);
        BoxScale.fill(0);
        Box b(view);
        std::function<void(const std::string&, const std::string&, int)> visit =
            [&](const std::string& typed, const std::string& upper, int length) {
                if (::testing::Test::HasFatalFailure()) return;
                b.core.Reset();
                b.core.Edit(typed);
                const auto it = expected.find(upper);
                const bool ok = it != expected.end();
                const auto [v, scale] = ok ? it->second : std::pair{0, 0};
                ASSERT_EQ(b.State(), (ok ? upper : "") + " " + std::to_string(v) + " " +
                                         std::to_string(scale) + (ok ? " " : " flash;") +
                                         "change " + std::to_string(v) + ";")
                    << view << " '" << typed << "'";
                ASSERT_EQ(BoxScale[1] + BoxScale[2] + BoxScale[3] + BoxScale[4], scale);
                if (length < 4)
                    for (const auto& [s, su] : symbols)
                        visit(typed + s, upper + su, length + 1);
            };
        visit("", "", 0);
    }
    EXPECT_EQ(ctlNNNNLogic::UpperCase("az\u0430\u043f\u0440\u044f\u0451\u045f\u0410"),
              "AZ\u0410\u041f\u0420\u042f\u0401\u040f\u0410");
    // Other letters stay (a dotless i is no Roman I), and broken UTF-8 goes through as it is.
    EXPECT_EQ(ctlNNNNLogic::UpperCase("\u0131\u017f\u00e9\xd1z\xd0"),
              "\u0131\u017f\u00e9\xd1Z\xd0");
}

TEST(ctlNNNNLogic, BoxThreeStepsFromEmptyTo144AndBackThenViewWheelAndKeys) {
    std::vector<std::string> order{" 0 0"};
    for (int i = 1; i <= 4; ++i)
        order.push_back(std::to_string(i) + " " + std::to_string(i) + " 2");
    for (int i = 1; i <= 36; ++i)
        order.push_back(Padded(i, 2) + " " + std::to_string(i) + " 3");
    for (int i = 1; i <= 144; ++i)
        order.push_back(Padded(i, 3) + " " + std::to_string(i) + " 4");
    Box box(3);
    for (int d : {+1, -1}) {
        for (std::size_t i = 1; i < order.size(); ++i) {
            box.core.Step(d);
            const std::string& next = order[d > 0 ? i : order.size() - 1 - i];
            ASSERT_EQ(box.State(), next + " change " + std::to_string(box.core.value()) + ";");
        }
        box.core.Step(d);
        EXPECT_EQ(box.State(), (d > 0 ? order.back() : order.front()) + " flash;");
    }
    // A View outside 1..4 is refused (it indexes BoxScale); a text that a new View cannot hold
    // goes at the next refused edit; notches and arrow keys step the way they point.
    box.core.Edit("144");
    EXPECT_FALSE(box.core.setView(0) || box.core.setView(5));
    box.core.setView(1);
    box.core.Edit("x");
    EXPECT_EQ(box.State(), " 0 0 change 144;flash;change 0;");
    box.core.Wheel(1);
    std::string values = std::to_string(box.core.value());
    for (int key : {38, 39, 40, 37, 13}) {
        values += box.core.Key(key) ? " " : " -";
        values += std::to_string(box.core.value());
    }
    EXPECT_EQ(values, "1 2 3 2 1 -1");
}

} // namespace
} // namespace kavu
