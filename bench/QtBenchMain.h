#pragma once

// The start of every benchmark program that needs widgets: offscreen unless a platform is
// chosen, the Russian locale the program runs with, one application object for the run.

#include <benchmark/benchmark.h>
#include <QByteArray>
#include <QLocale>
#include <functional>

#include "ui/Application.h"

namespace bench {

// Runs the benchmarks named on the command line; beforeShutdown frees what the benchmarks
// kept between runs while the application object still exists.
inline int runQtBenchmarks(int argc, char** argv,
                           const std::function<void()>& beforeShutdown = {}) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    ui::Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (beforeShutdown) beforeShutdown();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
