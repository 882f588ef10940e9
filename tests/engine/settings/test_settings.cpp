#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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
  EXPECT_EQ(JoinLines(SplitLines(text)), text);  // CR LF after every line, no bare LF
  EXPECT_EQ(SplitLines(text).size(), 56u);
}

TEST(SettingsFile, RoundTripKeepsEveryValue) {
  TempDir dir;
  // Every key away from its default, so a key lost on either side shows.
  Settings s = LoadFrom(
      dir,
      "FLIPX=S\r\nFLIPY=S\r\nRADIO=07.50\r\nRADIOI=05\r\nRADIOE=12\r\nECONTROL=9\r\nRES=01.85\r\n"
      "LSAT=60000\r\nLAT=40 24 30\r\nLAT2=S\r\nLON=003 41 10\r\nLON2=E\r\nMINADU=2500\r\n"
      "MINRSR=015\r\nRADIOS=4\r\nCTIEMPO=-1.5\r\nFOTOL=-8\r\nFOTOT=12\r\nFOTOW=1024\r\n"
      "FOTOH=768\r\nFOTOSTATE=2\r\nFOTOZ=25\r\nFCONFGLEFT=10\r\nFCONFGTOP=20\r\nFGRAL=1\r\n"
      "FGRAT=2\r\nFGRAW=3\r\nFGRAH=4\r\nFGRASTATE=2\r\nOBS=José Pérez = OBS\r\nFILTROIN=_V_\r\n"
      "FILTROEX=dark\r\nFILTROAC=I\r\nDIRFOTO=/home/ana/fotos noche\r\nDIRDATO=/tmp/d\r\n"
      "DIRPERI=/tmp/p\r\nXLUPA=333\r\nYLUPA=444\r\nA_OBSCODE=XYZ\r\nA_CHART=X12345\r\n"
      "A_FILTER=3\r\nCDR_FMT=DVvx\r\nCDR_MES=M\r\nCDR_TEL=SC 8\r\nCDR_CAP=ST-7\r\n"
      "CDR_CAT=UCAC4\r\nCDR_POS=P\r\nCDR_FIL=2\r\nG_DEC=5\r\nG_ORD=N\r\nG_CANT=N\r\nG_RSR=N\r\n"
      "G_AIR=N\r\nG_TRA=N\r\nG_FWHM=N\r\nG_BRI=N\r\n");
  const std::vector<std::string> defaults = SettingsLines(Settings{});
  const std::vector<std::string> lines = SettingsLines(s);
  ASSERT_EQ(lines.size(), defaults.size());
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_NE(lines[i], defaults[i]);
  s.customColours[0] = "FF0000";
  s.customColours[15] = "00FF80";
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());

  Settings back;
  ASSERT_TRUE(LoadSettings(dir.path(), back).ok());
  EXPECT_EQ(SettingsLines(back), lines);
  EXPECT_EQ(back.customColours, s.customColours);
}

