// Real frames of one night (WW CrA field, 2015): the run against a peer
// tool's light curve of one star.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "astro/time.h"
#include "image/measure_star.h"
#include "run/image_list.h"
#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/star_list.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;

struct PeerPoint {
  double jd;
  double mag;
  double x;  // 1-based pixel position
  double y;
};

std::vector<PeerPoint> PeerCurve(const std::string& path, size_t rows) {
  std::vector<PeerPoint> out;
  const auto lines = ReadTextLines(path);
  if (!lines) return out;
  for (size_t i = 0; i < lines->size() && out.size() < rows; ++i) {
    std::istringstream in((*lines)[i]);
    std::string jd, mag, error, x, y;
    in >> jd >> mag >> error >> x >> y;
    out.push_back({*ParseDouble(jd), *ParseDouble(mag), *ParseDouble(x), *ParseDouble(y)});
  }
  return out;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const double n = static_cast<double>(a.size());
  double ma = 0, mb = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    ma += a[i] / n;
    mb += b[i] / n;
  }
  double sab = 0, saa = 0, sbb = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    sab += (a[i] - ma) * (b[i] - mb);
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
  }
  return sab / std::sqrt(saa * sbb);
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
  auto lista = BuildImageList(paths, 0, image);
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
  job.lbVar = {"0246.68  0866.85  N2391"};
  job.lbCali = {"0484.81  0779.23  CAL-1", "0546.04  0819.70  CAL-2", "0665.90  0824.69  CAL-3"};
  job.field = field.value;
  job.settings.aperture = ApertureSettings{5, 3, 5, false, false};
  job.settings.lsat = 60000;
  job.instrumentalPath = work.File("instrumental.txt");
  job.starsPath = work.File("estrellas.txt");
  RecordingMessenger messenger;
  ProcesoOutcome out = Proceso(job, messenger);
  ASSERT_TRUE(out.status.ok()) << out.status.message;

  const ApertureSettings& ap = job.settings.aperture;
  for (size_t i = 1; i < 10; ++i) {
    const auto lines = ReadStarFile(job.starsPath);
    ASSERT_TRUE(lines.ok());
    const auto refs = StarFileReferences(lines.value);
    ASSERT_TRUE(refs && !refs->ref2);
    TPlaca frame;
    ASSERT_TRUE(frame.LoadFile(EntryPath(lista.value[i])));
    const StarMeasurement click = MeasureStar(frame, ap, refs->ref1.x + peer[i].x - peer[i - 1].x,
                                              refs->ref1.y + peer[i].y - peer[i - 1].y);
    const PositionMap map({refs->ref1.x, refs->ref1.y}, {click.x, click.y});
    job.lbVar.clear();
    job.lbCali.clear();
    RelocateStars(
        lines.value, map,
        [&](Point p) -> std::optional<Point> {
          const StarMeasurement m = MeasureStar(frame, ap, p.x, p.y);
          return Point{m.x, m.y};
        },
        [&](Point p) { return InsideMargin(frame, ap, p.x, p.y); }, job.lbVar, job.lbCali);
    job.ListaFotos = {lista.value[i]};
    job.PrimeraSerie = false;
    out = Proceso(job, messenger);
    ASSERT_TRUE(out.status.ok()) << out.status.message;
    ASSERT_FALSE(out.run.aborted) << out.run.abortText;
  }
  EXPECT_EQ(messenger.log, "");
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
  double meanTheirs = 0;
  for (double m : theirs) meanTheirs += m / 10;
  double rms = 0;
  for (size_t i = 0; i < 10; ++i) {
    const double d = ours[i] - (theirs[i] - meanTheirs);
    rms += d * d / 10;
  }
  const double correlation = Correlation(ours, theirs);
  RecordProperty("correlation", FormatFloat("0.000", correlation));
  RecordProperty("rms", FormatFloat("0.000", std::sqrt(rms)));
  EXPECT_GT(correlation, 0.6);
  EXPECT_LT(std::sqrt(rms), 0.15);
  const auto deepest = [](const std::vector<double>& v) {
    return std::max_element(v.begin(), v.end()) - v.begin();
  };
  EXPECT_EQ(deepest(ours), 5);
  EXPECT_EQ(deepest(theirs), 5);
  // The target was followed to its last position.
  const StarEntry last = ParseStarEntry(job.lbVar[0]);
  EXPECT_NEAR(last.x, peer[9].x - 1, 1.0);
  EXPECT_NEAR(last.y, peer[9].y - 1, 1.0);
}

}  // namespace
}  // namespace lumenda
