#include <gtest/gtest.h>

#include "astro/time.h"
#include "curve_fixture.h"
#include "curves/aavso_report.h"
#include "curves/curve_formats.h"
#include "curves/general_report.h"
#include "curves/light_curve.h"
#include "curves/minor_reports.h"
#include "run/results_format.h"
#include "test_support.h"
#include "text/fixed_columns.h"
#include "text/text_file.h"

namespace lumenda {
namespace {

using test::EvenNight;
using test::NightLines;
using test::TablesOf;

struct Night {
  std::vector<std::string> lines;
  ResultsTables tables;
  GraphSettings settings;
  LightCurve curve;
  ReportSource source;

  Night(std::vector<std::string> fileLines, PhotometryMode mode, int var2 = 0)
      : lines(std::move(fileLines)), tables(TablesOf(lines)) {
    settings.mode = mode;
    settings.var2 = var2;
    EXPECT_TRUE(BuildSourceRows(tables, settings, curve).ok());
    source.tables = &tables;
    source.comparisonLines = ComparisonLines(lines);
    source.observer = "J. PEREZ";
    source.versionText = "Lumenda 2.07";
  }
  std::vector<std::string> Report(const ReportOptions& options = {}) {
    return GeneralReport(curve, settings, options, source).value;
  }
};

std::vector<std::string> Split(const std::string& line, char separator = ',') {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t at; (at = line.find(separator, start)) != std::string::npos; start = at + 1)
    fields.push_back(line.substr(start, at - start));
  fields.push_back(line.substr(start));
  return fields;
}

// The first `n` lines, each ended by "\n".
std::string Head(const std::vector<std::string>& lines, size_t n) {
  std::string text;
  for (size_t i = 0; i < n && i < lines.size(); ++i) text += lines[i] + "\n";
  return text;
}

// What follows `prefix` in the first line that starts with it.
std::string ValueOf(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
  return "";
}

TEST(GeneralReport, PrintsEveryGroupWithTheChosenScaleAndDecimals) {
  Night night(NightLines({"11.0", "12.0"}, {"V1", "CHK"}, EvenNight(4)), PhotometryMode::kRelative);
  const auto report = night.Report();
  ASSERT_EQ(report.size(), 2u + 3u + 4u + 3u);
  EXPECT_EQ(report[0], "FOTOMETRÍA RELATIVA");
  EXPECT_EQ(report[1], "");
  EXPECT_EQ(report[2], "V1\xC2\xA0");
  EXPECT_EQ(report[3],
            "GJD_UTC               MAG      +/-    RSR  AIRMS  TRANS  FWHM\"   FONDO   N   NUM");
  EXPECT_EQ(report[4], std::string(41, '-') + "  -----  -----  -----  ------  --  ----");
  for (int i = 0; i < 4; ++i) {
    const std::string& line = report[5 + i];
    const std::string& group = night.curve.GroupedRows[2 + i];
    EXPECT_EQ(line.substr(0, 13), DateToJD(Field(group, curve::kDate)));
    const double value = ParseDouble(Field(group, curve::kValue1)).value();
    EXPECT_EQ(line.substr(13, 12), "  " + PadLeft(FormatFloat("0.000", value), 10));
    EXPECT_EQ(line.substr(line.size() - 10), "  01  " + FormatFloat("0000", i + 1));
    EXPECT_EQ(line.size(), report[3].size());
  }
  EXPECT_EQ(report[9], "");
  EXPECT_EQ(report[10], "Observador: J. PEREZ");
  EXPECT_EQ(report[11], "Lumenda 2.07");
}

TEST(GeneralReport, HeaderAndUnderlineFollowTheOptions) {
  Night night(NightLines({"11.0"}, {"V1", "CHK"}, EvenNight(2)), PhotometryMode::kRelative);
  ReportOptions onlyOrder{false, false, false, false, false, false, false, 3};
  onlyOrder.order = true;
  ReportOptions onlyCount{false, false, false, false, false, false, false, 3};
  onlyCount.count = true;
  struct Case {
    ReportOptions options;
    TimeScale scale;
    std::string headerEnd, underlineEnd;
  };
  for (const Case& c : {Case{onlyOrder, TimeScale::kGjd, "+/-   NUM", "-  ----"},
                        Case{onlyCount, TimeScale::kGjd, "+/-   N", "-  --"},
                        Case{onlyCount, TimeScale::kDateTime, "+/-   N", "-  --"}}) {
    night.settings.scale = c.scale;
    const auto report = night.Report(c.options);
    const std::string& header = report[3];
    EXPECT_EQ(header.substr(header.size() - c.headerEnd.size()), c.headerEnd);
    EXPECT_EQ(report[4].substr(report[4].size() - c.underlineEnd.size()), c.underlineEnd);
    EXPECT_EQ(report[5].size(), header.size()) << c.headerEnd;
  }
  // "Fecha - Hora": a 19-character date and two blanks under a 21-wide label.
  night.settings.scale = TimeScale::kDateTime;
  const auto report = night.Report(onlyCount);
  EXPECT_EQ(report[3].substr(0, 21), "FECHA UTC            ");
  EXPECT_EQ(report[5].substr(2, 1), "/");
  EXPECT_EQ(report[5].substr(19, 2), "  ");
  EXPECT_EQ(report[4].substr(0, 40), std::string(40, '-'));
}

TEST(GeneralReport, SecondStarNamesAndAbsoluteComparisonList) {
  Night night(NightLines({"11.0 V", "12.5 V"}, {"V1", "CHK"}, EvenNight(2)),
              PhotometryMode::kAbsolute, 2);
  night.settings.scale = TimeScale::kMpc;
  const auto report = night.Report();
  EXPECT_EQ(report[0], "FOTOMETRÍA ABSOLUTA");
  EXPECT_EQ(report[2], "ESTRELLAS DE CALIBRADO:");
  EXPECT_EQ(report[3], "   C1: 11.0 V");
  EXPECT_EQ(report[4], "   C2: 12.5 V");
  EXPECT_EQ(report[5], "");
  // Name, no-break space, blanks to 21, the 16-wide date column, 7 for RSR.
  EXPECT_EQ(report[6], "V1\xC2\xA0" + std::string(18 + 16 + 7, ' ') + "CHK");
  EXPECT_EQ(report[7].substr(0, 16 + 19 + 7 + 21 + 7),
            "FECHA MPC              MAG      +/-    RSR         MAG      +/-    RSR");
  EXPECT_EQ(report[9].substr(0, 14), Field(night.curve.GroupedRows[2], curve::kDate));
}

TEST(GeneralReport, CountsModeUsesWholeNumbersAndFluxHeader) {
  Night night(NightLines({"11.0"}, {"V1"}, EvenNight(2)), PhotometryMode::kCounts);
  const auto report = night.Report();
  EXPECT_EQ(report[0], "FLUJO ABSOLUTO (CUENTAS)");
  EXPECT_EQ(report[3].substr(15, 19), "     FLUJO      +/-");
  EXPECT_EQ(report[5].substr(15, 10), "     50000");
}

TEST(AavsoReport, CheckRefusesOrWarnsByModeAndEnsemble) {
  const std::string ensembleStart = "Informe tipo \"ensemble\" no disponible. Es necesario:";
  struct Case {
    const char* name;
    bool noRows, ensemble, relative, absoluteEmpty, var2;
    bool accepted;
    std::string error, warning;
  };
  const std::string warning =
      "Informe AAVSO de fotometría diferencial disponible,\nsin embargo, AAVSO prefiere la "
      "fotometría absoluta.";
  const std::vector<Case> cases = {
      {"no rows", true, false, false, false, false, false, "Error calculando informe AAVSO.", ""},
      {"ensemble relative", false, true, true, false, true, false,
       ensembleStart + "\n- Seleccionar \"Fotometría absoluta\" en Magnitudes / Configuración"
                       "\n- Seleccionar una estrella de control",
       ""},
      {"ensemble without names", false, true, true, true, true, false,
       ensembleStart +
           "\n\n- Volver a \"procesar\" empleando \"nombres numéricos\" en las estrellas de "
           "calibrado\n- Seleccionar una estrella de control",
       ""},
      {"ensemble absolute without check", false, true, false, false, false, false,
       ensembleStart + "\n- Seleccionar \"Fotometría absoluta\" en Magnitudes / Configuración"
                       "\n- Seleccionar una estrella de control",
       ""},
      {"ensemble absolute with check", false, true, false, false, true, true, "", ""},
      {"single relative", false, false, true, false, false, true, "",
       warning + "\n\n- Puedes seleccionar \"Fotometría absoluta\" en Magnitudes / Configuración"},
      {"single relative without names", false, false, true, true, false, true, "", warning},
      {"single absolute", false, false, false, false, false, true, "", ""},
  };
  for (const Case& c : cases) {
    LightCurve curve;
    if (!c.noRows) curve.AavsoRows = {"row"};
    curve.EnsembleFlag = c.ensemble;
    curve.RelativeMode = c.relative;
    const AavsoCheck check = CheckAavsoReport(curve, c.absoluteEmpty, c.var2);
    EXPECT_EQ(check.accepted, c.accepted) << c.name;
    EXPECT_EQ(check.error, c.error) << c.name;
    EXPECT_EQ(check.warning, c.warning) << c.name;
  }
}

TEST(AavsoReport, FieldsAreCheckedInDialogOrder) {
  struct Case {
    const char* name;
    AavsoFields fields;
    bool relative, ensemble;
    std::string field, message;
  };
  AavsoFields full;
  full.obscode = "XYZ";
  full.starId = "RR LYR";
  full.cname = "000-BBB-123";
  full.kname = "000-BBB-124";
  full.chart = "X123";
  auto without = [&](std::string AavsoFields::*f) {
    AavsoFields a = full;
    a.*f = "";
    return a;
  };
  AavsoFields none;
  const std::vector<Case> cases = {
      {"all", full, true, true, "", ""},
      {"empty dialog", none, true, true, "OBSCODE", "El campo OBSCODE no puede quedar vacío"},
      {"starid", without(&AavsoFields::starId), false, false, "STARID",
       "El campo STARID no puede quedar vacío"},
      {"cname relative", without(&AavsoFields::cname), true, false, "CNAME",
       "El uso de fotometría diferencial obliga a\ncompletar el campo CNAME"},
      {"cname absolute", without(&AavsoFields::cname), false, false, "", ""},
      {"kname ensemble", without(&AavsoFields::kname), false, true, "KNAME",
       "El uso de fotometría \"ensemble\" obliga a\ncompletar el campo KNAME"},
      {"kname single", without(&AavsoFields::kname), false, false, "", ""},
      {"chart", without(&AavsoFields::chart), false, false, "CHART",
       "El campo CHART no puede quedar vacío"},
  };
  for (const Case& c : cases) {
    const FieldError error = ValidateAavsoFields(c.fields, c.relative, c.ensemble);
    EXPECT_EQ(error.field, c.field) << c.name;
    EXPECT_EQ(error.message, c.message) << c.name;
  }
}

TEST(AavsoReport, RelativeReportWithComparisonAndNoCheckStar) {
  Night night(NightLines({"11.0"}, {"V1", "CHK"}, EvenNight(3)), PhotometryMode::kRelative);
  AavsoFields fields;
  fields.obscode = "XYZ";
  fields.cname = "000-BBB-123";
  fields.filter = 2;
  fields.chart = "X123";
  OpenAavsoDialog(fields, "v1", "", night.curve.EnsembleFlag);
  EXPECT_EQ(fields.starId, "V1");
  EXPECT_FALSE(fields.knameEnabled);
  const auto report =
      WriteAavsoReport(fields, night.curve, FieldPosition(night.tables), 3, "Lumenda 2.07");
  ASSERT_EQ(report.size(), 7u + 3u);
  EXPECT_EQ(Head(report, 7),
            "#TYPE=Extended\n#OBSCODE=XYZ\n#SOFTWARE=Lumenda 2.07\n#DELIM=comma\n#DATE=HJD\n"
            "#OBSTYPE=CCD\n"
            "#NAME,DATE,MAG,MERR,FILT,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,AMASS,GROUP,CHART,NOTES\n");
  for (int i = 0; i < 3; ++i) {
    const auto f = Split(report[7 + i]);
    ASSERT_EQ(f.size(), 15u);
    const std::string& row = night.curve.AavsoRows[i];
    const auto text = [&](Column c) { return FormatFloat("0.000", *ParseDouble(Field(row, c))); };
    const std::string jd =
        HeliocentricJD(DateToJD(Field(row, curve::kAavsoDate)), "12 34 56.7", "-05 06 07");
    EXPECT_EQ(f,
              (std::vector<std::string>{"V1", jd, text(curve::kAavsoMag), f[3], "V", "NO", "DIF",
                                        "000-BBB-123", text(curve::kAavsoCmag), "na", "na",
                                        FormatFloat("0.000", 1.2 + 0.01 * i), "na", "X123", "na"}));
  }
}

TEST(AavsoReport, AbsoluteEnsembleWithCheckStarAndFiveDecimals) {
  Night night(NightLines({"11.0", "12.0", "11.5"}, {"V1", "CHK"}, EvenNight(2)),
              PhotometryMode::kAbsolute, 2);
  ASSERT_TRUE(night.curve.EnsembleFlag);
  ASSERT_TRUE(CheckAavsoReport(night.curve, false, true).accepted);
  AavsoFields fields;
  fields.obscode = "XYZ";
  fields.cname = "TYPED";
  fields.group = "7";
  fields.chart = "X1";
  OpenAavsoDialog(fields, "V1", "CHK", true);
  EXPECT_EQ(fields.cname, "");
  EXPECT_FALSE(fields.cnameEnabled);
  EXPECT_EQ(fields.kname, "CHK");
  const auto report =
      WriteAavsoReport(fields, night.curve, FieldPosition(night.tables), 5, "Lumenda 2.07");
  const auto f = Split(report[7]);
  const std::string& row = night.curve.AavsoRows[0];
  const auto text = [&](Column c) { return FormatFloat("0.00000", *ParseDouble(Field(row, c))); };
  EXPECT_EQ(f, (std::vector<std::string>{
                   "V1", f[1], text(curve::kAavsoMag), text(curve::kAavsoError), f[4], "NO", "STD",
                   "ENSEMBLE", "na", "CHK", text(curve::kAavsoKmag), "1.200", "7", "X1", "na"}));
}

TEST(AavsoReport, CheckStarMissingInAGroupIsWrittenAsAbsent) {
  auto rows = EvenNight(2);
  rows[1].counts = {52000, 0};
  Night night(NightLines({"11.0"}, {"V1", "CHK"}, rows), PhotometryMode::kAbsolute, 2);
  AavsoFields fields;
  fields.kname = "CHK";
  const auto report =
      WriteAavsoReport(fields, night.curve, FieldPosition(night.tables), 3, "Lumenda 2.07");
  EXPECT_NE(Split(report[7])[10], "na");
  EXPECT_EQ(Split(report[8])[10], "na");
}

TEST(AavsoReport, FilterCodesComeFromTheList) {
  EXPECT_EQ(AavsoFilterCode(0), "U");
  EXPECT_EQ(AavsoFilterCode(21), "STHBW");
  EXPECT_EQ(AavsoFilterCode(25), "MI");
  EXPECT_EQ(AavsoFilterCode(26), "");
  EXPECT_EQ(AavsoFilterIndex("v"), 2);
  EXPECT_EQ(AavsoFilterIndex("XX"), -1);
}

// The observation lines of an AAVSO Extended file: header keys and columns.
struct ExtendedFile {
  std::vector<std::string> keys;
  std::string columns;
  std::vector<std::string> firstRow;
};

ExtendedFile ParseExtended(const std::vector<std::string>& lines) {
  ExtendedFile file;
  for (const std::string& line : lines) {
    if (line.rfind("#NAME,", 0) == 0) {
      file.columns = line;
    } else if (line.rfind('#', 0) == 0) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) file.keys.push_back(ToUpper(line.substr(1, eq - 1)));
    } else if (!line.empty() && file.firstRow.empty()) {
      file.firstRow = Split(line);
    }
  }
  return file;
}