TEST(SettingsFile, LinesApplyByTheirRules) {
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "\xC3\xA9";  // é
  struct Case {
    std::string file;
    std::vector<std::string> lines;  // as the settings then write them
  };
  const Case cases[] = {
      {"FLIPX=s\r\n", {"FLIPX=N"}},             // only exactly S ticks
      {"FLIPX=S\r\nFLIPX=N\r\n", {"FLIPX=N"}},  // the later line wins
      {"RADIO=7.5\r\n", {"RADIO=07.50"}},
      {"ECONTROL\r\nRADIO=3\r\n", {"ECONTROL=5", "RADIO=03.00"}},  // no "=": skipped
      {"OBS=a=b\r\n", {"OBS=a=b"}},
      {"obs=x\r\n RADIO=3\r\n", {"OBS=", "RADIO=10.00"}},  // keys compared exactly
      {"LAT2=N\r\nLON2=W\r\n", {"LAT2=N", "LON2=W"}},
      {"LAT2=n\r\nLON2=X\r\n", {"LAT2=S", "LON2=E"}},
      {"LAT2=\r\nLON2=\r\n", {"LAT2=S", "LON2=E"}},
      {"FILTROAC=I\r\n", {"FILTROAC=I"}},
      {"FILTROAC=N\r\nFILTROAC=Q\r\n", {"FILTROAC=N"}},
      {"FGRASTATE=2\r\nFGRASTATE=0\r\n", {"FGRASTATE=2"}},
      {"ECONTROL=12\r\n", {"ECONTROL=9"}},  // slider and up-down limits
      {"ECONTROL=-4\r\n", {"ECONTROL=1"}},
      {"G_DEC=0\r\n", {"G_DEC=1"}},
      {"G_DEC=40\r\n", {"G_DEC=5"}},
      {"G_DEC=40000\r\n", {"G_DEC=3"}},  // beyond 16 bits
      {"XLUPA=640\r\nYLUPA=-20\r\n", {"XLUPA=640", "YLUPA=-20"}},
      {"UNKNOWN=1\r\nFOTOW=900\r\n", {"FOTOW=900"}},
      {"CDR_FMT=\r\n", {"CDR_FMT="}},
      {"DIRFOTO=C:\\fotos\\2024\r\n", {"DIRFOTO=C:\\fotos\\2024"}},
      {"RES=2.5\r\nLSAT=65535\r\nMINADU=800\r\nMINRSR=30\r\nRADIOS=5\r\n",
       {"RES=02.50", "LSAT=65535", "MINADU=0800", "MINRSR=030", "RADIOS=5"}},
      {"LAT=40 24 0\r\nLON=3 41 10\r\n", {"LAT=40 24 00", "LON=003 41 10"}},
      {"RADIOI=5\r\nRADIOE=07\r\n", {"RADIOI=05", "RADIOE=07"}},
      // LF endings, Windows-1252 text, no ending on the last line.
      {"FLIPY=S\nOBS=Observatorio de C\xE1rtama\nRADIO=12\n",
       {"FLIPY=S", "OBS=Observatorio de C\xC3\xA1rtama", "RADIO=12.00"}},
      {"FLIPX=S\r\nRADIOS=2", {"FLIPX=S", "RADIOS=2"}},
      // Values cut to 255 characters, not bytes.
      {"OBS=" + std::string(300, 'x') + "\r\n", {"OBS=" + std::string(255, 'x')}},
      {"OBS=" + accented + "\r\n", {"OBS=" + accented.substr(0, 510)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 60));
    TempDir dir;
    const std::vector<std::string> lines = SettingsLines(LoadFrom(dir, c.file));
    for (const std::string& line : c.lines)
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
  }
}

TEST(SettingsFile, UnconvertibleValuesKeepTheSettingAndLoadingGoesOn) {
  TempDir dir;
  Settings s = LoadFrom(dir,
                        "RADIO=abc\r\nRADIOI=1x\r\nRADIOE=123\r\nECONTROL=cinco\r\nRES=100\r\n"
                        "LSAT=123456\r\nLSAT=-5\r\nLAT=40 24\r\nLON=0003 00 00\r\nMINADU=5e3\r\n"
                        "MINRSR=\r\nRADIOS=10\r\nCTIEMPO=dos\r\nFOTOL=1.5\r\nFOTOT=99999999999\r\n"
                        "A_FILTER=-1\r\nCDR_FIL=x\r\nRADIO=-3\r\nXLUPA=7\r\n");
  Settings expected;
  expected.xLupa = 7;  // the line after the bad ones was still applied
  EXPECT_EQ(SettingsLines(s), SettingsLines(expected));
  EXPECT_DOUBLE_EQ(s.mRadio, 10.0);
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

TEST(SettingsFile, UnreadableFileOrMissingFolderIsAnError) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("lumenda2.ini"));
  Settings s;
  Status status = LoadSettings(dir.path(), s);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.message.find("lumenda2.ini"), std::string::npos);
  // Saving into a missing folder fails, but the mirrors still follow the fields.
  s.radio = "06.00";
  EXPECT_FALSE(SaveSettings(dir.File("no/existe/"), s).ok());
  EXPECT_DOUBLE_EQ(s.mRadio, 6.0);
}

TEST(SettingsFile, SaveIsAtomicAndLeavesNoTemporaryFile) {
  TempDir dir;
  WriteBytes(dir.File("lumenda2.ini"), "OBS=viejo\r\n");
  Settings s;
  s.obs = "nuevo";
  ASSERT_TRUE(SaveSettings(dir.path(), s).ok());
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"color.ini", "lumenda2.ini"}));
  EXPECT_NE(ReadBytes(dir.File("lumenda2.ini")).find("OBS=nuevo\r\n"), std::string::npos);
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
  const Case cases[] = {{"7.5", "00.00", "07.50"},
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
                        {"1800 0 0", "000 00 00", nullptr}};
  for (const Case& c : cases) {
    const auto shown = FitMask(c.value, c.mask);
    EXPECT_EQ(shown.value_or("<none>"), c.shown ? c.shown : "<none>") << c.value << " / " << c.mask;
  }
}

}  // namespace
}  // namespace lumenda
