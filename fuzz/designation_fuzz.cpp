// Reads arbitrary bytes as a designation and checks that the answer is whole: an error with a
// reason inside the text, or readings of real sheets, each of which reads back first from
// the window's own notation (and a joined one from its published name).
#include "engine/readers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace kavu;

namespace {

// What Kavu writes reads back first.
bool ReadsBack(const std::string& text, const DesignationReading& x) {
    const DesignationResult r = ReadDesignation(text, true);
    return r.Ok() && r.Readings[0].Joined == x.Joined && r.Readings[0].Key == x.Key &&
           r.Readings[0].Published.Count == x.Published.Count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const DesignationResult r = ReadDesignation(text, true);
    if (!r.Ok()) {
        if (r.Error.Position > size || r.Error.English.empty() || r.Error.Russian.empty())
            std::abort();
        return 0;
    }
    for (std::size_t i = 0; i < r.Readings.size(); ++i) {
        const DesignationReading& x = r.Readings[i];
        const PublishedSheet& p = x.Published;
        const SheetKey* m = p.Members.data();
        if (!IsSheetKey(x.Key) || p.Count < 1 || p.Count > 4 ||
            std::find(m, m + p.Count, x.Key) == m + p.Count)
            std::abort();
        if (x.Joined && (p.Count < 2 || x.Key != p.Members[0])) std::abort();
        for (std::size_t j = 0; j < i; ++j)
            if (r.Readings[j].Key == x.Key && r.Readings[j].Joined == x.Joined) std::abort();
        if (x.Joined ? !ReadsBack(p.New, x) || !ReadsBack(p.Old, x)
                     : !ReadsBack(FormatSheetNew(x.Key), x) || !ReadsBack(FormatSheetOld(x.Key), x))
            std::abort();
    }
    return 0;
}
