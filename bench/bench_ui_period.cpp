// The period window under a long search: how often it repaints its progress
// and how soon a stop takes effect; and the cost of drawing the folded
// light curve of 20 000 points.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "period/period_session.h"
#include "synthetic.h"
#include "ui_bench_main.h"
#include "windows/ephemeris_window.h"
#include "windows/period_chart.h"
#include "windows/period_range_dialog.h"
#include "windows/period_report_window.h"
#include "windows/period_window.h"

namespace lumenda::ui {
namespace {

PeriodData TwentyThousandPoints() {
  test::NightPlan plan;
  plan.nights = 20;
  plan.pointsPerNight = 1000;
  plan.nightOffsets = {0.0, 0.1, -0.05};
  return test::MakeNights(plan);
}

// Counts the paints of one widget and the longest time between two.
class PaintClock : public QObject {
 public:
  explicit PaintClock(QWidget* widget) { widget->installEventFilter(this); }
  void Start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    paints_ = 0;
  }
  qint64 Longest() const { return std::max(longest_, clock_.elapsed() - last_); }
  int Paints() const { return paints_; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && clock_.isValid()) {
      const qint64 now = clock_.elapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
      ++paints_;
    }
    return false;
  }

 private:
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
  int paints_ = 0;
};

// A search of 20 000 points over a fine grid: runs 1.5 s, then is stopped.
void BM_SearchRepaintsAndStops(benchmark::State& state) {
  for (auto _ : state) {
    Session session;
    session.versionText = "Lumenda 2.07";
    PeriodRangeDialog range;
    EphemerisWindow ephemeris;
    PeriodReportWindow report;
    PeriodWindow window(session, range, ephemeris, report);
    window.show();
    session.period.data = TwentyThousandPoints();
    session.period.periodText = "0.23710";
    session.period.search.SearchPending = true;
    // The period label shows the trial period as the search moves on.
    auto* progress = window.findChild<QLabel*>(QStringLiteral("Label1"));
    PaintClock paints(progress);
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dialog) {
        dialog->findChild<QComboBox*>()->setCurrentIndex(5);
        dialog->accept();
      }
    });
    window.StartSearch();
    paints.Start();
    QElapsedTimer running;
    running.start();
    QString lastText;
    int changes = 0;
    while (running.elapsed() < 1500) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      if (progress->text() != lastText) {
        lastText = progress->text();
        ++changes;
      }
    }
    const qint64 longest = paints.Longest();
    QElapsedTimer stopping;
    stopping.start();
    window.StopSearch();
    while (window.Searching()) QApplication::processEvents(QEventLoop::AllEvents, 1);
    state.counters["longest_paint_gap_ms"] = static_cast<double>(longest);
    state.counters["progress_paints"] = paints.Paints();
    state.counters["progress_changes"] = changes;
    state.counters["stop_ms"] = static_cast<double>(stopping.elapsed());
  }
}
BENCHMARK(BM_SearchRepaintsAndStops)->Unit(benchmark::kMillisecond)->Iterations(1);

// Folding 20 000 points and drawing them in phase view with the running mean.
void BM_PhasePictureDrawn(benchmark::State& state) {
  PeriodState period;
  period.data = TwentyThousandPoints();
  period.periodText = "0.23710";
  period.view.enabled = true;
  PeriodChart chart;
  chart.resize(900, 600);
  chart.show();
  QApplication::processEvents();
  for (auto _ : state) {
    const PhasePicture picture = MakePhasePicture(period, 10);
    chart.ShowPicture(picture, true);
    QImage image = chart.grab().toImage();
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_PhasePictureDrawn)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumenda::ui

int main(int argc, char** argv) {
  return RunDesktopBenchmarks(argc, argv);
}
