// The image window on a 4096 x 4096 frame: opening it (load, automatic
// levels, first picture on the screen), and the new picture after a change of
// "Fondo" or of the zoom.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/app_context.h"
#include "image/fits_writer.h"
#include "ui_bench_main.h"
#include "windows/image_window.h"
#include "windows/star_selection_dialog.h"

namespace lumenda::ui {
namespace {

constexpr int kSide = 4096;

// A sky of about 1000 ADU with noise and a star every 128 pixels.
std::string WriteFrame(const QString& folder) {
  const std::string path = (folder + QStringLiteral("/campo.fit")).toStdString();
  FitsImage16 frame;
  frame.width = kSide;
  frame.height = kSide;
  frame.pixels.resize(static_cast<size_t>(kSide) * kSide);
  uint32_t state = 12345;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      state = state * 1664525u + 1013904223u;
      const double dx = x % 128 - 64;
      const double dy = y % 128 - 64;
      const double star = 20000 * std::exp(-(dx * dx + dy * dy) / 8);
      frame.pixels[static_cast<size_t>(y) * kSide + x] =
          static_cast<uint16_t>(950 + (state >> 26) + star);
    }
  }
  if (!WriteFits16(path, frame).ok()) std::abort();
  return path;
}

struct Bench {
  QTemporaryDir folder;
  AppContext context;
  StarSelectionDialog selection;
  std::string path;

  Bench() {
    context.session.appDir = (folder.path() + QStringLiteral("/")).toStdString();
    path = WriteFrame(folder.path());
  }
  std::unique_ptr<ImageWindow> Open() {
    ImageWindowSetup setup;
    setup.path = path;
    auto window =
        std::make_unique<ImageWindow>(context, context.session.run.image, selection, setup);
    window->Load();
    window->show();
    QApplication::processEvents();  // the first paint
    return window;
  }
};

// Kept to the end: its dialog must not outlive the application.
Bench& Shared() {
  static Bench* bench = new Bench;
  return *bench;
}

void BM_ImageWindowOpens(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) {
    auto window = bench.Open();
    benchmark::DoNotOptimize(window->View().Picture().bits());
    state.PauseTiming();
    window->reject();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ImageWindowOpens)->Unit(benchmark::kMillisecond);

void BM_FondoChangeRenders(benchmark::State& state) {
  auto window = Shared().Open();
  auto* fondo = window->findChild<QScrollBar*>(QStringLiteral("ScrollBar3"));
  const int base = fondo->value();
  int step = 0;
  for (auto _ : state) {
    fondo->setValue(base + (++step % 2 ? 5 : -5));
    QApplication::processEvents();
  }
}
BENCHMARK(BM_FondoChangeRenders)->Unit(benchmark::kMillisecond);

void BM_ZoomChangeRenders(benchmark::State& state) {
  auto window = Shared().Open();
  auto* full = window->findChild<QRadioButton*>(QStringLiteral("rbZ1"));
  auto* half = window->findChild<QRadioButton*>(QStringLiteral("rbZ05"));
  int step = 0;
  for (auto _ : state) {
    (++step % 2 ? half : full)->click();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_ZoomChangeRenders)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumenda::ui

int main(int argc, char** argv) {
  return RunDesktopBenchmarks(argc, argv);
}
