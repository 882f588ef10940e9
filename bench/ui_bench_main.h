// The main of the desktop benchmarks: real windows on the offscreen platform.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

inline int RunDesktopBenchmarks(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