TEST(AavsoReport, FollowsTheConventionsOfRealExtendedFiles) {
  LUMENDA_REQUIRE_REAL_DATA();
  Night night(NightLines({"11.0", "12.0"}, {"V1", "CHK"}, EvenNight(3)), PhotometryMode::kAbsolute,
              2);
  AavsoFields fields;
  fields.obscode = "XYZ";
  fields.chart = "X1";
  OpenAavsoDialog(fields, "V1", "CHK", true);
  const ExtendedFile ours = ParseExtended(
      WriteAavsoReport(fields, night.curve, FieldPosition(night.tables), 3, "Lumenda 2.07"));
  const std::vector<std::string> keys = {"TYPE", "OBSCODE", "SOFTWARE", "DELIM", "DATE", "OBSTYPE"};
  for (const std::string& key : keys)
    EXPECT_NE(std::find(ours.keys.begin(), ours.keys.end(), key), ours.keys.end()) << key;
  const std::string folder = test::RealDataDir() + "aavso-extended-samples/";
  for (const char* name :
       {"DERA_AAVSOreport-20170504_photrix2.txt", "DERA_AAVSOreport-20170504_Rscripts.txt",
        "vast-automation_outlier.aavso"}) {
    auto lines = ReadTextLines(folder + name);
    ASSERT_TRUE(lines) << name;
    const ExtendedFile real = ParseExtended(*lines);
    EXPECT_EQ(ours.columns, real.columns) << name;
    for (const std::string& key : keys)
      EXPECT_NE(std::find(real.keys.begin(), real.keys.end(), key), real.keys.end()) << name;
    // Same number of fields; dates as Julian days with five decimals; numbers
    // where the real files have numbers; "na" where they have no value.
    const auto& theirs = real.firstRow;
    const auto& mine = ours.firstRow;
    ASSERT_EQ(mine.size(), theirs.size()) << name;
    ASSERT_GE(mine.size(), 12u);
    EXPECT_EQ(mine[1].size(), theirs[1].size()) << name;
    EXPECT_EQ(mine[1].substr(0, 2), theirs[1].substr(0, 2)) << name;
    for (int f : {2, 3, 11}) {
      EXPECT_TRUE(ParseDouble(theirs[f])) << name << " field " << f;
      EXPECT_TRUE(ParseDouble(mine[f])) << "field " << f;
    }
    EXPECT_EQ(ToLower(theirs[7] == "ENSEMBLE" ? theirs[8] : "na"), "na") << name;
    EXPECT_EQ(mine[7], "ENSEMBLE");
    EXPECT_EQ(mine[8], "na");
  }
}

