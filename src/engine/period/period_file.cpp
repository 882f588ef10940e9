#include "period/period_file.h"

#include <algorithm>

#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

namespace {

constexpr const char* kChecksumError = "Error en lectura de datos.";
constexpr const char* kFormatError = "Error: formato no reconocido.";

// Reads the lines in order; the first failure is kept as the message.
class LineReader {
 public:
  explicit LineReader(const std::vector<std::string>& lines) : lines_(lines) {}

  bool Section(const char* name) {
    if (!ok()) return false;
    if (pos_ >= lines_.size() || lines_[pos_] != name) return Fail(kFormatError);
    ++pos_;
    return true;
  }
  std::string Text() {
    if (!ok()) return {};
    if (pos_ >= lines_.size()) {
      Fail(kFormatError);
      return {};
    }
    return lines_[pos_++];
  }
  double Real() {
    std::string text = Text();
    if (!ok()) return 0;
    std::optional<double> value = ParseDouble(text);
    if (!value) Fail(NotANumber(text));
    return value.value_or(0);
  }
  long long Integer(long long lowest, long long highest) {
    std::string text = Text();
    if (!ok()) return 0;
    std::optional<long long> value = ParseInt(text);
    if (!value) {
      Fail(NotANumber(text));
      return 0;
    }
    if (*value < lowest || *value > highest) {
      Fail("Valor fuera de rango en el fichero de periodo: " + text + ".");
      return 0;
    }
    return *value;
  }
  bool Fail(std::string message) {
    if (ok()) message_ = std::move(message);
    return false;
  }
  bool ok() const { return message_.empty(); }
  const std::string& message() const { return message_; }

 private:
  static std::string NotANumber(const std::string& text) {
    return "\"" + text + "\" no es un valor numérico válido.";
  }
  const std::vector<std::string>& lines_;
  size_t pos_ = 1;  // after the checksum
  std::string message_;
};

}  // namespace

long long PeriodFileChecksum(const std::vector<std::string>& lines, size_t from) {
  long long sum = 0;
  for (size_t i = from; i < lines.size(); ++i) {
    for (char c : lines[i]) sum += static_cast<unsigned char>(c);
  }
  return sum;
}

std::vector<std::string> PeriodFileLines(const PeriodData& data, const std::string& periodText) {
  std::vector<std::string> lines{"",         "N_VAR",        data.StarName,
                                 "C_TIEMPO", data.TimeScale, "PERI",
                                 periodText, "DESV_NOCHE",   IntToStr(data.SeriesCount())};
  for (double offset : data.SeriesOffsets) lines.push_back(FloatToStr(offset));
  lines.push_back("DATOS");
  lines.push_back(IntToStr(static_cast<long long>(data.Observations.size())));
  for (const ObservationPoint& point : data.Observations) {
    lines.push_back(FloatToStr(point.Time));
    lines.push_back(FloatToStr(point.CentredMagnitude));
    lines.push_back(FloatToStr(point.Magnitude));
    lines.push_back(IntToStr(point.Series));
    lines.push_back(IntToStr(point.Deleted));
  }
  lines.push_back("OBSERVADORES");
  lines.push_back(IntToStr(static_cast<long long>(data.ObserverList.size())));
  lines.insert(lines.end(), data.ObserverList.begin(), data.ObserverList.end());
  lines[0] = IntToStr(PeriodFileChecksum(lines, 1));
  return lines;
}

Status WritePeriodFile(const std::string& path, const PeriodData& data,
                       const std::string& periodText) {
  return WriteFileAtomic(path, JoinLines(PeriodFileLines(data, periodText)));
}

Result<PeriodFileContent> ParsePeriodFile(std::vector<std::string> lines) {
  using R = Result<PeriodFileContent>;
  // The sum is over the bytes as stored: a file from an older Windows
  // installation is Windows-1252, and is read as such only after the check.
  if (lines.empty() || IntToStr(PeriodFileChecksum(lines, 1)) != lines[0]) {
    return R::Fail(kChecksumError);
  }
  for (std::string& line : lines)
    if (!IsValidUtf8(line)) line = Cp1252ToUtf8(line);
  PeriodFileContent content;
  PeriodData& data = content.data;
  LineReader in(lines);
  if (in.Section("N_VAR")) data.StarName = CutName(in.Text());
  if (in.Section("C_TIEMPO")) data.TimeScale = in.Text();
  if (in.Section("PERI")) {
    content.periodText = in.Text();
  }
  if (in.ok()) {
    std::optional<double> period = ParseDouble(content.periodText);
    if (!period) {
      in.Fail("\"" + content.periodText + "\" no es un valor numérico válido.");
    } else if (!(*period > 0)) {
      // Folding needs a positive period; this program never writes another.
      in.Fail("El periodo del fichero (" + content.periodText + ") debe ser mayor que 0.");
    }
    content.period = period.value_or(0);
  }
  if (in.Section("DESV_NOCHE")) {
    const long long n = in.Integer(0, 1000000);
    for (long long i = 0; i < n && in.ok(); ++i) data.SeriesOffsets.push_back(in.Real());
  }
  if (in.Section("DATOS")) {
    const long long n = in.Integer(0, 100000000);
    for (long long i = 0; i < n && in.ok(); ++i) {
      ObservationPoint point;
      point.Time = in.Real();
      point.CentredMagnitude = in.Real();
      point.Magnitude = in.Real();
      // A series without an offset would have nothing to shift it by.
      point.Series = static_cast<int32_t>(in.Integer(0, std::max(0, data.SeriesCount() - 1)));
      point.Deleted = static_cast<uint8_t>(in.Integer(0, 255) != 0);
      data.Observations.push_back(point);
    }
  }
  if (in.Section("OBSERVADORES")) {
    const long long n = in.Integer(0, 1000000);
    for (long long i = 0; i < n && in.ok(); ++i) {
      std::string observer = in.Text();
      auto at = std::lower_bound(data.ObserverList.begin(), data.ObserverList.end(), observer);
      if (at == data.ObserverList.end() || *at != observer) data.ObserverList.insert(at, observer);
    }
  }
  if (!in.ok()) return R::Fail(in.message());
  return R::Ok(std::move(content));
}

Result<PeriodFileContent> ReadPeriodFile(const std::string& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) {
    return Result<PeriodFileContent>::Fail("No se puede leer el fichero \"" + path + "\".");
  }
  return ParsePeriodFile(SplitLines(*bytes));
}

}  // namespace lumenda
