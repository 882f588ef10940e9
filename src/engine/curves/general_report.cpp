#include "curves/general_report.h"

#include <algorithm>

#include "curves/curve_formats.h"
#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {

namespace {

// Width of the date column with its two trailing blanks, and its label.
int DateColumnWidth(TimeScale scale) {
  switch (scale) {
    case TimeScale::kDateTime:
      return 21;
    case TimeScale::kMpc:
      return 16;
    default:
      return 15;
  }
}

std::string DateLabel(TimeScale scale) {
  switch (scale) {
    case TimeScale::kDateTime:
      return "FECHA UTC";
    case TimeScale::kMpc:
      return "FECHA MPC";
    default:
      return ScaleCaption(scale);
  }
}

std::string ModeTitle(PhotometryMode mode) {
  switch (mode) {
    case PhotometryMode::kRelative:
      return "FOTOMETRÍA RELATIVA";
    case PhotometryMode::kAbsolute:
      return "FOTOMETRÍA ABSOLUTA";
    case PhotometryMode::kCounts:
      return "FLUJO ABSOLUTO (CUENTAS)";
    case PhotometryMode::kRelativeFlux:
      break;
  }
  return "FLUJO RELATIVO";
}

// Rows between two looks at the stop token and two progress steps.
constexpr size_t kRowsPerStep = 2048;

}  // namespace

ReportOptions ReportOptionsFromSettings(const Settings& settings) {
  ReportOptions options;
  options.order = settings.gOrd;
  options.count = settings.gCant;
  options.rsr = settings.gRsr;
  options.airMass = settings.gAir;
  options.transparency = settings.gTra;
  options.fwhm = settings.gFwhm;
  options.background = settings.gBri;
  options.decimals = std::clamp(settings.gDec, 1, 5);
  return options;
}

Status CheckReportDecimals(int decimals) {
  if (decimals < 1 || decimals > 5) return Status::Fail("Decimales fuera de rango (1 a 5).");
  return Status::Ok();
}

std::string DecimalsMask(int decimals) {
  return "0." + std::string(std::clamp(decimals, 1, 5), '0');
}

std::vector<std::string> ComparisonLines(const std::vector<std::string>& resultsFileLines) {
  std::vector<std::string> lines;
  for (size_t i = 2; i < resultsFileLines.size() && !resultsFileLines[i].empty(); ++i)
    lines.push_back(resultsFileLines[i]);
  return lines;
}

Result<std::vector<std::string>> GeneralReport(const LightCurve& curve,
                                               const GraphSettings& settings,
                                               const ReportOptions& options,
                                               const ReportSource& source, std::stop_token stop,
                                               const Progress& progress) {
  using Out = Result<std::vector<std::string>>;
  const PhotometryMode mode = settings.mode;
  const std::string mask =
      mode == PhotometryMode::kCounts ? std::string("0") : DecimalsMask(options.decimals);
  const bool var2 = HasVariable2(settings);
  const int dateWidth = DateColumnWidth(settings.scale);
  std::vector<std::string> report;

  report.push_back(ModeTitle(mode));
  report.push_back("");
  if (mode == PhotometryMode::kAbsolute) {
    report.push_back("ESTRELLAS DE CALIBRADO:");
    for (size_t i = 0; i < source.comparisonLines.size(); ++i)
      report.push_back("   C" + IntToStr(static_cast<long long>(i) + 1) + ": " +
                       source.comparisonLines[i]);
    report.push_back("");
  }

  // Names, then the column header and its underline.
  std::string names = Variable1Name(*source.tables, settings) + "\xC2\xA0";
  if (var2) {
    names += std::string(std::max(0, 21 - CharCount(names)), ' ');
    names += std::string(dateWidth, ' ');
    if (options.rsr) names += std::string(7, ' ');
    names += Variable2Name(*source.tables, settings);
  }
  report.push_back(names);

  const std::string valueHead = IsFluxMode(mode) ? "     FLUJO      +/-" : "       MAG      +/-";
  std::string header = PadRight(DateLabel(settings.scale), dateWidth) + valueHead;
  std::string underline = std::string(dateWidth, '-') + std::string(19, '-');
  if (options.rsr) {
    header += "    RSR";
    underline += std::string(7, '-');
  }
  if (var2) {
    header += "  " + valueHead;
    underline += "  " + std::string(19, '-');
    if (options.rsr) {
      header += "    RSR";
      underline += std::string(7, '-');
    }
  }
  if (options.airMass) {
    header += "  AIRMS";
    underline += "  -----";
  }
  if (options.transparency) {
    header += "  TRANS";
    underline += "  -----";
  }
  if (options.fwhm) {
    header += "  FWHM\"";
    underline += "  -----";
  }
  if (options.background) {
    header += "   FONDO";
    underline += "  ------";
  }
  if (options.count) {
    header += "   N";
    underline += "  --";
  }
  if (options.order) {
    header += "   NUM";
    underline += "  ----";
  }
  report.push_back(header);
  report.push_back(underline);

  const SkyPosition position = StarPosition(*source.tables, settings.var1);
  const auto total = static_cast<long long>(curve.GroupedRows.size());
  for (size_t i = curve::kHeaderLines; i < curve.GroupedRows.size(); ++i) {
    if (i % kRowsPerStep == 0) {
      if (stop.stop_requested()) return Out::Stopped();
      Report(progress, {ProgressLine::kOverall, static_cast<long long>(i), total, 0, ""});
    }
    const std::string& row = curve.GroupedRows[i];
    std::string line = ScaleDateText(settings.scale, Field(row, curve::kDate), position);
    line += "  " + PadNumber(Field(row, curve::kValue1), mask, 10) + "  " +
            PadNumber(Field(row, curve::kError1), mask, 7);
    if (options.rsr) line += "  " + PadNumber(Field(row, curve::kRsr1), "0", 5);
    if (var2) {
      line += "  " + PadNumber(Field(row, curve::kValue2), mask, 10) + "  " +
              PadNumber(Field(row, curve::kError2), mask, 7);
      if (options.rsr) line += "  " + PadNumber(Field(row, curve::kRsr2), "0", 5);
    }
    if (options.airMass) line += "  " + PadNumber(Field(row, curve::kAirMass), "0.000", 5);
    if (options.transparency) line += "  " + PadNumber(Field(row, curve::kTransparency), "0.00", 5);
    if (options.fwhm) line += "  " + PadNumber(Field(row, curve::kFwhm), "0.00", 5);
    if (options.background)
      line += "  " + PadNumber(Field(row, curve::kBackground), "0.00;-0.00", 6);
    if (options.count) line += "  " + std::string(Field(row, curve::kCount));
    if (options.order) line += "  " + std::string(Field(row, curve::kNum));
    report.push_back(line);
  }

  report.push_back("");
  report.push_back("Observador: " + source.observer);
  report.push_back(source.versionText);
  return Out::Ok(std::move(report));
}

}  // namespace lumenda
