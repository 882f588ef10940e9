// Acceptance on the simulated sample night: the run against the truth file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "image/sample_night.h"
#include "run/photometry_run.h"
#include "run/results_format.h"
#include "run/star_list.h"
#include "sample_night_run.h"
#include "settings/settings.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

namespace rf = results;

// verdad.txt: the "ESTRELLA" lines name the stars in order; each "IMAGEN"
// row gives file, date, JD, air mass, clouds, FWHM, sky, then per star
// MAG X Y CUENTAS.
struct Truth {
  std::vector<std::string> stars;
  std::map<std::string, std::vector<double>> magnitudes;  // per star, per image
  std::vector<std::string> files;
};

Truth ReadTruth(const std::string& path) {
  Truth t;
  const auto lines = ReadTextLines(path);
  if (!lines) return t;
  for (const std::string& line : *lines) {
    std::istringstream in(line);
    std::string key;
    in >> key;
    if (key == "ESTRELLA") {
      std::string name;
      in >> name;
      t.stars.push_back(name);
    } else if (key == "IMAGEN") {
      std::vector<std::string> f;
      for (std::string w; in >> w;) f.push_back(w);
      t.files.push_back(f[0]);
      for (size_t s = 0; s < t.stars.size(); ++s)
        t.magnitudes[t.stars[s]].push_back(*ParseDouble(f[7 + 4 * s]));
    }
  }
  return t;
}

double Mean(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x;
  return s / static_cast<double>(v.size());
}

double Scatter(const std::vector<double>& v) {
  const double m = Mean(v);
  double s = 0;
  for (double x : v) s += (x - m) * (x - m);
  return std::sqrt(s / static_cast<double>(v.size()));
}

class SampleNight : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir;
    RecordingMessenger messenger;
    out_ = new ProcesoOutcome(test::RunSampleNight(dir_->path(), kImages, messenger));
    truth_ = new Truth(ReadTruth(dir_->File("noche/verdad.txt")));
    ASSERT_EQ(messenger.log, "");
  }
  static void TearDownTestSuite() {
    delete out_;
    delete truth_;
    delete dir_;
  }

  // The values of one star column of a table, per row.
  static std::vector<double> Column(const std::vector<std::string>& table,
                                    const std::string& name) {
    const auto& names = out_->tables.lbNomVar;
    const int k = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    std::vector<double> v;
    for (size_t i = 2; i < table.size(); ++i)
      v.push_back(ParseDouble(Field(table[i], rf::TableStarValue(k))).value_or(NAN));
    return v;
  }

  static constexpr int kImages = 60;
  static test::TempDir* dir_;
  static Truth* truth_;
  static ProcesoOutcome* out_;
};

test::TempDir* SampleNight::dir_ = nullptr;
Truth* SampleNight::truth_ = nullptr;
ProcesoOutcome* SampleNight::out_ = nullptr;

TEST_F(SampleNight, EveryImageIsProcessed) {
  ASSERT_TRUE(out_->status.ok()) << out_->status.message;
  EXPECT_FALSE(out_->run.aborted) << out_->run.abortText;
  EXPECT_EQ(out_->run.rowsWritten, kImages);
  EXPECT_EQ(out_->tables.tDiferencia.size(), static_cast<size_t>(kImages + 2));
  EXPECT_EQ(out_->tables.lbNomVar,
            (std::vector<std::string>{"ECLIPSANTE", "PULSANTE", "CHK_11.20"}));
  EXPECT_TRUE(out_->tables.EnsembleFlag);
  EXPECT_TRUE(out_->run.linearity.empty());
  // The frames carry a plate solution: one sky position per measured star,
  // within a few arc minutes of the field centre 20 15 30.0 +38 20 00.
  ASSERT_EQ(out_->tables.lVarRADec.size(), 3u);
  for (const std::string& sky : out_->tables.lVarRADec) {
    EXPECT_EQ(sky.substr(0, 4), "20 1") << sky;
    EXPECT_EQ(sky.substr(10, 6), "  +38 ") << sky;
  }
  EXPECT_EQ(out_->tables.ResultRAText, "20 15 30.0");
  EXPECT_EQ(out_->tables.ResultDecText, "+38 20 00");
  // Rows follow the truth's images in order.
  for (int i = 0; i < kImages; ++i)
    EXPECT_NE(out_->ListaFotos[static_cast<size_t>(i)].find(truth_->files[static_cast<size_t>(i)]),
              std::string::npos);
}

TEST_F(SampleNight, DifferentialMagnitudesFollowTheTruth) {
  struct Case {
    const char* star;
    double maxScatter;
  };
  for (const Case c : {Case{"ECLIPSANTE", 0.02}, Case{"PULSANTE", 0.04}}) {
    const auto measured = Column(out_->tables.tDiferencia, c.star);
    const auto& truth = truth_->magnitudes.at(c.star);
    ASSERT_EQ(measured.size(), truth.size());
    const double truthMean = Mean(truth);
    std::vector<double> diff;
    for (size_t i = 0; i < truth.size(); ++i) diff.push_back(measured[i] - (truth[i] - truthMean));
    EXPECT_LT(Scatter(diff), c.maxScatter) << c.star;
    // The curve really moves: the scatter is not small because nothing varies.
    EXPECT_GT(Scatter(truth), 0.05) << c.star;
    EXPECT_GT(Scatter(measured), 0.05) << c.star;
  }
}

TEST_F(SampleNight, CheckStarComesBackAtItsCatalogueMagnitude) {
  ASSERT_FALSE(out_->tables.tAbsoluta.empty());
  const auto measured = Column(out_->tables.tAbsoluta, "CHK_11.20");
  EXPECT_NEAR(Mean(measured), 11.20, 0.05);
  for (double m : measured) EXPECT_NEAR(m, 11.20, 0.1);
}

TEST_F(SampleNight, PossibleVariablesAreTheTwoVariables) {
  const auto& t = out_->tables.tPosiblesVariables;
  std::vector<std::string> names;
  for (int k = 0; k < rf::HeaderStarCount(static_cast<int>(t[0].size())); ++k)
    names.push_back(Trim(Field(t[0], rf::HeaderStarName(k))));
  EXPECT_EQ(names, (std::vector<std::string>{"ECLIPSANTE", "PULSANTE"}));
}

}  // namespace
}  // namespace lumenda
