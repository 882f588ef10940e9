// `make bench`: the speed goals of the program, each measured beside its
// peer in one run and printed as one table (Markdown, for the README):
// - the photometry run against reading the same frames alone (CPU per frame;
//   200 frames of 2048 x 2048 and of 512 x 512, 10 stars);
// - the star search (`lumenda-cli estrellas`) against source-extractor on the
//   real WW CrA frames, both as whole processes (CPU), the peer at the
//   detection threshold that gives the same number of stars per frame;
// - the default period search on 20000 points over 30 nights, on all cores
//   against one thread (wall time, identical periodograms required);
// - the load of a 4096 x 4096 BITPIX -32 frame against cfitsio's float read
//   (CPU).
// Each figure is taken over repeated runs (Google Benchmark repetitions);
// the table gives the minimum and the median, and the ratio of each.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "image/fits_image.h"
#include "image/fits_writer.h"
#include "period/period_search.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/star_list.h"
#include "text/number_format.h"

#ifdef LUMENDA_HAVE_CFITSIO
#include <fitsio.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace lumenda;

constexpr int kRepetitions = 5;

// ---------------------------------------------------------------- timing

double ProcessCpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ThreadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double Wall() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs a program with its standard output in `output` ("" for /dev/null),
// its errors discarded; CPU seconds of the child (user + system), or a
// negative value when it could not run or failed.
double RunChild(const std::vector<std::string>& args, const std::string& output,
                const std::string& lumendaDir = "") {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (!lumendaDir.empty()) setenv("LUMENDA_DIR", lumendaDir.c_str(), 1);
    std::FILE* out = std::freopen(output.empty() ? "/dev/null" : output.c_str(), "w", stdout);
    std::FILE* err = std::freopen("/dev/null", "w", stderr);
    if (!out || !err) _exit(127);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage u{};
  if (wait4(pid, &status, 0, &u) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// ---------------------------------------------------------------- data

const fs::path& Scratch() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("lumenda-bench-" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// A night of frames with a sky gradient, noise and 10 stars (3 comparison
// stars, 7 variables), written once into the scratch folder.
struct Night {
  std::vector<ImageListItem> lista;
  StarLists stars;
  std::vector<std::string> paths;

  Night(int side, int frames) {
    const fs::path folder = Scratch() / ("night-" + std::to_string(side));
    fs::create_directories(folder);
    FitsImage16 img;
    img.width = img.height = side;
    img.pixels.resize(static_cast<size_t>(side) * side);
    uint32_t state = 7;
    auto next = [&state] {
      state = state * 1664525u + 1013904223u;
      return (state >> 8) / 16777216.0;
    };
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const double noise = (next() + next() + next() + next() - 2.0) * 20.0;
        img.pixels[static_cast<size_t>(y) * side + x] =
            static_cast<uint16_t>(800 + 200.0 * (x + y) / (2.0 * side) + noise);
      }
    for (int i = 0; i < 10; ++i) {
      const double sx = side * (0.15 + 0.07 * i) + 0.3 * i,
                   sy = side * (0.2 + 0.06 * ((i * 7) % 10)) + 0.2 * i;
      const double flux = 40000 + 8000.0 * i, s = 1.4;
      for (int y = static_cast<int>(sy) - 10; y <= static_cast<int>(sy) + 10; ++y)
        for (int x = static_cast<int>(sx) - 10; x <= static_cast<int>(sx) + 10; ++x) {
          const double v = flux / (2 * M_PI * s * s) *
                           std::exp(-((x - sx) * (x - sx) + (y - sy) * (y - sy)) / (2 * s * s));
          uint16_t& p = img.pixels[static_cast<size_t>(y) * side + x];
          p = static_cast<uint16_t>(std::min(65535.0, p + v));
        }
      (i < 3 ? stars.comparisons : stars.variables)
          .push_back(
              ParseStarEntry(FormatStarEntry(sx, sy, (i < 3 ? "C" : "V") + std::to_string(i))));
    }
    for (int i = 0; i < frames; ++i) {
      const int minute = i * 2;
      img.cards = {StringCard("DATE-OBS", "2024-09-10T" + FormatFloat("00", 20 + minute / 60) +
                                              ":" + FormatFloat("00", minute % 60) + ":00"),
                   NumberCard("EXPTIME", "0.0", 60.0)};
      const std::string path = (folder / ("frame_" + FormatFloat("000", i) + ".fit")).string();
      if (!WriteFits16(path, img).ok()) std::abort();
      paths.push_back(path);
    }
    lista = ListImages(paths, 0).value;
  }
};

Night& NightOf(int side) {
  static std::map<int, Night> nights;
  auto it = nights.find(side);
  if (it == nights.end()) it = nights.emplace(side, Night(side, 200)).first;
  return it->second;
}

// ---------------------------------------------------------------- run rows

void RunLoaderAlone(benchmark::State& state, int side) {
  Night& night = NightOf(side);
  TPlaca image;
  for (auto _ : state) {
    const double cpu0 = ProcessCpu();
    for (const std::string& path : night.paths)
      if (Status loaded = image.LoadFile(path); !loaded.ok())
        state.SkipWithError(loaded.message.c_str());
    state.SetIterationTime((ProcessCpu() - cpu0) / static_cast<double>(night.paths.size()));
  }
}

void RunWholeNight(benchmark::State& state, int side) {
  Night& night = NightOf(side);
  const fs::path folder = Scratch() / ("run-" + std::to_string(side));
  fs::create_directories(folder);
  for (auto _ : state) {
    RunJob job;
    job.ListaFotos = night.lista;
    job.stars = night.stars;
    job.field.scale = 2.0;
    job.field.FieldRAText = "20 15 30.0";
    job.field.FieldDecText = "+38 20 00";
    job.instrumentalPath = (folder / "instrumental.txt").string();
    job.starsPath = (folder / "estrellas.txt").string();
    const double cpu0 = ProcessCpu();
    const RunOutcome out = RunPhotometry(job);
    state.SetIterationTime((ProcessCpu() - cpu0) / static_cast<double>(night.lista.size()));
    if (!out.status.ok() || out.aborted || out.rowsWritten != static_cast<int>(night.lista.size()))
      state.SkipWithError("the run stopped");
  }
}

// ---------------------------------------------------------------- star search

struct Catalogue {
  std::vector<std::array<double, 3>> stars;  // x, y (0-based pixels), flux
};

// Our listing: x, y, flux in the first three fields.
Catalogue ReadOurs(const std::string& text) {
  Catalogue c;
  std::istringstream in(text);
  double x, y, f;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    if (fields >> x >> y >> f) c.stars.push_back({x, y, f});
  }
  return c;
}

// The peer's ASCII catalogue (1-based pixels), comments skipped.
Catalogue ReadPeer(const std::string& path) {
  Catalogue c;
  std::istringstream in(ReadAll(path));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    double x, y, f;
    if (fields >> x >> y >> f) c.stars.push_back({x - 1, y - 1, f});
  }
  return c;
}

