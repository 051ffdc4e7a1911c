// The position spinner's validation and stepping core; the window's tests drive the widget.
#include "controls/ctlPos/ctlPos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kavu {
namespace {

// A degrees field, or with a major value a minutes field chained to degrees of at most 84,
// recording what the core asks of its shell: "overflow 1;change 2;".
struct Field : ctlPosLogic::Host {
    ctlPosLogic core{this};
    std::string log, box;
    std::function<void(int)> onOverflow = [](int) {}, onChange = [](int) {};
    explicit Field(int maxValue, std::optional<int> major = {}) {
        core.setView(major ? 2 : 1);
        core.setMaxValue(maxValue);
        core.setRaiseOverflow(major.has_value());
        core.setMajorValue(major.value_or(-1));
        core.setMajorMaxValue(major ? 84 : -1);
    }
    void Flash() override { log += "flash;"; }
    void Show(const std::string& text, bool) override { box = text; }
    void Changed(int v) override {
        log += "change " + std::to_string(v) + ";";
        onChange(v);
    }
    void Overflowed(int v) override {
        log += "overflow " + std::to_string(v) + ";";
        onOverflow(v);
    }
    std::string Take() { return std::exchange(log, {}); }
};

TEST(ctlPosLogic, AcceptsExactlyTheDecimalFormsOfZeroToMaxValue) {
    const std::string alphabet = "0123456789 +-.x";
    for (int maxValue : {0, 5, 59, 84, 180}) {
        std::set<std::string> valid{""};
        for (int i = 0; i <= maxValue; ++i)
            valid.insert(std::to_string(i));
        Field f(maxValue);
        std::vector<std::string> texts{""}; // every text of up to 4 characters
        for (std::size_t next = 0; next < texts.size(); ++next) {
            const std::string text = texts[next];
            if (text.size() < 4)
                for (char c : alphabet)
                    texts.push_back(text + c);
            f.core.Modify(0, 0);
            f.core.Edit(text);
            const bool ok = valid.count(text) == 1;
            const int value = !ok ? 0 : text.empty() ? -1 : std::stoi(text);
            ASSERT_EQ(f.Take() + std::to_string(f.core.value()) + "|" + f.box,
                      (ok ? "change " : "flash;change ") + std::to_string(value) + ";" +
                          std::to_string(value) + "|" + (ok ? text : "0"))
                << maxValue << " '" << text << "'";
        }
    }
    EXPECT_EQ(ctlPosLogic::Validate("2147483647", INT_MAX), INT_MAX);
    EXPECT_EQ(ctlPosLogic::Validate("2147483648", INT_MAX), -2);
    EXPECT_EQ(ctlPosLogic::Validate("99999999999", INT_MAX), -2);
}

// A new maximum below the value shows the maximum and raises nothing; Reset forgets the major
// field; "-1" restored after a bad edit stays; a View outside 1..3 is refused (the window
// indexes by it) and degrees never raise Overflow.
TEST(ctlPosLogic, PropertyRulesResetAndRestore) {
    Field f(84, 3);
    f.core.Modify(0, 70);
    f.core.setMaxValue(60);
    EXPECT_EQ(f.box + "|" + f.Take(), "60|");
    f.core.Reset();
    EXPECT_EQ((std::array{f.core.value(), f.core.MajorValue(), f.core.MajorMaxValue()}),
              (std::array{-1, -1, -1}));
    EXPECT_EQ(f.Take(), "");
    f.core.Modify(0, -1);
    f.core.Edit("x"); // "-1" itself would be refused: no endless restoring
    EXPECT_EQ(f.Take() + "|" + f.box, "flash;change -1;|-1");
    Field g(59, 10);
    EXPECT_FALSE(g.core.setView(0) || g.core.setView(4));
    g.core.setView(1);
    g.core.setRaiseOverflow(true);
    EXPECT_EQ(std::pair(g.core.View(), g.core.RaiseOverflow()), std::pair(1, false));
    // Notches and keys step the way they point, PageUp/PageDown by Stride; no step overflows, and
    // a borrow of more than 60 stops at 0.
    Field h(180), k(59, 10);
    h.core.setStride(10);
    h.core.Edit("50");
    h.core.Wheel(1);
    std::string values = std::to_string(h.core.value());
    for (int key : {38, 39, 40, 37, 37, 33, 34, 13}) {
        values += h.core.Key(key) ? " " : " -";
        values += std::to_string(h.core.value());
    }
    for (int delta : {INT_MAX, INT_MIN}) {
        h.core.Modify(delta);
        k.core.Modify(0, 5);
        k.core.Modify(delta);
        values.append(" ").append(std::to_string(h.core.value())).append("/").append(k.box);
    }
    EXPECT_EQ(values, "51 52 53 52 51 50 60 50 -50 180/59 0/0");
}

// Degrees and minutes of a latitude chained as the window chains them, through N 84 00 where
// the minutes' MaxValue is 0.
TEST(ctlPosLogic, MinutesCarryAndBorrowThroughEveryMinuteOfTheLatitude) {
    for (int maxDegrees : {84, 83}) {
        const int top = maxDegrees == 84 ? 84 * 60 : 83 * 60 + 59;
        for (int stride : {1, 7, 10, 15}) {
            Field deg(maxDegrees), min(59, 0);
            min.core.setMajorMaxValue(maxDegrees);
            min.onOverflow = [&](int v) { deg.core.Modify(v); };
            deg.onChange = min.onChange = [&](int) {
                min.core.setMajorValue(deg.core.value());
                min.core.setMaxValue(deg.core.value() == 84 ? 0 : 59);
            };
            deg.core.Edit("0");
            min.core.Edit("0");
            for (int d : {stride, -stride}) {
                for (int expected = d > 0 ? 0 : top; expected != (d > 0 ? top : 0);) {
                    expected = std::clamp(expected + d, 0, top);
                    min.core.Modify(d);
                    ASSERT_EQ(deg.core.value() * 60 + min.core.value(), expected) << stride;
                }
                min.Take();
                min.core.Modify(d);
                EXPECT_EQ(min.Take(), "flash;") << maxDegrees << " " << stride;
            }
        }
    }
}

} // namespace
} // namespace kavu
