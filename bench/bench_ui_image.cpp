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
#include <cstdio>
#include <string>

#include "app/app_context.h"
#include "windows/image_window.h"
#include "windows/star_selection_dialog.h"

namespace lumenda::ui {
namespace {

constexpr int kSide = 4096;

std::string Card(const std::string& key, const std::string& value) {
  std::string card = key;
  card.resize(8, ' ');
  card += "= ";
  card += std::string(value.size() < 20 ? 20 - value.size() : 0, ' ') + value;
  card.resize(80, ' ');
  return card;
}

// A sky of about 1000 ADU with noise and a star every 128 pixels.
std::string WriteFrame(const QString& folder) {
  const std::string path = (folder + QStringLiteral("/campo.fit")).toStdString();
  std::string header = Card("SIMPLE", "T") + Card("BITPIX", "16") + Card("NAXIS", "2") +
                       Card("NAXIS1", std::to_string(kSide)) +
                       Card("NAXIS2", std::to_string(kSide)) + Card("BZERO", "32768") +
                       Card("BSCALE", "1");
  header += std::string("END").append(77, ' ');
  header.resize(2880, ' ');
  std::string data(static_cast<size_t>(kSide) * kSide * 2, '\0');
  uint32_t state = 12345;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      state = state * 1664525u + 1013904223u;
      const double dx = x % 128 - 64;
      const double dy = y % 128 - 64;
      const double star = 20000 * std::exp(-(dx * dx + dy * dy) / 8);
      const auto counts = static_cast<uint32_t>(950 + (state >> 26) + star);
      const size_t i = static_cast<size_t>(y) * kSide + x;
      const auto raw = static_cast<uint16_t>(counts ^ 0x8000);
      data[2 * i] = static_cast<char>(raw >> 8);
      data[2 * i + 1] = static_cast<char>(raw & 0xFF);
    }
  }
  data.resize((data.size() + 2879) / 2880 * 2880, '\0');
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(header.data(), 1, header.size(), f);
  std::fwrite(data.data(), 1, data.size(), f);
  std::fclose(f);
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
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