struct StarSearchSetup {
  bool ready = false;
  std::string why;  // when not ready
  std::string cli, home, config, timedParams, matchParams;
  std::vector<std::string> frames;
  std::vector<double> thresholds;  // the peer's, per frame
  int ourStars = 0, peerStars = 0;
  double recall = 0, medianOffset = 0;
};

std::vector<std::string> PeerArgs(const StarSearchSetup& s, const std::string& frame,
                                  double threshold, const std::string& params,
                                  const std::string& catalogue) {
  return {"source-extractor",
          frame,
          "-c",
          s.config,
          "-PARAMETERS_NAME",
          params,
          "-FILTER",
          "N",
          "-CATALOG_NAME",
          catalogue,
          "-CATALOG_TYPE",
          "ASCII",
          "-VERBOSE_TYPE",
          "QUIET",
          "-CHECKIMAGE_TYPE",
          "NONE",
          "-WRITE_XML",
          "N",
          "-DETECT_THRESH",
          FloatToStr(threshold)};
}

StarSearchSetup& StarSearch() {
  static StarSearchSetup s = [] {
    StarSearchSetup s;
    std::string shared = LUMENDA_SHARED_DIR;
    if (const char* env = std::getenv("LUMENDA_SHARED"); env && *env) shared = env;
    const fs::path dir = fs::path(shared) / "data/real/wwcra-road-2015/frames";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
      if (entry.path().extension() == ".fit") s.frames.push_back(entry.path().string());
    std::sort(s.frames.begin(), s.frames.end());
    if (s.frames.empty()) {
      s.why = "real frames not found (" + dir.string() + ")";
      return s;
    }
    const fs::path work = Scratch() / "stars";
    fs::create_directories(work / "home");
    s.cli = LUMENDA_CLI;
    s.home = (work / "home").string() + "/";
    s.config = (work / "peer.sex").string();
    s.timedParams = (work / "timed.param").string();
    s.matchParams = (work / "match.param").string();
    std::ofstream(s.timedParams) << "X_IMAGE\nY_IMAGE\nFLUX_AUTO\n";
    std::ofstream(s.matchParams) << "XWIN_IMAGE\nYWIN_IMAGE\nFLUX_AUTO\n";
    if (RunChild({"source-extractor", "-d"}, s.config) < 0) {
      s.why = "source-extractor not installed";
      return s;
    }
    // Per frame: our list, then the peer's threshold that gives the same
    // number of stars (the count falls as the threshold rises).
    std::vector<double> offsets;
    int above = 0, found = 0;
    for (const std::string& frame : s.frames) {
      const std::string ours = (work / "ours.txt").string();
      if (RunChild({s.cli, "estrellas", frame}, ours, s.home) < 0) {
        s.why = "lumenda-cli estrellas failed";
        return s;
      }
      const Catalogue mine = ReadOurs(ReadAll(ours));
      const std::string peer = (work / "peer.cat").string();
      auto count = [&](double threshold) {
        RunChild(PeerArgs(s, frame, threshold, s.timedParams, peer), "");
        return static_cast<int>(ReadPeer(peer).stars.size());
      };
      double lo = 1, hi = 80;
      for (int step = 0; step < 12; ++step) {
        const double mid = std::sqrt(lo * hi);
        (count(mid) > static_cast<int>(mine.stars.size()) ? lo : hi) = mid;
      }
      const double threshold = std::abs(count(lo) - static_cast<int>(mine.stars.size())) <
                                       std::abs(count(hi) - static_cast<int>(mine.stars.size()))
                                   ? lo
                                   : hi;
      s.thresholds.push_back(threshold);
      // Recall and positions against the peer's windowed positions.
      RunChild(PeerArgs(s, frame, threshold, s.matchParams, peer), "");
      const Catalogue theirs = ReadPeer(peer);
      s.ourStars += static_cast<int>(mine.stars.size());
      s.peerStars += static_cast<int>(theirs.stars.size());
      for (const auto& t : theirs.stars) {
        if (t[2] <= 5000) continue;
        ++above;
        double best = 1e9;
        for (const auto& m : mine.stars)
          best = std::min(best, std::hypot(m[0] - t[0], m[1] - t[1]));
        if (best <= 1.5) {
          ++found;
          offsets.push_back(best);
        }
      }
    }
    std::sort(offsets.begin(), offsets.end());
    s.recall = above > 0 ? static_cast<double>(found) / above : 0;
    s.medianOffset = offsets.empty() ? 0 : offsets[offsets.size() / 2];
    s.ready = true;
    return s;
  }();
  return s;
}

