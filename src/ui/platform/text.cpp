#include "platform/text.h"

#include <QLocale>
#include <clocale>

#include "text/number_format.h"

namespace lumenda::ui {

QStringList Q(const std::vector<std::string>& lines) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) out.append(Q(line));
  return out;
}

std::vector<std::string> S(const QStringList& lines) {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(lines.size()));
  for (const QString& line : lines) out.push_back(S(line));
  return out;
}

QString FormatNumber(std::string_view mask, double value) {
  return Q(FormatFloat(mask, value));
}

std::optional<double> ParseNumber(const QString& text) {
  return ParseDouble(S(text));
}

void InstallNumberConventions() {
  QLocale c(QLocale::C);
  c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
  QLocale::setDefault(c);
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace lumenda::ui
