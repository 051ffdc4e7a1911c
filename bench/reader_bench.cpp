// The readers on the texts users paste: designations in a mix of spellings, points in a mix of
// formats, and the plain "lat lon" lines the command-line tool streams.
#include "engine/readers.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

using namespace kavu;

namespace {

constexpr std::array<std::string_view, 12> kDesignations{
    " 14-37-004-3", "N-37-4-В", "n37-004-3",        "О-37-123-А",    "N-37-12",      "s 9-34-13",
    "x14-37-1",     " P-37,38", "T-37-1-А,Б,2-А,Б", "R01-03_R01-04", "N-37-4-В-а-2", "N.37.IV"};

constexpr std::array<std::string_view, 10> kPoints{"55.7558, 37.6173",
                                                   "55.7558 37.6173",
                                                   "-33.9 18.4",
                                                   "55,7558; 37,6173",
                                                   "55°45'21.5\"N 37°37'02\"E",
                                                   "N55 45.35 E37 37.03",
                                                   "55 45 21 37 37 02",
                                                   "55°45′21″ с.ш. 37°37′02″ в.д.",
                                                   "S33 54.5 E18 25",
                                                   "+55.7558,-37.6173"};

void DesignationMix(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        DesignationResult r = ReadDesignation(kDesignations[i]);
        benchmark::DoNotOptimize(r);
        i = i + 1 == kDesignations.size() ? 0 : i + 1;
    }
}
BENCHMARK(DesignationMix);

// The forms most texts take: the window's digit notation, the lettered one, archive names.
void DesignationCommonForms(benchmark::State& state) {
    constexpr std::array<std::string_view, 4> kCommon{" 14-37-004-3", "N-37-4-В", "n37-004-3",
                                                      "o37-123-1"};
    std::size_t i = 0;
    for (auto _ : state) {
        DesignationResult r = ReadDesignation(kCommon[i]);
        benchmark::DoNotOptimize(r);
        i = (i + 1) & 3;
    }
}
BENCHMARK(DesignationCommonForms);

// An archive name to the frame of its sheet, as frame of the tool does.
void DesignationThenFrame(benchmark::State& state) {
    for (auto _ : state) {
        const DesignationResult r = ReadDesignation("n37-004-3");
        auto frame = ComputeSheetFrame(r.Readings[0].Key);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(DesignationThenFrame);

void PointMix(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        PointResult r = ReadPoint(kPoints[i]);
        benchmark::DoNotOptimize(r);
        i = i + 1 == kPoints.size() ? 0 : i + 1;
    }
}
BENCHMARK(PointMix);

void PlainPoint(benchmark::State& state) {
    constexpr std::array<std::string_view, 2> kPlain{"55.7558 37.6173", "-55.7558,37.6173"};
    std::size_t i = 0;
    for (auto _ : state) {
        PointResult r = ReadPoint(kPlain[i]);
        benchmark::DoNotOptimize(r);
        i ^= 1;
    }
}
BENCHMARK(PlainPoint);

} // namespace
