// Shared by the engine tests: short keys, and a walk over the sheets of a scale.
#pragma once

#include "engine/sheet.h"

#include <gtest/gtest.h>

#include <string>

namespace kavu::test {

inline SheetKey Key(int scale, char h, int row, int col, int part = 0, int q = 0, int q25 = 0,
                    int q10 = 0) {
    return SheetKey{scale, h, row, col, part, q, q25, q10};
}

inline long SheetCount(int scale) {
    long n = 2L * 21 * 60 * (scale == 1 ? 1 : PartCount(scale));
    for (int s = 5; s <= scale; ++s)
        n *= 4;
    return n;
}

// Calls `visit` for every `stride`-th key of the scale, counted through all keys with the
// finest field fastest, until an assertion fails. A stride prime to 2 and 3 still meets every
// value of every field.
template <class Visit> void ForEachSheet(int scale, long stride, Visit visit) {
    for (long i = 0; i < SheetCount(scale); i += stride) {
        long rest = i;
        auto take = [&rest](int count) {
            const int v = static_cast<int>(rest % count) + 1;
            rest /= count;
            return v;
        };
        SheetKey k{scale};
        if (scale >= 7) k.Quarter10 = take(4);
        if (scale >= 6) k.Quarter25 = take(4);
        if (scale >= 5) k.Quarter = take(4);
        if (scale >= 2) k.SubSheet = take(PartCount(scale));
        k.Column = take(60);
        k.Row = take(21);
        k.Hemisphere = take(2) == 1 ? 'N' : 'S';
        visit(k);
        if (::testing::Test::HasFatalFailure()) break;
    }
}

// `v` in decimal, padded with zeros to `width` digits.
inline std::string Padded(std::int64_t v, std::size_t width) {
    const std::string s = std::to_string(v);
    return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

} // namespace kavu::test