TEST(CdrReport, KeywordsComparisonsAndJulianDates) {
  Night night(NightLines({"11.0 V", "12.5"}, {"V1"}, EvenNight(2)), PhotometryMode::kAbsolute);
  Settings settings;
  settings.cdrMes = "M1";
  settings.cdrFil = 3;
  const CdrFields fields = CdrFieldsFromSettings(settings, "V1");
  const auto report =
      WriteCdrReport(fields, night.curve, night.source.comparisonLines, "Lumenda 2.07");
  ASSERT_EQ(report.size(), 16u + 2u + 2u);
  EXPECT_EQ(Head(report, 16),
            "FMT DVv\nNOM V1\nMES M1\nTEL \nCAP \nCAT \nPOS \nFIL V: Johnson V\n\n"
            ";FOTOMETRÍA ABSOLUTA\n;ESTRELLAS DE CALIBRADO:\n;   C1: 11.0 V\n;   C2: 12.5\n\n"
            ";GJD_UTC              MAG      +/-\n;---------------------------------\n");
  const std::string& row = night.curve.GroupedRows[2];
  EXPECT_EQ(report[16],
            DateToJD(Field(row, curve::kDate)) + "  " +
                PadLeft(FormatFloat("00.000", *ParseDouble(Field(row, curve::kValue1))), 10) +
                "  " + PadLeft(FormatFloat("0.000", *ParseDouble(Field(row, curve::kError1))), 7));
  EXPECT_EQ(report[18], "");
  EXPECT_EQ(report[19], "; Lumenda 2.07");
  EXPECT_EQ(CdrFilterText(0), "-");
}

