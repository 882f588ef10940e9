#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/masked_field.h"
#include "settings/settings.h"
#include "test_support.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

Settings LoadFrom(const TempDir& dir, const std::string& content) {
  WriteBytes(dir.File("lumenda2.ini"), content);
  Settings s;
  Status status = LoadSettings(dir.path(), s);
  EXPECT_TRUE(status.ok()) << status.message;
  return s;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SettingsFile, DefaultsWrittenInKeyOrderWithCrLf) {
  TempDir dir;
  Settings s;
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());
  const std::string text = ReadBytes(dir.File("lumenda2.ini"));
  EXPECT_EQ(text.substr(0, 36), "FLIPX=N\r\nFLIPY=N\r\nRADIO=10.00\r\nRADIO");
  EXPECT_NE(text.find("LAT=00 00 00\r\nLAT2=N\r\nLON=000 00 00\r\nLON2=W\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nFGRASTATE=1\r\nOBS=\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nCDR_FMT=DVv\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("G_FWHM=S\r\nG_BRI=S\r\n"));
  // No bare LF anywhere.
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_EQ(text[i - 1], '\r') << "at " << i;
    }
  }
  EXPECT_EQ(SplitLines(text).size(), 56u);
}

TEST(SettingsFile, RoundTripKeepsEveryValue) {
  TempDir dir;
  Settings s;
  s.flipX = true;
  s.radio = "07.50";
  s.radioI = "05";
  s.radioE = "12";
  s.eControl = 9;
  s.res = "01.85";
  s.lsat = "60000";
  s.lat = "40 24 30";
  s.lat2 = "S";
  s.lon = "003 41 10";
  s.lon2 = "E";
  s.minAdu = "2500";
  s.minRsr = "015";
  s.radioS = "4";
  s.cTiempo = "-1.5";
  s.fotoL = -8;
  s.fotoT = 12;
  s.fotoW = 1024;
  s.fotoH = 768;
  s.fotoState = 2;
  s.fotoZ = 25;
  s.fConfGLeft = 10;
  s.fConfGTop = 20;
  s.fGraL = 1;
  s.fGraT = 2;
  s.fGraW = 3;
  s.fGraH = 4;
  s.fGraState = 2;
  s.obs = "José Pérez = OBS";
  s.filtroIn = "_V_";
  s.filtroEx = "dark";
  s.filtroAc = 'I';
  s.dirFoto = "/home/ana/fotos noche";
  s.dirDato = "/tmp/d";
  s.dirPeri = "/tmp/p";
  s.xLupa = 333;
  s.yLupa = 444;
  s.aObscode = "XYZ";
  s.aChart = "X12345";
  s.aFilter = 3;
  s.cdrFmt = "DVvx";
  s.cdrMes = "M";
  s.cdrTel = "SC 8";
  s.cdrCap = "ST-7";
  s.cdrCat = "UCAC4";
  s.cdrPos = "P";
  s.cdrFil = 2;
  s.gDec = 5;
  s.gOrd = false;
  s.gBri = false;
  s.customColours[0] = "FF0000";
  s.customColours[15] = "00FF80";
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());

  Settings back;
  ASSERT_TRUE(LoadSettings(dir.path(), back).ok());
  EXPECT_EQ(SettingsLines(back), SettingsLines(s));
  EXPECT_EQ(back.customColours, s.customColours);
  EXPECT_TRUE(back.mFlipX);
  EXPECT_FALSE(back.mFlipY);
  EXPECT_DOUBLE_EQ(back.mRadio, 7.5);
  EXPECT_EQ(back.mRadioI, 5);
  EXPECT_EQ(back.mRadioE, 12);
}

