// Dates and coordinates from the headers of real third-party frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "astro/coords.h"
#include "astro/time.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

namespace fs = std::filesystem;

// Just enough of a FITS primary header: keyword -> value without quotes or
// comment. The image library reads headers properly; this keeps the astro
// tests free of it.
std::map<std::string, std::string> ReadHeaderCards(const std::string& path) {
  std::map<std::string, std::string> cards;
  std::ifstream in(path, std::ios::binary);
  char card[80];
  while (in.read(card, 80)) {
    const std::string text(card, 80);
    const std::string key = Trim(text.substr(0, 8));
    if (key == "END") break;
    if (text.compare(8, 2, "= ") != 0) continue;
    std::string value = text.substr(10);
    if (const size_t open = value.find('\''); open != std::string::npos) {
      const size_t close = value.find('\'', open + 1);
      value = value.substr(open + 1, close == std::string::npos ? close : close - open - 1);
    } else if (const size_t slash = value.find('/'); slash != std::string::npos) {
      value = value.substr(0, slash);
    }
    cards[key] = Trim(value);
  }
  return cards;
}

KeywordLookup LookupIn(const std::map<std::string, std::string>& cards) {
  return [&cards](const std::string& key) {
    const auto found = cards.find(key);
    return found == cards.end() ? std::string() : found->second;
  };
}

TEST(RealHeaders, MidExposureJulianDatesMatchThePeerLightCurve) {
  LUMENDA_REQUIRE_REAL_DATA();
  const std::string folder = test::RealDataDir() + "wwcra-road-2015/";
  // Column 1 of the peer tool's light curve: mid-exposure JD (UTC), first ten
  // rows = the ten frames in name order.
  std::map<std::string, std::string> peerJD;
  std::ifstream curve(folder + "vast_lightcurve_out02391.dat");
  for (std::string line; std::getline(curve, line);) {
    std::istringstream fields(line);
    std::string jd, magnitude, error, x, y, fwhm, path;
    fields >> jd >> magnitude >> error >> x >> y >> fwhm >> path;
    peerJD[fs::path(path).filename().string()] = jd;
  }
  std::vector<fs::path> frames;
  for (const auto& entry : fs::directory_iterator(folder + "frames"))
    frames.push_back(entry.path());
  ASSERT_EQ(frames.size(), 10u);
  for (const fs::path& frame : frames) {
    const auto cards = ReadHeaderCards(frame.string());
    const std::string mpc = MidExposureDate(LookupIn(cards), 0);
    ASSERT_NE(mpc, kNullDateText) << frame;
    const std::string name = frame.filename().string();
    ASSERT_TRUE(peerJD.count(name)) << name;
    EXPECT_EQ(DateToJD(mpc), peerJD[name]) << name;
    EXPECT_EQ(NormalizeRA(cards.at("OBJCTRA")).value, "18 05 37.0");
    EXPECT_EQ(NormalizeDec(cards.at("OBJCTDEC")).value, "-43 49 57");
  }
}

TEST(RealHeaders, DateOnlyFramesNeedTimeObsOrUtStart) {
  LUMENDA_REQUIRE_REAL_DATA();
  const std::string folder = test::RealDataDir() + "saao-ccdproc-single/";
  // DATE-OBS 2011-09-01T02:09:05 with EXPTIME 120: 02:10:05 UT.
  const auto feder = ReadHeaderCards(folder + "feder_sip-wcs_cutout.fit");
  EXPECT_EQ(MidExposureDate(LookupIn(feder), 0), "20110901.09034");
  // A date-only DATE-OBS with its time in a keyword "UT" is an undated frame;
  // with the same time in TIME-OBS it is dated.
  auto saao = ReadHeaderCards(folder + "a8280271.fits");
  ASSERT_EQ(saao.at("DATE-OBS"), "2013-07-13");
  EXPECT_EQ(MidExposureDate(LookupIn(saao), 0), kNullDateText);
  saao["TIME-OBS"] = saao.at("UT");
  // 00:57:33 + 75.02 s = 00:58:48.02.
  EXPECT_EQ(MidExposureDate(LookupIn(saao), 0), "20130713.04083");
  // Its colon-separated position normalises too.
  EXPECT_EQ(NormalizeRA(saao.at("RA")).value, "22 04 08.0");
  EXPECT_EQ(NormalizeDec(saao.at("DEC")).value, "-00 55 31");
}

}  // namespace
}  // namespace lumenda
