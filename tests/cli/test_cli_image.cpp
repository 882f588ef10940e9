// lumenda-cli info, clave, medir, estrellas, run as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "fits_bytes.h"
#include "synthetic_sky.h"

namespace {

using lumenda::test::CliRun;
using lumenda::test::FitsCard;
using lumenda::test::Lines;
using lumenda::test::Number;
using lumenda::test::Quote;
using lumenda::test::RunCli;
using lumenda::test::Value;

// The "NAME=value" fields of one line.
std::map<std::string, std::string> Fields(const std::string& line) {
  std::map<std::string, std::string> fields;
  for (size_t start = 0; start < line.size();) {
    const size_t end = line.find_first_of(" \n", start);
    const std::string item = line.substr(start, end - start);
    if (const size_t at = item.find('='); at != std::string::npos)
      fields[item.substr(0, at)] = item.substr(at + 1);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return fields;
}

using Star = lumenda::test::PlantedStar;

// A 16-bit frame (BZERO 32768) of Gaussian stars on a slightly noisy sky.
struct Frame {
  int width = 200, height = 150;
  std::vector<uint16_t> counts;
  std::string bytes;
};

Frame MakeFrame(const std::vector<Star>& stars) {
  Frame f;
  f.counts = lumenda::test::RenderField(f.width, f.height, 802, 2, stars);
  std::vector<uint16_t> raw(f.counts.size());
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint16_t>(f.counts[i] ^ 0x8000);
  auto cards = lumenda::test::ImageCards(16, f.width, f.height);
  cards.push_back(FitsCard("BZERO", "32768"));
  cards.push_back(FitsCard("DATE-OBS", "'2015-08-02T03:54:30'"));
  cards.push_back(FitsCard("EXPTIME", "30.0"));
  cards.push_back(FitsCard("OBJECT", "'M 57    '"));
  f.bytes = lumenda::test::FitsFile(cards, lumenda::test::Big16(raw));
  return f;
}

const std::vector<Star> kStars = {{60.3, 50.6, 60000, 1.4},
                                  {130.7, 90.2, 40000, 1.3},
                                  {100.4, 75.5, 80000, 1.5},
                                  {85.2, 110.8, 50000, 1.4}};

class CliImage : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = MakeFrame(kStars);
    path_ = dir_.File("campo#1.fit");
    lumenda::test::WriteBytes(path_, frame_.bytes);
    home_ = dir_.File("home/");
    std::filesystem::create_directories(home_);
  }
  std::string Env() const { return "LUMENDA_DIR=" + Quote(home_); }
  lumenda::test::TempDir dir_;
  Frame frame_;
  std::string path_;
  std::string home_;
};

TEST_F(CliImage, InfoPrintsSizeDateAndStatistics) {
  const CliRun run = RunCli("info " + Quote(path_), Env());
  ASSERT_EQ(run.status, 0) << run.err;
  unsigned long long sum = 0;
  uint16_t min = 65535, max = 0;
  for (uint16_t c : frame_.counts) {
    sum += c;
    min = std::min(min, c);
    max = std::max(max, c);
  }
  // Mid-exposure 03:54:45 UT; the peer photometry of this night gives the same JD.
  EXPECT_EQ(run.out.substr(0, run.out.find("MIN ")),
            "ANCHO 200\nALTO 150\nBITPIX 16\nFECHA 20150802.16302\nJD 2457236.66302\n");
  EXPECT_EQ(Value(run.out, "MIN"), std::to_string(min));
  EXPECT_EQ(Value(run.out, "MAX"), std::to_string(max));
  EXPECT_EQ(Value(run.out, "SUMA"), std::to_string(sum));
  EXPECT_NEAR(Number(Value(run.out, "MEDIA")), static_cast<double>(sum) / frame_.counts.size(),
              0.0005);
  EXPECT_EQ(Lines(run.out).size(), 9u);
}

TEST_F(CliImage, InfoUsesTheTimeCorrectionOfTheSettingsAndTheFilesBitpix) {
  lumenda::test::WriteBytes(home_ + "lumenda2.ini", "CTIEMPO=60\r\n");
  EXPECT_EQ(Value(RunCli("info " + Quote(path_), Env()).out, "FECHA"), "20150802.16372");

  const std::string floatPath = dir_.File("real.fit");
  auto cards = lumenda::test::ImageCards(-32, 2, 1);
  lumenda::test::WriteBytes(floatPath,
                            lumenda::test::FitsFile(cards, lumenda::test::BigFloat({12.4f, 1.5f})));
  const std::string out = RunCli("info " + Quote(floatPath), Env()).out;
  EXPECT_EQ(Value(out, "BITPIX"), "-32");
  EXPECT_EQ(Value(out, "FECHA"), "00000000.00000");
  EXPECT_EQ(Value(out, "SUMA"), "214");  // 112 + 102
  EXPECT_EQ(Value(out, "MEDIA"), "107.000");

  // Exposures and corrections far beyond any date leave the image undated.
  for (const char* exposure : {"1E308", "-1E308", "6E41"}) {
    auto odd = lumenda::test::ImageCards(16, 2, 1);
    odd.push_back(FitsCard("DATE-OBS", "'2015-08-02T03:54:30'"));
    odd.push_back(FitsCard("EXPTIME", exposure));
    lumenda::test::WriteBytes(floatPath,
                              lumenda::test::FitsFile(odd, lumenda::test::Big16({1, 2})));
    const CliRun run = RunCli("info " + Quote(floatPath), Env());
    EXPECT_EQ(Value(run.out, "FECHA"), "00000000.00000") << exposure << run.err;
  }
  lumenda::test::WriteBytes(home_ + "lumenda2.ini", "CTIEMPO=1E308\r\n");
  EXPECT_EQ(Value(RunCli("info " + Quote(path_), Env()).out, "FECHA"), "00000000.00000");
}

