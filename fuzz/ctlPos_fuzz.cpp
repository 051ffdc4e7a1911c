// Drives the spinner core with arbitrary edits, steps, keys and property changes, the Overflow
// handler calling back into it as the window's does, and checks that the box never holds a text
// other than the decimal form of its value and that steps keep the value in range.
#include "controls/ctlPos/ctlPosLogic.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Host : kavu::ctlPosLogic::Host {
    kavu::ctlPosLogic* core = nullptr;
    std::string box;
    int flashes = 0;
    int reentry = 0; // what the Overflow handler does to the same field
    void Flash() override { ++flashes; }
    void Show(const std::string& text, bool) override { box = text; }
    void Overflowed(int v) override {
        if (v != 1 && v != -1) std::abort();
        if (reentry == 1) core->setMaxValue(v > 0 ? 0 : 59);
        if (reentry == 2) core->setMajorValue(core->MajorValue() + v);
    }
};

void Check(const kavu::ctlPosLogic& core, const Host& host) {
    const std::string& t = core.text();
    if (t != host.box) std::abort();
    if (t.empty() ? core.value() != -1 : t != std::to_string(core.value())) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in{data, size};
    Host host;
    kavu::ctlPosLogic core(&host);
    host.core = &core;
    core.Reset();
    bool outOfRange = false; // Modify(0, Value) may set anything
    while (in.size > 0) {
        const int flashesBefore = host.flashes;
        bool stepped = false;
        switch (in.Byte() % 9) {
        case 0: {
            std::string text;
            for (int n = in.Byte() % 12; n > 0; --n)
                text.push_back(static_cast<char>(in.Byte()));
            const int expected = kavu::ctlPosLogic::Validate(text, core.MaxValue());
            const int before = core.value();
            core.Edit(text);
            if (expected != -2 && (core.value() != expected || core.text() != text)) std::abort();
            if (expected == -2 && (core.value() != before || host.flashes != flashesBefore + 1))
                std::abort();
            if (expected != -2) outOfRange = false;
            break;
        }
        case 1: {
            const int delta = in.Int();
            core.Modify(delta); // 0 sets the value 0, always in range
            stepped = true;
            break;
        }
        case 2:
            stepped = core.Key(in.Byte() % 48);
            break;
        case 3:
            core.setMaxValue(static_cast<std::int16_t>(in.Byte() << 8 | in.Byte()));
            break;
        case 4:
            core.setView(static_cast<std::int8_t>(in.Byte()) % 5);
            break;
        case 5:
            core.setRaiseOverflow(in.Byte() & 1);
            core.setMajorValue(static_cast<std::int8_t>(in.Byte()));
            core.setMajorMaxValue(static_cast<std::int8_t>(in.Byte()));
            host.reentry = in.Byte() % 3;
            break;
        case 6:
            core.Modify(0, in.Int());
            outOfRange = core.value() < -1 || core.value() > core.MaxValue();
            break;
        case 7:
            core.Reset();
            outOfRange = false;
            break;
        default: {
            const int notch = static_cast<std::int8_t>(in.Byte());
            core.Wheel(notch);
            stepped = notch != 0;
            break;
        }
        }
        Check(core, host);
        if (core.MaxValue() < 0 || core.Stride() < 1 || core.View() < 1 || core.View() > 3)
            std::abort();
        if (core.View() == 1 && core.RaiseOverflow()) std::abort();
        if (stepped && host.flashes == flashesBefore) outOfRange = false;
        if (!outOfRange && (core.value() < -1 || core.value() > core.MaxValue())) std::abort();
    }
    return 0;
}
