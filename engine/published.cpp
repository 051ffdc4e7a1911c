#include "engine/published.h"

#include "engine/grid.h"
#include "engine/text_pieces.h"

#include <array>
#include <cstring>
#include <string_view>

namespace kavu {
namespace {

// Sheets side by side on one paper, by the 1:1,000,000 row: pairs in 60-76 degrees, fours (the
// 1:200,000 sheets threes) in 76-84 degrees, at every scale but 1:10,000. Counted in cells,
// every group starts at a multiple of its size from 180 degrees W, and the cells of every scale
// round the parallel are a multiple of 2, 3 and 4: no group crosses 180 degrees.
int GroupSize(const SheetKey& k) {
    if (k.Scale == 7 || k.Row < 16) return 1;
    if (k.Row <= 19) return 2;
    return k.Scale == 3 ? 3 : 4;
}

using detail::TextPiece;
using detail::TextPieces;

constexpr TextPieces<21> kRowLetters(RowLetter);
constexpr TextPieces<144> kNumbers(NumberText);
constexpr TextPieces<60> kNumbers2(Number2Text);
constexpr TextPieces<144> kNumbers3(Number3Text);
constexpr TextPieces<36> kRomans(RomanText);
constexpr TextPieces<4> kQuarters(QuarterLetter);
constexpr TextPieces<4> kSmallQuarters(SmallQuarterLetter);

// Both notations are written in one pass into the caller's buffers (kPublishedTextRoom): the
// longest text, "s U-60-144-В-в,г,Г-в,г", is 28 bytes, and a move may write 7 bytes past it.
class Texts {
  public:
    Texts(char* digits, char* letters) : digits_(digits), letters_(letters) {}
    void Put(char c) {
        digits_[d_++] = c;
        letters_[l_++] = c;
    }
    // Field i of a sheet (0 row, 1 column, 2 part, 3..5 quarters) in each notation; the keys
    // are in range.
    [[gnu::always_inline]] void PutField(const SheetKey& k, int i) {
        const auto at = [](int v) { return static_cast<std::size_t>(v); };
        switch (i) {
        case 0:
            Put(digits_, d_, kNumbers[at(k.Row)]);
            Put(letters_, l_, kRowLetters[at(k.Row)]);
            return;
        case 1:
            Put(digits_, d_, kNumbers[at(k.Column)]);
            Put(letters_, l_, kNumbers[at(k.Column)]);
            return;
        case 2:
            if (k.Scale == 2) {
                Put(digits_, d_, kNumbers[at(k.SubSheet)]);
                Put(letters_, l_, kQuarters[at(k.SubSheet)]);
            } else if (k.Scale == 3) {
                Put(digits_, d_, kNumbers2[at(k.SubSheet)]);
                Put(letters_, l_, kRomans[at(k.SubSheet)]);
            } else {
                Put(digits_, d_, kNumbers3[at(k.SubSheet)]);
                Put(letters_, l_, kNumbers[at(k.SubSheet)]);
            }
            return;
        case 3:
            Put(digits_, d_, kNumbers[at(k.Quarter)]);
            Put(letters_, l_, kQuarters[at(k.Quarter)]);
            return;
        case 4:
            Put(digits_, d_, kNumbers[at(k.Quarter25)]);
            Put(letters_, l_, kSmallQuarters[at(k.Quarter25)]);
            return;
        default:
            Put(digits_, d_, kNumbers[at(k.Quarter10)]);
            Put(letters_, l_, kNumbers[at(k.Quarter10)]);
            return;
        }
    }
    std::size_t DigitsSize() const { return d_; }
    std::size_t LettersSize() const { return l_; }

  private:
    static void Put(char* buffer, std::size_t& n, const TextPiece& p) {
        n = static_cast<std::size_t>(detail::PutPiece(buffer + n, p) - buffer);
    }
    char* digits_;
    char* letters_;
    std::size_t d_ = 0, l_ = 0;
};

// Fields of a sheet's designation: row and column, then the part, then its quarters.
int FieldCount(int scale) {
    return scale == 1 ? 2 : scale <= 4 ? 3 : scale - 1;
}

// The first member in full, then each further one from the first field in which it differs
// from the one before: " T-37-1-А,Б,2-А,Б".
void FormatGroup(const std::array<SheetKey, 4>& members, int memberCount, char* digits,
                 std::size_t& digitsSize, char* letters, std::size_t& lettersSize) {
    // The cursors stay in registers only while the texts object lives here: a byte stored
    // through a pointer to char might otherwise be one of them.
    Texts t(digits, letters);
    const SheetKey& first = members[0];
    if (first.Hemisphere == 'S') t.Put('s');
    t.Put(' ');
    const int count = FieldCount(first.Scale);
    for (int m = 0; m < memberCount; ++m) {
        int from = 0;
        if (m > 0) {
            const SheetKey& a = members[static_cast<std::size_t>(m - 1)];
            const SheetKey& b = members[static_cast<std::size_t>(m)];
            from = a.Row != b.Row               ? 0
                   : a.Column != b.Column       ? 1
                   : a.SubSheet != b.SubSheet   ? 2
                   : a.Quarter != b.Quarter     ? 3
                   : a.Quarter25 != b.Quarter25 ? 4
                                                : 5;
            t.Put(',');
        }
        for (int i = from; i < count; ++i) {
            if (i > from) t.Put('-');
            t.PutField(members[static_cast<std::size_t>(m)], i);
        }
    }
    digitsSize = t.DigitsSize();
    lettersSize = t.LettersSize();
}

// The members of the group holding a valid key, west to east; returns their count and the
// first one's cell.
int Members(const SheetKey& key, std::array<SheetKey, 4>& members, detail::Cell& first) {
    const int count = GroupSize(key);
    const detail::Cell c = detail::CellOfKey(key);
    // The start of the group, without a division by a count known only here.
    const int start = count == 3 ? c.X - c.X % 3 : c.X & -count;
    first = {start, c.Y};
    detail::WithScale(key.Scale, [&](auto s) {
        for (int i = 0; i < count; ++i)
            members[static_cast<std::size_t>(i)] =
                detail::KeyOfCellAt<decltype(s)::value>({first.X + i, c.Y});
    });
    return count;
}

} // namespace

std::optional<PublishedSheet> PublishedSheetOf(const SheetKey& key) {
    if (!IsSheetKey(key)) return std::nullopt;
    std::optional<PublishedSheet> out(std::in_place);
    PublishedSheet& p = *out;
    detail::Cell first{};
    p.Count = Members(key, p.Members, first);
    char digits[kPublishedTextRoom], letters[kPublishedTextRoom];
    std::size_t digitsSize = 0, lettersSize = 0;
    FormatGroup(p.Members, p.Count, digits, digitsSize, letters, lettersSize);
    p.New.assign(digits, digitsSize);
    p.Old.assign(letters, lettersSize);
    p.Frame = detail::FrameOfCells(key.Scale, first, p.Count);
    return out;
}

int WritePublishedTexts(const SheetKey& key, char* newOut, std::size_t& newSize, char* oldOut,
                        std::size_t& oldSize) {
    newSize = oldSize = 0;
    if (!IsSheetKey(key)) return 0;
    std::array<SheetKey, 4> members;
    detail::Cell first{};
    const int count = Members(key, members, first);
    FormatGroup(members, count, newOut, newSize, oldOut, oldSize);
    return count;
}

} // namespace kavu
