// The outline of a sheet's frame as a ring of vertices, dense enough along the parallels to stay
// true once projected (a parallel is curved in every projection a sheet is drawn in).
#pragma once

#include "engine/sheet.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace kavu::geo {

/// Longitude, latitude in degrees: west to east along the south edge, east to west along the
/// north edge (meridians straight between), closed: counter-clockwise from the south-west
/// corner, a vertex every minute of longitude.
inline std::vector<std::pair<double, double>> FrameOutline(const SignedFrame& f) {
    constexpr std::int32_t kStep = 60; // arc-seconds of longitude between vertices of a parallel
    std::vector<std::pair<double, double>> xy;
    const auto deg = [](std::int32_t s) { return s / 3600.0; };
    const std::int32_t steps = std::max<std::int32_t>(1, (f.East - f.West + kStep - 1) / kStep);
    const auto along = [&](std::int32_t i) {
        return i == steps
                   ? f.East
                   : f.West + static_cast<std::int32_t>(std::int64_t{f.East - f.West} * i / steps);
    };
    xy.reserve(2 * static_cast<std::size_t>(steps) + 3);
    for (std::int32_t i = 0; i <= steps; ++i)
        xy.emplace_back(deg(along(i)), deg(f.South));
    for (std::int32_t i = steps; i >= 0; --i)
        xy.emplace_back(deg(along(i)), deg(f.North));
    xy.push_back(xy.front());
    return xy;
}

} // namespace kavu::geo