TEST_F(CliImage, ClavePrintsTheCleanedValue) {
  struct Case {
    const char* key;
    const char* value;
  };
  for (const Case& c : std::vector<Case>{
           {"OBJECT", "M 57"}, {"exptime", "30.0"}, {"BZERO", "32768"}, {"NADA", ""}}) {
    const CliRun run = RunCli("clave " + Quote(path_) + " " + c.key, Env());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(c.value) + "\n") << c.key;
  }
}

TEST_F(CliImage, MedirMeasuresAStarWithSettingsOrOverrides) {
  const Star& star = kStars[2];
  CliRun run = RunCli("medir " + Quote(path_) + " 101 76 --radio 8 --radioi 4 --radioe 6", Env());
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(Lines(run.out).size(), 1u);
  auto f = Fields(run.out);
  for (const char* name : {"X", "Y", "FLUJO", "PICO", "RSR", "FONDO", "FWHM"})
    ASSERT_TRUE(f.count(name)) << name << " in " << run.out;
  // Pixel positions as the user gives them; the measurement itself is tested in the engine.
  EXPECT_NEAR(Number(f["X"]), star.x, 0.05);
  EXPECT_NEAR(Number(f["Y"]), star.y, 0.05);
  EXPECT_NEAR(Number(f["FLUJO"]), star.flux, star.flux * 0.01);
  EXPECT_EQ(f["X"].size() - f["X"].find('.'), 5u);  // four decimals

  // Radii from the settings file; the flip mirrors the display position.
  lumenda::test::WriteBytes(home_ + "lumenda2.ini", "RADIO=03.00\r\nFLIPX=S\r\n");
  run = RunCli("medir " + Quote(path_) + " " + std::to_string(199 - 100) + " 76", Env());
  ASSERT_EQ(run.status, 0) << run.err;
  f = Fields(run.out);
  EXPECT_NEAR(Number(f["X"]), 199 - star.x, 0.05);
  EXPECT_LT(Number(f["FLUJO"]), star.flux * 0.99);  // radius 3 misses part of the star
  EXPECT_GT(Number(f["FLUJO"]), star.flux * 0.8);

  // Under a comma-decimal locale the output keeps its points.
  run = RunCli("medir " + Quote(path_) + " 101 76 --radio 8.5", Env() + " LC_ALL=es_ES.utf8");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find(','), std::string::npos) << run.out;
}

TEST_F(CliImage, EstrellasListsTheStarsInFixedColumns) {
  const CliRun run = RunCli("estrellas " + Quote(path_) + " --minadu 2000 --minrsr 10", Env());
  ASSERT_EQ(run.status, 0) << run.err;
  const auto lines = Lines(run.out);
  ASSERT_EQ(lines.size(), kStars.size()) << run.out << run.err;
  for (const Star& s : kStars) {
    int found = 0;
    for (const auto& line : lines) {
      EXPECT_EQ(line.size(), 57u) << line;
      const double x = Number(line.substr(0, 7)), y = Number(line.substr(9, 7));
      if (std::hypot(x - s.x, y - s.y) < 0.1) ++found;
    }
    EXPECT_EQ(found, 1) << s.x << "," << s.y;
  }
  const CliRun strict = RunCli("estrellas " + Quote(path_) + " --minadu 900000", Env());
  EXPECT_EQ(strict.status, 0);
  EXPECT_EQ(strict.out, "");
}

TEST_F(CliImage, FailuresGoToStderrWithStatusOne) {
  struct Case {
    std::string arguments;
    std::string message;
  };
  const std::string missing = dir_.File("no#hay.fit");
  const std::string bad = dir_.File("cubo.fit");
  auto cards = lumenda::test::ImageCards(16, 2, 2);
  cards[2] = FitsCard("NAXIS", "3");
  lumenda::test::WriteBytes(bad, lumenda::test::FitsFile(cards, std::string(8, '\0')));
  const std::vector<Case> cases = {
      {"info " + Quote(missing), "No se encuentra el fichero " + missing + "\n"},
      {"clave " + Quote(missing) + " OBJECT", "No se encuentra el fichero " + missing + "\n"},
      {"info " + Quote(bad), "Error: formato (NAXIS=3) no soportado\n"},
      {"estrellas " + Quote(bad), "Error: formato (NAXIS=3) no soportado\n"},
      {"medir " + Quote(path_) + " abc 5", "Valor no válido para X: abc\n"},
      {"medir " + Quote(path_) + " 5 5 --radioi x", "Valor no válido para --radioi: x\n"},
      {"estrellas " + Quote(path_) + " --lsat mucho", "Valor no válido para --lsat: mucho\n"},
  };
  for (const auto& c : cases) {
    const CliRun run = RunCli(c.arguments, Env());
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_EQ(run.err, c.message) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
  }
}

}  // namespace