TEST(AlcdefReport, ObjectFromStarName) {
  struct Case {
    std::string name, number, object;
  };
  for (const Case& c : std::vector<Case>{{"433 EROS", "433", "EROS"},
                                         {" 1862 APOLLO ", "1862", "APOLLO"},
                                         {"2008 TC3 B", "2008", "TC3 B"},
                                         {"EROS", "0", "EROS"},
                                         {"V1 433", "0", "V1 433"},
                                         {"433", "0", "433"}}) {
    std::string number, object;
    ObjectFromStarName(c.name, number, object);
    EXPECT_EQ(number, c.number) << c.name;
    EXPECT_EQ(object, c.object) << c.name;
  }
}

TEST(AlcdefReport, SiteCoordinatesAreSignedDegrees) {
  EXPECT_EQ(AlcdefLongitude("003 30 00", "W"), "-003.500000");
  EXPECT_EQ(AlcdefLongitude("120 15 36", "E"), "+120.260000");
  EXPECT_EQ(AlcdefLatitude("40 30 00", "N"), "+40.500000");
  EXPECT_EQ(AlcdefLatitude("33 52 12", "S"), "-33.870000");
}

TEST(AlcdefReport, DialogValuesAndReport) {
  test::TempDir dir;
  auto rows = EvenNight(3);
  Night night(NightLines({"11.2 SR", "12.5 V", "abc"}, {"433 EROS"}, rows),
              PhotometryMode::kRelative);
  Settings settings;
  settings.lon = "003 30 00";
  settings.lat = "40 30 00";
  AlcdefFields fields;
  fields.filter = "R";
  fields.compName[0] = "stale";
  ASSERT_TRUE(WriteFileAtomic(
                  dir.File("ast.ini"),
                  "CONTACTNAME=Ana\r\nsin igual\r\nCONTACTINFO=ana@x.es\r\nOBSERVERS=Ana; Luis\r\n")
                  .empty());
  OpenAlcdefDialog(fields, dir.path(), settings, "433 EROS", night.curve, night.lines,
                   PhotometryMode::kRelative);
  // The fields show in the report's metadata below; a stale name is cleared.
  EXPECT_EQ(fields.compName[0], "");
  EXPECT_EQ(fields.compMag[2], "");
  fields.comments = {"primera", "", "segunda"};
  const auto report = WriteAlcdefReport(fields, night.curve);
  const std::vector<std::string> head = {
      "STARTMETADATA", "REVISEDDATA=FALSE", "OBJECTNUMBER=433", "OBJECTNAME=EROS",
      "MPCDESIG=", "CONTACTNAME=Ana", "CONTACTINFO=ana@x.es", "OBSERVERS=Ana; Luis",
      "OBSLONGITUDE=-003.500000", "OBSLATITUDE=+40.500000", "SESSIONDATE=2008-08-12",
      // Midpoint of 0.80000 and 0.80694 day:
      // 19:16:59.8, seconds not rounded up.
      "SESSIONTIME=19:16:59", "FILTER=R", "MAGBAND=SR", "DIFFERMAGS=TRUE", "STANDARD=NONE",
      "REDUCEDMAGS=NONE", "LTCTYPE=NONE", "LTCAPP=NONE", "OBJECTRA=12:34", "OBJECTDEC=-05",
      "COMPMAG1=+11.200", "COMPMAG2=+12.500", "COMMENT=primera", "COMMENT=segunda",
      "ALLOWSHARING=TRUE", "CICORRECTION=FALSE", "DELIMITER=PIPE", "ENDMETADATA"};
  ASSERT_EQ(report.size(), head.size() + 3 + 1);
  EXPECT_EQ(std::vector<std::string>(report.begin(), report.begin() + head.size()), head);
  const std::string& row = night.curve.GroupedRows[2];
  EXPECT_EQ(report[head.size()],
            "DATA=" + DateToJD(Field(row, curve::kDate)) + "|" +
                FormatFloat("+0.000;-0.000", *ParseDouble(Field(row, curve::kSignedValue1))) + "|" +
                FormatFloat("0.000", *ParseDouble(Field(row, curve::kError1))) + "|1.200");
  EXPECT_EQ(report.back(), "ENDDATA");

  // Absolute photometry: standard magnitudes.
  OpenAlcdefDialog(fields, dir.path(), settings, "EROS", night.curve, night.lines,
                   PhotometryMode::kAbsolute);
  EXPECT_EQ(fields.objectNumber, "0");
  EXPECT_EQ(fields.differMags, "FALSE");
  EXPECT_EQ(fields.standard, "INTERNAL");
}

