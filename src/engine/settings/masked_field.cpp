#include "settings/masked_field.h"

#include <vector>

#include "text/fixed_columns.h"
#include "text/number_format.h"

namespace lumenda {
namespace {

std::vector<std::string> SplitBlanks(std::string_view text) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : text) {
    if (c == ' ') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

bool AllDigits(std::string_view text) {
  for (char c : text)
    if (!IsDigit(c)) return false;
  return !text.empty();
}

}  // namespace

std::optional<std::string> FitMask(std::string_view value, std::string_view mask) {
  const std::string text = Trim(value);
  if (mask.find('.') != std::string_view::npos) {
    auto number = ParseDouble(text);
    if (!number) return std::nullopt;
    std::string shown = FormatFloat(mask, *number);
    if (shown.size() != mask.size() || shown.find('-') != std::string::npos) return std::nullopt;
    return shown;
  }
  const std::vector<std::string> groups = SplitBlanks(text);
  const std::vector<std::string> widths = SplitBlanks(mask);
  if (groups.size() != widths.size()) return std::nullopt;
  std::string shown;
  for (size_t i = 0; i < groups.size(); ++i) {
    if (!AllDigits(groups[i]) || groups[i].size() > widths[i].size()) return std::nullopt;
    if (i > 0) shown += ' ';
    shown += PadLeft(groups[i], static_cast<int>(widths[i].size()), '0');
  }
  return shown;
}

}  // namespace lumenda
