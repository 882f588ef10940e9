// Spanish texts of the conversion failures of the astro library, and the
// strict field readers that produce them. Internal to the library.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumenda::astro_detail {

std::string NotADate(std::string_view text);
std::string NotATime(std::string_view text);
std::string NotANumber(std::string_view text);
std::string NotACoordinate(std::string_view text);

// A field of decimal digits only (no sign, no blanks), as header dates use.
std::optional<int> ReadDigits(std::string_view field);

}  // namespace lumenda::astro_detail
