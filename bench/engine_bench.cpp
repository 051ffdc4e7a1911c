// The engine's work per user action: a point to its ten designations (fourteen with the two
// larger scales), a sheet to its frame and six angle texts, one neighbour block, and the
// published sheet of a point.
#include "engine/neighbours.h"
#include "engine/published.h"

#include <benchmark/benchmark.h>

using namespace kavu;

namespace {

// The point entry of coordinates-to-sheet mode: five scales, two notations.
void PointToTenDesignations(benchmark::State& state) {
    std::int32_t lat = 55 * 3600 + 45 * 60;
    const std::int32_t lon = 37 * 3600 + 37 * 60;
    for (auto _ : state) {
        for (int scale = 1; scale <= 5; ++scale) {
            const auto r = SheetOfPoint("N", lat, "E", lon, scale);
            std::string n = FormatSheetNew(r->Key);
            std::string o = FormatSheetOld(r->Key);
            benchmark::DoNotOptimize(n);
            benchmark::DoNotOptimize(o);
        }
        lat = lat == 55 * 3600 + 45 * 60 ? 55 * 3600 + 46 * 60 : 55 * 3600 + 45 * 60;
    }
}
BENCHMARK(PointToTenDesignations);

// The same at all seven scales.
void PointToFourteenDesignations(benchmark::State& state) {
    std::int32_t lat = 55 * 3600 + 45 * 60;
    const std::int32_t lon = 37 * 3600 + 37 * 60;
    for (auto _ : state) {
        for (int scale = 1; scale <= kSheetScaleCount; ++scale) {
            const auto r = SheetOfPoint("N", lat, "E", lon, scale);
            std::string n = FormatSheetNew(r->Key);
            std::string o = FormatSheetOld(r->Key);
            benchmark::DoNotOptimize(n);
            benchmark::DoNotOptimize(o);
        }
        lat = lat == 55 * 3600 + 45 * 60 ? 55 * 3600 + 46 * 60 : 55 * 3600 + 45 * 60;
    }
}
BENCHMARK(PointToFourteenDesignations);

// The published 1:50,000 sheet of a point with its two texts, at a latitude (degrees) where
// sheets stand alone (55), in pairs (70) and in fours (78).
void PublishedSheetOfPoint(benchmark::State& state) {
    std::int32_t lat = static_cast<std::int32_t>(state.range(0)) * 3600 + 45 * 60;
    const std::int32_t lon = 37 * 3600 + 37 * 60;
    for (auto _ : state) {
        const auto r = SheetOfPoint("N", lat, "E", lon, 5);
        auto p = PublishedSheetOf(r->Key);
        benchmark::DoNotOptimize(p);
        lat = lat % 3600 == 45 * 60 ? lat + 10 * 60 : lat - 10 * 60; // the next 1:50,000 row
    }
}
BENCHMARK(PublishedSheetOfPoint)->Arg(55)->Arg(70)->Arg(78);

// The sheet entry of sheet-to-coordinates mode: frame, six angles, both designations.
void SheetToFrameAndTexts(benchmark::State& state) {
    SheetKey key{5, 'N', 14, 37, 4, 3};
    for (auto _ : state) {
        const SheetFrame f = *ComputeSheetFrame(key);
        const std::string_view ns = LetterText(key.Hemisphere);
        const std::string_view ew = LetterText(f.EW);
        std::string t[8] = {FormatAngle(ns, f.Y1, true, false),
                            FormatAngle(ew, f.X1, true, false),
                            FormatAngle(ns, f.Y2, true, false),
                            FormatAngle(ew, f.X2, true, false),
                            FormatAngle(ns, f.Y0, true, false),
                            FormatAngle(ew, f.X0, true, false),
                            FormatSheetNew(key),
                            FormatSheetOld(key)};
        benchmark::DoNotOptimize(t);
        key.SubSheet = key.SubSheet % 144 + 1;
    }
}
BENCHMARK(SheetToFrameAndTexts);

void NeighbourBlock(benchmark::State& state) {
    for (auto _ : state) {
        NeighbourGrid g = ComputeNeighbours(" 14-37-004-3", 135900, 200400);
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(NeighbourBlock);

} // namespace
