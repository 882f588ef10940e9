// The "Resumen y comentarios" page: summary statistics of the plotted stars.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace lumenda {

// The name and the six values ("Máximo:", "Mínimo:", "Amplitud:", "Centro:",
// "Promedio:", "Desv. estándar:"), each "0.000", or seven "---" when the star
// has no measured value (or no star is chosen).
struct StarSummary {
  std::string name;
  std::array<std::string, 6> values;
  int count = 0;
};

// Over the source rows (before grouping) of star column k; k < 0 means no star.
StarSummary FillSummary(const std::vector<std::string>& sourceRows, int k, const std::string& name);

// A comment line after a click on a summary label or value.
std::string AppendToComment(const std::string& line, const std::string& text);

}  // namespace lumenda