TEST(SettingsFile, LinesApplyByTheirRules) {
  struct Case {
    const char* file;
    std::function<bool(const Settings&)> check;
    const char* what;
  };
  const std::vector<Case> cases = {
      {"FLIPX=S\r\nFLIPY=N\r\n", [](const Settings& s) { return s.mFlipX && !s.mFlipY; },
       "FLIPX S then FLIPY N"},
      {"FLIPX=s\r\n", [](const Settings& s) { return !s.flipX; }, "only exactly S ticks"},
      {"FLIPX=S\r\nFLIPX=N\r\n", [](const Settings& s) { return !s.flipX; }, "later line wins"},
      {"RADIO=7.5\r\n", [](const Settings& s) { return s.radio == "07.50" && s.mRadio == 7.5; },
       "RADIO 7.5"},
      {"ECONTROL\r\nRADIO=3\r\n",
       [](const Settings& s) { return s.eControl == 5 && s.radio == "03.00"; },
       "line without = skipped"},
      {"OBS=a=b\r\n", [](const Settings& s) { return s.obs == "a=b"; }, "first = splits"},
      {"obs=x\r\n RADIO=3\r\n", [](const Settings& s) { return s.obs.empty() && s.mRadio == 10; },
       "keys compared exactly"},
      {"LAT2=N\r\nLON2=W\r\n", [](const Settings& s) { return s.lat2 == "N" && s.lon2 == "W"; },
       "N and W"},
      {"LAT2=n\r\nLON2=X\r\n", [](const Settings& s) { return s.lat2 == "S" && s.lon2 == "E"; },
       "anything else is S and E"},
      {"LAT2=\r\nLON2=\r\n", [](const Settings& s) { return s.lat2 == "S" && s.lon2 == "E"; },
       "empty is S and E"},
      {"FILTROAC=I\r\n", [](const Settings& s) { return s.filtroAc == 'I'; }, "FILTROAC I"},
      {"FILTROAC=N\r\nFILTROAC=Q\r\n", [](const Settings& s) { return s.filtroAc == 'N'; },
       "unknown FILTROAC changes nothing"},
      {"FGRASTATE=2\r\n", [](const Settings& s) { return s.fGraState == 2; }, "maximised"},
      {"FGRASTATE=2\r\nFGRASTATE=0\r\n", [](const Settings& s) { return s.fGraState == 2; },
       "other FGRASTATE changes nothing"},
      {"ECONTROL=12\r\n", [](const Settings& s) { return s.eControl == 9; }, "slider top"},
      {"ECONTROL=-4\r\n", [](const Settings& s) { return s.eControl == 1; }, "slider bottom"},
      {"G_DEC=0\r\n", [](const Settings& s) { return s.gDec == 1; }, "up-down bottom"},
      {"G_DEC=40\r\n", [](const Settings& s) { return s.gDec == 5; }, "up-down top"},
      {"G_DEC=40000\r\n", [](const Settings& s) { return s.gDec == 3; }, "beyond 16 bits"},
      {"XLUPA=640\r\nYLUPA=-20\r\n",
       [](const Settings& s) { return s.xLupa == 640 && s.yLupa == -20; }, "magnifier"},
      {"", [](const Settings& s) { return s.xLupa == 100 && s.yLupa == 100; }, "magnifier default"},
      {"UNKNOWN=1\r\nFOTOW=900\r\n", [](const Settings& s) { return s.fotoW == 900; },
       "unknown key ignored"},
      {"CDR_FMT=\r\n", [](const Settings& s) { return s.cdrFmt.empty(); }, "empty text kept"},
      {"DIRFOTO=C:\\fotos\\2024\r\n",
       [](const Settings& s) { return s.dirFoto == "C:\\fotos\\2024"; }, "path unchanged"},
      {"RES=2.5\r\nLSAT=65535\r\nMINADU=800\r\nMINRSR=30\r\nRADIOS=5\r\n",
       [](const Settings& s) {
         return s.res == "02.50" && s.lsat == "65535" && s.minAdu == "0800" && s.minRsr == "030" &&
                s.radioS == "5";
       },
       "masked fields take the mask's form"},
      {"LAT=40 24 0\r\nLON=3 41 10\r\n",
       [](const Settings& s) { return s.lat == "40 24 00" && s.lon == "003 41 10"; },
       "sexagesimal masks"},
      {"RADIOI=5\r\nRADIOE=07\r\n",
       [](const Settings& s) { return s.radioI == "05" && s.mRadioI == 5 && s.mRadioE == 7; },
       "sky radii mirrored"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    Settings s = LoadFrom(dir, c.file);
    EXPECT_TRUE(c.check(s)) << c.what;
  }
}

TEST(SettingsFile, UnconvertibleValuesKeepTheSettingAndLoadingGoesOn) {
  TempDir dir;
  Settings s = LoadFrom(dir,
                        "RADIO=abc\r\nRADIOI=1x\r\nRADIOE=123\r\nECONTROL=cinco\r\nRES=100\r\n"
                        "LSAT=123456\r\nLSAT=-5\r\nLAT=40 24\r\nLON=0003 00 00\r\nMINADU=5e3\r\n"
                        "MINRSR=\r\nRADIOS=10\r\nCTIEMPO=dos\r\nFOTOL=1.5\r\nFOTOT=99999999999\r\n"
                        "A_FILTER=-1\r\nCDR_FIL=x\r\nRADIO=-3\r\nXLUPA=7\r\n");
  const Settings defaults;
  EXPECT_EQ(SettingsLines(s).size(), SettingsLines(defaults).size());
  for (size_t i = 0; i < SettingsLines(s).size(); ++i) {
    if (SettingsLines(s)[i].starts_with("XLUPA=")) continue;
    EXPECT_EQ(SettingsLines(s)[i], SettingsLines(defaults)[i]);
  }
  EXPECT_EQ(s.xLupa, 7);  // the line after the bad ones was still applied
  EXPECT_DOUBLE_EQ(s.mRadio, 10.0);
}

TEST(SettingsFile, ValueCutTo255Characters) {
  TempDir dir;
  const std::string longName(300, 'x');
  Settings s = LoadFrom(dir, "OBS=" + longName + "\r\n");
  EXPECT_EQ(s.obs, std::string(255, 'x'));
  // Characters, not bytes: an accented name is not split inside a letter.
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "\xC3\xA9";  // é
  s = LoadFrom(dir, "OBS=" + accented + "\r\n");
  EXPECT_EQ(s.obs.size(), 510u);
}

TEST(SettingsFile, AcceptsLfAndWindows1252) {
  TempDir dir;
  Settings s = LoadFrom(dir, "FLIPY=S\nOBS=Observatorio de C\xE1rtama\nRADIO=12\n");
  EXPECT_TRUE(s.flipY);
  EXPECT_EQ(s.obs, "Observatorio de C\xC3\xA1rtama");
  EXPECT_EQ(s.radio, "12.00");
  // No line ending on the last line.
  s = LoadFrom(dir, "FLIPX=S\r\nRADIOS=2");
  EXPECT_TRUE(s.flipX);
  EXPECT_EQ(s.radioS, "2");
}

TEST(SettingsFile, MinimisedLightCurveWindowWritesNoStateLine) {
  TempDir dir;
  Settings s;
  s.fGraState = 0;
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());
  const std::string text = ReadBytes(dir.File("lumenda2.ini"));
  EXPECT_EQ(text.find("FGRASTATE"), std::string::npos);
  EXPECT_NE(text.find("FGRAH=613\r\nOBS="), std::string::npos);
  Settings back;
  ASSERT_TRUE(LoadSettings(dir.path(), back).ok());
  EXPECT_EQ(back.fGraState, 1);  // design state
}

