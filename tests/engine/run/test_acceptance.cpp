// Acceptance: the simulated sample night against its truth file, and real
// frames of one night (WW CrA field, 2015) against a peer tool's light curve.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "astro/time.h"
#include "image/measure_star.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/run_state.h"
#include "run/star_list.h"
#include "run/star_marking.h"
#include "sample_night_run.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;

constexpr int kImages = 60;

struct Night {
  test::TempDir dir;
  ProcesoOutcome out;
  // From verdad.txt: "ESTRELLA" lines name the stars in order; each "IMAGEN"
  // row gives file, date, JD, air mass, clouds, FWHM, sky, then per star
  // MAG X Y CUENTAS.
  std::map<std::string, std::vector<double>> truth;  // per star, per image

  Night() {
    out = test::RunSampleNight(dir.path(), kImages);
    std::vector<std::string> stars;
    for (const std::string& line :
         ReadTextLines(dir.File("noche/verdad.txt")).value_or(std::vector<std::string>{})) {
      std::istringstream in(line);
      std::vector<std::string> f;
      for (std::string w; in >> w;) f.push_back(w);
      if (f.size() > 1 && f[0] == "ESTRELLA") stars.push_back(f[1]);
      if (f.empty() || f[0] != "IMAGEN") continue;
      for (size_t s = 0; s < stars.size(); ++s)
        truth[stars[s]].push_back(*ParseDouble(f[8 + 4 * s]));
    }
  }

  // The values of one star column of a table, per row.
  std::vector<double> Column(const std::vector<std::string>& table, const std::string& name) {
    const auto& names = out.tables.lbNomVar;
    const int k = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    std::vector<double> v;
    for (size_t i = 2; i < table.size(); ++i)
      v.push_back(ParseDouble(Field(table[i], rf::TableStarValue(k))).value_or(NAN));
    return v;
  }
};

Night& TheNight() {
  static Night night;
  return night;
}

double Mean(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x / static_cast<double>(v.size());
  return s;
}

double Scatter(const std::vector<double>& v) {
  const double m = Mean(v);
  std::vector<double> d2;
  for (double x : v) d2.push_back((x - m) * (x - m));
  return std::sqrt(Mean(d2));
}

// The files and tables of this run are pinned by the reference files; here
// the numbers are held against the night's truth.
TEST(SampleNight, MagnitudesFollowTheTruth) {
  Night& n = TheNight();
  ASSERT_TRUE(n.out.status.ok()) << n.out.status.message;
  const std::pair<const char*, double> cases[] = {{"ECLIPSANTE", 0.02}, {"PULSANTE", 0.04}};
  for (const auto& [star, maxScatter] : cases) {
    const auto measured = n.Column(n.out.tables.tDiferencia, star);
    const auto& truth = n.truth.at(star);
    ASSERT_EQ(measured.size(), truth.size());
    std::vector<double> diff;
    for (size_t i = 0; i < truth.size(); ++i) diff.push_back(measured[i] - truth[i] + Mean(truth));
    EXPECT_LT(Scatter(diff), maxScatter) << star;
    // The curve really moves: the scatter is not small because nothing varies.
    EXPECT_GT(Scatter(truth), 0.05) << star;
    EXPECT_GT(Scatter(measured), 0.05) << star;
  }
  // The check star comes back at its catalogue magnitude.
  ASSERT_FALSE(n.out.tables.tAbsoluta.empty());
  const auto check = n.Column(n.out.tables.tAbsoluta, "CHK_11.20");
  EXPECT_NEAR(Mean(check), 11.20, 0.05);
  for (double m : check) EXPECT_NEAR(m, 11.20, 0.1);
}

struct PeerPoint {
  double jd, mag, x, y;  // x, y: 1-based pixel position
};

// The first `rows` lines of the peer's light curve: JD, mag, error, x, y.
std::vector<PeerPoint> PeerCurve(const std::string& path, size_t rows) {
  std::vector<PeerPoint> out;
  for (const std::string& line : ReadTextLines(path).value_or(std::vector<std::string>{})) {
    if (out.size() == rows) break;
    std::istringstream in(line);
    std::string w[5];
    for (std::string& v : w) in >> v;
    out.push_back({*ParseDouble(w[0]), *ParseDouble(w[1]), *ParseDouble(w[3]), *ParseDouble(w[4])});
  }
  return out;
}

// Pearson correlation, and the rms of a against b less its mean.
std::pair<double, double> Compare(const std::vector<double>& a, const std::vector<double>& b) {
  const double n = static_cast<double>(a.size());
  double ma = 0, mb = 0, sab = 0, saa = 0, sbb = 0, sdd = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    ma += a[i] / n;
    mb += b[i] / n;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    sab += (a[i] - ma) * (b[i] - mb);
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
    sdd += (a[i] - b[i] + mb) * (a[i] - b[i] + mb);
  }
  return {sab / std::sqrt(saa * sbb), std::sqrt(sdd / n)};
}

