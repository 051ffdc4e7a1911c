// kavu-sheet's cover routine: every 1:50,000 sheet of a 10 x 10 degree box (2,400 sheets) in
// text and in GeoJSON, written to /dev/null through the tool's own buffer.
#include "cli/commands.h"
#include "cli/writers.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

using namespace kavu::cli;

namespace {

void CoverTenByTenDegrees(benchmark::State& state, Format format) {
    const int fd = ::open("/dev/null", O_WRONLY);
    Output out(fd);
    const Datum datum;
    const auto writer = MakeWriter(format, Command::Cover, out, datum);
    Area area;
    std::string error;
    if (!ReadBox("50,30,60,40", datum, area, error)) state.SkipWithError(error.c_str());
    for (auto _ : state) {
        Cover(area, 5, false, SheetRecord{}, *writer);
        out.Flush();
    }
    state.SetItemsProcessed(state.iterations() * 2400);
    ::close(fd);
}
BENCHMARK_CAPTURE(CoverTenByTenDegrees, Text, Format::Text)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CoverTenByTenDegrees, GeoJson, Format::GeoJson)->Unit(benchmark::kMillisecond);

} // namespace