TEST(SettingsFile, LineBreaksInTextsCannotInjectKeys) {
  TempDir dir;
  Settings s;
  s.obs = "Ana\r\nFLIPX=S";
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());
  Settings back;
  ASSERT_TRUE(LoadSettings(dir.path(), back).ok());
  EXPECT_FALSE(back.flipX);
  EXPECT_EQ(back.obs, "Ana  FLIPX=S");
}

TEST(SettingsFile, MissingFilesKeepDefaults) {
  TempDir dir;
  Settings s;
  s.obs = "ya puesto";
  s.xLupa = 7;
  s.fotoZ = 25;
  ASSERT_TRUE(LoadSettings(dir.path(), s).ok());
  EXPECT_EQ(s.obs, "ya puesto");
  // Window geometry and magnifier restart from their design values.
  EXPECT_EQ(s.xLupa, 100);
  EXPECT_EQ(s.fotoZ, 1);
  EXPECT_EQ(s.customColours, std::vector<std::string>(16, "FFFFFF"));
}

TEST(SettingsFile, UnreadableFileIsAnError) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("lumenda2.ini"));
  Settings s;
  Status status = LoadSettings(dir.path(), s);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message.find("lumenda2.ini"), std::string::npos);
}

TEST(SettingsFile, SaveIsAtomicAndLeavesNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir.File("lumenda2.ini"), "OBS=viejo\r\n");
  Settings s;
  s.obs = "nuevo";
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"color.ini", "lumenda2.ini"}));
  EXPECT_NE(ReadBytes(dir.File("lumenda2.ini")).find("OBS=nuevo\r\n"), std::string::npos);
}

