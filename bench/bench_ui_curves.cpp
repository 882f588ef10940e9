// The light-curve window on a results file of 10 000 rows and 20 stars: the
// "Magnitudes" page drawn on opening, drawn again after a change of the
// grouping, and the longest stall of the window while the report of the
// whole file is built in HJD or the variables of the field are searched.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cmath>
#include <functional>

#include "astro/time.h"
#include "run/results_file.h"
#include "session/session.h"
#include "text/dates.h"
#include "text/text_file.h"
#include "ui_bench_main.h"
#include "windows/curve_windows.h"
#include "windows/graph_settings_window.h"
#include "windows/light_curve_window.h"
#include "windows/report_page.h"
#include "windows/variables_page.h"

namespace lumenda::ui {
namespace {

constexpr int kRows = 10000;
constexpr int kStars = 20;

// A night of 10 000 images, 30 s apart, 20 stars, three comparison stars.
std::string WriteResultsFile(const std::string& folder) {
  std::vector<std::string> names;
  for (int k = 0; k < kStars; ++k) names.push_back("VS_" + std::to_string(k));
  const std::vector<std::string> comparisons = {"10.52", "11.37", "11.84"};
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
  if (!WriteFileAtomic(path, JoinLines(lines)).ok()) return {};
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

// The longest time the interface thread is away from its events between
// `start()` and the end of the work it hands to a worker, and the whole time.
void MeasureStall(benchmark::State& state, const std::function<void()>& start,
                  const std::function<bool()>& busy) {
  QElapsedTimer clock;
  clock.start();
  start();
  qint64 longest = clock.elapsed(), last = clock.elapsed();
  while (busy()) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  }
  state.counters["stall_ms"] = static_cast<double>(longest);
  state.counters["work_ms"] = static_cast<double>(clock.elapsed());
}

// The general report of 10 000 rows in HJD: the window keeps answering.
void BM_LongestStallWhileTheReportIsBuilt(benchmark::State& state) {
  Fixture f;
  f.session.graph.scale = TimeScale::kHjd;
  f.windows.grafico->show();
  Settle();
  ReportPage* report = f.windows.grafico->Report();
  for (auto _ : state)
    MeasureStall(
        state, [report] { report->GeneralReport(); }, [report] { return report->Building(); });
}
BENCHMARK(BM_LongestStallWhileTheReportIsBuilt)->Unit(benchmark::kMillisecond)->Iterations(2);

// "Sólo posibles variables" on 10 000 rows and 20 stars: the variable search
// runs on a worker, then the page is drawn.
void BM_LongestStallWhileVariablesAreSearched(benchmark::State& state) {
  Fixture f;
  f.windows.grafico->show();
  VariablesPage* page = f.windows.grafico->Variables();
  f.windows.grafico->Pages()->setCurrentWidget(page);
  Settle();
  auto* only = page->findChild<QCheckBox*>(QStringLiteral("cbVariables"));
  for (auto _ : state) {
    MeasureStall(
        state, [only] { only->setChecked(true); }, [page] { return page->Searching(); });
    state.PauseTiming();
    only->setChecked(false);
    Settle();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LongestStallWhileVariablesAreSearched)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace lumenda::ui

int main(int argc, char** argv) {
  return RunDesktopBenchmarks(argc, argv);
}
