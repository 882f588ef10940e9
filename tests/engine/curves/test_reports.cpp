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

// What follows `prefix` in the first line that starts with it.
std::string ValueOf(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
  return "";
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
    const Result<std::string> check = CheckAavsoReport(curve, c.absoluteEmpty, c.var2);
    EXPECT_EQ(check.ok(), c.accepted) << c.name;
    EXPECT_EQ(check.message, c.error) << c.name;
    EXPECT_EQ(check.value, c.warning) << c.name;
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
  PrefillAavsoFields(fields, "v1", "", night.curve.EnsembleFlag);
  EXPECT_EQ(fields.starId, "V1");
  EXPECT_FALSE(fields.knameEnabled);
  const auto report =
      WriteAavsoReport(fields, night.curve, FieldPosition(night.tables), 3, "Lumenda 2.07");
  // The reference files hold an absolute ensemble: here the differential columns.
  ASSERT_EQ(report.size(), 7u + 3u);
  EXPECT_EQ(report[4], "#DATE=HJD");
  for (int i = 0; i < 3; ++i) {
    const auto f = Split(report[7 + i]);
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(f.begin() + 4, f.end()),
              (std::vector<std::string>{"V", "NO", "DIF", "000-BBB-123", f[8], "na", "na",
                                        FormatFloat("0.000", 1.2 + 0.01 * i), "na", "X123", "na"}));
  }
}

TEST(AavsoReport, EnsembleDialogClearsTheComparisonAndTakesTheCheckStar) {
  AavsoFields fields;
  fields.cname = "TYPED";
  PrefillAavsoFields(fields, "V1", "CHK", true);
  EXPECT_EQ(fields.cname, "");
  EXPECT_FALSE(fields.cnameEnabled);
  EXPECT_EQ(fields.kname, "CHK");
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
  PrefillAavsoFields(fields, "V1", "CHK", true);
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
                  .ok());
  PrefillAlcdefFields(fields, dir.path(), settings, "433 EROS", night.curve, night.lines,
                      PhotometryMode::kRelative);
  // The fields show in the report's metadata below; a stale name is cleared.
  EXPECT_EQ(fields.compName[0], "");
  EXPECT_EQ(fields.compMag[2], "");
  EXPECT_EQ(fields.contactName + "|" + fields.contactInfo + "|" + fields.observers,
            "Ana|ana@x.es|Ana; Luis");
  EXPECT_EQ(fields.objectNumber + "|" + fields.objectName, "433|EROS");
  EXPECT_EQ(fields.compMag[0] + "|" + fields.compMag[1], "+11.200|+12.500");
  EXPECT_EQ(fields.magBand + "|" + fields.differMags, "SR|TRUE");
  // Midpoint of 0.80000 and 0.80694 day: 19:16:59.8, seconds not rounded up.
  EXPECT_EQ(fields.sessionDate + " " + fields.sessionTime, "2008-08-12 19:16:59");
  fields.comments = {"primera", "", "segunda"};
  const auto report = WriteAlcdefReport(fields, night.curve);
  EXPECT_EQ(std::count(report.begin(), report.end(), "COMMENT=primera") +
                std::count(report.begin(), report.end(), "COMMENT=segunda") +
                std::count(report.begin(), report.end(), "COMMENT="),
            2);

  // Absolute photometry: standard magnitudes.
  PrefillAlcdefFields(fields, dir.path(), settings, "EROS", night.curve, night.lines,
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
  PrefillAlcdefFields(fields, "/nonexistent/", Settings{}, "433 EROS", night.curve, night.lines,
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