void StarsLumenda(benchmark::State& state) {
  StarSearchSetup& s = StarSearch();
  if (!s.ready) return state.SkipWithError(s.why.c_str());
  for (auto _ : state) {
    double cpu = 0;
    for (const std::string& frame : s.frames)
      cpu += RunChild({s.cli, "estrellas", frame}, "", s.home);
    state.SetIterationTime(cpu);
  }
}

void StarsPeer(benchmark::State& state) {
  StarSearchSetup& s = StarSearch();
  if (!s.ready) return state.SkipWithError(s.why.c_str());
  const std::string catalogue = (Scratch() / "stars/timed.cat").string();
  for (auto _ : state) {
    double cpu = 0;
    for (size_t i = 0; i < s.frames.size(); ++i)
      cpu += RunChild(PeerArgs(s, s.frames[i], s.thresholds[i], s.timedParams, catalogue), "");
    state.SetIterationTime(cpu);
  }
}

// ---------------------------------------------------------------- period search

// Thirty nights one day apart, 0.35 d each, a pulsating star of 0.3127 d with
// a zero point of its own every night.
PeriodData ThirtyNights(int points) {
  PeriodData data;
  uint64_t state = 88172645463325252ULL;
  auto uniform = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
  };
  const int nights = 30, perNight = points / nights;
  for (int night = 0; night < nights; ++night) {
    const double offset = 0.05 * (night % 3) - 0.05;
    std::vector<ObservationPoint> seen;
    double sum = 0;
    for (int i = 0; i < perNight; ++i) {
      ObservationPoint p;
      p.Time = 2459000.3 + night + 0.35 * (i + uniform()) / perNight;
      const double phase = std::fmod((p.Time - 2459000.3) / 0.3127, 1.0);
      p.Magnitude = 12 + 0.4 * (phase < 0.2 ? 1 - 10 * phase : -1 + 2.5 * (phase - 0.2)) + offset +
                    0.01 * (uniform() - 0.5);
      p.Series = night;
      sum += p.Magnitude;
      seen.push_back(p);
    }
    for (ObservationPoint& p : seen) {
      p.CentredMagnitude = p.Magnitude - sum / perNight;
      data.Observations.push_back(p);
    }
  }
  data.SeriesOffsets.assign(nights, 0.0);
  SortByTime(data.Observations);
  return data;
}

