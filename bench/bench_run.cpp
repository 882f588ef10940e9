// Speed of the photometry run: images per second of the whole run
// (RunPhotometry: load, 50 stars measured, row appended, star file
// rewritten) against the time spent reading the same files alone.
// 200 frames of 2048 x 2048 with 50 stars, written once into a temporary
// folder (about 1.6 GB) and removed at the end.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/fits_image.h"
#include "image/fits_writer.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/star_list.h"
#include "text/number_format.h"

namespace {

namespace fs = std::filesystem;
using namespace lumenda;

constexpr int kSide = 2048;
constexpr int kStars = 50;
constexpr int kComparisons = 10;

int Images() {
  if (const char* env = std::getenv("LUMENDA_BENCH_RUN_IMAGES"); env && *env)
    return std::max(2, std::atoi(env));
  return 200;
}

struct Night {
  std::string folder;
  std::vector<std::string> lista;
  std::vector<std::string> lbVar, lbCali;

  Night() {
    folder =
        (fs::temp_directory_path() / ("lumenda-bench-run-" + std::to_string(::getpid()))).string() +
        "/";
    fs::create_directories(folder);
    FitsImage16 img;
    img.width = kSide;
    img.height = kSide;
    img.pixels.resize(static_cast<size_t>(kSide) * kSide);
    uint32_t state = 7;
    auto next = [&state] {
      state = state * 1664525u + 1013904223u;
      return (state >> 8) / 16777216.0;
    };
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        const double noise = (next() + next() + next() + next() - 2.0) * 20.0;
        img.pixels[static_cast<size_t>(y) * kSide + x] =
            static_cast<uint16_t>(800 + 200.0 * (x + y) / (2.0 * kSide) + noise);
      }
    // A grid of stars well inside the frame, 20000..80000 counts.
    for (int i = 0; i < kStars; ++i) {
      const double sx = 200 + (i % 10) * 180 + 0.3 * i, sy = 200 + (i / 10) * 350 + 0.2 * i;
      const double flux = 20000 + 60000.0 * ((i * 37) % 50) / 50.0, s = 1.4;
      for (int y = static_cast<int>(sy) - 10; y <= static_cast<int>(sy) + 10; ++y)
        for (int x = static_cast<int>(sx) - 10; x <= static_cast<int>(sx) + 10; ++x) {
          const double v = flux / (2 * M_PI * s * s) *
                           std::exp(-((x - sx) * (x - sx) + (y - sy) * (y - sy)) / (2 * s * s));
          uint16_t& p = img.pixels[static_cast<size_t>(y) * kSide + x];
          p = static_cast<uint16_t>(std::min(65535.0, p + v));
        }
      const std::string entry =
          FormatStarEntry(sx, sy, (i < kComparisons ? "C" : "V") + std::to_string(i));
      (i < kComparisons ? lbCali : lbVar).push_back(entry);
    }
    std::vector<std::string> paths;
    for (int i = 0; i < Images(); ++i) {
      const int minute = i * 2;
      img.cards = {StringCard("DATE-OBS", "2024-09-10T" + FormatFloat("00", 20 + minute / 60) +
                                              ":" + FormatFloat("00", minute % 60) + ":00"),
                   NumberCard("EXPTIME", "0.0", 60.0)};
      const std::string path = folder + "frame_" + FormatFloat("000", i) + ".fit";
      WriteFits16(path, img);
      paths.push_back(path);
    }
    TPlaca header;
    lista = BuildImageList(paths, 0, header).value;
    // The frames just written must not be still on their way to the disk
    // when the run's own flushes start.
    ::sync();
  }
  ~Night() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
};

// Processor time of the whole process (all threads), in milliseconds: on a
// busy machine the wall time of a threaded run says little on its own.
double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
         (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void SetCpuPerImage(benchmark::State& state, double cpuMs, size_t images) {
  state.counters["cpu_ms_per_image"] =
      cpuMs / static_cast<double>(state.iterations()) / static_cast<double>(images);
}

Night& TheNight() {
  static Night night;
  return night;
}

void BM_RunWholeNight(benchmark::State& state) {
  Night& night = TheNight();
  const double cpu0 = ProcessCpuMs();
  for (auto _ : state) {
    RunJob job;
    job.ListaFotos = night.lista;
    job.lbVar = night.lbVar;
    job.lbCali = night.lbCali;
    job.settings.aperture = ApertureSettings{10, 10, 10, false, false};
    job.field.scale = 2.0;
    job.field.FieldRAText = "20 15 30.0";
    job.field.FieldDecText = "+38 20 00";
    job.instrumentalPath = night.folder + "instrumental.txt";
    job.starsPath = night.folder + "estrellas.txt";
    const RunOutcome out = RunPhotometry(job);
    if (out.aborted || out.rowsWritten != static_cast<int>(night.lista.size()))
      state.SkipWithError(out.abortText.c_str());
  }
  SetCpuPerImage(state, ProcessCpuMs() - cpu0, night.lista.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(night.lista.size()));
}
BENCHMARK(BM_RunWholeNight)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void BM_ReadFramesOnly(benchmark::State& state) {
  Night& night = TheNight();
  TPlaca image;
  const double cpu0 = ProcessCpuMs();
  for (auto _ : state) {
    for (const std::string& entry : night.lista)
      if (Status loaded = image.LoadFile(EntryPath(entry)); !loaded.ok()) state.SkipWithError(loaded.message.c_str());
    benchmark::DoNotOptimize(image.Pixel(100, 100));
  }
  SetCpuPerImage(state, ProcessCpuMs() - cpu0, night.lista.size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(night.lista.size()));
}
BENCHMARK(BM_ReadFramesOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
