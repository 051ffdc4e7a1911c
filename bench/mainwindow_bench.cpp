// The window's cost to the user: one keystroke in coordinates-to-sheet mode (ten result fields
// and the log record), and a cold start of the program to its window on screen with the memory
// it then holds. The start is measured on a child process running this same binary.
#include "bench/window_bench.h"
#include "controls/ctlPos/ctlPos.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

using kavu::bench::ResidentKiB;
using kavu::bench::TestServices;

QTemporaryDir* storeDir = nullptr;

void KeystrokeInCoordinatesMode(benchmark::State& state) {
    QSettings store(storeDir->filePath(QStringLiteral("keystroke.ini")), QSettings::IniFormat);
    store.setValue(QStringLiteral("Kavu 1.0/Action"), QStringLiteral("2"));
    kavu::frmMain window(TestServices(&store));
    window.show();
    QLineEdit* latitude = window.Pos(1)->findChild<QLineEdit*>();
    QLineEdit* longitude = window.Pos(3)->findChild<QLineEdit*>();
    longitude->setText(QStringLiteral("37"));
    bool flip = false;
    for (auto _ : state) {
        // Typing a digit: the field validates, reports, and the window recomputes everything.
        latitude->setText(flip ? QStringLiteral("55") : QStringLiteral("56"));
        flip = !flip;
    }
    window.close();
}
BENCHMARK(KeystrokeInCoordinatesMode)->Unit(benchmark::kMicrosecond);

// The child: the program's own start, then report the resident memory once the window shows.
int RunChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QSettings store(storeDir->filePath(QStringLiteral("start.ini")), QSettings::IniFormat);
    kavu::frmMain window(TestServices(&store));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 2;
    std::printf("shown %ld\n", ResidentKiB());
    std::fflush(stdout);
    return 0;
}

void StartToWindowShown(benchmark::State& state) {
    const QString self = QCoreApplication::applicationFilePath();
    double kib = 0;
    for (auto _ : state) {
        QProcess child;
        QElapsedTimer clock;
        clock.start();
        child.start(self, {QStringLiteral("--child")});
        child.waitForReadyRead(10000);
        const qint64 ns = clock.nsecsElapsed();
        const QByteArray line = child.readAllStandardOutput();
        child.waitForFinished(10000);
        if (!line.startsWith("shown ")) {
            state.SkipWithError("the child did not show its window");
            break;
        }
        kib = line.mid(6).trimmed().toDouble();
        state.SetIterationTime(static_cast<double>(ns) * 1e-9);
    }
    state.counters["resident_MiB"] = kib / 1024.0;
}
BENCHMARK(StartToWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir; // for the child, an empty store: a first start
    storeDir = &dir;
    return kavu::bench::WindowBenchMain(argc, argv, RunChild);
}
