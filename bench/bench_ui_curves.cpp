// The light-curve window on a results file of 10 000 rows and 20 stars: the
// "Magnitudes" page drawn on opening, drawn again after a change of the
// grouping, and the longest stall of the window while the report of the
// whole file is built in HJD.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cmath>

#include "astro/time.h"
#include "run/results_file.h"
#include "session/session.h"
#include "text/dates.h"
#include "text/text_file.h"
#include "windows/curve_windows.h"
#include "windows/graph_settings_window.h"
#include "windows/light_curve_window.h"
#include "windows/report_page.h"

namespace lumenda::ui {
namespace {

constexpr int kRows = 10000;
constexpr int kStars = 20;

// A night of 10 000 images, 30 s apart, 20 stars, three comparison stars.
std::string WriteResultsFile(const std::string& folder) {
  std::vector<std::string> names;
  for (int k = 0; k < kStars; ++k) names.push_back("VS_" + std::to_string(k));
  const std::vector<std::string> comparisons = {
      "0100.00  0200.00  10.52", "0300.00  0200.00  11.37", "0200.00  0400.00  11.84"};
  std::vector<std::string> lines =
      ResultsHeaderBlock("20 15 30.0", "+38 20 00", comparisons, {}, names);
  const double start = *EncodeDate(2024, 9, 10) + 0.8;
  for (int i = 0; i < kRows; ++i) {
    ResultsRow row;
    row.num = i;
    row.date = DateTimeToDateString(start + i * 30.0 / 86400.0);
    row.compara = 300000 + (i % 17) * 100;
    for (int k = 0; k < kStars; ++k) {
      const double m = 10 + 0.1 * k + 0.2 * std::sin(i * 0.01 * (k + 1));
      row.stars.push_back({static_cast<int64_t>(300000 * std::pow(10, -0.4 * (m - 10))), m});
    }
    row.airMass = 1.2 + i * 1e-5;
    row.fwhm = 3.0;
    row.fondo = 1000;
    row.skyMag = 12;
    row.position = "0100.00  0200.00";
    row.path = folder + "img_" + std::to_string(i) + ".fit";
    lines.push_back(FormatResultsRow(row));
  }
  const std::string path = folder + "grande.txt";
  WriteFileAtomic(path, JoinLines(lines));
  return path;
}

struct Fixture {
  QTemporaryDir home;
  Session session;
  QWidget holder;
  CurveWindows windows;
  Fixture() {
    const std::string dir = home.path().toStdString() + "/";
    const std::string file = WriteResultsFile(dir);
    (void)OpenSession(session, dir, {});
    auto recovered = RecoverResults({file}, ResultsFilePath(session));
    ApplyRecovery(session.run, std::move(recovered.value));
    windows = CreateCurveWindows(session, &holder);
    windows.confG->FillStarChoosers();
  }
};

void Settle() {
  QApplication::processEvents();
}

void BM_MagnitudesPageOnOpening(benchmark::State& state) {
  Fixture f;
  // The first showing also builds the window's widgets once for all.
  f.windows.grafico->show();
  Settle();
  f.windows.grafico->hide();
  Settle();
  for (auto _ : state) {
    f.windows.grafico->show();
    f.windows.grafico->repaint();
    Settle();
    state.PauseTiming();
    f.windows.grafico->hide();
    Settle();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MagnitudesPageOnOpening)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MagnitudesPageAfterGrouping(benchmark::State& state) {
  Fixture f;
  f.windows.grafico->show();
  Settle();
  auto* images = f.windows.confG->findChild<QSpinBox*>(QStringLiteral("udImagenes"));
  int n = 1;
  for (auto _ : state) {
    images->setValue(n = n == 1 ? 3 : 1);
    f.windows.grafico->repaint();
    Settle();
  }
}
BENCHMARK(BM_MagnitudesPageAfterGrouping)->Unit(benchmark::kMillisecond)->Iterations(6);

// The same in HJD: every plotted time is a heliocentric correction.
void BM_MagnitudesPageAfterGroupingHjd(benchmark::State& state) {
  Fixture f;
  f.session.graph.scale = TimeScale::kHjd;
  f.windows.grafico->show();
  Settle();
  auto* images = f.windows.confG->findChild<QSpinBox*>(QStringLiteral("udImagenes"));
  int n = 1;
  for (auto _ : state) {
    images->setValue(n = n == 1 ? 3 : 1);
    f.windows.grafico->repaint();
    Settle();
  }
}
BENCHMARK(BM_MagnitudesPageAfterGroupingHjd)->Unit(benchmark::kMillisecond)->Iterations(4);

// The general report of 10 000 rows in HJD: the window keeps answering.
void BM_LongestStallWhileTheReportIsBuilt(benchmark::State& state) {
  Fixture f;
  f.session.graph.scale = TimeScale::kHjd;
  f.windows.grafico->show();
  Settle();
  ReportPage* report = f.windows.grafico->Report();
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    report->GeneralReport();
    longest = clock.elapsed();
    last = clock.elapsed();
    while (report->Building()) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
    }
    state.counters["stall_ms"] = static_cast<double>(longest);
    state.counters["report_ms"] = static_cast<double>(clock.elapsed());
  }
}
BENCHMARK(BM_LongestStallWhileTheReportIsBuilt)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace lumenda::ui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
