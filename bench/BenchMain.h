// The main of the benchmarks that draw with widgets: an offscreen
// application, then Google Benchmark with its own command line.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

inline int RunWidgetBenchmarks(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
