// The Gauss–Krüger projection through PROJ: one point forward and back, and a sheet's
// corners, which frame --crs gk writes a million times a run.
#include "geo/gauss_kruger.h"

#include <benchmark/benchmark.h>

namespace {

const kavu::geo::GaussKruger& Gk() {
    static std::string error;
    static const auto gk = kavu::geo::GaussKruger::Create(error);
    return *gk;
}

void Forward(benchmark::State& state) {
    double lat = 55.7558, lon = 37.6173;
    kavu::geo::GridPoint p;
    for (auto _ : state) {
        Gk().Forward(7, lat, lon, p);
        benchmark::DoNotOptimize(p);
        lon += 1e-7;
    }
}
BENCHMARK(Forward);

void Inverse(benchmark::State& state) {
    kavu::geo::GridPoint p{6182348, 7413188};
    double lat = 0, lon = 0;
    for (auto _ : state) {
        Gk().Inverse(7, p, lat, lon);
        benchmark::DoNotOptimize(lat);
        p.X += 0.01;
    }
}
BENCHMARK(Inverse);

void Corners(benchmark::State& state) {
    kavu::geo::GridPoint out[5];
    int sub = 1;
    for (auto _ : state) {
        Gk().Corners(kavu::SheetKey{5, 'N', 14, 37, sub, 1}, 0, out);
        benchmark::DoNotOptimize(out);
        sub = sub % 144 + 1;
    }
}
BENCHMARK(Corners);

// Sheets all over the globe, each in its own zone: corners repeat from zone to zone.
void CornersOverTheGlobe(benchmark::State& state) {
    kavu::geo::GridPoint out[5];
    int i = 0;
    for (auto _ : state) {
        const int row = i % 21 + 1, column = i / 21 % 60 + 1, sub = i / 1260 % 144 + 1;
        Gk().Corners(kavu::SheetKey{5, 'N', row, column, sub, i % 4 + 1}, 0, out);
        benchmark::DoNotOptimize(out);
        i = (i + 7919) % (21 * 60 * 144 * 4);
    }
}
BENCHMARK(CornersOverTheGlobe);

} // namespace