TEST(SettingsFile, SaveIntoMissingFolderFailsButMirrorsFollowTheFields) {
  TempDir dir;
  Settings s;
  s.radio = "06.00";
  Status status = SaveSettings(dir.File("no/existe/"), s);
  EXPECT_FALSE(status.ok());
  EXPECT_DOUBLE_EQ(s.mRadio, 6.0);
}

TEST(ColourFile, SixteenColoursOneALine) {
  TempDir dir;
  // Short file, bad lines, lower case, extra lines.
  WriteBytes(dir.File("color.ini"), "ff0000\r\nazul\r\n 00FF00 \n");
  Settings s;
  ASSERT_TRUE(LoadSettings(dir.path(), s).ok());
  ASSERT_EQ(s.customColours.size(), 16u);
  EXPECT_EQ(s.customColours[0], "FF0000");
  EXPECT_EQ(s.customColours[1], "FFFFFF");
  EXPECT_EQ(s.customColours[2], "00FF00");
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());
  const auto lines = SplitLines(ReadBytes(dir.File("color.ini")));
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], "FF0000");
  EXPECT_EQ(lines[15], "FFFFFF");
  EXPECT_EQ(ParseColourHex("12aBcD"), 0x12ABCDu);
  EXPECT_FALSE(ParseColourHex("12345"));
  EXPECT_EQ(FormatColourHex(0x00FF80), "00FF80");
}

TEST(MaskedField, KeepsOnlyWhatFits) {
  struct Case {
    const char* value;
    const char* mask;
    const char* shown;  // nullptr = does not fit
  };
  const Case cases[] = {
      {"7.5", "00.00", "07.50"},
      {"99.99", "00.00", "99.99"},
      {"99.999", "00.00", nullptr},
      {"-1", "00.00", nullptr},
      {"10,5", "00.00", nullptr},
      {" 3 ", "00", "03"},
      {"123", "00", nullptr},
      {"0", "0", "0"},
      {"50000", "00000", "50000"},
      {"5e3", "0000", nullptr},
      {"", "000", nullptr},
      {"40 24 30", "00 00 00", "40 24 30"},
      {"40  24 3", "00 00 00", "40 24 03"},
      {"40 24", "00 00 00", nullptr},
      {"180 00 00", "000 00 00", "180 00 00"},
      {"1800 0 0", "000 00 00", nullptr},
  };
  for (const Case& c : cases) {
    auto shown = FitMask(c.value, c.mask);
    if (c.shown)
      EXPECT_EQ(shown.value_or("<none>"), c.shown) << c.value << " / " << c.mask;
    else
      EXPECT_FALSE(shown) << c.value << " / " << c.mask << " gave " << *shown;
  }
}

}  // namespace
}  // namespace lumenda
