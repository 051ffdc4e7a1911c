// Drives the sheet-number core with arbitrary edits (raw bytes and texts built from the
// symbols the boxes know), steps, keys, resets and View changes, and checks that the box always
// holds a recognised upper-case text whose value and scale are the ones published.
#include "controls/ctlNNNN/ctlNNNNLogic.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

namespace {

struct Host : kavu::ctlNNNNLogic::Host {
    std::string box;
    int flashes = 0;
    void Flash() override { ++flashes; }
    void Show(const std::string& text) override { box = text; }
};

const char* const kSymbols[] = {"0", "1",      "2",      "3",      "4",      "5",      "6",
                                "9", "I",      "V",      "X",      "A",      "U",      "i",
                                "v", "x",      "a",      " ",      "\u0410", "\u0411", "\u0413",
                                "Z", "\u0430", "\u0433", "\u0414", "\u0131", "\xd0"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in{data, size};
    kavu::BoxScale.fill(0);
    Host host;
    kavu::ctlNNNNLogic core(&host);
    core.setView(1 + in.Byte() % 4);
    core.Reset();
    bool viewMoved = false; // the text was accepted under another View
    while (in.size > 0) {
        std::string text;
        switch (in.Byte() % 7) {
        case 0:
            for (int n = in.Byte() % 8; n > 0; --n)
                text.push_back(static_cast<char>(in.Byte()));
            break;
        case 1:
            for (int n = in.Byte() % 6; n > 0; --n)
                text += kSymbols[in.Byte() % std::size(kSymbols)];
            break;
        case 2:
            core.Step(static_cast<std::int8_t>(in.Byte()));
            break;
        case 3:
            core.Key(in.Byte() % 48);
            break;
        case 4:
            core.Reset();
            viewMoved = false;
            break;
        case 5: {
            const int before = core.View();
            core.setView(static_cast<std::int8_t>(in.Byte()) % 6);
            if (core.View() != before) viewMoved = true;
            break;
        }
        default:
            core.Wheel(static_cast<std::int8_t>(in.Byte()));
            break;
        }
        if (!text.empty()) {
            const auto part =
                kavu::ctlNNNNLogic::Recognise(kavu::ctlNNNNLogic::UpperCase(text), core.View());
            core.Edit(text);
            if (part.accepted && (core.text() != kavu::ctlNNNNLogic::UpperCase(text) ||
                                  core.value() != part.value || core.scale() != part.scale))
                std::abort();
            viewMoved = viewMoved && !part.accepted;
        }

        if (host.box != core.text()) std::abort();
        if (kavu::ctlNNNNLogic::UpperCase(core.text()) != core.text()) std::abort();
        if (core.View() < 1 || core.View() > 4) std::abort();
        // Setting View writes nothing, so its entry is the box's own only after the next edit.
        if (!viewMoved) {
            if (kavu::BoxScale[static_cast<std::size_t>(core.View())] != core.scale()) std::abort();
            const auto held = kavu::ctlNNNNLogic::Recognise(core.text(), core.View());
            if (!held.accepted || held.value != core.value() || held.scale != core.scale())
                std::abort();
        }
    }
    return 0;
}
