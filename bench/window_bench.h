// What the window benchmarks share: the offscreen platform, a store that confirms every exit,
// the resident memory, and a copy of the benchmark binary started as a child with --child, so
// that a start or a memory figure is the program's own and not the parent's.
#pragma once

#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QSettings>
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <string>

namespace kavu::bench {

inline frmMain::Services TestServices(QSettings* store) {
    frmMain::Services s;
    s.settings = store;
    s.confirmExit = [](const QString&) { return true; };
    return s;
}

inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Runs child(argc, argv) when started with --child, the registered benchmarks otherwise.
template <typename Child> int WindowBenchMain(int argc, char** argv, Child child) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) return child(argc, argv);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace kavu::bench
