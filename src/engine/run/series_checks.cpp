#include "run/series_checks.h"

#include "run/results_format.h"
#include "run/star_list.h"
#include "text/number_format.h"
#include "text/text_file.h"

namespace lumenda {

bool PreviousSeriesPresent(const std::string& appDir) {
  return FileExists(appDir + results::kInstrumentalFileName) &&
         FileExists(appDir + results::kStarsFileName);
}

std::string SeriesConfirmation(bool primeraSerie) {
  return primeraSerie ? "Primera serie, los datos anteriores serán borrados."
                      : "Serie siguiente. Los datos serán añadidos a los existentes.";
}

std::string ComparisonNameNotice(const std::vector<StarEntry>& comparisons) {
  for (const StarEntry& star : comparisons) {
    const std::string& name = star.name;
    if (!ParseDouble(name.substr(0, name.find(' ')))) {
      return "Para informes de fotometría absoluta es necesario que el nombre de las estrellas "
             "de calibrado sea la magnitud, eventualmente seguida por un espacio y la "
             "identificación del filtro.";
    }
  }
  return {};
}

}  // namespace lumenda
