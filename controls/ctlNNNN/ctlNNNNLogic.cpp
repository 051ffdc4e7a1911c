#include "controls/ctlNNNN/ctlNNNNLogic.h"

#include "engine/tables.h"

#include <utility>

namespace kavu {

std::array<std::int32_t, 5> BoxScale{};

namespace {
// Virtual-key numbers (as vk:: in misc/misc.h, which this Qt-free core cannot include).
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

// Largest index of each box, and the ScaleIndex of each form of box 3.
constexpr int kRows = 21, kColumns = 60, kQuarters = 4, kRomans = 36, kParts100k = 144;
constexpr int kScale500k = 2, kScale200k = 3, kScale100k = 4, kScale50k = 5;
} // namespace

bool ctlNNNNLogic::setView(int view) {
    if (view < 1 || view > 4) return false;
    view_ = view;
    return true;
}

std::string ctlNNNNLogic::UpperCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto b = static_cast<unsigned char>(out[i]);
        if (b >= 'a' && b <= 'z') {
            out[i] = static_cast<char>(b - 'a' + 'A');
            continue;
        }
        if ((b != 0xD0 && b != 0xD1) || i + 1 >= out.size()) continue;
        // Cyrillic in UTF-8: а..п = D0 B0..BF, р..я = D1 80..8F, ѐ..џ = D1 90..9F; their capitals
        // are А..П = D0 90..9F, Р..Я = D0 A0..AF, Ѐ..Џ = D0 80..8F.
        auto c = static_cast<unsigned char>(out[i + 1]);
        if (b == 0xD0 && c >= 0xB0 && c <= 0xBF) {
            out[i + 1] = static_cast<char>(c - 0x20);
        } else if (b == 0xD1 && c >= 0x80 && c <= 0x8F) {
            out[i] = static_cast<char>(0xD0);
            out[i + 1] = static_cast<char>(c + 0x20);
        } else if (b == 0xD1 && c >= 0x90 && c <= 0x9F) {
            out[i] = static_cast<char>(0xD0);
            out[i + 1] = static_cast<char>(c - 0x10);
        }
        if (c >= 0x80 && c <= 0xBF) ++i; // the continuation byte is done
    }
    return out;
}

SheetPart ctlNNNNLogic::Recognise(std::string_view t, int view) {
    const auto found = [](int i, int scale) { return SheetPart{true, i, scale}; };
    if (t.empty()) return {true, 0, 0};
    switch (view) {
    case 1:
        if (t == "0") return {true, 0, 0};
        for (int i = 1; i <= kRows; ++i)
            if (t == NumberText(i) || t == RowLetter(i) || t == Number2Text(i)) return found(i, 1);
        break;
    case 2:
        if (t == "0") return {true, 0, 0};
        for (int i = 1; i <= kColumns; ++i)
            if (t == Number2Text(i) || t == NumberText(i)) return found(i, 1);
        break;
    case 3:
        if (t == "00" || t == "0") return {true, 0, 0};
        for (int i = 1; i <= kQuarters; ++i)
            if (t == QuarterLetter(i) || t == NumberText(i)) return found(i, kScale500k);
        for (int i = 1; i <= kRomans; ++i)
            if (t == RomanText(i) || t == Number2Text(i)) return found(i, kScale200k);
        for (int i = 1; i <= kParts100k; ++i)
            if (t == Number3Text(i)) return found(i, kScale100k);
        break;
    case 4:
        for (int i = 1; i <= kQuarters; ++i)
            if (t == QuarterLetter(i) || t == NumberText(i)) return found(i, kScale50k);
        break;
    default:
        break;
    }
    return {};
}

void ctlNNNNLogic::Reset() {
    text_.clear();
    value_ = 0;
    scale_ = 0;
    BoxScale[static_cast<std::size_t>(view_)] = 0;
    if (host_) host_->Show(text_);
}

void ctlNNNNLogic::Edit(std::string_view boxText) {
    std::string working = UpperCase(boxText);
    SheetPart part = Recognise(working, view_);
    if (!part.accepted) {
        if (host_) host_->Flash();
        working = text_;
        part = Recognise(working, view_);
        // The accepted text fails only when View changed after it was typed; the box then
        // empties rather than keep a text its part cannot hold.
        if (!part.accepted) {
            working.clear();
            part = SheetPart{true, 0, 0};
        }
    }
    text_ = std::move(working);
    value_ = part.value;
    scale_ = part.scale;
    BoxScale[static_cast<std::size_t>(view_)] = scale_;
    if (host_) {
        host_->Show(text_);
        host_->Changed(value_);
    }
}

void ctlNNNNLogic::Step(int d) {
    if (d == 0) return;
    d = d > 0 ? 1 : -1;
    const int v = value_;
    const std::string& t = text_;
    std::string next;

    if (d < 0 && v == 0) {
        if (host_) host_->Flash();
        return;
    }
    if (d < 0 && v == 1) {
        // Below the first index: the box empties, or box 3 falls back to the top of the
        // previous scale, in digits.
        if (view_ == 3 && scale_ == kScale200k)
            next = NumberText(kQuarters);
        else if (view_ == 3 && scale_ == kScale100k)
            next = Number2Text(kRomans);
        else if (view_ == 3 && scale_ != kScale500k)
            next = t;
        Edit(next);
        return;
    }
    if (d > 0 && v > 0) {
        const bool top = (view_ == 1 && v == kRows) || (view_ == 2 && v == kColumns) ||
                         (view_ == 4 && v == kQuarters) ||
                         (view_ == 3 && scale_ == kScale100k && v == kParts100k);
        if (top) {
            if (host_) host_->Flash();
            return;
        }
        if (view_ == 3 && scale_ == kScale500k && v == kQuarters) {
            Edit(Number2Text(1));
            return;
        }
        if (view_ == 3 && scale_ == kScale200k && v == kRomans) {
            Edit(Number3Text(1));
            return;
        }
    }

    const int n = v + d;
    switch (view_) {
    case 1:
        next = FindRowLetter(t) != 0 ? RowLetter(n) : NumberText(n);
        break;
    case 2:
        next = NumberText(n);
        break;
    case 3:
        if (scale_ == 0 || scale_ == kScale500k)
            next = FindQuarterLetter(t) != 0 ? QuarterLetter(n) : NumberText(n);
        else if (scale_ == kScale200k)
            next = FindRomanText(t) != 0 ? RomanText(n) : Number2Text(n);
        else if (scale_ == kScale100k)
            next = Number3Text(n);
        else
            next = t;
        break;
    default:
        next = FindQuarterLetter(t) != 0 ? QuarterLetter(n) : NumberText(n);
        break;
    }
    Edit(next);
}

bool ctlNNNNLogic::Key(int virtualKey) {
    switch (virtualKey) {
    case kUp:
    case kRight:
        Step(+1);
        return true;
    case kDown:
    case kLeft:
        Step(-1);
        return true;
    default:
        return false;
    }
}

} // namespace kavu
