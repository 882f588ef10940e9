#include "astro/conversion_errors.h"

namespace lumenda::astro_detail {

std::string NotADate(std::string_view text) {
  return "'" + std::string(text) + "' no es una fecha válida";
}

std::string NotATime(std::string_view text) {
  return "'" + std::string(text) + "' no es una hora válida";
}

std::string NotANumber(std::string_view text) {
  return "'" + std::string(text) + "' no es un valor numérico válido";
}

std::string NotACoordinate(std::string_view text) {
  return "'" + std::string(text) + "' no es una coordenada válida";
}

std::optional<int> ReadDigits(std::string_view field) {
  if (field.empty() || field.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace lumenda::astro_detail
