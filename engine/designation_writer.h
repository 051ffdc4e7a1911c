// Designations written straight into a caller's buffer, for the places that write millions of
// them (the command-line tool): the same texts as FormatSheetNew and FormatSheetOld, without a
// string per text.
#pragma once

#include "engine/sheet.h"

#include <cstddef>

namespace kavu {

/// Room a buffer needs for WriteSheetNew and WriteSheetOld: the longest text (18 bytes) and the
/// whole-word stores past its end.
inline constexpr std::size_t kSheetTextRoom = 32;

/// FormatSheetNew(key) and FormatSheetOld(key) into `out` (kSheetTextRoom bytes); returns the
/// length, 0 where those give the empty text.
std::size_t WriteSheetNew(const SheetKey& key, char* out);
std::size_t WriteSheetOld(const SheetKey& key, char* out);
/// Both at once, checking the key once.
void WriteSheetTexts(const SheetKey& key, char* newOut, std::size_t& newSize, char* oldOut,
                     std::size_t& oldSize);

} // namespace kavu
