// Masked fields of the settings dialog: "0" a required digit, "." and blanks
// literal ("00.00", "00000", "00 00 00", "000 00 00").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumenda {

// The text the field shows for `value`, or nullopt when the value does not fit
// the mask. A mask with a point takes any real number that fits once formatted
// ("7.5" -> "07.50"); a digit mask takes a whole number of at most that many
// digits, padded with zeros ("30" -> "030"); a mask with blanks takes as many
// digit groups separated by blanks ("40 24 0" -> "40 24 00").
std::optional<std::string> FitMask(std::string_view value, std::string_view mask);

}  // namespace lumenda