struct PeriodSetup {
  PeriodData data = ThirtyNights(20000);
  std::vector<double> trials;
  Periodogram oneThread;
  bool identical = true;
  double cores = 0;  // CPU over wall time of the parallel search, best run

  PeriodSetup() {
    SearchState search;
    PeriodData copy = data;
    if (PrepareSearch(copy, search).ok())
      trials = TrialPeriods(kDefaultMinPeriod, ParseDouble(MaxPeriodText(search)).value_or(1),
                            kIncrements[kDialogIncrementIndex]);
  }
};

PeriodSetup& Period() {
  static PeriodSetup setup;
  return setup;
}

bool SamePeriodogram(const Periodogram& a, const Periodogram& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Period != b[i].Period || a[i].Dispersion != b[i].Dispersion) return false;
  return true;
}

void PeriodSearch(benchmark::State& state, unsigned threads) {
  PeriodSetup& p = Period();
  for (auto _ : state) {
    const double wall0 = Wall(), cpu0 = ProcessCpu();
    Result<Periodogram> found =
        GridSearch(p.data, MagnitudeMode::kRelative, p.trials, {}, {}, threads);
    const double wall = Wall() - wall0;
    state.SetIterationTime(wall);
    if (!found.ok()) state.SkipWithError(found.message.c_str());
    if (threads == 1) {
      p.oneThread = std::move(found.value);
    } else {
      p.identical = p.identical && SamePeriodogram(found.value, p.oneThread);
      p.cores = std::max(p.cores, (ProcessCpu() - cpu0) / wall);
    }
  }
  state.counters["trials"] = static_cast<double>(p.trials.size());
}

// ---------------------------------------------------------------- float load

const std::string& FloatFrame() {
  static const std::string path = [] {
    const int side = 4096;
    const std::string p = (Scratch() / "float-4096.fit").string();
    auto card = [](const std::string& key, const std::string& value) {
      std::string c = key;
      c.resize(8, ' ');
      c += "= " + std::string(value.size() < 20 ? 20 - value.size() : 0, ' ') + value;
      c.resize(80, ' ');
      return c;
    };
    std::string header = card("SIMPLE", "T") + card("BITPIX", "-32") + card("NAXIS", "2") +
                         card("NAXIS1", std::to_string(side)) +
                         card("NAXIS2", std::to_string(side));
    header += std::string("END").append(77, ' ');
    header.resize(2880, ' ');
    const size_t n = static_cast<size_t>(side) * side;
    std::string data(n * 4, '\0');
    uint32_t state = 12345;
    for (size_t i = 0; i < n; ++i) {
      state = state * 1664525u + 1013904223u;
      const float f = static_cast<float>(900 + (state >> 22)) + 0.25f;  // sky-like values
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      for (int b = 0; b < 4; ++b) data[4 * i + b] = static_cast<char>(bits >> (24 - 8 * b));
    }
    data.resize((data.size() + 2879) / 2880 * 2880, '\0');
    std::ofstream(p, std::ios::binary) << header << data;
    return p;
  }();
  return path;
}