TEST(AlcdefReport, GroupedValueLosesItsBlankAndKeepsThreeDecimals) {
  LightCurve curve;
  curve.GroupedRows = {"h", "s",
                       "0001  20080812.80000  01   +12.34567  0.01234  00100  " +
                           std::string(28, ' ') + "01.50000  01.00000  03.00000  +00.10000"};
  AlcdefFields fields;
  const auto report = WriteAlcdefReport(fields, curve);
  EXPECT_EQ(report[report.size() - 2], "DATA=2454691.30000|+12.346|0.012|1.500");
}

TEST(AlcdefReport, AstIniKeepsTheThreeContactFields) {
  test::TempDir dir;
  AlcdefFields fields;
  LoadAstIni(dir.path(), fields);  // missing file: empty
  EXPECT_EQ(fields.contactName, "");
  fields.contactName = "Ana";
  fields.contactInfo = "a=b";
  fields.observers = "Ana";
  ASSERT_TRUE(SaveAstIni(dir.path(), fields).ok());
  EXPECT_EQ(test::ReadBytes(dir.File("ast.ini")),
            "CONTACTNAME=Ana\r\nCONTACTINFO=a=b\r\nOBSERVERS=Ana\r\n");
  AlcdefFields back;
  LoadAstIni(dir.path(), back);
  EXPECT_EQ(back.contactInfo, "a=b");
}

