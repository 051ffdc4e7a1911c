// The validation and stepping core of the position spinner, without a screen.
#include "controls/ctlPos/ctlPosLogic.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kavu {
namespace {

// Records what the core asks of its shell, in order.
struct Recorder : ctlPosLogic::Host {
    std::vector<std::string> log;
    std::string box;
    std::function<void(int)> onOverflow;
    std::function<void(int)> onChange;
    void Flash() override { log.push_back("flash"); }
    void Show(const std::string& text, bool) override { box = text; }
    void Changed(int v) override {
        log.push_back("change " + std::to_string(v));
        if (onChange) onChange(v);
    }
    void Overflowed(int v) override {
        log.push_back("overflow " + std::to_string(v));
        if (onOverflow) onOverflow(v);
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
};

using Log = std::vector<std::string>;

struct Field {
    Recorder rec;
    ctlPosLogic core{&rec};
    Field(int maxValue, bool raiseOverflow = false, int major = -1, int majorMax = -1) {
        core.setView(raiseOverflow ? 2 : 1);
        core.setMaxValue(maxValue);
        core.setRaiseOverflow(raiseOverflow);
        core.setMajorValue(major);
        core.setMajorMaxValue(majorMax);
    }
    void Type(const std::string& text) {
        core.Edit(text);
        rec.Take();
    }
};

TEST(ctlPosLogic, AcceptsExactlyThePlainDecimalFormsUpToMaxValue) {
    const std::string alphabet = "0123456789 +-.x";
    for (int maxValue : {0, 5, 59, 84, 180}) {
        std::set<std::string> valid;
        for (int i = 0; i <= maxValue; ++i)
            valid.insert(std::to_string(i));
        Field f(maxValue);
        f.Type("0");
        std::vector<std::string> texts{""};
        for (int len = 1; len <= 4; ++len) {
            std::vector<std::string> longer;
            for (const auto& t : texts)
                for (char c : alphabet)
                    longer.push_back(t + c);
            for (const auto& text : longer) {
                const bool ok = valid.count(text) == 1;
                f.core.Edit(text);
                const int expected = ok ? std::stoi(text) : 0;
                ASSERT_EQ(f.core.value(), expected) << maxValue << " '" << text << "'";
                ASSERT_EQ(f.rec.box, ok ? text : "0") << "'" << text << "'";
                ASSERT_EQ(f.rec.Take(), ok ? Log({"change " + std::to_string(expected)})
                                           : Log({"flash", "change 0"}))
                    << "'" << text << "'";
                if (ok) f.Type("0");
            }
            texts = std::move(longer);
        }
    }
    EXPECT_EQ(ctlPosLogic::Validate("2147483647", INT_MAX), INT_MAX);
    EXPECT_EQ(ctlPosLogic::Validate("2147483648", INT_MAX), -2);
    EXPECT_EQ(ctlPosLogic::Validate("99999999999", INT_MAX), -2);
    EXPECT_EQ(ctlPosLogic::Validate("", 0), -1);
}

TEST(ctlPosLogic, EditingKeepsOrRestoresTheText) {
    Field f(5);
    f.core.Edit("3");
    EXPECT_EQ(f.rec.Take(), Log({"change 3"}));
    f.core.Edit("7"); // above MaxValue
    EXPECT_EQ(f.rec.Take(), Log({"flash", "change 3"}));
    EXPECT_EQ(f.rec.box, "3");
    f.core.setMaxValue(10);
    f.core.Edit("007");
    EXPECT_EQ(f.rec.Take(), Log({"flash", "change 3"}));
    f.core.Edit("");
    EXPECT_EQ(f.rec.Take(), Log({"change -1"}));
    EXPECT_EQ(f.core.value(), -1);
}

TEST(ctlPosLogic, WorkedExamplesOfAMinutesField) {
    auto step = [](int from, int delta, int major) {
        Field f(59, true, major, 84);
        f.Type(std::to_string(from));
        f.core.Modify(delta);
        Log log = f.rec.Take();
        log.push_back("shows " + f.rec.box);
        return log;
    };
    EXPECT_EQ(step(58, +4, 10), Log({"overflow 1", "change 2", "shows 2"}));
    EXPECT_EQ(step(3, -10, 10), Log({"overflow -1", "change 53", "shows 53"}));
    EXPECT_EQ(step(0, -1, 0), Log({"flash", "shows 0"}));
    EXPECT_EQ(step(59, +1, 10), Log({"overflow 1", "change 0", "shows 0"}));
    // The major field at its maximum: no carry, the minutes stop at MaxValue.
    EXPECT_EQ(step(55, +10, 84), Log({"change 59", "shows 59"}));
    EXPECT_EQ(step(59, +1, 84), Log({"flash", "shows 59"}));
    // The major field empty or 0: no borrow, the minutes stop at 0.
    EXPECT_EQ(step(0, -1, -1), Log({"change 0", "shows 0"}));
    EXPECT_EQ(step(5, -10, 0), Log({"change 0", "shows 0"}));
    EXPECT_EQ(step(20, -10, 0), Log({"change 10", "shows 10"}));
}

TEST(ctlPosLogic, WorkedExamplesOfADegreesField) {
    auto step = [](const std::string& from, int delta) {
        Field f(84);
        f.Type(from);
        f.core.Modify(delta);
        Log log = f.rec.Take();
        log.push_back("shows " + f.rec.box);
        return log;
    };
    EXPECT_EQ(step("82", +4), Log({"change 84", "shows 84"}));
    EXPECT_EQ(step("84", +1), Log({"flash", "shows 84"}));
    EXPECT_EQ(step("3", -4), Log({"change 0", "shows 0"}));
    EXPECT_EQ(step("0", -1), Log({"change -1", "shows "}));
    EXPECT_EQ(step("", +1), Log({"change 0", "shows 0"}));
    EXPECT_EQ(step("", +6), Log({"change 0", "shows 0"})); // the first step up shows 0
    EXPECT_EQ(step("", -1), Log({"flash", "shows "}));
    EXPECT_EQ(step("7", -10), Log({"change 0", "shows 0"}));
}

TEST(ctlPosLogic, PropertiesAndTheirRules) {
    Field f(84);
    f.Type("70");
    f.core.setMaxValue(60); // below the value shown: shows the new maximum, no event
    EXPECT_EQ(f.rec.box, "60");
    EXPECT_EQ(f.core.value(), 60);
    EXPECT_TRUE(f.rec.Take().empty());
    f.core.setMaxValue(90); // above it: nothing changes
    EXPECT_EQ(f.rec.box, "60");

    f.core.setView(2);
    f.core.setRaiseOverflow(true);
    EXPECT_TRUE(f.core.RaiseOverflow());
    f.core.setView(1);
    EXPECT_FALSE(f.core.RaiseOverflow());
    f.core.setRaiseOverflow(true);
    EXPECT_FALSE(f.core.RaiseOverflow());

    // Values the field cannot work with are refused and the previous one stays.
    EXPECT_FALSE(f.core.setView(0));
    EXPECT_FALSE(f.core.setView(4));
    EXPECT_EQ(f.core.View(), 1);
    EXPECT_FALSE(f.core.setMaxValue(-1));
    EXPECT_EQ(f.core.MaxValue(), 90);
    EXPECT_FALSE(f.core.setStride(0));
    EXPECT_FALSE(f.core.setStride(-5));
    EXPECT_EQ(f.core.Stride(), 1);

    f.core.Wheel(0);
    EXPECT_EQ(f.core.value(), 60);
    EXPECT_TRUE(f.rec.Take().empty());

    f.core.setMajorValue(3);
    f.core.setMajorMaxValue(84);
    f.core.Reset();
    EXPECT_EQ(f.core.value(), -1);
    EXPECT_EQ(f.rec.box, "");
    EXPECT_EQ(f.core.MajorValue(), -1);
    EXPECT_EQ(f.core.MajorMaxValue(), -1);
    EXPECT_TRUE(f.rec.Take().empty());
}

TEST(ctlPosLogic, SetValueAllowsAnyNumberAndTheFieldRecovers) {
    Field f(84);
    f.core.Modify(0, -1);
    EXPECT_EQ(f.rec.box, "-1");
    EXPECT_TRUE(f.rec.Take().empty());
    f.core.Edit("x"); // the restored text need not pass validation itself
    EXPECT_EQ(f.rec.Take(), Log({"flash", "change -1"}));
    EXPECT_EQ(f.rec.box, "-1");
    f.core.Modify(-1); // not empty, so it steps to 0 instead of flashing
    EXPECT_EQ(f.rec.Take(), Log({"change 0"}));
    f.core.Modify(0, 500);
    f.core.Modify(-1);
    EXPECT_EQ(f.core.value(), 84);
    // A step that would leave a negative value empties the box, as any step below 0 does.
    f.core.Modify(0, -100);
    f.core.Modify(+1);
    EXPECT_EQ(f.core.value(), -1);
    EXPECT_EQ(f.rec.box, "");
}

TEST(ctlPosLogic, HugeStepsStayInRange) {
    Field degrees(84);
    degrees.Type("5");
    degrees.core.Modify(INT_MAX);
    EXPECT_EQ(degrees.core.value(), 84);
    degrees.core.Modify(INT_MIN);
    EXPECT_EQ(degrees.core.value(), 0);

    Field minutes(59, true, 10, 84);
    minutes.Type("5");
    minutes.core.Modify(INT_MIN);
    EXPECT_EQ(minutes.rec.Take(), Log({"overflow -1", "change 0"}));
    minutes.Type("50");
    minutes.core.Modify(INT_MAX);
    EXPECT_EQ(minutes.rec.Take(), Log({"overflow 1", "change 59"}));
    minutes.Type("50");
    minutes.core.Modify(100);
    EXPECT_EQ(minutes.rec.Take(), Log({"overflow 1", "change 59"}));
}

// Degrees and minutes of a latitude chained as the window chains them: Overflow steps the
// degrees, each degrees Change updates the minutes' major field, and at the northern limit the
// minutes are held at 0.
struct Latitude {
    Field deg{84};
    Field min{59, true};
    int degreesMax;
    explicit Latitude(int maxDegrees) : degreesMax(maxDegrees) {
        deg.core.setMaxValue(maxDegrees);
        min.core.setMajorMaxValue(maxDegrees);
        min.rec.onOverflow = [this](int v) { deg.core.Modify(v); };
        deg.rec.onChange = [this](int) { Update(); };
        min.rec.onChange = [this](int) { Update(); };
    }
    void Update() {
        min.core.setMajorValue(deg.core.value());
        min.core.setMaxValue(deg.core.value() == 84 ? 0 : 59);
    }
    int Total() const { return deg.core.value() * 60 + std::max(min.core.value(), 0); }
};

TEST(ctlPosLogic, MinutesCarryAndBorrowThroughEveryMinuteOfTheLatitude) {
    for (int maxDegrees : {84, 83}) {
        const int top = maxDegrees == 84 ? 84 * 60 : 83 * 60 + 59;
        for (int stride : {1, 7, 10, 15}) {
            Latitude lat(maxDegrees);
            lat.deg.Type("0");
            lat.Update();
            lat.min.Type("0");
            // Up in steps of the stride, the last one stopping at the limit, then refused.
            int expected = 0;
            while (expected < top) {
                expected = std::min(expected + stride, top);
                lat.min.core.Modify(stride);
                ASSERT_EQ(lat.Total(), expected) << maxDegrees << " " << stride;
            }
            lat.min.rec.Take();
            lat.min.core.Modify(stride);
            EXPECT_EQ(lat.min.rec.Take(), Log({"flash"}));
            // Down the same way to 0 degrees 0 minutes, then refused.
            while (expected > 0) {
                expected = std::max(expected - stride, 0);
                lat.min.core.Modify(-stride);
                ASSERT_EQ(lat.Total(), expected) << maxDegrees << " " << stride;
            }
            lat.min.rec.Take();
            lat.min.core.Modify(-stride);
            EXPECT_EQ(lat.min.rec.Take(), Log({"flash"}));
        }
    }
}

TEST(ctlPosLogic, BorrowFromTheNorthernLimitReopensTheMinutes) {
    Latitude lat(84);
    lat.deg.Type("84");
    lat.Update();
    lat.min.Type("0");
    lat.min.core.Modify(+1);
    EXPECT_EQ(lat.min.rec.Take(), Log({"flash"}));
    lat.min.core.Modify(-1);
    EXPECT_EQ(lat.min.rec.Take(), Log({"overflow -1", "change 59"}));
    EXPECT_EQ(lat.deg.core.value(), 83);
    EXPECT_EQ(lat.min.core.MaxValue(), 59);
}

} // namespace
} // namespace kavu