void FloatLumenda(benchmark::State& state) {
  TPlaca image;
  for (auto _ : state) {
    const double cpu0 = ThreadCpu();
    if (Status loaded = image.LoadFile(FloatFrame()); !loaded.ok())
      state.SkipWithError(loaded.message.c_str());
    state.SetIterationTime(ThreadCpu() - cpu0);
  }
}

void FloatPeer(benchmark::State& state) {
#ifdef LUMENDA_HAVE_CFITSIO
  std::vector<float> pixels(size_t{4096} * 4096);
  for (auto _ : state) {
    const double cpu0 = ThreadCpu();
    fitsfile* file = nullptr;
    int status = 0, anyNull = 0;
    long first[2] = {1, 1};
    fits_open_file(&file, FloatFrame().c_str(), READONLY, &status);
    fits_read_pix(file, TFLOAT, first, static_cast<LONGLONG>(pixels.size()), nullptr, pixels.data(),
                  &anyNull, &status);
    fits_close_file(file, &status);
    state.SetIterationTime(ThreadCpu() - cpu0);
    if (status != 0) state.SkipWithError("cfitsio failed");
  }
#else
  state.SkipWithError("cfitsio not installed");
#endif
}

// ---------------------------------------------------------------- table

// Keeps every repetition's time per benchmark, besides the usual console
// output.
class Collector : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      if (run.error_occurred) {
        errors[run.run_name.function_name] = run.error_message;
        continue;
      }
      times[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                  static_cast<double>(run.iterations));
    }
  }
  std::map<std::string, std::vector<double>> times;
  std::map<std::string, std::string> errors;
};

struct Spread {
  double min = 0, median = 0;
  bool ok = false;
};

Spread SpreadOf(const Collector& c, const std::string& name) {
  auto it = c.times.find(name);
  if (it == c.times.end() || it->second.empty()) return {};
  std::vector<double> v = it->second;
  std::sort(v.begin(), v.end());
  return {v.front(), v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2,
          true};
}

std::string Figure(double seconds, double scale, const char* mask, const char* unit) {
  return FormatFloat(mask, seconds * scale) + unit;
}

double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}

}  // namespace

