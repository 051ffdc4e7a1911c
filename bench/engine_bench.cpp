// The engine's work per user action: a point to its ten designations, a sheet to its frame
// and six angle texts, and one neighbour block.
#include "engine/neighbours.h"

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
