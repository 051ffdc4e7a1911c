// Scales as users write them: "1:50000", "1:50 000", "1:50'000", "1:50,000", "50000", "50k",
// "1M", "500k", "25k", "10k".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kavu::cli {

/// Scale index 1..7 (1:1,000,000 … 1:10,000) of a spelling; 0 when it names none of them.
/// Digits may be grouped by blanks (also no-break and thin ones), "'", "’", "," , "." or "_".
int ReadScale(std::string_view text);

/// The scales of one or more option values, each a comma-separated list. A part of exactly
/// three digits continues the number before it ("1:50,000"). Duplicates are dropped, the order
/// kept. Empty result and `error` set when a part names no scale.
std::vector<int> ReadScaleList(const std::vector<std::string>& values, std::string& error);

} // namespace kavu::cli