int main(int argc, char** argv) {
  using benchmark::RegisterBenchmark;
  const double loadBefore = LoadAverage();
  auto manual = [](benchmark::internal::Benchmark* b, int repetitions = kRepetitions) {
    b->UseManualTime()->Iterations(1)->Repetitions(repetitions)->Unit(benchmark::kMillisecond);
  };
  manual(RegisterBenchmark("run_2048_loader", RunLoaderAlone, 2048));
  manual(RegisterBenchmark("run_2048_lumenda", RunWholeNight, 2048));
  manual(RegisterBenchmark("run_512_loader", RunLoaderAlone, 512));
  manual(RegisterBenchmark("run_512_lumenda", RunWholeNight, 512));
  manual(RegisterBenchmark("stars_peer", StarsPeer));
  manual(RegisterBenchmark("stars_lumenda", StarsLumenda));
  manual(RegisterBenchmark("period_one_thread", PeriodSearch, 1u));
  manual(RegisterBenchmark("period_lumenda", PeriodSearch, 0u));
  manual(RegisterBenchmark("float_peer", FloatPeer), 20);
  manual(RegisterBenchmark("float_lumenda", FloatLumenda), 20);
  benchmark::Initialize(&argc, argv);
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const double loadAfter = LoadAverage();

  struct Row {
    std::string work, ours, peer, goal;
    Spread a, b;
    double scale;
    const char *mask, *unit;
    double goalRatio;     // ratio goal (min and median must meet it), or 0
    double goalAbsolute;  // goal on our median in seconds, or 0
    std::string note;
  };
  // Rows left out by --benchmark_filter cost nothing.
  const auto ran = [&collector](const std::string& name) {
    return collector.times.count(name) + collector.errors.count(name) > 0;
  };
  static const StarSearchSetup starsNotRun;
  const StarSearchSetup& stars = ran("stars_lumenda") ? StarSearch() : starsNotRun;
  const PeriodSetup* periodRun = ran("period_lumenda") ? &Period() : nullptr;
  std::vector<Row> rows = {
      {"`proceso`, 200 frames of 2048², 10 stars", "run", "reading alone", "≤ 1.3 × reading alone",
       SpreadOf(collector, "run_2048_lumenda"), SpreadOf(collector, "run_2048_loader"), 1e3,
       "0.000", " ms CPU/frame", 1.3, 0, ""},
      {"`proceso`, 200 frames of 512², 10 stars", "run", "reading alone", "≤ 1.5 × reading alone",
       SpreadOf(collector, "run_512_lumenda"), SpreadOf(collector, "run_512_loader"), 1e3, "0.000",
       " ms CPU/frame", 1.5, 0, ""},
      {"`estrellas`, 10 real WW CrA frames 1365²", "lumenda-cli", "source-extractor",
       "≤ 1.0 × source-extractor", SpreadOf(collector, "stars_lumenda"),
       SpreadOf(collector, "stars_peer"), 1, "0.000", " s CPU", 1.0, 0,
       stars.ready
           ? IntToStr(stars.ourStars) + " stars against the peer's " + IntToStr(stars.peerStars) +
                 "; recall " + FormatFloat("0", 100 * stars.recall) +
                 " % of the peer's stars above flux 5000; median offset " +
                 FormatFloat("0.000", stars.medianOffset) + " px (peer's windowed positions)"
           : stars.why},
      {"`periodo`, default search, 20000 points over 30 nights", "all cores", "one thread",
       "≤ 0.35 s wall on 2 cores", SpreadOf(collector, "period_lumenda"),
       SpreadOf(collector, "period_one_thread"), 1, "0.000", " s wall", 0, 0.35,
       periodRun
           ? IntToStr(static_cast<long long>(periodRun->trials.size())) + " trials; periodogram " +
                 (periodRun->identical ? "identical" : "DIFFERENT") + " to the one-thread run; " +
                 FormatFloat("0.0", periodRun->cores) + " cores busy"
           : ""},
      {"BITPIX -32 load, 4096²", "TPlaca", "cfitsio float read", "≤ 1.0 × cfitsio",
       SpreadOf(collector, "float_lumenda"), SpreadOf(collector, "float_peer"), 1e3, "0.00",
       " ms CPU", 1.0, 0, ""},
  };

  std::printf("\n## Lumenda against its peers\n\n");
  std::printf(
      "%u cores; load average %s before, %s after; minimum / median of the repetitions.\n\n",
      std::thread::hardware_concurrency(), FormatFloat("0.00", loadBefore).c_str(),
      FormatFloat("0.00", loadAfter).c_str());
  std::printf("| Work | Lumenda | Peer | Ratio | Goal | Met |\n|---|---|---|---|---|---|\n");
  bool allMet = true;
  for (const Row& r : rows) {
    if (!r.a.ok || !r.b.ok) {
      std::string why = r.note;
      for (const auto& [name, error] : collector.errors) why += " " + name + ": " + error;
      std::printf("| %s | — | — | — | %s | not measured: %s |\n", r.work.c_str(), r.goal.c_str(),
                  why.c_str());
      allMet = false;
      continue;
    }
    const double ratioMin = r.a.min / r.b.min, ratioMedian = r.a.median / r.b.median;
    const bool met = r.goalRatio > 0 ? ratioMin <= r.goalRatio && ratioMedian <= r.goalRatio
                                     : r.a.median <= r.goalAbsolute;
    allMet = allMet && met;
    std::printf("| %s | %s: %s / %s | %s: %s / %s | %s / %s | %s | %s |\n", r.work.c_str(),
                r.ours.c_str(), Figure(r.a.min, r.scale, r.mask, "").c_str(),
                Figure(r.a.median, r.scale, r.mask, r.unit).c_str(), r.peer.c_str(),
                Figure(r.b.min, r.scale, r.mask, "").c_str(),
                Figure(r.b.median, r.scale, r.mask, r.unit).c_str(),
                FormatFloat("0.00", ratioMin).c_str(), FormatFloat("0.00", ratioMedian).c_str(),
                r.goal.c_str(), met ? "yes" : "**no**");
  }
  for (const Row& r : rows)
    if (!r.note.empty() && r.a.ok) std::printf("\n- %s: %s.", r.work.c_str(), r.note.c_str());
  std::printf("\n\n%s\n", allMet ? "Every goal met." : "Some goals not met.");
  std::error_code ec;
  fs::remove_all(Scratch(), ec);
  return 0;
}
