// Texts between the engine (UTF-8 std::string) and Qt, and the number
// conventions of the desktop: "." as the decimal separator whatever the
// system locale.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumenda::ui {

inline QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string S(const QString& text) {
  return text.toStdString();
}

QStringList Q(const std::vector<std::string>& lines);
std::vector<std::string> S(const QStringList& lines);

// The engine's formatter with a mask ("0.00", "0000.00;-000.00", ...).
QString FormatNumber(std::string_view mask, double value);
// The engine's parser: "." only, blanks around allowed.
std::optional<double> ParseNumber(const QString& text);

// Called once after the QApplication exists: numbers shown and typed by Qt
// widgets use "." and no group separator, and the C library parses and
// prints numbers with "." too (QApplication has just taken the system
// locale for LC_NUMERIC).
void InstallNumberConventions();

}  // namespace lumenda::ui