TEST(AlcdefReport, FollowsTheConventionsOfARealFile) {
  LUMENDA_REQUIRE_REAL_DATA();
  auto real = ReadTextLines(test::RealDataDir() + "alcdef-samples/433_738215_ALCDEF.txt");
  ASSERT_TRUE(real);
  Night night(NightLines({"11.2"}, {"433 EROS"}, EvenNight(3)), PhotometryMode::kAbsolute);
  AlcdefFields fields;
  OpenAlcdefDialog(fields, "/nonexistent/", Settings{}, "433 EROS", night.curve, night.lines,
                   PhotometryMode::kAbsolute);
  const auto ours = WriteAlcdefReport(fields, night.curve);
  // Blocks of KEY=VALUE metadata then DATA lines "JD|signed mag|error...".
  auto shape = [](const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    for (const std::string& line : lines) {
      keys.push_back(line.substr(0, line.find('=')));
      EXPECT_TRUE(keys.back() != line || line == "STARTMETADATA" || line == "ENDMETADATA" ||
                  line == "ENDDATA")
          << line;
    }
    return keys;
  };
  const auto realKeys = shape(*real);
  const auto ourKeys = shape(ours);
  EXPECT_EQ(ourKeys.front(), realKeys.front());
  EXPECT_EQ(ourKeys.back(), realKeys.back());
  for (const char* key : {"OBJECTNUMBER", "OBJECTNAME", "CONTACTNAME", "DELIMITER", "DIFFERMAGS",
                          "FILTER", "MAGBAND", "SESSIONDATE", "SESSIONTIME", "LTCAPP", "DATA"}) {
    EXPECT_NE(std::find(realKeys.begin(), realKeys.end(), key), realKeys.end()) << key;
    EXPECT_NE(std::find(ourKeys.begin(), ourKeys.end(), key), ourKeys.end()) << key;
  }
  const auto a = Split(ValueOf(*real, "DATA="), '|'), b = Split(ValueOf(ours, "DATA="), '|');
  ASSERT_GE(b.size(), a.size());
  EXPECT_EQ(a[0].substr(0, 2), b[0].substr(0, 2));  // Julian days
  EXPECT_EQ(a[1][0], '+');
  EXPECT_EQ(b[1][0], '+');
  EXPECT_EQ(a[1].size() - a[1].find('.'), b[1].size() - b[1].find('.'));  // three decimals
  for (const auto& p : b) EXPECT_TRUE(ParseDouble(p)) << p;
  EXPECT_EQ(ValueOf(*real, "SESSIONDATE=").size(), ValueOf(ours, "SESSIONDATE=").size());
  EXPECT_EQ(ValueOf(ours, "SESSIONDATE=")[4], '-');
}

}  // namespace
}  // namespace lumenda
