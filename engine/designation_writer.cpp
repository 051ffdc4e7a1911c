#include "engine/designation_writer.h"

#include "engine/tables.h"
#include "engine/text_pieces.h"

#include <array>
#include <cstring>
#include <string_view>

namespace kavu {
namespace {

using detail::PutPiece;
using detail::TextPieces;

constexpr TextPieces<21> kRowNew(NumberText, false);
constexpr TextPieces<21> kRowOld(RowLetter, false);
constexpr TextPieces<60> kColumn(NumberText, true);
constexpr TextPieces<4> kPart2New(NumberText, true);
constexpr TextPieces<4> kPart2Old(QuarterLetter, true);
constexpr TextPieces<36> kPart3New(Number2Text, true);
constexpr TextPieces<36> kPart3Old(RomanText, true);
constexpr TextPieces<144> kPart4New(Number3Text, true);
constexpr TextPieces<144> kPart4Old(NumberText, true);
constexpr TextPieces<4> kDigit(NumberText, true);
constexpr TextPieces<4> kQuarterOld(QuarterLetter, true);
constexpr TextPieces<4> kSmallQuarterOld(SmallQuarterLetter, true);

bool In(int v, int hi) {
    return static_cast<unsigned>(v - 1) < static_cast<unsigned>(hi);
}

// A whole sheet of its scale, every field in range: the keys the tool writes by the million.
// The rest (a 1:1,000,000 key with parts, a partial key, a key out of range) is left to the
// general writers.
bool Whole(const SheetKey& k) {
    if (!In(k.Row, 21) || !In(k.Column, 60)) return false;
    switch (k.Scale) {
    case 1:
        return true;
    case 2:
        return In(k.SubSheet, 4) && (k.Quarter | k.Quarter25 | k.Quarter10) == 0;
    case 3:
        return In(k.SubSheet, 36) && (k.Quarter | k.Quarter25 | k.Quarter10) == 0;
    case 4:
        return In(k.SubSheet, 144) && (k.Quarter | k.Quarter25 | k.Quarter10) == 0;
    case 5:
        return In(k.SubSheet, 144) && In(k.Quarter, 4) && (k.Quarter25 | k.Quarter10) == 0;
    case 6:
        return In(k.SubSheet, 144) && In(k.Quarter, 4) && In(k.Quarter25, 4) && k.Quarter10 == 0;
    case 7:
        return In(k.SubSheet, 144) && In(k.Quarter, 4) && In(k.Quarter25, 4) && In(k.Quarter10, 4);
    default:
        return false;
    }
}

std::size_t Copy(const std::string& text, char* out) {
    std::memcpy(out, text.data(), text.size());
    return text.size();
}

// The text of a key that Whole accepts.
template <bool Old> std::size_t WriteWhole(const SheetKey& k, char* out) {
    const auto at = [](int i) { return static_cast<std::size_t>(i); };
    char* p = out;
    *p = 's';
    p += k.Hemisphere == 'S' ? 1 : 0;
    *p++ = ' ';
    p = PutPiece(p, (Old ? kRowOld : kRowNew).P[at(k.Row)]);
    p = PutPiece(p, kColumn.P[at(k.Column)]);
    if (k.Scale == 2) p = PutPiece(p, (Old ? kPart2Old : kPart2New).P[at(k.SubSheet)]);
    if (k.Scale == 3) p = PutPiece(p, (Old ? kPart3Old : kPart3New).P[at(k.SubSheet)]);
    if (k.Scale >= 4) p = PutPiece(p, (Old ? kPart4Old : kPart4New).P[at(k.SubSheet)]);
    if (k.Scale >= 5) p = PutPiece(p, (Old ? kQuarterOld : kDigit).P[at(k.Quarter)]);
    if (k.Scale >= 6) p = PutPiece(p, (Old ? kSmallQuarterOld : kDigit).P[at(k.Quarter25)]);
    if (k.Scale == 7) p = PutPiece(p, kDigit.P[at(k.Quarter10)]);
    return static_cast<std::size_t>(p - out);
}

} // namespace

std::size_t WriteSheetNew(const SheetKey& key, char* out) {
    return Whole(key) ? WriteWhole<false>(key, out) : Copy(FormatSheetNew(key), out);
}

std::size_t WriteSheetOld(const SheetKey& key, char* out) {
    return Whole(key) ? WriteWhole<true>(key, out) : Copy(FormatSheetOld(key), out);
}

void WriteSheetTexts(const SheetKey& key, char* newOut, std::size_t& newSize, char* oldOut,
                     std::size_t& oldSize) {
    if (Whole(key)) {
        newSize = WriteWhole<false>(key, newOut);
        oldSize = WriteWhole<true>(key, oldOut);
    } else {
        newSize = Copy(FormatSheetNew(key), newOut);
        oldSize = Copy(FormatSheetOld(key), oldOut);
    }
}

} // namespace kavu
