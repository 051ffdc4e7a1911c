// The help and About texts, UTF-8. Both begin with an empty line and end every line, the last
// included, with CR LF. Each holds the About part, then the help on entering a sheet number,
// then the help on entering coordinates.
#pragma once

#include <string_view>

namespace kavu {

extern const std::string_view kHelpTextRussian;
extern const std::string_view kHelpTextEnglish;

} // namespace kavu