// The frames are not registered: the field jumps by up to 6 pixels between
// exposures, more than the run's re-centring follows (it looks 3 pixels
// around the last position). As an observer would, each later frame is
// processed as a following series whose star file is first relocated by
// reference 1 (the first line, the target): the "click" on it is its last
// position moved by the drift of the peer's own positions, then re-centred.
TEST(RealFrames, DifferentialCurveFollowsThePeerTool) {
  LUMENDA_REQUIRE_REAL_DATA();
  const std::string dir = test::RealDataDir() + "wwcra-road-2015/";
  if (!DirectoryExists(dir + "frames")) GTEST_SKIP() << "wwcra-road-2015 not present";
  const auto paths = FitsFilesInFolder(dir + "frames");
  ASSERT_EQ(paths.size(), 10u);
  const auto peer = PeerCurve(dir + "vast_lightcurve_out02391.dat", 10);
  ASSERT_EQ(peer.size(), 10u);
  test::TempDir work;

  TPlaca image;
  auto lista = ListImages(paths, 0);
  ASSERT_TRUE(lista.ok()) << lista.message;
  ASSERT_TRUE(image.LoadHeader(paths[0]));
  Settings settings;
  settings.lat = "22 57 10";  // SITELAT -22 57 10
  settings.lat2 = "S";
  settings.lon = "068 10 49";  // SITELONG -68 10 49: west
  settings.res = "02.07";
  auto field = ParseCoordinateTexts(CoordinateTextsFromHeader(image, settings));
  ASSERT_TRUE(field.ok()) << field.message;
  EXPECT_EQ(field.value.FieldRAText, "18 05 37.0");
  EXPECT_EQ(field.value.FieldDecText, "-43 49 57");

  RunJob job;
  job.ListaFotos = {lista.value[0]};
  // Star #2391 of the peer's list at its first-frame position (1-based
  // there), and three unsaturated field stars as the comparison ensemble.
  job.stars.variables = {{246.68, 866.85, "N2391"}};
  job.stars.comparisons = {
      {484.81, 779.23, "CAL-1"}, {546.04, 819.70, "CAL-2"}, {665.90, 824.69, "CAL-3"}};
  job.field = field.value;
  job.settings.aperture = ApertureSettings{5, 3, 5, false, false};
  job.settings.lsat = 60000;
  job.instrumentalPath = work.File("instrumental.txt");
  job.starsPath = work.File("estrellas.txt");
  ProcesoOutcome out = Proceso(job);
  ASSERT_TRUE(out.status.ok()) << out.status.message;

  const ApertureSettings& ap = job.settings.aperture;
  for (size_t i = 1; i < 10; ++i) {
    const auto lines = ReadStarFile(job.starsPath);
    ASSERT_TRUE(lines.ok());
    const auto refs = StarFileReferences(lines.value);
    ASSERT_TRUE(refs && !refs->ref2);
    TPlaca frame;
    ASSERT_TRUE(frame.LoadFile(lista.value[i].path));
    const StarMeasurement click = MeasureStar(frame, ap, refs->ref1.x + peer[i].x - peer[i - 1].x,
                                              refs->ref1.y + peer[i].y - peer[i - 1].y);
    RelocateStarFile(frame, ap, lines.value,
                     PositionMap({refs->ref1.x, refs->ref1.y}, {click.x, click.y}), job.stars);
    job.ListaFotos = {lista.value[i]};
    job.PrimeraSerie = false;
    out = Proceso(job);
    ASSERT_TRUE(out.status.ok()) << out.status.message;
    ASSERT_FALSE(out.run.aborted) << out.run.abortText;
  }
  ASSERT_EQ(out.tables.tDiferencia.size(), 12u);

  std::vector<double> ours, theirs;
  for (size_t i = 0; i < 10; ++i) {
    const std::string& row = out.tables.tDiferencia[i + 2];
    // Same mid-exposure instants (to a second).
    EXPECT_NEAR(*ParseDouble(DateToJD(Field(row, rf::kTableDate))), peer[i].jd, 1.5e-5) << row;
    ours.push_back(*ParseDouble(Field(row, rf::TableStarValue(0))));
    theirs.push_back(peer[i].mag);
  }
  // The shape: the same ups and downs, the deepest point at the same (sixth)
  // frame, and differences within what the photon noise of a 15th magnitude
  // star allows a 5 pixel aperture on this sky (about 0.14 magnitudes).
  const auto [correlation, rms] = Compare(ours, theirs);
  RecordProperty("correlation", FormatFloat("0.000", correlation));
  RecordProperty("rms", FormatFloat("0.000", rms));
  EXPECT_GT(correlation, 0.6);
  EXPECT_LT(rms, 0.15);
  EXPECT_EQ(std::max_element(ours.begin(), ours.end()) - ours.begin(), 5);
  EXPECT_EQ(std::max_element(theirs.begin(), theirs.end()) - theirs.begin(), 5);
  // The target was followed to its last position.
  const StarEntry& last = job.stars.variables[0];
  EXPECT_NEAR(last.x, peer[9].x - 1, 1.0);
  EXPECT_NEAR(last.y, peer[9].y - 1, 1.0);
}

}  // namespace
}  // namespace lumenda
