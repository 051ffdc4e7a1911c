// The map's repaint at 1000 x 800, offscreen, at four places: the whole world with the
// 1:1,000,000 grid, Europe with 1:200,000, Moscow with 1:10,000, the Arctic with joined sheets;
// the land's decoding when the map first opens; and the memory the program holds before and
// after opening the map and then a track, measured in a child process running this binary.
#include "bench/window_bench.h"
#include "mainwindow/frmMain.h"
#include "mapview/LandData.h"
#include "mapview/MapPainter.h"
#include "mapview/MapWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <string>

using namespace kavu;
using namespace kavu::map;

namespace {

QByteArray LandBytes() {
    QFile file(QStringLiteral(":/kavu/map/land.bin"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const LandData& Land() {
    static const LandData land = [] {
        const QByteArray bytes = LandBytes();
        std::string error;
        return LandData::Decode(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                error)
            .value_or(LandData{});
    }();
    return land;
}

void Repaint(benchmark::State& state, GeoPoint centre, double ppd, int preferred,
             std::optional<SheetKey> sheet) {
    const Viewport view(1000, 800, centre, ppd);
    MapScene scene;
    scene.Land = &Land();
    scene.Preferred = preferred;
    scene.Sheet = sheet;
    scene.Font = QApplication::font();
    QImage image(1000, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        PaintMap(p, view, scene);
    }
    state.counters["scale"] = GridScale(view, preferred);
    state.counters["sheets"] = double(VisibleSheets(view, GridScale(view, preferred)).size());
}

void WorldWithMillionGrid(benchmark::State& state) {
    Repaint(state, {10, 0}, 2.9, 1, SheetKey{1, 'N', 14, 37});
}
void EuropeWith200kGrid(benchmark::State& state) {
    Repaint(state, {50, 15}, 60, 3, SheetKey{3, 'N', 13, 33, 1});
}
void MoscowWith10kGrid(benchmark::State& state) {
    Repaint(state, {55.7558, 37.6173}, 1000, 7, SheetKey{7, 'N', 14, 37, 4, 3, 2, 1});
}
void ArcticWithJoinedSheets(benchmark::State& state) {
    Repaint(state, {77, 60}, 40, 2, SheetKey{2, 'N', 20, 41, 1});
}
BENCHMARK(WorldWithMillionGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(EuropeWith200kGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(MoscowWith10kGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(ArcticWithJoinedSheets)->Unit(benchmark::kMillisecond);

void DecodeLandOnFirstOpen(benchmark::State& state) {
    const QByteArray bytes = LandBytes();
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(LandData::Decode(
            std::string_view(bytes.constData(), std::size_t(bytes.size())), error));
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(DecodeLandOnFirstOpen)->Unit(benchmark::kMillisecond);

// The child: the main window shown, its memory; then the map opened, its memory.
int RunChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings store(dir.filePath(QStringLiteral("start.ini")), QSettings::IniFormat);
    frmMain window(bench::TestServices(&store));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 2;
    const long shown = bench::ResidentKiB();
    window.findChild<QAction*>(QStringLiteral("mnuMap"))->trigger();
    if (!window.MapWindow() || !QTest::qWaitForWindowExposed(window.MapWindow())) return 2;
    QTest::qWait(200); // the first paint
    const long withMap = bench::ResidentKiB();
    // A dropped track brings GDAL and PROJ.
    QFile gpx(dir.filePath(QStringLiteral("walk.gpx")));
    if (!gpx.open(QIODevice::WriteOnly)) return 2;
    gpx.write("<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"bench\" "
              "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
              "<trkpt lat=\"55.60\" lon=\"37.20\"/><trkpt lat=\"55.95\" lon=\"38.10\"/>"
              "</trkseg></trk></gpx>");
    gpx.close();
    if (!window.MapWindow()->OpenTrack(gpx.fileName())) return 2;
    QTest::qWait(200);
    std::printf("%ld %ld %ld\n", shown, withMap, bench::ResidentKiB());
    return 0;
}

void MemoryBeforeAndWithTheMap(benchmark::State& state) {
    double before = 0, with = 0, track = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        child.waitForFinished(30000);
        const QList<QByteArray> kib = child.readAllStandardOutput().trimmed().split(' ');
        if (kib.size() != 3) {
            state.SkipWithError("the child did not open the map");
            break;
        }
        before = kib[0].toDouble();
        with = kib[1].toDouble();
        track = kib[2].toDouble();
    }
    state.counters["start_MiB"] = before / 1024;
    state.counters["with_map_MiB"] = with / 1024;
    state.counters["with_track_MiB"] = track / 1024;
}
BENCHMARK(MemoryBeforeAndWithTheMap)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return bench::WindowBenchMain(argc, argv, RunChild);
}
